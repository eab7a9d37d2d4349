#include "skin/core/ComponentWatch.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ks {

// Free notification is the component's own way of telling others that it goes; the listener
// has no owner, so every watched component links to it whatever its family.
class ComponentWatch::Listener : public TComponent {
public:
    explicit Listener(TComponent* owner) : TComponent(owner) {}

    void Watch(TComponent* component)
    {
        if (!component || component->ComponentState().Contains(csDestroying) || Alive(component))
            return;
        FAlive.push_back(component);
        FreeNotification(component);
    }
    bool Alive(const TComponent* component) const noexcept
    {
        return std::find(FAlive.begin(), FAlive.end(), component) != FAlive.end();
    }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        if (operation == opRemove)
            std::erase(FAlive, component);
        TComponent::Notification(component, operation);
    }

private:
    std::vector<const TComponent*> FAlive;
};

ComponentWatch::ComponentWatch() : FListener(Create<Listener>(nullptr))
{
}

ComponentWatch::~ComponentWatch()
{
    // Freeing the listener undoes every link, so the watched components forget it.
    FListener->Free();
}

void ComponentWatch::Watch(TComponent* component)
{
    FListener->Watch(component);
}

bool ComponentWatch::Alive(const TComponent* component) const noexcept
{
    return FListener->Alive(component);
}

HeldObject::Hold::Hold(HeldObject* object) noexcept : FObject(object), FOuter(object ? object->FHolds : nullptr)
{
    if (object)
        object->FHolds = this;
}

HeldObject::Hold::~Hold()
{
    if (!FObject)
        return;
    FObject->FHolds = FOuter;
    if (!FOuter)
        FObject->RunDeleters();
}

void HeldObject::DeleteOnceFree(std::function<void()> deleter)
{
    if (!deleter)
        return;
    if (!Held()) {
        deleter();
        return;
    }
    FDeleters.push_back(std::move(deleter));
}

HeldObject::~HeldObject()
{
    ForgetHolds();
}

void HeldObject::ForgetHolds() noexcept
{
    for (Hold* hold = FHolds; hold; hold = hold->FOuter)
        hold->FObject = nullptr;
    FHolds = nullptr;
    RunDeleters();
}

void HeldObject::RunDeleters() noexcept
{
    // A deleter may delete this object itself: nothing of it is read once they start.
    const std::vector<std::function<void()>> deleters = std::exchange(FDeleters, {});
    for (const auto& deleter : deleters) {
        try {
            deleter();
        } catch (...) {
        }
    }
}

} // namespace ks

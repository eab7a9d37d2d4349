#include "vcl/Classes.h"

#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>

namespace {

constexpr const char* CannotAssignText = "Cannot assign a %s to a %s";
constexpr const char* CannotAssignNilText = "Cannot assign a nil to a %s";
constexpr const char* InvalidNameText = "''%s'' is not a valid component name";
constexpr const char* DuplicateNameText = "A component named %s already exists";
constexpr const char* ListIndexText = "List index out of bounds (%s)";

constexpr ks::PropertyInfo ComponentProperties[] = {
    // The name travels in each object's header, never as a property.
    ks::Prop<&TComponent::Name, &TComponent::SetName>("Name").NotStored(),
    ks::Prop<&TComponent::Tag, &TComponent::SetTag>("Tag").DefaultIs(0),
};

void Erase(std::vector<TComponent*>& list, TComponent* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

} // namespace

const ks::ClassInfo TPersistent::StaticClassInfo{"TPersistent", nullptr, {}, {}};
const ks::ClassInfo TComponent::StaticClassInfo{"TComponent", &TPersistent::StaticClassInfo,
                                                ComponentProperties, {}};

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TPersistent::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

const char* TPersistent::ClassName() const noexcept
{
    return ClassInfo().Name;
}

void TPersistent::Assign(const TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    throw EConvertError(Format(CannotAssignNilText, {ClassName()}));
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError(Format(CannotAssignText, {ClassName(), dest->ClassName()}));
}

void TPersistent::DefineProperties(TFiler&)
{
}

std::string TPersistent::GetNamePath() const
{
    std::string path = ClassName();
    if (const TPersistent* owner = GetOwner()) {
        std::string ownerPath = owner->GetNamePath();
        if (!ownerPath.empty())
            path = ownerPath + "." + path;
    }
    return path;
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TComponent::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TComponent::TComponent(TComponent* owner) : FOwner(owner)
{
}

TComponent::~TComponent()
{
    // Reached without Free() only when a constructor failed or a component was deleted
    // directly; the owner and the linked components must still forget this one.
    if (!FComponentState.Contains(csDestroying))
        Destroying();
    Release();
}

void TComponent::CompleteCreation(TComponent* component)
{
    if (TComponent* owner = component->FOwner) {
        component->FOwner = nullptr;
        try {
            owner->InsertComponent(component);
        } catch (...) {
            delete component;
            throw;
        }
    }
    try {
        component->AfterConstruction();
    } catch (...) {
        component->Free();
        throw;
    }
}

void TComponent::BeforeDestruction()
{
    if (!FComponentState.Contains(csDestroying))
        Destroying();
    Release();
}

void TComponent::Free()
{
    BeforeDestruction();
    delete this;
}

void TComponent::Release()
{
    if (FReleased)
        return;
    FReleased = true;
    RemoveFreeNotifications();
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::Destroying()
{
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents)
        c->Destroying();
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        // Components linked by free notification may be referenced from outside the family;
        // their removal is announced. The others just leave quietly, as the platform does.
        if (c->FComponentState.Contains(csFreeNotification)) {
            RemoveComponent(c);
        } else {
            FComponents.pop_back();
            c->FOwner = nullptr;
        }
        c->Free();
    }
}

void TComponent::SetName(const std::string& name)
{
    if (name == FName)
        return;
    if (!name.empty() && !ks::IsValidIdent(name))
        throw EComponentError(Format(InvalidNameText, {name}));
    if (FOwner)
        FOwner->ValidateRename(this, FName, name);
    FName = name;
}

void TComponent::ValidateRename(TComponent* component, std::string_view curName, std::string_view newName)
{
    if (newName.empty() || SameTextAscii(curName, newName))
        return;
    TComponent* existing = FindComponent(newName);
    if (existing && existing != component)
        throw EComponentError(Format(DuplicateNameText, {newName}));
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError(Format(ListIndexText, {std::to_string(index)}));
    return FComponents[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!FOwner)
        return -1;
    const auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (SameTextAscii(c->FName, name))
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    // The name is checked before the component leaves its old owner, so a clash leaves it
    // where it was instead of owned by no one.
    ValidateRename(component, {}, component->FName);
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (std::find(FComponents.begin(), FComponents.end(), component) == FComponents.end())
        return;
    Notification(component, opRemove);
    Erase(FComponents, component);
    if (component->FOwner == this)
        component->FOwner = nullptr;
}

std::string TComponent::GetNamePath() const
{
    return FName;
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    // A link to a component already going would outlive it.
    if (FComponentState.Contains(csDestroying) || component->FComponentState.Contains(csDestroying))
        return;
    if (!FOwner || component->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
            FFreeNotifies.push_back(component);
            component->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    Erase(FFreeNotifies, component);
    Erase(component->FFreeNotifies, this);
}

void TComponent::RemoveFreeNotifications()
{
    // Each link is undone before the other side hears of it, so an override of Notification
    // that forgets the inherited call cannot make this loop forever.
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        Erase(c->FFreeNotifies, this);
        c->Notification(this, opRemove);
    }
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // Owned components may leave while they are told; the index follows the shrinking list.
    for (size_t i = FComponents.size(); i > 0;) {
        --i;
        FComponents[i]->Notification(component, operation);
        if (i > FComponents.size())
            i = FComponents.size();
    }
}

void TComponent::Loaded()
{
    FComponentState.Exclude(csLoading);
}

void TComponent::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    if (root != this)
        return;
    for (size_t i = 0; i < FComponents.size(); ++i)
        if (!FComponents[i]->HasParent())
            proc(FComponents[i]);
}

#pragma once
// ks::ComponentWatch: tells whether components are still alive without keeping them alive. The
// engine's broadcasts send messages whose receivers may free any form or control, so a walk
// takes a snapshot of what it will visit, watches every entry, and asks Alive() before it
// touches an entry again. A watched component is forgotten the moment it is freed, so a new
// component that later gets the same address is never taken for it.

#include "vcl/Classes.h"

#include <functional>
#include <vector>

namespace ks {

class ComponentWatch {
public:
    ComponentWatch();
    ~ComponentWatch();
    ComponentWatch(const ComponentWatch&) = delete;
    ComponentWatch& operator=(const ComponentWatch&) = delete;

    // A component that is already being destroyed is never watched, and so never Alive.
    void Watch(TComponent* component);
    // True while component has been watched and not freed. Never dereferences it.
    bool Alive(const TComponent* component) const noexcept;

private:
    class Listener;
    Listener* FListener;
};

// ks::HeldObject: the engine's one rule for objects whose code calls out into handlers that may
// free them (a form's OnPaint run by its provider's painting): such an object is deleted only
// once no call into it is on the stack. Every entry that calls out keeps a Hold for its length;
// a deletion asked for meanwhile waits for the outermost hold to go. What the object owns and
// drops meanwhile (a provider's border window) waits with it, so that every caller holding the
// owner still finds it.
class HeldObject {
public:
    class Hold {
    public:
        // object may be nullptr: nothing is held.
        explicit Hold(HeldObject* object) noexcept;
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        friend class HeldObject;
        HeldObject* FObject;
        Hold* FOuter;
    };

    bool Held() const noexcept { return FHolds != nullptr; }
    // Runs deleter now when nothing holds this object; otherwise once its outermost hold goes,
    // or when it is destroyed meanwhile, whichever comes first; deleters run in the order given.
    void DeleteOnceFree(std::function<void()> deleter);

protected:
    HeldObject() = default;
    ~HeldObject();
    HeldObject(const HeldObject&) = delete;
    HeldObject& operator=(const HeldObject&) = delete;
    // Destroyed while held (an owner freed it regardless): the holds still on the stack forget
    // the object and touch nothing of it, and the deletions that waited for them run now.
    void ForgetHolds() noexcept;

private:
    void RunDeleters() noexcept;
    // The innermost hold; each links the one around it.
    Hold* FHolds = nullptr;
    std::vector<std::function<void()>> FDeleters;
};

} // namespace ks

#pragma once
// ks::ComponentWatch: tells whether components are still alive without keeping them alive. The
// engine's broadcasts send messages whose receivers may free any form or control, so a walk
// takes a snapshot of what it will visit, watches every entry, and asks Alive() before it
// touches an entry again. A watched component is forgotten the moment it is freed, so a new
// component that later gets the same address is never taken for it.

#include "vcl/Classes.h"

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

} // namespace ks

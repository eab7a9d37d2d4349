#pragma once
// A component that tells when a component it watches (by FreeNotification) is freed.

#include "vcl/Classes.h"

namespace ks::test {

class FreeSpy : public TComponent {
public:
    using TComponent::TComponent;
    TComponent* Freed = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove)
            Freed = c;
    }
};

} // namespace ks::test

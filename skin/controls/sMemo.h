#pragma once
// The skinned memo. Until the skin engine paints controls it is the plain memo it derives from.

#include "vcl/StdCtrls.h"

class TsMemo : public TMemo {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TMemo::TMemo;
};

// Makes TsMemo known to the form reader.
void InitializeSMemoUnit();

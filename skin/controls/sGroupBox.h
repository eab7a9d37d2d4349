#pragma once
// The skinned group box. Until the skin engine paints controls it is the plain group box it derives from.

#include "vcl/StdCtrls.h"

class TsGroupBox : public TGroupBox {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TGroupBox::TGroupBox;
};

// Makes TsGroupBox known to the form reader.
void InitializeSGroupBoxUnit();

#pragma once
// The skinned check box. Until the skin engine paints controls it is the plain check box it derives from.

#include "vcl/StdCtrls.h"

class TsCheckBox : public TCheckBox {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCheckBox::TCheckBox;
};

// Makes TsCheckBox known to the form reader.
void InitializeSCheckBoxUnit();

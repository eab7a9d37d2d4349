#pragma once
// The skinned push button. Until the skin engine paints controls it is the plain button it derives from.

#include "vcl/StdCtrls.h"

class TsButton : public TButton {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TButton::TButton;
};

// Makes TsButton known to the form reader.
void InitializeSButtonUnit();

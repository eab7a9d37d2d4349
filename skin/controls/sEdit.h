#pragma once
// The skinned edit. Until the skin engine paints controls it is the plain edit it derives from.

#include "vcl/StdCtrls.h"

class TsEdit : public TEdit {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TEdit::TEdit;
};

// Makes TsEdit known to the form reader.
void InitializeSEditUnit();

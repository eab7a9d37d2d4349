#pragma once
// The skinned label. Until the skin engine paints controls it is the plain label it derives from.

#include "vcl/StdCtrls.h"

class TsLabel : public TLabel {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TLabel::TLabel;
};

// Makes TsLabel known to the form reader.
void InitializeSLabelUnit();

#include "skin/controls/sLabel.h"

const ks::ClassInfo TsLabel::StaticClassInfo{"TsLabel", &TLabel::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsLabel::ClassInfo() const noexcept { return StaticClassInfo; }

void InitializeSLabelUnit()
{
    RegisterClasses<TsLabel>();
}

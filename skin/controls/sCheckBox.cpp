#include "skin/controls/sCheckBox.h"

const ks::ClassInfo TsCheckBox::StaticClassInfo{"TsCheckBox", &TCheckBox::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsCheckBox::ClassInfo() const noexcept { return StaticClassInfo; }

void InitializeSCheckBoxUnit()
{
    RegisterClasses<TsCheckBox>();
}

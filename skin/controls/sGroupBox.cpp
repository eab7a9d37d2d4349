#include "skin/controls/sGroupBox.h"

const ks::ClassInfo TsGroupBox::StaticClassInfo{"TsGroupBox", &TGroupBox::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsGroupBox::ClassInfo() const noexcept { return StaticClassInfo; }

void InitializeSGroupBoxUnit()
{
    RegisterClasses<TsGroupBox>();
}

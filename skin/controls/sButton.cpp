#include "skin/controls/sButton.h"

const ks::ClassInfo TsButton::StaticClassInfo{"TsButton", &TButton::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsButton::ClassInfo() const noexcept { return StaticClassInfo; }

void InitializeSButtonUnit()
{
    RegisterClasses<TsButton>();
}

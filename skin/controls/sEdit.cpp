#include "skin/controls/sEdit.h"

const ks::ClassInfo TsEdit::StaticClassInfo{"TsEdit", &TEdit::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsEdit::ClassInfo() const noexcept { return StaticClassInfo; }

void InitializeSEditUnit()
{
    RegisterClasses<TsEdit>();
}

#include "skin/controls/sMemo.h"

const ks::ClassInfo TsMemo::StaticClassInfo{"TsMemo", &TMemo::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsMemo::ClassInfo() const noexcept { return StaticClassInfo; }

void InitializeSMemoUnit()
{
    RegisterClasses<TsMemo>();
}

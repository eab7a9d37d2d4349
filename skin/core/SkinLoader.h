#pragma once
// Reading a skin on Windows: finding its source (a packed file, a skin folder, an internal skin)
// and running the readers of LoadedSkin.h over it with GDI bitmaps, the class library's JPEG
// pictures and the picture registry's PNG class.

#include "skin/core/LoadedSkin.h"

#include <string>

class TsStoredSkins;

namespace ks {

// The platform the Windows readers run on; it also reads skins stored the older way.
const SkinPlatform& GdiSkinPlatform() noexcept;

} // namespace ks

// Finds skin.Name and runs the three readers: "<directory>\<name>.asz", else the folder
// "<directory>\<name>\Options.dat" (both only when fromDisk), else the internal skin of exactly
// that name, else the first internal skin. False when there is none. directory is resolved.
bool ReadSkin(const std::wstring& directory, bool fromDisk, const TsStoredSkins& internalSkins,
              const TsSkinSettings& settings, TsLoadedSkin& skin);

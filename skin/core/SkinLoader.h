#pragma once
// Reading a skin: finding its source (a packed file, a skin folder, an internal skin) and the
// readers that fill a new set of tables from it, in the order the manager runs them: images,
// patterns, then sections. The tables belong to a TsLoadedSkin, which the manager puts in place
// only when the whole skin has been read, so a skin that fails to load leaves the previous one
// as it was and a new skin keeps nothing of the previous one.
//
// Pictures are archive items (upper-cased name equal to the name the options text gives) or
// files beside the options text. A picture that is not there, has no width, or is refused by
// its decoder is skipped and the skin loses only that image. A malformed number in an image
// value, or a strict global value that is not a number, stops the load with EConvertError.

#include "skin/core/sMaskData.h"
#include "skin/core/sSkinOptions.h"

#include <memory>
#include <string>

class TBitmap;
class TMemIniFile;
class TacSkinConvertor;
class TsSkinManager;
class TsStoredSkin;
class TsStoredSkins;

// A skin being read.
struct TsLoadedSkin {
    // The name asked for; the first internal skin's name when that one is taken instead.
    std::wstring Name;
    TsSkinData Data;
    TsGeneralDataArray Sections;
    TsMaskArray Masks;
    TsPatternArray Patterns;
    std::unique_ptr<TBitmap> Master;
    // The options text came from a packed archive (a file or an internal skin's data).
    bool FromArchive = false;

    TsLoadedSkin();
    ~TsLoadedSkin();
    TsLoadedSkin(TsLoadedSkin&&) noexcept;
    TsLoadedSkin& operator=(TsLoadedSkin&&) noexcept;
};

// Where one load reads from: an options text, with the archive that holds its pictures when it
// came packed (without one, pictures are files in Data.SkinPath); or, for a skin stored the
// older way, the stored skin's collections. With neither, the readers read nothing.
struct TsSkinSource {
    const TMemIniFile* Options = nullptr;
    const TacSkinConvertor* Archive = nullptr;
    const TsStoredSkin* Stored = nullptr;
};

// What the manager brings to every load.
struct TsSkinSettings {
    // Extra sections merged into every skin; nullptr or empty for none.
    const TStrings* CommonSections = nullptr;
    // Stamped on every image record as the owner of the master bitmap.
    TsSkinManager* Manager = nullptr;
    int HueOffset = 0;
    int Saturation = 0;
};

// Releases the own bitmap of every image, last first, then the master bitmap.
void ClearMasks(TsMaskArray& masks, std::unique_ptr<TBitmap>& master) noexcept;
// Releases the picture of every pattern, last first.
void ClearPatterns(TsPatternArray& patterns) noexcept;

// The master bitmap and the image table, then the images of the common sections: grouped
// rectangles of the master and bitmap files from the skin's folder.
void ReadSkinImages(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin);
// The JPEG pictures the text names: below 90000 pixels each becomes a texture image appended to
// the image table, a larger one a pattern; then the common sections' JPEG files.
void ReadSkinPatterns(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin);
// The global values and the section table, the common sections merged in, each section's image
// indexes resolved, then the hue offset and the saturation applied to colours and images.
void ReadSectionData(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin);

// Finds skin.Name and runs the three readers: "<directory>\<name>.asz", else the folder
// "<directory>\<name>\Options.dat" (both only when fromDisk), else the internal skin of exactly
// that name, else the first internal skin. False when there is none. directory is resolved.
bool ReadSkin(const std::wstring& directory, bool fromDisk, const TsStoredSkins& internalSkins,
              const TsSkinSettings& settings, TsLoadedSkin& skin);

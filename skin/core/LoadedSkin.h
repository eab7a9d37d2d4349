#pragma once
// The readers that fill a new set of skin tables from an options text, in the order the manager
// runs them: images, patterns, then sections. The tables belong to a TsLoadedSkin, which the
// manager puts in place only when the whole skin has been read, so a skin that fails to load
// leaves the previous one as it was and a new skin keeps nothing of the previous one.
//
// The readers know pictures only through ks::SkinPlatform: the Windows loader (SkinLoader.h)
// gives GDI bitmaps made through the picture registry, and any other platform its own pictures,
// so the readers are the same wherever they run.
//
// Pictures are archive items (upper-cased name equal to the name the options text gives) or
// files beside the options text. A picture that is not there, or has no width, is skipped and
// the skin loses only that image. A picture its decoder refuses (or a file that is there but
// cannot be opened) stops the load with the decoder's error; a malformed number in an image
// value, or a strict global value that is not a number, stops it with EConvertError.
//
// A picture is decoded once per load however many keys name it, and the images of those keys
// share its bitmap. Each decoded picture is a GDI handle and its pixels, both of which the
// process may run out of: a load decodes at most TsSkinSource::MaxPictures pictures (default
// MaxSkinPictures, a few times what a large skin names, far below the system's 10,000 handles
// a process) and at most TsSkinSource::MaxPicturePixels pixels over all of them (default
// MaxSkinPicturePixels: a picture may have 16M pixels, and a skin's master bitmap, images and
// patterns together four times that). The picture that passes either stops the load with
// EInvalidGraphic (SkinLoadError::TooManyPictures, TooManyPixels).

#include "skin/core/acSkinPack.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sSkinOptions.h"
#include "vcl/IniFiles.h"

#include <cstdint>
#include <string>
#include <string_view>

class TMemoryStream;
class TStream;
class TsSkinManager;
class TsStoredSkin;

namespace ks {

enum class PictureFormat { Bmp, Png };

enum class SkinLoadError {
    None,
    TooManyPixels,   // the pictures decoded so far pass the load's MaxPicturePixels
    TooManyPictures, // the pictures decoded so far pass the load's MaxPictures
};

inline constexpr uint64_t MaxSkinPicturePixels = uint64_t{1} << 26;
inline constexpr uint64_t MaxSkinPictures = 2048;

// What the readers need of the platform's pictures and of its user interface. Decoders raise
// the project's Exception for bytes they refuse, and the load stops with it.
class SkinPlatform {
public:
    virtual ~SkinPlatform() = default;

    // A BMP in the format its file gives, or a PNG in the format of its pixels (32-bit with its
    // alpha when it has one); the stream is read from its position to its end.
    virtual GraphicPtr<TBitmap> DecodeBitmap(TStream& stream, PictureFormat format) const = 0;
    virtual GraphicPtr<TJPEGImage> DecodeJpeg(TStream& stream) const = 0;
    virtual TSize Size(const TBitmap& bmp) const = 0;
    virtual TSize Size(const TJPEGImage& jpeg) const = 0;
    virtual bool Is32Bit(const TBitmap& bmp) const = 0;
    virtual void To24Bit(TBitmap& bmp) const = 0;
    virtual PixelView View(TBitmap& bmp) const = 0;
    // A 24-bit bitmap, transparent with TransparentKeyColor: a copy of picture, or empty for
    // nullptr.
    virtual GraphicPtr<TBitmap> MasterBitmap(const TBitmap* picture) const = 0;
    // A bitmap of the JPEG picture's size with the picture drawn on it.
    virtual GraphicPtr<TBitmap> TextureOf(const TJPEGImage& jpeg) const = 0;
    // A white bitmap of the given size in the format of like.
    virtual GraphicPtr<TBitmap> NewBitmapLike(const TBitmap& like, int width, int height) const = 0;

    // System colours (top byte 0xFF) as the system paints them; other values unchanged.
    virtual TColor ColorToRGB(TColor color) const = 0;
    // Tells the user; the load goes on.
    virtual void ShowMessage(const std::wstring& text) const = 0;
    // Text in the system's ANSI code page, as stored skins' options are written where they are
    // not UTF-8.
    virtual std::wstring AnsiToWide(std::string_view bytes) const = 0;

    // A skin stored the older way, as collections in the form resource: its master bitmap and
    // image records, its patterns, and its global values and section records. Each returns
    // false for a platform that stores no such skins.
    virtual bool ReadStoredImages(const TsStoredSkin& stored, TsSkinManager* manager, TsMaskArray& masks,
                                  GraphicPtr<TBitmap>& master) const = 0;
    virtual bool ReadStoredPatterns(const TsStoredSkin& stored, TsPatternArray& patterns) const = 0;
    virtual bool ReadStoredSections(const TsStoredSkin& stored, TsSkinData& data, TsGeneralDataArray& table) const = 0;
};

} // namespace ks

// A skin being read.
struct TsLoadedSkin {
    // The name asked for; the first internal skin's name when that one is taken instead.
    std::wstring Name;
    TsSkinData Data;
    TsGeneralDataArray Sections;
    TsMaskArray Masks;
    TsPatternArray Patterns;
    GraphicPtr<TBitmap> Master{nullptr, nullptr};
    // The options text came from a packed archive (a file or an internal skin's data).
    bool FromArchive = false;
    // Pixels and pictures this load has decoded since ReadSkinImages began it, counted against
    // the source's MaxPicturePixels and MaxPictures.
    uint64_t PicturePixels = 0;
    uint64_t Pictures = 0;
};

// Where one load reads from: an options text, with the archive that holds its pictures when it
// came packed (without one, pictures are files in Data.SkinPath); or, for a skin stored the
// older way, the stored skin's collections. With neither, or without a platform, the readers
// read nothing.
struct TsSkinSource {
    const TMemIniFile* Options = nullptr;
    const TacSkinConvertor* Archive = nullptr;
    const TsStoredSkin* Stored = nullptr;
    const ks::SkinPlatform* Platform = nullptr;
    uint64_t MaxPicturePixels = ks::MaxSkinPicturePixels;
    uint64_t MaxPictures = ks::MaxSkinPictures;
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

// The limits of one load's archive and options text (acSkinPack.h and IniFiles.h give the
// defaults and their reasons); fuzz targets pass lower ones.
struct TsSkinReadLimits {
    TacSkinConvertor::Limits Archive;
    ks::IniLimits Options;
    uint64_t MaxPicturePixels = ks::MaxSkinPicturePixels;
    uint64_t MaxPictures = ks::MaxSkinPictures;
};

// Releases the own bitmap of every image, last first, then the master bitmap.
void ClearMasks(TsMaskArray& masks, GraphicPtr<TBitmap>& master) noexcept;
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

// Reads skin.Name from the resolved directory: the packed file "<directory>\<name>.asz" when it
// exists, else the folder "<directory>\<name>" when its "Options.dat" exists; then the three
// readers. False, with nothing read, when there is neither.
bool ReadSkinFromDisk(const std::wstring& directory, const ks::SkinPlatform& platform,
                      const TsSkinSettings& settings, TsLoadedSkin& skin, const TsSkinReadLimits& limits = {});
// Reads an internal skin's packed data, which the archive reader only borrows: the options text
// and the pictures come from the archive.
void ReadPackedSkin(TMemoryStream& data, const ks::SkinPlatform& platform, const TsSkinSettings& settings,
                    TsLoadedSkin& skin, const TsSkinReadLimits& limits = {});

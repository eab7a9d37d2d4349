#pragma once
// The records a loaded skin is kept in: one TsGeneralData per skin section, one TsMaskData per
// skin image, one TsPatternData per large texture picture. The skin manager owns the three
// tables; an index into any of them is an int, and -1 means none throughout the engine.
// Records are appended in reading order and never reordered while a skin is loaded.

#include "skin/core/sConst.h"
#include "skin/core/sGradient.h"
#include "vcl/GraphicsTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TBitmap;
class TJPEGImage;
class TsSkinManager;

// An owned graphic. The deleter travels with the pointer because this portable header knows
// the graphics classes only by name: OwnGraphic is instantiated by the Windows code that makes
// the graphic, where its type is complete.
template <class T>
using GraphicPtr = std::unique_ptr<T, void (*)(T*)>;

template <class T>
GraphicPtr<T> OwnGraphic(T* graphic)
{
    return GraphicPtr<T>(graphic, [](T* g) { delete g; });
}

// Font colours: [0] the text, [1..4] its contour on the left, top, right and bottom; -1 = none.
using TsFontColors = std::array<TColor, 5>;

struct TsGeneralData {
    // Lookups fall back to this section (never inherited itself).
    std::string ParentClass;
    // As written in the options text.
    std::string SectionName;
    // Normal state; system colours are resolved to RGB when read.
    TColor Color = clWhite;
    TsFontColors FontColor{0, -1, -1, -1, -1};
    TsFontColors HotFontColor{0, -1, -1, -1, -1};
    bool GiveOwnFont = false;
    int GlowCount = 0;
    // Pixels by which the glow is pulled in on each side.
    int GlowMargin = 0;
    bool ReservedBoolean = false;
    // Percent, 0..100.
    int Transparency = 0;
    int GradientPercent = 0;
    // One blank means "no gradient".
    std::string GradientData = " ";
    TsGradArray GradientArray;
    int ImagePercent = 0;
    bool ShowFocus = false;
    bool FadingEnabled = false;
    int FadingIterations = 5;
    // Stored as read: system colours are not resolved for the hot state.
    TColor HotColor = clWhite;
    int HotTransparency = 0;
    int HotGradientPercent = 0;
    std::string HotGradientData;
    TsGradArray HotGradientArray;
    int HotImagePercent = 0;
    // Indexes into the mask table of the section's "BORDERSMASK" and corner images, computed
    // by the skin manager after every load.
    int BorderIndex = -1;
    int ImgTopLeft = -1;
    int ImgTopRight = -1;
    int ImgBottomLeft = -1;
    int ImgBottomRight = -1;
};

using TsGeneralDataArray = std::vector<TsGeneralData>;

struct TsMaskData {
    // The image's own bitmap; none when the image is a rectangle of the master bitmap. Images
    // whose values name the same picture share its one bitmap (a skin may name a picture
    // thousands of times, and each bitmap is a GDI handle).
    std::shared_ptr<TBitmap> Bmp;
    std::string SectionName;
    // The key the image was given under ("BORDERSMASK", "GLYPHMASK", "PATTERN" ...).
    std::string PropertyName;
    // Where the image lies: in the master bitmap, or (0, 0, width, height) of Bmp.
    TRect R;
    // Cells side by side, one per state.
    int16_t ImageCount = 0;
    // Rows below the picture row (0 none, 1 a mask row); the image has MaskType + 1 rows.
    int16_t MaskType = 0;
    // One width for all sides, used where a side width is 0.
    int16_t BorderWidth = 0;
    // Draw-mode bits read by the painters.
    int16_t StretchMode = 0;
    TacImgType ImgType = itisaBorder;
    // The manager that loaded the image and owns the master bitmap; not owned.
    TsSkinManager* Manager = nullptr;
    int16_t WL = 0;
    int16_t WT = 0;
    int16_t WR = 0;
    int16_t WB = 0;
};

using TsMaskArray = std::vector<TsMaskData>;

struct TsPatternData {
    GraphicPtr<TJPEGImage> Img{nullptr, nullptr};
    // Both stored in upper case.
    std::string SectionName;
    std::string PropertyName;
};

using TsPatternArray = std::vector<TsPatternData>;

// Width of one cell: the rectangle's width divided by ImageCount, truncated toward zero; 0 when
// ImageCount is 0. Painters, frames and dialogs rely on exactly this: a negative width gives a
// negative cell, nothing is clamped.
int MaskCellWidth(const TsMaskData& mask) noexcept;
// Height of one row: the rectangle's height divided by MaskType + 1; 0 when MaskType is -1.
int MaskCellHeight(const TsMaskData& mask) noexcept;

// The class list each kind of foreign control starts with, by kind index (0 edits, 1 buttons,
// ... 17 speed buttons), one class name per line. A single blank is a list whose one line
// matches no class name, so only the platform's push button is taken over by default.
inline constexpr int ThirdKindCount = 18;
extern const std::array<std::string_view, ThirdKindCount> DefaultThirdLists;
// The name of each kind of foreign control, by the same index ("Edit", "Button" ...).
extern const std::array<std::string_view, ThirdKindCount> ThirdKindNames;

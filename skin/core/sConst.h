#pragma once
// Types and process-wide values every part of the skin engine shares: the enumerations of
// published properties and events, the transparent key colour, the empty background record,
// and the control kind codes with the default section and the behaviours each kind implies.

#include "skin/pixels/PixelCore.h"
#include "vcl/Classes.h"
#include "vcl/GraphicsTypes.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class TBitmap;

using TAOR = std::vector<TRect>;

// Lets user code paint into a control's cache bitmap.
using TBmpPaintEvent = TDelegate<void(TObject* Sender, TBitmap* Bmp)>;

enum TacAnimType { atFading, atAero };
enum TacBtnEvent { beMouseEnter, beMouseLeave, beMouseDown, beMouseUp };
using TacBtnEvents = ks::Set<TacBtnEvent>;
// aeGlobalDef takes the skin manager's setting.
enum TacAnimatEvent { aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp, aeGlobalDef };
using TacAnimatEvents = ks::Set<TacAnimatEvent>;
// The kind of a skin image record; stored skins and image values carry these numbers.
enum TacImgType : uint8_t { itisaBorder, itisaTexture, itisaGlyph, itisaGlow, itisaPngGlyph };
enum TsHintStyle { hsSimply, hsComics, hsEllipse, hsBalloon, hsStandard, hsNone };
enum TsHintsPredefinitions {
    shSimply, shGradient, shTransparent, shEllipse, shBalloon, shComicsGradient,
    shComicsTransparent, shStandard, shNone, shCustom
};
enum TsDisabledGlyphKindItem { dgBlended, dgGrayed };
using TsDisabledGlyphKind = ks::Set<TsDisabledGlyphKindItem>;
enum TsDisabledKindItem { dkBlended, dkGrayed };
using TsDisabledKind = ks::Set<TsDisabledKindItem>;
// The skinned controls publish their DisabledKind and AnimatEvents.
namespace ks {
template <class E>
struct EnumTraits;
}
template <>
struct ks::EnumTraits<TsDisabledKindItem> {
    static constexpr const char* Names[] = {"dkBlended", "dkGrayed"};
};
template <>
struct ks::EnumTraits<TacAnimatEvent> {
    static constexpr const char* Names[] = {"aeMouseEnter", "aeMouseLeave", "aeMouseDown", "aeMouseUp", "aeGlobalDef"};
};
enum TsCaptionLayout { sclLeft, sclTopLeft, sclTopCenter, sclTopRight };

// TransparentKeyColor, the colour of transparent pixels in masks and glyphs and the answer that
// means "no colour", belongs to the pixel layer, whose keyed and masked loops compare with it.

// The ready form of a background handed to every painter. Bmp is borrowed from the parent.
struct CacheInfo {
    TBitmap* Bmp = nullptr;
    int X = 0;
    int Y = 0;
    // TransparentKeyColor when there is no colour either.
    TColor FillColor = TransparentKeyColor;
    // Bmp, X and Y are valid.
    bool Ready = false;
};

// What painters get when there is no parent background. Painters copy it; nothing changes it.
inline constexpr CacheInfo NoBackgroundCacheInfo{nullptr, -99, -99, 0, false};

// A ready background taken from bmp at (x, y).
constexpr CacheInfo CacheInfoFromBitmap(TBitmap* bmp, int x, int y) noexcept
{
    return {bmp, x, y, TransparentKeyColor, true};
}

// Width of the arrow button of a horizontal scroll bar: the system metric, read by the skin
// manager's unit start-up (InitializeSkinManagerUnit); 21 until then, what the engine was laid
// out for.
extern int HScrollHeight;

// ---- Control kinds --------------------------------------------------------------------------
// Each skinned control, adapter and provider stores a small kind code in its skin data. The
// code chooses the default skin section and whether hover makes the control hot, glow, or
// repaint its frame at once. Codes above 255 belong to no set.

inline constexpr int ckEdit = 3;
inline constexpr int ckMemo = 7;
inline constexpr int ckCheckBox = 32;
inline constexpr int ckGroupBox = 74;
inline constexpr int ckSpeedButton = 92;
inline constexpr int ckButton = 93;
inline constexpr int ckFrameAdapter = 226;
inline constexpr int ckProviderAdapted = 227;

// 256 bits, bit k of byte k / 8 standing for kind k.
class TacKindSet {
public:
    struct Range {
        int First;
        int Last;
    };

    constexpr TacKindSet(std::initializer_list<Range> ranges) noexcept
    {
        for (const Range& r : ranges)
            for (int k = r.First; k <= r.Last; ++k)
                FBits[static_cast<size_t>(k) / 8] |= static_cast<uint8_t>(1u << (k % 8));
    }

    constexpr bool Contains(int kind) const noexcept
    {
        return kind >= 0 && kind <= 255 && (FBits[static_cast<size_t>(kind) / 8] >> (kind % 8)) & 1;
    }

private:
    std::array<uint8_t, 32> FBits{};
};

// The mouse over a control of these kinds never makes it hot.
inline constexpr TacKindSet NeverHotKinds{{19, 19}, {51, 74}, {110, 110}, {141, 161}};
// These kinds get no glow on hover.
inline constexpr TacKindSet NoGlowKinds{{51, 52}, {54, 54}, {56, 60}, {68, 68}, {73, 74},
    {110, 110}, {141, 141}, {143, 143}, {151, 151}, {161, 161}, {226, 226}};
// These kinds repaint their frame at once when focus or hover changes.
inline constexpr TacKindSet FrameRepaintKinds{{2, 18}, {41, 41}, {76, 84}, {96, 97}, {131, 140}};

// The shared hover handler shows the glow for a kind outside NoGlowKinds, except for the
// buttons (92 to 94), which draw their own.
constexpr bool KindGetsHoverGlow(int kind) noexcept
{
    return !NoGlowKinds.Contains(kind) && !(kind >= 92 && kind <= 94);
}

// The section a control of this kind takes when none is named; for kinds without one of their
// own (0 included) the owner's class name, upper-cased as the section setter stores it.
std::string DefaultSectionOfKind(int kind, std::string_view ownerClassName);

#pragma once
// Putting a button's picture into its skin cache: the glyph of a skinned speed button, from its
// glyph bitmap (state cells, or one 32-bit cell with alpha) or its image list, with the pressed,
// hot, disabled, grey, semi-transparent and reflected looks; and a toolbar button's image. The
// buttons hand over what the painters read as records, so that the painters do not depend on
// the button classes. Nothing here raises for missing pictures, out-of-range indexes or empty
// lists: it draws nothing then.

#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"
#include "vcl/Graphics.h"

#include <memory>

class TCustomImageList;
class TsCommonData;

// What the glyph painter reads of a speed button.
struct TacButtonGlyph {
    TCustomImageList* Images = nullptr;
    // Empty or nullptr: the image list is used.
    TBitmap* Glyph = nullptr;
    int ImageIndex = -1;
    // The button's skin data: its cache is the target, its section gives the grey tint.
    TsCommonData* SkinData = nullptr;
    // Where the glyph goes in the button.
    TRect R;
    // Cells side by side in Glyph; values below 1 count as 1.
    int NumGlyphs = 1;
    bool Enabled = true;
    // 0..100: how far the glyph lets the background through in the normal state.
    int Blend = 0;
    // The platform button state: 0 up, 1 disabled, 2 down, 3 exclusive.
    int FState = 0;
    bool Grayed = false;
    // 0 normal, 1 hot, 2 pressed.
    int StateIndex = 0;
    TsDisabledGlyphKind DisabledGlyphKind{dgBlended};
    bool Reflected = false;
};

// Draws the glyph on canvas, or, for nullptr, into the button's cache.
void PaintButtonGlyph(const TacButtonGlyph& button, TCanvas* canvas);

// What the toolbar image painter reads of a toolbar and one of its buttons.
struct TacToolButtonGlyph {
    TCustomImageList* Images = nullptr;
    TCustomImageList* HotImages = nullptr;
    // Images left of the caption.
    bool List = false;
    bool ShowCaptions = false;
    bool DropDown = false;
    int ImageIndex = -1;
    TSize ButtonSize;
    // The custom-draw item state (CDIS_* bits).
    UINT ItemState = 0;
};

// Draws the button's image into dest, moved by (1, 1) when pressed.
void PaintImageListGlyph(const TacToolButtonGlyph& button, TBitmap& dest);

// Image index of list as a 24-bit bitmap of the list's image size over the list's BkColor
// (TransparentKeyColor for clNone); nullptr for no list or an index outside it.
std::unique_ptr<TBitmap> GetImageListBitmap(TCustomImageList* list, int index);
// The list's image count, 0 for nullptr.
int ImageListCount(const TCustomImageList* list) noexcept;

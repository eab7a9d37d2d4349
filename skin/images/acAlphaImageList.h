#pragma once
// TsAlphaImageList: an image list for glyphs with per-pixel alpha. It keeps the bytes of every
// image file (PNG or icon) in Items (ImageListItems.h), which stream with the form, and builds a
// 32-bit masked system list from them. DrawAlphaImgList and DrawAlphaImgListDC draw one glyph
// cell of any image list, alpha-blended for this class. The unit also repairs the alpha of
// images that come without it, and loads the engine's embedded glyphs.

#include "skin/images/ImageListItems.h"
#include "vcl/Bitmap.h"
#include "vcl/ImgList.h"

#include <memory>

class TsAlphaImageList : public TImageList {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsAlphaImageList(TComponent* owner);
    ~TsAlphaImageList() override;

    void AfterConstruction() override;

    TsImgListItems* Items() const noexcept { return FItems.get(); }
    // Assigns items to the list's own collection.
    void SetItems(TsImgListItems* items);
    // True once the system list has been built from Items.
    bool ItemsApplied() const noexcept { return FItemsApplied; }
    // Items keep their bytes after the system list is built from them (True from the start).
    bool StoreItemData() const noexcept { return FStoreItemData; }
    void SetStoreItemData(bool store) noexcept { FStoreItemData = store; }

    // From another TsAlphaImageList: its settings and images (Items too when this list keeps
    // them). nullptr releases the system list. Anything else raises as TPersistent does.
    void Assign(const TPersistent* source) override;

    // Rebuilds the system list from Items. A PNG item that does not decode raises the decoder's
    // exception and leaves the system list as it was.
    void GenerateStdList();
    // Image index as a 32-bit bitmap with alpha: a PNG item from its own pixels (resampled to
    // bmp's current size when the list's size differs), any other image from the system list
    // (bmp then takes the list's size). False without a system list, bitmap or such an image.
    // A PNG item that does not decode raises the decoder's exception.
    bool GetBitmap32(int index, TBitmap* bmp);

    // Keeps the system list in step with Items: a list with fewer images than Items is rebuilt;
    // images added directly that have no alpha get it from their colours (TransparentKeyColor
    // transparent, everything else opaque).
    void Change() override;

protected:
    void Loaded() override;
    void DefineProperties(TFiler& filer) override;
    // At the list's size, ignoring style and enabled state.
    void DoDraw(int index, TCanvas& canvas, int x, int y, UINT style, bool enabled) override;
    UINT CreationFlags() const noexcept override;

private:
    bool UseItems() const noexcept;
    void RepairAlpha();

    std::unique_ptr<TsImgListItems> FItems;
    bool FItemsApplied = false;
    bool FChangeLock = false;
    bool FStoreItemData = true;
};

// A 32-bit bitmap without any alpha gets it from its colours: pixels of the bottom-left pixel's
// colour stay transparent, all others become opaque. Bitmaps with some alpha, of another format
// or smaller than 2 x 2 are left as they are.
void RepairAlphaByCorner(TBitmap& bmp);

// Draws glyph cell currentGlyph (of numGlyphs side by side in each image) of image imageIndex
// into dst at (x, y): a TsAlphaImageList blended by alpha (transparency 0..100, blendColor
// tints unless clNone, reflected mirrors it below), any other list drawn as it draws itself.
// numGlyphs below 1 counts as 1 and currentGlyph is held inside 0 .. numGlyphs - 1; columns
// beyond numGlyphs whole cells are never drawn. Returns the cell's size, 0 x 0 when nothing can
// be drawn. Never raises for an image that does not decode: it draws nothing then.
TSize DrawAlphaImgList(TCustomImageList* list, TBitmap& dst, int x, int y, int imageIndex, int transparency,
                       TColor blendColor, int currentGlyph, int numGlyphs, bool reflected);
// The same onto a device context, through a 24-bit work bitmap of the list's size (and half its
// height again below it when reflected).
void DrawAlphaImgListDC(TCustomImageList* list, HDC dc, int x, int y, int imageIndex, int transparency,
                        TColor blendColor, int currentGlyph, int numGlyphs, bool reflected);

// Bits per pixel of the screen.
int ColorDepth();

// The engine's glyphs, embedded in the program as the PNG resources "SF", "SR", "SD", "SE" and
// "SC" in this order, as a 48 x 16 image list owned by owner. Raises as LoadPngResource does.
TsAlphaImageList* LoadEngineGlyphs(TComponent* owner);

// The engine's glyph list as the program's start-up loads it (LoadEngineGlyphList, from the unit
// table) until FreeEngineGlyphList; nullptr outside that time.
TsAlphaImageList* EngineGlyphs() noexcept;
// Raises as LoadEngineGlyphs does, leaving no list behind.
void LoadEngineGlyphList();
void FreeEngineGlyphList() noexcept;

// Registers TsAlphaImageList with the form reader. Calls nest.
void InitializeAcAlphaImageList();

#pragma once
// The skinned check box. It keeps the platform button window for focus, keyboard and the check
// state, but while a skin is active paints itself whole from its cache: the parent's background,
// the CHECKBOX section, the caption in the section's font colours and the check glyph, taken
// from an image list, from its own pair of bitmaps or from the skin's BOXCHECKED, BOXUNCHECKED
// and BOXGRAYED images. Hovering and pressing cross-fade between the looks, and the box sizes
// itself to its glyph and caption. Without an active skin it is the plain check box.

#include "skin/controls/ButtonLook.h"
#include "skin/controls/sFade.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "vcl/Bitmap.h"
#include "vcl/ImgList.h"
#include "vcl/StdCtrls.h"

#include <memory>

class TsCommonData;
class TCustomImageList;

class TsCheckBox : public TCheckBox {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsCheckBox(TComponent* owner);
    ~TsCheckBox() override;

    TsCommonData* SkinData() const noexcept { return FSkinData.get(); }
    // taRightJustify: glyph at the left, caption to its right; anything else the other way.
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool value);
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    TBitmap* GlyphChecked() const noexcept { return FGlyphChecked.get(); }
    void SetGlyphChecked(TBitmap* value);
    TBitmap* GlyphUnChecked() const noexcept { return FGlyphUnChecked.get(); }
    void SetGlyphUnChecked(TBitmap* value);
    int TextIndent() const noexcept { return FTextIndent; }
    void SetTextIndent(int value);
    bool ShowFocus() const noexcept { return FShowFocus; }
    void SetShowFocus(bool value);
    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value);
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    int ImgChecked() const noexcept { return FImgChecked; }
    void SetImgChecked(int value);
    int ImgUnchecked() const noexcept { return FImgUnchecked; }
    void SetImgUnchecked(int value);
    TacAnimatEvents AnimatEvents() const noexcept { return FAnimatEvents; }
    void SetAnimatEvents(TacAnimatEvents value) noexcept { FAnimatEvents = value; }
    virtual bool GetReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool value) noexcept { FReadOnly = value; }

    // The left button or the space key is down on the box.
    bool Pressed() const noexcept { return FPressed; }
    TsFadeTimer* FadeTimer() const noexcept { return FFadeTimer; }

    // Where the glyph goes, from the glyph's source; (0, 0, 16, 16) when the skin has none.
    TRect CheckRect();
    // The glyph at the right for taLeftJustify, mirrored for right-to-left reading.
    TAlignment GetControlsAlignment() const noexcept;
    // The size the box takes to show its glyph and caption; false leaves the size as it is.
    bool CanAutoSize(int& newWidth, int& newHeight);
    void AdjustSize();

    void AfterConstruction() override;
    void Loaded() override;
    void BeforeDestruction() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

    // Rebuilds the whole cache image for the current state.
    void PrepareCache();

protected:
    void CreateWnd() override;
    void ActionChange(TObject* sender, bool checkDefaults) override;

private:
    bool Hot() const noexcept;
    // 2 pressed, 1 hot, 0 otherwise, limited to the cells there are.
    int CellIndex(int cells) const noexcept;
    bool ImageListSource() const noexcept;
    bool OwnGlyphSource() const noexcept;
    TBitmap* CurrentGlyph() const noexcept;
    int GlyphMaskIndex() const noexcept;
    TSize GlyphCellSize() const noexcept;
    TRect PlaceGlyph(int width, int height) const noexcept;
    void DrawCheckText();
    void DrawImgGlyph();
    void DrawStripCell(TBitmap& strip, int cell);
    void PaintToDC(HDC dc);
    // What the cache image shows besides the skin, the caption, the glyphs and the parent's
    // background: a change of any of it since the window was last painted rebuilds the cache.
    struct Look : TsButtonLook {
        bool hot = false, pressed = false;
        TCheckBoxState state = cbUnchecked;
        TAlignment alignment = taLeftJustify;
        bool showFocus = false;
        int margin = 0, textIndent = 0;
        TsDisabledKind disabledKind;
        // The glyphs' pictures themselves tell the box when they change (GlyphPictureChanged).
        const TCustomImageList* images = nullptr;
        int imgChecked = 0, imgUnchecked = 0;
        bool operator==(const Look&) const = default;
    };
    Look LookNow() const;
    void WMPaint(HDC given);
    bool SkinCommand(TMessage& m);
    // The skin commands, each true when the command is done with.
    static bool AnswerCommand(ks::SkinCommandView view, LRESULT answer);
    bool StopFadeCommand();
    bool PrepareCacheCommand();
    bool NewSkinCommand(ks::SkinCommandView view);
    bool RemoveSkinCommand(ks::SkinCommandView view);
    bool RefreshCommand(ks::SkinCommandView view);
    bool ParentUpdatedCommand();
    bool SkinnedMessage(TMessage& m);
    void UnskinnedMessage(TMessage& m);
    void FocusBox();
    void GlyphChanged();
    // The glyph bitmaps and the image list changed in place (loaded, assigned, added to).
    void GlyphPictureChanged(TObject* sender);

    std::unique_ptr<TsCommonData> FSkinData;
    TAlignment FAlignment = taRightJustify;
    bool FAutoSize = true;
    TsDisabledKind FDisabledKind{dkBlended};
    std::unique_ptr<TBitmap> FGlyphUnChecked;
    std::unique_ptr<TBitmap> FGlyphChecked;
    int FTextIndent = 0;
    bool FPressed = false;
    bool FShowFocus = true;
    int FMargin = 2;
    TsFadeTimer* FFadeTimer = nullptr;
    TCustomImageList* FImages = nullptr;
    TChangeLink FImagesLink;
    int FImgChecked = 0;
    int FImgUnchecked = 0;
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
    bool FReadOnly = false;
    // The look the window was last painted in; the frame's corners follow every rebuild.
    TsPaintedLook<Look> FPaintedLook;
};

// Makes TsCheckBox known to the form reader.
void InitializeSCheckBoxUnit();

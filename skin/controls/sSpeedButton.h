#pragma once
// The skinned speed button: a windowless button painted from its section (SPEEDBUTTON by
// default) through its cache: background and border in the normal, hot or pressed state, its
// glyph (from Glyph or an image list) and caption placed by Layout and Alignment, a 16-pixel
// drop-down arrow area, separator and divider styles, and fades on hover and press. Without an
// active skin it is the plain speed button.

#include "skin/controls/sFade.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "vcl/Buttons.h"
#include "vcl/ComCtrls.h"
#include "vcl/StdCtrls.h"

#include <memory>

class TCustomImageList;
class TPopupMenu;
class TsCommonData;

template <>
struct ks::EnumTraits<TsDisabledGlyphKindItem> {
    static constexpr const char* Names[] = {"dgBlended", "dgGrayed"};
};

class TsSpeedButton : public TSpeedButton {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsSpeedButton(TComponent* owner);
    ~TsSpeedButton() override;

    TsCommonData* SkinData() const noexcept { return FSkinData.get(); }
    TsAnimTimer* FadeTimer() const noexcept { return FFadeTimer; }

    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    TsDisabledGlyphKind DisabledGlyphKind() const noexcept { return FDisabledGlyphKind; }
    void SetDisabledGlyphKind(TsDisabledGlyphKind value);
    bool Grayed() const noexcept { return FGrayed; }
    void SetGrayed(bool value);
    int Blend() const noexcept { return FBlend; }
    void SetBlend(int value);
    int TextOffset() const noexcept { return FTextOffset; }
    void SetTextOffset(int value);
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    bool ShowCaption() const noexcept { return FShowCaption; }
    void SetShowCaption(bool value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    TToolButtonStyle ButtonStyle() const noexcept { return FButtonStyle; }
    void SetButtonStyle(TToolButtonStyle value);
    bool DrawOverBorder() const noexcept { return FDrawOverBorder; }
    void SetDrawOverBorder(bool value);
    TAlignment TextAlignment() const noexcept { return FTextAlignment; }
    void SetTextAlignment(TAlignment value);
    TacAnimatEvents AnimatEvents() const noexcept { return FAnimatEvents; }
    void SetAnimatEvents(TacAnimatEvents value) noexcept { FAnimatEvents = value; }
    bool Reflected() const noexcept { return FReflected; }
    void SetReflected(bool value);
    // Opened by a press on the arrow area of a tbsDropDown button (or anywhere on one without
    // an OnClick handler).
    // Called with the cache image once it is painted, before it goes to the screen.
    TBmpPaintEvent OnPaint() const noexcept { return FOnPaint; }
    void SetOnPaint(TBmpPaintEvent handler) noexcept { FOnPaint = handler; }
    TPopupMenu* DropdownMenu() const noexcept { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* value);
    // The drop-down menu is open.
    bool DropdownPressed() const noexcept { return FDropdownPressed; }

    void AfterConstruction() override;
    void Loaded() override;
    void BeforeDestruction() override;
    void WndProc(TMessage& message) override;
    void Invalidate() override;

    // 0 normal, 1 hot, 2 down.
    virtual int StateIndex();
    virtual int GlyphWidth();
    virtual int GlyphHeight();
    virtual TRect CaptionRect();
    virtual TRect GlyphRect();
    // Rebuilds the cache; false when the button's OnPaint freed it.
    virtual bool PrepareCache();
    bool HasImage() const noexcept;
    int ArrowWidth() const noexcept { return FButtonStyle == tbsDropDown ? 16 : 0; }
    // Rebuilds the cache when it is out of date and shows it (or the fade's frame) at once.
    void Redraw();
    void StopFade();

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Paint() override;
    virtual void PaintPlain();
    virtual void DoDrawText(TRect& r, UINT flags);
    virtual void DrawCaption();
    virtual TSize CaptionExtent();
    virtual void DrawGlyph();
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void ActionChange(TObject* sender, bool checkDefaults) override;

private:
    int MaxCaptionWidth();
    void Changed();
    void StartStateFade(bool press, bool allowed);
    void OpenDropdown();
    void SkinGlyphChanged(TObject* sender);
    // The skin's picture of the button in its cache, before the application's OnPaint.
    void PaintLook(const CacheInfo& ci);
    // Windowless siblings above the button that overlap it, painted into its cache. False when
    // their painting freed the button.
    bool PaintOverlappingSiblings();
    void StartFade(bool press);
    void PaintArea(const TRect& r, int state, const CacheInfo& ci);
    void FillFromParent(const CacheInfo& ci);
    void ShowPicture(TBitmap& picture);
    bool SkinCommand(TMessage& m);
    // The skin commands, each true when the command is done with.
    static bool AnswerCommand(ks::SkinCommandView view, LRESULT answer);
    bool ParentUpdatedCommand();
    bool NewSkinCommand(ks::SkinCommandView view);
    bool RemoveSkinCommand(ks::SkinCommandView view);
    bool RefreshCommand(ks::SkinCommandView view);
    bool RepaintNowCommand();
    bool StopFadeCommand();
    bool SectionChangedCommand();
    bool SkinnedBefore(TMessage& m);
    // Calls the button's OnMouseEnter or OnMouseLeave; false when the handler freed the button.
    bool RunMouseEvent(const TNotifyEvent& event);

    std::unique_ptr<TsCommonData> FSkinData;
    TsDisabledKind FDisabledKind{dkBlended};
    TsAnimTimer* FFadeTimer = nullptr;
    TsDisabledGlyphKind FDisabledGlyphKind{dgBlended};
    bool FGrayed = false;
    int FBlend = 0;
    int FTextOffset = 0;
    int FImageIndex = -1;
    TCustomImageList* FImages = nullptr;
    bool FShowCaption = true;
    TAlignment FAlignment = taCenter;
    TToolButtonStyle FButtonStyle = tbsButton;
    bool FDrawOverBorder = true;
    TAlignment FTextAlignment = taCenter;
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
    bool FReflected = false;
    TPopupMenu* FDropdownMenu = nullptr;
    TBmpPaintEvent FOnPaint;
    bool FDropdownPressed = false;
    bool FLastDown = false;
    int FLastNumGlyphs = 1;
    int FLastSpacing = 4;
    // The colours behind and of the button that no message tells it about (ButtonLook.h).
    TColor FLastParentColour = clNone;
    TColor FLastOwnColour = clNone;
    TButtonLayout FLastLayout = blGlyphLeft;
    int FLastMargin = -1;
    std::wstring FStoredCaption;
    TNotifyEvent FOldGlyphChange;
};

// Makes TsSpeedButton known to the form reader and to the skin core.
void InitializeSSpeedButtonUnit();

#pragma once
// TSpeedButton: a windowless button that may stay down, alone (AllowAllUp) or as one of a group
// of its parent's buttons with the same GroupIndex, of which at most one is down.
// TBitBtn: a push button that draws itself (an owner-drawn BUTTON window) with a glyph beside
// its caption.

#include "vcl/Bitmap.h"
#include "vcl/Controls.h"
#include "vcl/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

template <>
struct ks::EnumTraits<TButtonLayout> {
    static constexpr const char* Names[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
};
template <>
struct ks::EnumTraits<TBitBtnKind> {
    static constexpr const char* Names[] = {"bkCustom", "bkOK",    "bkCancel", "bkHelp",   "bkYes", "bkNo",
                                            "bkClose",  "bkAbort", "bkRetry",  "bkIgnore", "bkAll"};
};

// Where a glyph and a caption go in a client: side by side (left, right) or one above the other
// (top, bottom), centred across. A Margin of -1 centres the pair; a Spacing of -1 spreads the
// free room evenly. Without a glyph or a caption there is no spacing.
struct TButtonLayoutResult {
    TPoint glyph;
    TRect caption;
};
TButtonLayoutResult CalcButtonLayout(TSize client, TSize glyph, TSize text, TButtonLayout layout, int margin,
                                     int spacing) noexcept;

class TSpeedButton : public TGraphicControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TSpeedButton(TComponent* owner);

    bool Down() const noexcept { return FDown; }
    // Without a group the button never stays down; the down button of a group without
    // AllowAllUp comes up only when another one goes down.
    void SetDown(bool value);
    int GroupIndex() const noexcept { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const noexcept { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    TButtonLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value);
    int Spacing() const noexcept { return FSpacing; }
    void SetSpacing(int value);
    bool Flat() const noexcept { return FFlat; }
    void SetFlat(bool value);
    bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool value);
    TBitmap* Glyph() const noexcept { return FGlyph.get(); }
    void SetGlyph(TBitmap* value) { FGlyph->Assign(value); }
    int NumGlyphs() const noexcept { return FNumGlyphs; }
    void SetNumGlyphs(int value);
    TButtonState State() const noexcept { return FState; }

    void Click() override;
    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void GlyphChanged(TObject* sender);

    TButtonState FState = bsUp;
    bool FDragging = false;

private:
    void UpdateExclusive();
    void ButtonPressed(TMessage& m);

    std::unique_ptr<TBitmap> FGlyph;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FFlat = false;
    bool FTransparent = true;
    int FNumGlyphs = 1;
};

class TBitBtn : public TButton {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    // NumGlyphs cells side by side, each keyed by its bottom-left pixel (a single 32-bit cell
    // draws with its alpha): up, disabled, pressed, down.
    TBitmap* Glyph() const noexcept { return FGlyph.get(); }
    void SetGlyph(TBitmap* value) { FGlyph->Assign(value); }
    int NumGlyphs() const noexcept { return FNumGlyphs; }
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value);
    int Spacing() const noexcept { return FSpacing; }
    void SetSpacing(int value);
    // A standard kind gives the button its caption and modal result (OK and Yes press on
    // Enter, Cancel and No on Escape); Close closes the form.
    TBitBtnKind Kind() const noexcept { return FKind; }
    void SetKind(TBitBtnKind value);

    void Click() override;
    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // The window keeps its owner-drawn style; the default look is drawn instead.
    void SetButtonStyle(bool isDefault) override;

private:
    void GlyphChanged(TObject* sender);
    void DrawItem(const DRAWITEMSTRUCT& item);
    void DrawGlyphCell(HDC dc, TPoint at, bool pushed, bool enabled);

    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    TBitBtnKind FKind = bkCustom;
    // Drawn as the button Enter presses.
    bool FIsFocused = false;
};

// Registers the buttons for the form reader.
void InitializeButtonsUnit();

#pragma once
// TSpeedButton: a windowless button that may stay down, alone (AllowAllUp) or as one of a group
// of its parent's buttons with the same GroupIndex, of which at most one is down.

#include "vcl/Bitmap.h"
#include "vcl/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

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

void InitializeButtonsUnit();

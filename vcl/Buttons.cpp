#include "vcl/Buttons.h"

#include "vcl/WinControl.h"

const ks::ClassInfo TSpeedButton::StaticClassInfo{"TSpeedButton", &TGraphicControl::StaticClassInfo, {}, {}};
const ks::ClassInfo& TSpeedButton::ClassInfo() const noexcept { return StaticClassInfo; }

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 23, 22);
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
    FGlyph->SetOnChange(TNotifyEvent(this, &TSpeedButton::GlyphChanged));
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::GlyphChanged(TObject*)
{
    Invalidate();
}

void TSpeedButton::SetDown(bool value)
{
    if (FGroupIndex == 0)
        value = false;
    if (value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = value;
    if (value) {
        if (FState == bsUp)
            Invalidate();
        FState = bsExclusive;
    } else {
        FState = bsUp;
        Repaint();
    }
    if (value)
        UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int value)
{
    if (value == FGroupIndex)
        return;
    FGroupIndex = value;
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value)
{
    if (value == FAllowAllUp)
        return;
    FAllowAllUp = value;
    UpdateExclusive();
}

void TSpeedButton::SetLayout(TButtonLayout value)
{
    if (value != FLayout) { FLayout = value; Invalidate(); }
}
void TSpeedButton::SetMargin(int value)
{
    if (value != FMargin && value >= -1) { FMargin = value; Invalidate(); }
}
void TSpeedButton::SetSpacing(int value)
{
    if (value != FSpacing) { FSpacing = value; Invalidate(); }
}
void TSpeedButton::SetFlat(bool value)
{
    if (value != FFlat) { FFlat = value; Invalidate(); }
}
void TSpeedButton::SetTransparent(bool value)
{
    if (value != FTransparent) { FTransparent = value; Invalidate(); }
}
void TSpeedButton::SetNumGlyphs(int value)
{
    value = value < 1 ? 1 : value > 4 ? 4 : value;
    if (value != FNumGlyphs) { FNumGlyphs = value; Invalidate(); }
}

// The others of the group learn through CM_BUTTONPRESSED that this one is down.
void TSpeedButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !Parent())
        return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(m);
}

void TSpeedButton::ButtonPressed(TMessage& m)
{
    auto* sender = reinterpret_cast<TSpeedButton*>(m.LParam);
    if (static_cast<int>(m.WParam) != FGroupIndex || sender == this)
        return;
    if (sender->Down() && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = sender->AllowAllUp();
}

void TSpeedButton::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_BUTTONPRESSED: ButtonPressed(m); break;
    case CM_ENABLEDCHANGED:
        FState = Enabled() ? (FDown ? bsExclusive : bsUp) : bsDisabled;
        TGraphicControl::Dispatch(m);
        Invalidate();
        break;
    default: TGraphicControl::Dispatch(m); break;
    }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y)
{
    TGraphicControl::MouseMove(shift, x, y);
    if (!FDragging)
        return;
    const bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
    const TButtonState state = inside ? bsDown : (FDown ? bsExclusive : bsUp);
    if (state != FState) {
        FState = state;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!FDragging)
        return;
    FDragging = false;
    const bool doClick = x >= 0 && x < Width() && y >= 0 && y < Height();
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
    } else if (doClick) {
        SetDown(!FDown);
        if (FDown)
            Repaint();
    } else {
        if (FDown)
            FState = bsExclusive;
        Repaint();
    }
    if (doClick)
        Click();
}

void TSpeedButton::Click()
{
    TGraphicControl::Click();
}

void TSpeedButton::Paint()
{
    TCanvas& canvas = Canvas();
    RECT r{0, 0, Width(), Height()};
    const bool pressed = FState == bsDown || FState == bsExclusive;
    if (!FTransparent || !FFlat) {
        canvas.Brush().SetColor(Color());
        canvas.Brush().SetStyle(bsSolid);
        canvas.FillRect(TRect{0, 0, Width(), Height()});
    }
    if (!FFlat || pressed)
        DrawEdge(canvas.Handle(), &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (!Caption().empty()) {
        canvas.Font().Assign(Font());
        SetBkMode(canvas.Handle(), TRANSPARENT);
        if (pressed)
            OffsetRect(&r, 1, 1);
        if (!Enabled())
            canvas.Font().SetColor(clGrayText);
        DrawTextW(canvas.Handle(), Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void InitializeButtonsUnit()
{
    RegisterClasses<TSpeedButton>();
}

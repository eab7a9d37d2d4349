#include "vcl/Buttons.h"

#include "vcl/Forms.h"
#include "vcl/TypInfo.h"
#include "vcl/WinControl.h"

#include <algorithm>

namespace {

// The group comes before Down: a button outside a group never stays down.
const ks::PropertyInfo SpeedButtonProps[] = {
    ks::Prop<&TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp>("AllowAllUp").DefaultIs(false),
    ks::Prop<&TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex>("GroupIndex").DefaultIs(0),
    ks::Prop<&TSpeedButton::Down, &TSpeedButton::SetDown>("Down").DefaultIs(false),
    ks::Prop<&TSpeedButton::Flat, &TSpeedButton::SetFlat>("Flat").DefaultIs(false),
    ks::Prop<&TSpeedButton::Glyph>("Glyph"),
    ks::Prop<&TSpeedButton::Layout, &TSpeedButton::SetLayout>("Layout").DefaultIs(blGlyphLeft),
    ks::Prop<&TSpeedButton::Margin, &TSpeedButton::SetMargin>("Margin").DefaultIs(-1),
    ks::Prop<&TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs>("NumGlyphs").DefaultIs(1),
    ks::Prop<&TSpeedButton::Spacing, &TSpeedButton::SetSpacing>("Spacing").DefaultIs(4),
};

const ks::PropertyInfo BitBtnProps[] = {
    ks::Prop<&TBitBtn::Glyph>("Glyph"),
    ks::Prop<&TBitBtn::Kind, &TBitBtn::SetKind>("Kind").DefaultIs(bkCustom),
    ks::Prop<&TBitBtn::Layout, &TBitBtn::SetLayout>("Layout").DefaultIs(blGlyphLeft),
    ks::Prop<&TBitBtn::Margin, &TBitBtn::SetMargin>("Margin").DefaultIs(-1),
    ks::Prop<&TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs>("NumGlyphs").DefaultIs(1),
    ks::Prop<&TBitBtn::Spacing, &TBitBtn::SetSpacing>("Spacing").DefaultIs(4),
};

struct KindLook {
    const wchar_t* caption;
    TModalResult result;
};
constexpr KindLook KindLooks[] = {
    {L"", mrNone},        {L"OK", mrOk},         {L"Cancel", mrCancel}, {L"&Help", mrNone},
    {L"&Yes", mrYes},     {L"&No", mrNo},        {L"&Close", mrNone},   {L"Abort", mrAbort},
    {L"&Retry", mrRetry}, {L"&Ignore", mrIgnore}, {L"&All", mrNo + 1},
};

} // namespace

TButtonLayoutResult CalcButtonLayout(TSize client, TSize glyph, TSize text, TButtonLayout layout, int margin,
                                     int spacing) noexcept
{
    const bool across = layout == blGlyphLeft || layout == blGlyphRight;
    // Along the main axis (x side by side, y stacked) and across it.
    const int room = across ? client.cx : client.cy;
    const int g = across ? glyph.cx : glyph.cy;
    const int t = across ? text.cx : text.cy;
    if (glyph.cx == 0 || text.cx == 0)
        spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (room - g - t) / 3;
            spacing = margin;
        } else {
            margin = (room - g - spacing - t + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (room - margin - g - t) / 2;
    }
    int glyphAt = margin, textAt = margin + g + spacing;
    if (layout == blGlyphRight || layout == blGlyphBottom) {
        glyphAt = room - margin - g;
        textAt = glyphAt - spacing - t;
    }
    TButtonLayoutResult r;
    if (across) {
        r.glyph = {glyphAt, (client.cy - glyph.cy + 1) / 2};
        r.caption = {textAt, (client.cy - text.cy + 1) / 2, textAt + text.cx, (client.cy - text.cy + 1) / 2 + text.cy};
    } else {
        const int x = (client.cx - text.cx + 1) / 2;
        r.glyph = {(client.cx - glyph.cx + 1) / 2, glyphAt};
        r.caption = {x, textAt, x + text.cx, textAt + text.cy};
    }
    return r;
}

const ks::ClassInfo TSpeedButton::StaticClassInfo{"TSpeedButton", &TGraphicControl::StaticClassInfo, SpeedButtonProps, {}};
const ks::ClassInfo& TSpeedButton::ClassInfo() const noexcept { return StaticClassInfo; }

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 23, 22);
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
    FGlyph->SetOnChange(TNotifyEvent(this, &TSpeedButton::GlyphChanged));
}

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
    const GoneWatch watch(*this);
    TGraphicControl::MouseDown(button, shift, x, y);
    // OnMouseDown may have hidden, disabled or moved the button, which ended its press.
    if (watch.Gone() || button != mbLeft || !Enabled() || !FControlState.Contains(csLButtonDown))
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
    const GoneWatch watch(*this);
    TGraphicControl::MouseUp(button, shift, x, y);
    if (watch.Gone() || !FDragging)
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

// ---- bit button -----------------------------------------------------------------------------
const ks::ClassInfo TBitBtn::StaticClassInfo{"TBitBtn", &TButton::StaticClassInfo, BitBtnProps, {}};
const ks::ClassInfo& TBitBtn::ClassInfo() const noexcept { return StaticClassInfo; }

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), FGlyph(std::make_unique<TBitmap>())
{
    FGlyph->SetOnChange(TNotifyEvent(this, &TBitBtn::GlyphChanged));
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::GlyphChanged(TObject*)
{
    Invalidate();
}

void TBitBtn::SetNumGlyphs(int value)
{
    value = std::clamp(value, 1, 4);
    if (value != FNumGlyphs) { FNumGlyphs = value; Invalidate(); }
}
void TBitBtn::SetLayout(TButtonLayout value)
{
    if (value != FLayout) { FLayout = value; Invalidate(); }
}
void TBitBtn::SetMargin(int value)
{
    if (value != FMargin && value >= -1) { FMargin = value; Invalidate(); }
}
void TBitBtn::SetSpacing(int value)
{
    if (value != FSpacing) { FSpacing = value; Invalidate(); }
}

void TBitBtn::SetKind(TBitBtnKind value)
{
    if (value == FKind)
        return;
    FKind = value;
    if (value == bkCustom)
        return;
    const KindLook& look = KindLooks[value];
    SetCaption(look.caption);
    SetModalResult(look.result);
    if (value == bkOK || value == bkYes)
        SetDefault(true);
    if (value == bkCancel || value == bkNo)
        SetCancel(true);
}

void TBitBtn::Click()
{
    TCustomForm* form = FKind == bkClose ? GetParentForm(this) : nullptr;
    if (form)
        form->Close();
    else
        TButton::Click();
}

void TBitBtn::CreateParams(TCreateParams& params)
{
    TButton::CreateParams(params);
    params.Style = (params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool isDefault)
{
    if (isDefault == FIsFocused)
        return;
    FIsFocused = isDefault;
    Invalidate();
}

void TBitBtn::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_DRAWITEM:
        DrawItem(TWMDrawItem(m).DrawItemStruct());
        m.Result = 1;
        break;
    // An owner-drawn button would tell a quick second click as a double click, not a click.
    case WM_LBUTTONDBLCLK: {
        TMessage down{WM_LBUTTONDOWN, m.WParam, m.LParam, 0};
        TButton::Dispatch(down);
        m.Result = down.Result;
        break;
    }
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
        TButton::Dispatch(m);
        Invalidate();
        break;
    default: TButton::Dispatch(m); break;
    }
}

void TBitBtn::DrawGlyphCell(HDC dc, TPoint at, bool pushed, bool enabled)
{
    if (FGlyph->Empty())
        return;
    const int w = FGlyph->Width() / FNumGlyphs, h = FGlyph->Height();
    int cell = 0;
    if (!enabled && FNumGlyphs > 1)
        cell = 1;
    else if (pushed && FNumGlyphs > 2)
        cell = 2;
    HDC src = FGlyph->Canvas().Handle();
    GdiFlush();
    if (FGlyph->PixelFormat() == pf32bit && FNumGlyphs == 1) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, at.X, at.Y, w, h, src, 0, 0, w, h, blend);
        return;
    }
    const COLORREF key = GetPixel(src, 0, h - 1);
    GdiTransparentBlt(dc, at.X, at.Y, w, h, src, cell * w, 0, w, h, key);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    if (FIsFocused || focused) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    const std::wstring caption = Caption();
    const HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
    RECT measured{0, 0, 0, 0};
    if (!caption.empty())
        DrawTextW(dc, caption.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    const TSize glyph = FGlyph->Empty() ? TSize{0, 0} : TSize{FGlyph->Width() / FNumGlyphs, FGlyph->Height()};
    const TSize client{r.right - r.left, r.bottom - r.top};
    TButtonLayoutResult at = CalcButtonLayout(client, glyph, {measured.right, measured.bottom}, FLayout, FMargin, FSpacing);
    const int dx = r.left + (pushed ? 1 : 0), dy = r.top + (pushed ? 1 : 0);
    DrawGlyphCell(dc, {at.glyph.X + dx, at.glyph.Y + dy}, pushed, enabled);
    RECT text{at.caption.Left + dx, at.caption.Top + dy, at.caption.Right + dx, at.caption.Bottom + dy};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(enabled ? Font()->Color() : clGrayText));
    if (!caption.empty())
        DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    if (focused) {
        InflateRect(&r, -3, -3);
        DrawFocusRect(dc, &r);
    }
}

void InitializeButtonsUnit()
{
    RegisterClasses<TSpeedButton, TBitBtn>();
}

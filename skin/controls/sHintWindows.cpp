#include "skin/controls/sHintWindows.h"

#include "skin/controls/HintShapes.h"
#include "skin/controls/sHtmlParse.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/ColorRoutines.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/MessageBoxes.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/WinRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sGradient.h"
#include "skin/core/sGradientPaint.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TextMeasure.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

constexpr UINT PaintFlags = DT_NOPREFIX | DT_WORDBREAK | DT_CENTER;
constexpr UINT SkinTextFlags = DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS;
constexpr DWORD DropShadowStyle = 0x20000;
constexpr int FadeSteps = 31;
constexpr DWORD FadeSleep = 8;
// Ellipses and balloons narrower than this look like a dot with a pointer.
constexpr int MinRoundWidth = 50;
// The skin paints transparent parts of the hint section in this colour before they are cut out.
constexpr TColor ShapeKeyColor = 0xFF00FF - 1;

int Percent(int value) noexcept
{
    return std::clamp(value, 0, 100);
}

// The alpha of a hint transparency percent, (100 - t) * 2.55 rounded half to even in whole
// numbers, so that 10 % gives 230 whatever the floating point makes of 229.5.
BYTE AlphaOf(int transparency) noexcept
{
    const int n = (100 - Percent(transparency)) * 255;
    int q = n / 100;
    const int r = n % 100;
    if (r > 50 || (r == 50 && (q & 1)))
        ++q;
    return static_cast<BYTE>(q);
}

TsHintKind& Kind()
{
    return *ActiveHintManager->HintKind();
}

TsSkinManager* SkinManager()
{
    return DefaultSkinManager;
}

void FillWhite(TBitmap& bmp)
{
    TCanvas& c = bmp.Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clWhite);
    c.FillRect({0, 0, bmp.Width(), bmp.Height()});
}

TRect Moved(TRect r, int dx, int dy) noexcept
{
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

} // namespace

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo TsCustomHintWindow::StaticClassInfo{"TsCustomHintWindow", &THintWindow::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsCustomHintWindow::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsSimplyHintWindow::StaticClassInfo{"TsSimplyHintWindow", &TsCustomHintWindow::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsSimplyHintWindow::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsComicsHintWindow::StaticClassInfo{"TsComicsHintWindow", &TsCustomHintWindow::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsComicsHintWindow::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsEllipseHintWindow::StaticClassInfo{"TsEllipseHintWindow", &TsCustomHintWindow::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsEllipseHintWindow::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsBalloonHintWindow::StaticClassInfo{"TsBalloonHintWindow", &TsCustomHintWindow::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsBalloonHintWindow::ClassInfo() const noexcept { return StaticClassInfo; }

TsCustomHintWindow::TsCustomHintWindow(TComponent* owner) : THintWindow(owner) {}

TsCustomHintWindow::~TsCustomHintWindow() = default;

TsBalloonHintWindow::TsBalloonHintWindow(TComponent* owner) : TsCustomHintWindow(owner), TrailCount(5), TrailDivisor(4)
{
}

void TsCustomHintWindow::CreateParams(TCreateParams& params)
{
    THintWindow::CreateParams(params);
    params.Style = (params.Style & ~static_cast<DWORD>(WS_BORDER)) | 0x20;
}

bool TsCustomHintWindow::Skinned() const
{
    return ActiveHintManager && ActiveHintManager->IsSkinned();
}

int TsCustomHintWindow::ShadowSize() const
{
    if (!ActiveHintManager || !Kind().ShadowEnabled())
        return 0;
    return std::max(Kind().ShadowOffset(), 0);
}

void TsCustomHintWindow::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case SM_SKINCMD: SkinCommand(ks::SkinCommandView(message)); return;
    case WM_ERASEBKGND: message.Result = 1; return;
    case WM_NCPAINT: WMNCPaint(TWMPaint(message)); return;
    default: THintWindow::WndProc(message); return;
    }
}

// The frame is never painted; the shape is set again instead.
void TsCustomHintWindow::WMNCPaint(TWMPaint view)
{
    if (ActiveHintManager)
        UpdateRegion();
    view.SetResult(1);
}

void TsCustomHintWindow::SkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_IS_BG_COMPLEX: IsBgComplexCommand(view); return;
    case SKC_GET_BG_INFO: BackgroundInfoCommand(view); return;
    default: THintWindow::WndProc(view.Message()); return;
    }
}

// Callers read the answer from the message's LParam, not from its result.
void TsCustomHintWindow::IsBgComplexCommand(ks::SkinCommandView view)
{
    view.Message().LParam = 1;
    THintWindow::WndProc(view.Message());
}

// What lies under the hint's content is its body image.
void TsCustomHintWindow::BackgroundInfoCommand(ks::SkinCommandView view)
{
    if (auto* info = view.Pointer<BackgroundInfo>()) {
        info->Bmp = BodyImage.get();
        info->Offset = {0, 0};
        info->BackgroundKind = BgKindBitmap;
    }
}

TPoint TsCustomHintWindow::MouseAnchor()
{
    if (ActiveHintManager && ActiveHintManager->HintPos.X != -1)
        return ActiveHintManager->HintPos;
    POINT p{};
    ks::Sys().GetCursorPos(&p);
    return {p.x, p.y};
}

TPoint TsSimplyHintWindow::MouseAnchor()
{
    TPoint p = TsCustomHintWindow::MouseAnchor();
    if (!Skinned())
        p.Y += 16;
    return p;
}

int TsCustomHintWindow::BorderWidthOf(int side) const
{
    TsSkinManager* sm = SkinManager();
    if (!sm || BorderIndex < 0 || BorderIndex >= static_cast<int>(sm->MaskArray.size()))
        return 0;
    const TsMaskData& m = sm->MaskArray[static_cast<size_t>(BorderIndex)];
    if (m.BorderWidth >= 1)
        return m.BorderWidth;
    const int own[] = {m.WL, m.WT, m.WR, m.WB};
    if (own[side & 3] >= 1)
        return own[side & 3];
    // Records without cells or rows have no width to share out.
    if (side == 0 || side == 2)
        return m.ImageCount > 0 ? m.R.Width() / (3 * m.ImageCount) : 0;
    return m.MaskType >= 0 ? m.R.Height() / (3 * (m.MaskType + 1)) : 0;
}

// The indexes point into the tables of the skin they were looked up in: a hint that is up while
// the skin changes looks them up again before it paints, or it would read another skin's rows.
void TsCustomHintWindow::LookUpSkinIndexes()
{
    TsSkinManager* sm = SkinManager();
    if (!Skinned() || !sm || !sm->Active()) {
        SkinIndex = BorderIndex = TextureIndex = -1;
        return;
    }
    const std::string& section = ActiveHintManager->SkinSection();
    SkinIndex = sm->FindSection(section);
    if (SkinIndex < 0) {
        SkinIndex = sm->FindSection("EDIT");
        BorderIndex = sm->FindMaskOwnOnly("EDIT", "BORDERSMASK");
    } else {
        BorderIndex = sm->FindMaskOwnOnly(section, "BORDERSMASK");
    }
    TextureIndex = sm->FindTexture(SkinIndex, section, "PATTERN");
}

TRect TsCustomHintWindow::CalcHintRect(int maxWidth, const std::wstring& hint, void* data)
{
    if (!ActiveHintManager)
        return THintWindow::CalcHintRect(maxWidth, hint, data);
    TsHintManager& m = *ActiveHintManager;
    TsHintKind& k = Kind();
    const int s = ShadowSize();
    const bool skinned = Skinned();
    LookUpSkinIndexes();
    ExtraWidth = ExtraHeight = 0;
    if (TFrame* frame = WaitingHintFrame())
        return {0, 0, frame->Width() + s, frame->Height() + s};

    TRect r{0, 0, std::max(k.MaxWidth(), 1), 0};
    TBitmap& work = *m.HintBitmap();
    work.Canvas().Font().Assign(skinned ? Screen->HintFont() : k.Font());
    if (m.HTMLMode()) {
        TsHtml html;
        html.Init(&work, hint, r);
        html.Render(r);
    } else {
        // Measured by what the text draws, as labels are: GDI's own measure can fall short of
        // the drawing by a letter.
        const UINT flags = (skinned ? SkinTextFlags : PaintFlags) | DrawTextBiDiModeFlagsReadingOnly();
        const TSize size = ks::DrawnTextSize(hint, work.Canvas().Font(), flags, r.Width());
        r = {0, 0, size.cx, size.cy};
    }
    int w = r.Width();
    int h = r.Height();
    if ((Shape() == hsEllipse || Shape() == hsBalloon) && w < MinRoundWidth)
        w = MinRoundWidth;
    if (skinned) {
        w += BorderWidthOf(0) + BorderWidthOf(2) + 8;
        h += BorderWidthOf(1) + BorderWidthOf(3) + 8;
    } else {
        w += 2 * (k.MarginH() + k.BevelWidth());
        h += 2 * (k.MarginV() + k.BevelWidth());
    }
    w += s;
    h += s;
    if (!skinned && Shape() != hsSimply) {
        h += k.ExOffset();
        if (Shape() == hsBalloon || Shape() == hsEllipse) {
            std::tie(ExtraWidth, ExtraHeight) = ks::EllipseExtra(w, h);
            w += ExtraWidth;
            h += ExtraHeight;
        }
    }
    // A text wider or taller than the screen gets a window of the screen's size, never a
    // picture larger than any window could show.
    w = std::clamp(w, 1, std::max(Screen->Width(), 1));
    h = std::clamp(h, 1, std::max(Screen->Height(), 1));
    return {0, 0, w, h};
}

void TsCustomHintWindow::ActivateHint(TRect rect, const std::wstring& hint)
{
    if (!ActiveHintManager || Kind().Style() == hsNone)
        return;
    TsHintManager& m = *ActiveHintManager;
    const bool layered = LayeredWindowsAvailable();
    const auto classStyle = static_cast<DWORD>(GetClassLongPtrW(Handle(), GCL_STYLE));
    const DWORD wanted = Skinned() && layered ? classStyle | DropShadowStyle : classStyle & ~DropShadowStyle;
    if (wanted != classStyle)
        SetClassLongPtrW(Handle(), GCL_STYLE, static_cast<LONG_PTR>(wanted));

    SetCaption(hint);
    const TPoint anchor = AnchorOverride.X != 0 && AnchorOverride.Y != 0 ? AnchorOverride : MouseAnchor();
    const int w = rect.Width();
    const int h = rect.Height();
    rect = {anchor.X, anchor.Y, anchor.X + w, anchor.Y + h};
    MousePos = m.DefaultMousePos();
    if (MousePos == mpLeftBottom || MousePos == mpRightBottom)
        rect = Moved(rect, 0, -h);
    if (MousePos == mpRightTop || MousePos == mpRightBottom)
        rect = Moved(rect, -w, 0);

    const TRect work = Screen->WorkAreaRect();
    bool corrected = false;
    if (rect.Top + h > work.Bottom) {
        rect.Top = anchor.Y - h;
        corrected = true;
    }
    if (rect.Top < work.Top) {
        rect.Top = anchor.Y;
        corrected = true;
    }
    if (rect.Left + w > work.Right) {
        rect.Left = anchor.X - w;
        corrected = true;
    }
    if (rect.Left < work.Left) {
        rect.Left = anchor.X;
        corrected = true;
    }
    if (corrected) {
        const bool bottom = rect.Top != anchor.Y;
        const bool right = rect.Left != anchor.X;
        MousePos = bottom ? (right ? mpRightBottom : mpLeftBottom) : (right ? mpRightTop : mpLeftTop);
    }
    rect.Right = rect.Left + w;
    rect.Bottom = rect.Top + h;
    SetBoundsRect(rect);
    m.HintBitmap()->SetSize(w, h);

    if (layered)
        ShowLayered(w, h);
    else
        ShowOverScreen(rect);
    m.HintPos.X = -1;
}

void TsCustomHintWindow::ShowOverScreen(const TRect& r)
{
    HDC screen = GetDC(nullptr);
    if (!screen) {
        // Without a screen to copy there is nothing to paint over; the hint stays placed but
        // hidden rather than showing a box from inside the hint's own activation.
        ScreenBackground.reset();
        return;
    }
    if (!ScreenBackground)
        ScreenBackground = NewBitmap24(r.Width(), r.Height());
    else
        ScreenBackground->SetSize(r.Width(), r.Height());
    BitBlt(ScreenBackground->Canvas().Handle(), 0, 0, r.Width(), r.Height(), screen, r.Left, r.Top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    SetWindowPos(Handle(), HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void TsCustomHintWindow::UpdateLayered(HDC screen, int w, int h, BYTE alpha)
{
    auto update = ks::Sys().UpdateLayeredWindowPtr;
    if (!update || !LayeredImage)
        return;
    SourceConstantAlpha = alpha;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    SIZE size{w, h};
    POINT source{0, 0};
    update(Handle(), screen, nullptr, &size, LayeredImage->Canvas().Handle(), &source, 0x1FFFFFFF, &blend, ULW_ALPHA);
}

void TsCustomHintWindow::ShowLayered(int w, int h)
{
    SetWindowPos(Handle(), HWND_TOPMOST, Left(), Top(), w, h, SWP_NOACTIVATE);
    PrepareLayeredImage();
    HDC screen = GetDC(nullptr);
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
    GdiFlush();
    const bool xp = IsWindowsXPOrLater();
    if (ActiveHintManager->Animated() && xp) {
        const int t = Skinned() && SkinIndex >= 0
                          ? SkinManager()->GeneralDataArray[static_cast<size_t>(SkinIndex)].Transparency
                          : Kind().Transparency();
        const double target = AlphaOf(t);
        const double step = target / FadeSteps;
        UpdateLayered(screen, w, h, 0);
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_NOERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        for (int i = 1; i <= FadeSteps; ++i) {
            if (ComponentState().Contains(csDestroying))
                break;
            UpdateLayered(screen, w, h, static_cast<BYTE>(std::clamp(RoundHalfEven(step * i), 0, 255)));
            ks::Sys().Sleep(FadeSleep);
        }
    } else if (xp) {
        UpdateLayered(screen, w, h, AlphaOf(Kind().Transparency()));
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    } else {
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }
    if (screen)
        ReleaseDC(nullptr, screen);
    LayeredImage.reset();
}

void TsCustomHintWindow::PrepareLayeredImage()
{
    TBitmap& work = *ActiveHintManager->HintBitmap();
    const int w = work.Width();
    const int h = work.Height();
    SourceConstantAlpha = AlphaOf(Kind().Transparency());
    LayeredImage = NewBitmap32(w, h);
    UpdateRegion();
    BodyImage = BuildBodyImage();
    FillWhite(work);
    PaintShadow(&work);
    GdiFlush();
    if (ShapeMask && BodyImage)
        ks::ComposeLayeredHint(LayeredImage->View(), ShapeMask->View(), BodyImage->View(), work.View());
    BodyImage.reset();
}

void TsCustomHintWindow::Paint()
{
    if (!ActiveHintManager || !ScreenBackground)
        return;
    TBitmap& work = *ActiveHintManager->HintBitmap();
    // Every paint starts from the screen as it was, so repaints never darken twice.
    work.Assign(ScreenBackground.get());
    if (Kind().ShadowEnabled()) {
        auto shadow = NewBitmapLike(work);
        PaintShadow(shadow.get());
        GdiFlush();
        ks::MultiplyByShadow(work.View(), shadow->View());
    }
    // The outline of the shaped windows follows the mask, so the mask comes first.
    if (!ShapeMask)
        UpdateRegion();
    BodyImage = BuildBodyImage();
    if (BodyImage && ShapeMask)
        BlendRectByMask(work, *BodyImage, *ShapeMask, {0, 0, work.Width(), work.Height()});
    BitBlt(Canvas().Handle(), 0, 0, work.Width(), work.Height(), work.Canvas().Handle(), 0, 0, SRCCOPY);
    ShapeMask.reset();
    BodyImage.reset();
}

void TsCustomHintWindow::UpdateRegion()
{
    Region = nullptr;
    ShapeMask = BuildShapeMask();
    if (!HandleAllocated())
        return;
    if (Skinned() && ShapeMask) {
        ks::GdiRegion rgn = RegionFromBitmap(ShapeMask.get(), clWhite);
        Region = rgn.get();
        // The system owns the region from here on.
        SetWindowRgn(Handle(), rgn.release(), FALSE);
    } else {
        SetWindowRgn(Handle(), nullptr, FALSE);
    }
}

TRect TsCustomHintWindow::BodyRect()
{
    const int s = ShadowSize();
    TRect r{0, 0, Width() - s, Height() - s};
    if (Shape() == hsSimply || Skinned() || !ActiveHintManager)
        return r;
    if (PointerBelow())
        r.Bottom -= Kind().ExOffset();
    else
        r.Top = Kind().ExOffset();
    return r;
}

TRect TsEllipseHintWindow::BodyRect()
{
    TRect r = TsCustomHintWindow::BodyRect();
    r.Top = std::max(r.Top, 0);
    r.Bottom = std::min(r.Bottom, Height());
    return r;
}

void TsCustomHintWindow::DrawFigure(TCanvas& canvas, TPoint offset, int inset)
{
    TRect b = Moved(BodyRect(), offset.X, offset.Y);
    b = {b.Left + inset, b.Top + inset, b.Right - inset, b.Bottom - inset};
    if (b.Right <= b.Left || b.Bottom <= b.Top)
        return;
    if (Shape() == hsSimply) {
        canvas.FillRect(b);
        return;
    }
    const int w = b.Width();
    const int cx = b.Left + w / 2;
    const int cy = b.Top + b.Height() / 2;
    TPoint tip = ks::PointerTip(Width(), Height(), PointerRight(), PointerBelow());
    tip = {tip.X + offset.X, tip.Y + offset.Y};
    const TPoint pointer[] = {tip, {cx - w / 8, cy}, {cx + w / 8, cy}};
    canvas.Polygon(pointer);
    if (Shape() == hsComics) {
        const int radius = Kind().Radius();
        canvas.RoundRect(b.Left, b.Top, b.Right + 1, b.Bottom + 1, radius, radius);
    } else {
        canvas.Ellipse(b.Left, b.Top, b.Right + 1, b.Bottom + 1);
    }
}

void TsBalloonHintWindow::DrawFigure(TCanvas& canvas, TPoint offset, int inset)
{
    TRect b = Moved(BodyRect(), offset.X, offset.Y);
    b = {b.Left + inset, b.Top + inset, b.Right - inset, b.Bottom - inset};
    if (b.Right <= b.Left || b.Bottom <= b.Top)
        return;
    canvas.Ellipse(b.Left, b.Top, b.Right + 1, b.Bottom + 1);
    TPoint tip = ks::PointerTip(Width(), Height(), PointerRight(), PointerBelow());
    tip = {tip.X + offset.X, tip.Y + offset.Y};
    for (const TRect& e : ks::BalloonTrail(b, tip, TrailCount, TrailDivisor))
        canvas.Ellipse(e.Left, e.Top, e.Right + 1, e.Bottom + 1);
}

std::unique_ptr<TBitmap> TsCustomHintWindow::BuildShapeMask()
{
    if (!ActiveHintManager)
        return nullptr;
    const TBitmap& work = *ActiveHintManager->HintBitmap();
    auto mask = NewBitmap24(work.Width(), work.Height());
    if (Skinned()) {
        CacheInfo ci = NoBackgroundCacheInfo;
        ci.FillColor = ShapeKeyColor;
        PaintSectionOverCache(SkinIndex, BorderIndex, TextureIndex, -1, ci, true, 0,
                              {0, 0, mask->Width(), mask->Height()}, {0, 0}, mask.get(), SkinManager());
        GdiFlush();
        ks::KeyToMask(mask->View(), ShapeKeyColor);
        return mask;
    }
    TCanvas& c = mask->Canvas();
    FillWhite(*mask);
    // Where the window is not layered, the mask's grey lets the screen show through the body.
    const int level = LayeredWindowsAvailable() ? 0 : Percent(Kind().Transparency()) * 255 / 100;
    const TColor dark = static_cast<TColor>(level * 0x010101);
    c.Brush().SetColor(dark);
    c.Pen().SetColor(dark);
    c.Pen().SetStyle(psSolid);
    DrawFigure(c, {0, 0}, 0);
    return mask;
}

std::unique_ptr<TBitmap> TsSimplyHintWindow::BuildShapeMask()
{
    if (!ActiveHintManager || Skinned())
        return TsCustomHintWindow::BuildShapeMask();
    const TBitmap& work = *ActiveHintManager->HintBitmap();
    auto mask = NewBitmap24(work.Width(), work.Height());
    FillWhite(*mask);
    const int level = LayeredWindowsAvailable() ? 0 : Percent(Kind().Transparency()) * 255 / 100;
    mask->Canvas().Brush().SetColor(static_cast<TColor>(level * 0x010101));
    mask->Canvas().FillRect(BodyRect());
    return mask;
}

std::unique_ptr<TBitmap> TsCustomHintWindow::BuildBodyImage()
{
    if (!ActiveHintManager)
        return nullptr;
    TBitmap& work = *ActiveHintManager->HintBitmap();
    auto body = NewBitmap24(work.Width(), work.Height());
    LookUpSkinIndexes();
    if (Skinned()) {
        PaintSectionOverCache(SkinIndex, BorderIndex, TextureIndex, -1, CacheInfoFromBitmap(&work, 0, 0), true, 0,
                              {0, 0, body->Width(), body->Height()}, {0, 0}, body.get(), SkinManager());
        PaintBody(*body);
        return body;
    }
    PaintBodyFill(*body, BodyRect());
    PaintBody(*body);
    PaintBorder(*body);
    return body;
}

void TsCustomHintWindow::PaintBodyFill(TBitmap& bmp, const TRect& r)
{
    TsHintKind& k = Kind();
    TsGradArray gradient;
    if (k.GradientPercent() > 0) {
        gradient = ParseGradient(k.GradientData());
        if (gradient.empty())
            k.SetGradientPercent(0);
    }
    TCanvas& c = bmp.Canvas();
    const bool textured = k.TexturePercent() >= 1 && k.Texture()->Graphic() && !k.Texture()->Graphic()->Empty();
    auto fillColour = [&] {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(k.Color());
        c.FillRect({r.Left, r.Top, r.Right + 1, r.Bottom + 1});
    };
    if (textured)
        TileGraphic(bmp, r, k.Texture()->Graphic());
    else
        fillColour();
    if (k.GradientPercent() > 0) {
        if (textured) {
            auto layer = NewBitmap24(r.Width(), r.Height());
            if (gradient.empty()) {
                layer->Canvas().Brush().SetColor(k.Color());
                layer->Canvas().FillRect({0, 0, r.Width(), r.Height()});
            } else {
                PaintGradient(*layer, {0, 0, r.Width(), r.Height()}, gradient);
            }
            // The gradient's share is the destination's weight's complement.
            const int share = std::clamp(k.GradientPercent() * 256 / 100, 0, 255);
            BlendBitmapRect(bmp, *layer, static_cast<uint8_t>(255 - share), {0, 0, r.Width(), r.Height()},
                            {r.Left, r.Top});
        } else if (!gradient.empty()) {
            PaintGradient(bmp, r, gradient);
        }
    }
    const int sum = k.GradientPercent() + k.TexturePercent();
    if (sum >= 1 && sum <= 99)
        BlendRectWithColor(bmp, r, sum, k.Color());
    else if (sum != 100)
        fillColour();
}

void TsCustomHintWindow::PaintBody(TBitmap& bmp)
{
    TsHintManager& m = *ActiveHintManager;
    TsHintKind& k = Kind();
    const TRect body = BodyRect();
    if (TFrame* frame = WaitingHintFrame()) {
        SetHintFrame(nullptr);
        frame->SetVisible(false);
        // The frame leaves its owner so that freeing it below is the only free.
        if (TComponent* owner = frame->Owner())
            owner->RemoveComponent(frame);
        frame->SetParent(this);
        frame->SetBounds(body.Left, body.Top, frame->Width(), frame->Height());
        auto picture = NewBitmap24(frame->Width(), frame->Height());
        if (SkinManager() && SkinManager()->Active()) {
            frame->SetVisible(true);
            PaintControlToBitmap(*picture, frame, 0, 0, nullptr);
        } else {
            frame->PaintTo(picture->Canvas().Handle(), 0, 0);
        }
        BitBlt(bmp.Canvas().Handle(), body.Left, body.Top, picture->Width(), picture->Height(),
               picture->Canvas().Handle(), 0, 0, SRCCOPY);
        frame->Free();
        return;
    }
    const bool skinned = Skinned();
    TRect r = body;
    if (skinned) {
        r = {r.Left + BorderWidthOf(0) + 4, r.Top + BorderWidthOf(1) + 4, r.Right - BorderWidthOf(2) - 4,
             r.Bottom - BorderWidthOf(3) - 4};
    } else {
        const int dx = k.MarginH() + k.BevelWidth() + ExtraWidth / 2;
        const int dy = k.MarginV() + k.BevelWidth() + ExtraHeight / 2;
        r = {r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy};
    }
    TCanvas& c = bmp.Canvas();
    c.Brush().SetStyle(bsClear);
    c.Pen().SetStyle(psSolid);
    c.Font().Assign(skinned ? Screen->HintFont() : k.Font());
    if (m.HTMLMode()) {
        if (skinned && SkinIndex >= 0)
            c.Font().SetColor(SkinManager()->GeneralDataArray[static_cast<size_t>(SkinIndex)].FontColor[0]);
        TsHtml html;
        html.Init(&bmp, Caption(), r);
        html.Render(r);
    } else if (skinned) {
        DrawSectionTextImpl(c, Caption(), true, r, SkinTextFlags, SkinIndex, false, SkinManager());
    } else {
        SetBkMode(c.Handle(), TRANSPARENT);
        c.DrawText(Caption(), r, PaintFlags | DrawTextBiDiModeFlagsReadingOnly());
    }
}

void TsCustomHintWindow::PaintBorder(TBitmap& bmp)
{
    if (Skinned() || !ShapeMask)
        return;
    GdiFlush();
    // The pixel loop writes the colour's bytes as they are: a system colour is resolved first.
    ks::OutlineShape(bmp.View(), ShapeMask->View(), ColorToRGB(Kind().ColorBorderTop()),
                     ColorToRGB(Kind().ColorBorderBottom()));
}

void TsSimplyHintWindow::PaintBorder(TBitmap& bmp)
{
    TsHintKind& k = Kind();
    if (Skinned() || k.BevelWidth() <= 0)
        return;
    TRect r = BodyRect();
    int width = k.BevelWidth();
    DrawFrameLines(bmp.Canvas().Handle(), r, k.ColorBorderTop(), k.ColorBorderBottom(), width);
}

void TsCustomHintWindow::PaintShadow(TBitmap* bmp)
{
    TBitmap* target = bmp ? bmp : ActiveHintManager->HintBitmap();
    FillWhite(*target);
    if (Skinned() || !Kind().ShadowEnabled())
        return;
    PaintShapedShadow(*target);
}

void TsCustomHintWindow::PaintShapedShadow(TBitmap& bmp)
{
    TsHintKind& k = Kind();
    const int s = ShadowSize();
    const int darkest = 255 - Percent(std::max(k.Transparency(), k.ShadowTransparency())) * 255 / 100;
    const int rings = std::clamp(k.ShadowBlur(), 0, 64) + 1;
    TCanvas& c = bmp.Canvas();
    c.Pen().SetStyle(psClear);
    c.Brush().SetStyle(bsSolid);
    for (int i = 0; i < rings; ++i) {
        const int level = 255 - (255 - darkest) * (i + 1) / rings;
        c.Brush().SetColor(static_cast<TColor>(level * 0x010101));
        DrawFigure(c, {s, s}, i);
    }
    c.Pen().SetStyle(psSolid);
}

void TsSimplyHintWindow::PaintShadow(TBitmap* bmp)
{
    TBitmap* target = bmp ? bmp : ActiveHintManager->HintBitmap();
    FillWhite(*target);
    if (Skinned() || !Kind().ShadowEnabled())
        return;
    TsHintKind& k = Kind();
    const int s = ShadowSize();
    const int transparency = Percent(std::max(k.Transparency(), k.ShadowTransparency()));
    const int blur = std::clamp(k.ShadowBlur(), 0, 64);
    DrawSoftShadow(*target, Moved({0, 0, Width() - s, Height() - s}, s, s), transparency, clBlack, blur, blur);
}

#include "skin/forms/acBorderForm.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/GlyphDrawing.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/acGlow.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/FrameDragState.h"
#include "skin/forms/FramePixels.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>
#include <utility>

namespace {

// WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW: never activated, never on the task bar.
constexpr LONG_PTR BorderCreateExStyle = 0x8000080;
// WS_EX_LAYERED | WS_EX_NOACTIVATE.
constexpr LONG_PTR BorderLayeredExStyle = 0x8080000;
// SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING.
constexpr UINT BorderPosFlags = 0x610;
// The border window's answer over its frame: anything but a sizing or caption code, so that the
// system runs none of its own loops for the border window; the owner decides.
constexpr LRESULT FrameHitCode = 19;

bool PtIn(const TRect& r, TPoint p) noexcept
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// The form provider's side of the border window, in terms of its frame geometry.
class ProviderBorderOwner final : public TacBorderOwner {
public:
    explicit ProviderBorderOwner(TsSkinProvider* provider) : FProvider(provider) {}

    HWND BorderOwnerHandle() const noexcept override
    {
        TCustomForm* form = FProvider->Form;
        return form && form->HandleAllocated() ? form->HandleIfAllocated() : nullptr;
    }
    TsCommonData* BorderOwnerSkinData() const noexcept override { return FProvider->SkinData(); }
    TsSkinProvider* BorderOwnerProvider() const noexcept override { return FProvider; }
    TRect BorderOwnerMargins() const override { return FProvider->ExtBorderMargins(); }
    TPoint BorderOwnerClientOffset() const override { return {FProvider->ClientOffsetX(), FProvider->ClientOffsetY()}; }
    int BorderOwnerBorderWidth() const override
    {
        return FormBorderWidth(BorderOwnerHandle(), FProvider->ProviderSkinManager(), true, true);
    }
    int BorderOwnerCaptionBottom() const override
    {
        return BorderWidthIfNoExtBorders(BorderOwnerHandle(), FProvider->ProviderSkinManager(), true, true) +
               FProvider->CaptionHeight(true) +
               FProvider->ExtBorderMargins().Top;
    }
    int BorderOwnerMenuBottom() const override
    {
        const int rows = FProvider->MainMenuVisible() ? FProvider->MenuLineCount() : 0;
        return BorderOwnerCaptionBottom() + rows * FProvider->MenuBarHeight();
    }
    TRect BorderOwnerIconRect() const override
    {
        return FProvider->TitleIconShown() ? FProvider->IconRect() : TRect{};
    }
    const TitleButtonRec* BorderOwnerButton(int hitCode) const override
    {
        switch (hitCode) {
        case HTMINBUTTON: return &FProvider->ButtonMin;
        case HTMAXBUTTON: return &FProvider->ButtonMax;
        case HTCLOSE: return &FProvider->ButtonClose;
        case HTHELP: return &FProvider->ButtonHelp;
        default: return nullptr;
        }
    }
    TitleButtonFlags BorderOwnerButtonFlags() const override
    {
        TitleButtonFlags f;
        if (TsSystemMenu* menu = FProvider->SystemMenu) {
            f.VisibleClose = menu->VisibleClose();
            f.VisibleMax = menu->VisibleMax();
            f.VisibleMin = menu->VisibleMin();
            f.EnabledMax = menu->EnabledMax();
            f.EnabledMin = menu->EnabledMin();
            f.EnabledRestore = menu->EnabledRestore();
        }
        return f;
    }
    void PaintBorderOwnerNonClient() override { FProvider->PaintNonClient(); }
    void SetHotTitleButton(int hitCode) override { FProvider->SetHotHitCode(hitCode, true); }
    void ReleaseBorderResources() noexcept override
    {
        // The frame image loses its margins and alpha: the window paints its whole frame again.
        if (TsCommonData* skinData = FProvider->SkinData())
            skinData->BackgroundChanged = true;
        FProvider->FormChanged = true;
    }

private:
    TsSkinProvider* FProvider;
};

} // namespace

const ks::ClassInfo TacBorderForm::StaticClassInfo{"TacBorderForm", &TPersistent::StaticClassInfo, {}, {}};

const ks::ClassInfo& TacBorderForm::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TacBorderForm::TacBorderForm(TsSkinProvider* provider)
    : FProviderOwner(std::make_unique<ProviderBorderOwner>(provider)), FOwner(FProviderOwner.get())
{
    SkinData = FOwner->BorderOwnerSkinData();
    CreateWindowForm();
}

TacBorderForm::TacBorderForm(TacBorderOwner& owner) : FOwner(&owner)
{
    SkinData = FOwner->BorderOwnerSkinData();
    CreateWindowForm();
}

void TacBorderForm::CreateWindowForm()
{
    Form = CreateNew<TForm>(nullptr);
    FFormWatch.Watch(Form);
    Form->SetTag(GlowFormTag);
    Form->SetVisible(false);
    Form->SetBorderStyle(bsNone);
    const HWND wnd = Form->Handle();
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | BorderCreateExStyle);
    OldWndProc = Form->WindowProc();
    Form->SetWindowProc(TWndMethod(this, &TacBorderForm::NewWndProc));
}

TacBorderForm::~TacBorderForm()
{
    if (!FDisposed)
        FOwner->ReleaseBorderResources();
    if (Form && FFormWatch.Alive(Form)) {
        if (Form->WindowProc() == TWndMethod(this, &TacBorderForm::NewWndProc))
            Form->SetWindowProc(OldWndProc);
        Form->Free();
    }
    Form = nullptr;
}

void TacBorderForm::Dispose(TacBorderForm* border) noexcept
{
    if (!border || border->FDisposed)
        return;
    // The owner's code reads its border window through its own field, which the caller has
    // cleared; only the window's own code, running the owner's paint, holds the window itself.
    if (!border->Held()) {
        delete border;
        return;
    }
    border->FOwner->ReleaseBorderResources();
    border->FDisposed = true;
    if (const HWND wnd = border->WindowHandle())
        ShowWindow(wnd, SW_HIDE);
    border->DeleteOnceFree([border] { delete border; });
}

HWND TacBorderForm::WindowHandle() const noexcept
{
    return Form && FFormWatch.Alive(Form) && Form->HandleAllocated() ? Form->HandleIfAllocated() : nullptr;
}

ks::AnimatedFormProvider* TacBorderForm::OwnerProvider() const noexcept
{
    // The provider is the animations' view of the form only where it offers one; a dropped
    // window has none.
    if (FDisposed)
        return nullptr;
    return dynamic_cast<ks::AnimatedFormProvider*>(FOwner->BorderOwnerProvider());
}

HWND TacBorderForm::OwnerHandle() const noexcept
{
    return FOwner->BorderOwnerHandle();
}

TCustomForm* TacBorderForm::WindowForm() const noexcept
{
    return Form && FFormWatch.Alive(Form) ? Form : nullptr;
}

TBitmap* TacBorderForm::BorderImage() const noexcept
{
    return SkinData ? SkinData->CacheBitmap.get() : nullptr;
}

TPoint TacBorderForm::OwnerOffset() const
{
    // The image lies so that its client area covers the owner's: whatever the skin's title and
    // border, and a caption raised under a low title, the owner's frame meets its own.
    // The client's top-left corner is read from the window's rectangles: a window laid out right
    // to left maps its client point (0, 0) to the client's right edge.
    const HWND owner = OwnerHandle();
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    if (!owner || !GetWindowInfo(owner, &info))
        return {0, 0};
    const TPoint offset = FOwner->BorderOwnerClientOffset();
    return {offset.X - (info.rcClient.left - info.rcWindow.left), offset.Y - (info.rcClient.top - info.rcWindow.top)};
}

void TacBorderForm::PaintOwnerNonClient()
{
    FOwner->PaintBorderOwnerNonClient();
}

bool TacBorderForm::OwnerMaximized() const
{
    const HWND owner = OwnerHandle();
    return owner && IsZoomed(owner);
}

TPoint TacBorderForm::ToWindow(TPoint screen) const
{
    RECT r{};
    if (const HWND wnd = WindowHandle())
        GetWindowRect(wnd, &r);
    return {screen.X - r.left, screen.Y - r.top};
}

TPoint TacBorderForm::CursorInWindow() const
{
    POINT p{};
    ks::Sys().GetCursorPos(&p);
    return ToWindow({p.x, p.y});
}

bool TacBorderForm::OverShadow(TPoint p)
{
    if (OwnerMaximized())
        return false;
    RECT r{};
    if (!GetWindowRect(WindowHandle(), &r))
        return false;
    const TRect m = FOwner->BorderOwnerMargins();
    const TRect frame{m.Left, m.Top, r.right - r.left - m.Right, r.bottom - r.top - m.Bottom};
    if (PtIn(frame, p))
        return false;
    FOwner->SetHotTitleButton(0);
    return true;
}

// ---- hit testing -------------------------------------------------------------------------------

int TacBorderForm::BorderHitTest(TPoint screen)
{
    // The owner's hit-test handler, and the repaint of the title button lit or put out below,
    // run the owner's code, which may free the provider and let go of this window, also when the
    // test is asked from outside any message: nothing of the owner is read after that.
    TsSkinProvider* provider = FOwner->BorderOwnerProvider();
    const TsSkinProvider::Hold ownerHold(provider);
    const Hold hold(this);
    if (provider && provider->OnExtHitTest()) {
        TMessage m{WM_NCHITTEST, 0, MAKELPARAM(screen.X, screen.Y), 0};
        provider->OnExtHitTest()(m);
        if (m.Result != 0)
            return static_cast<int>(m.Result);
        if (FDisposed)
            return -1;
    }
    const HWND owner = OwnerHandle();
    if (!owner || !IsWindowVisible(owner))
        return -1;
    const TPoint p = ToWindow(screen);
    RECT wr{};
    GetWindowRect(WindowHandle(), &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;

    const TitleButtonFlags flags = FOwner->BorderOwnerButtonFlags();
    const bool iconic = IsIconic(owner) != 0;
    auto on = [&](int code) {
        const TitleButtonRec* rec = FOwner->BorderOwnerButton(code);
        return rec && PtIn(rec->Rect, p);
    };
    int code = -1;
    if (flags.VisibleClose && on(HTCLOSE))
        code = HTCLOSE;
    else if (flags.VisibleMax && on(HTMAXBUTTON))
        code = flags.EnabledMax || (flags.EnabledRestore && !iconic) ? HTMAXBUTTON : HTCAPTION;
    else if ((flags.VisibleMin || iconic) && on(HTMINBUTTON))
        // A minimised window cannot be minimised, but there the button restores it: as the
        // caption it would start a move instead.
        code = flags.EnabledMin || iconic ? HTMINBUTTON : HTCAPTION;
    else if ((GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) && on(HTHELP))
        code = HTHELP;
    else if (provider && provider->TitleButtons()) {
        for (int i = 0; i < provider->TitleButtons()->Count(); ++i) {
            TsTitleButton* button = provider->TitleButtons()->Items(i);
            if (button->Visible() && button->Enabled() && PtIn(button->BtnData.Rect, p)) {
                code = 1000 + i;
                break;
            }
        }
    }
    // A disabled button answers as the caption and is never lit.
    FOwner->SetHotTitleButton(code == -1 || code == HTCAPTION ? 0 : code);
    if (code != -1 || FDisposed)
        return code;

    const TRect m = FOwner->BorderOwnerMargins();
    const int bw = FOwner->BorderOwnerBorderWidth();
    if (!IsZoomed(owner) && (GetWindowLongPtrW(owner, GWL_STYLE) & WS_THICKFRAME)) {
        const bool top = p.Y < m.Top + bw, bottom = p.Y >= h - m.Bottom - bw;
        const bool left = p.X < m.Left + bw, right = p.X >= w - m.Right - bw;
        if (left)
            return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
        if (right)
            return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
        if (top)
            return HTTOP;
        if (bottom)
            return HTBOTTOM;
    }
    if (p.Y < FOwner->BorderOwnerCaptionBottom())
        return PtIn(FOwner->BorderOwnerIconRect(), p) ? HTSYSMENU : HTCAPTION;
    if (p.Y >= FOwner->BorderOwnerMenuBottom())
        return provider && provider->GripHit({p.X - m.Left, p.Y - m.Top}) ? HTBOTTOMRIGHT : -1;
    return HTMENU;
}

int ForwardedHitCode(TacBorderForm* border, TMessage& message)
{
    if (border && static_cast<int>(message.WParam) == -1) {
        const TPoint at{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
        message.WParam = static_cast<WPARAM>(border->BorderHitTest(at));
    }
    return static_cast<int>(message.WParam);
}

// ---- the owner's frame image --------------------------------------------------------------------

namespace {

// A copy of r of a 32-bit image, after what GDI has drawn into it.
std::unique_ptr<TBitmap> PartOf(TBitmap& image, const TRect& r)
{
    GdiFlush();
    std::unique_ptr<TBitmap> copy = NewBitmap32(std::max(r.Width(), 0), std::max(r.Height(), 0));
    if (!copy->Empty())
        ks::CopyRect(copy->View(), {0, 0}, image.View(), r);
    return copy;
}

int FormOffsetOf(const TsSkinManager& manager)
{
    return std::max<int>(manager.SkinData.FormOffset, 0);
}

} // namespace

std::unique_ptr<TBitmap> LayBorderShadow(TBitmap& image, TsSkinManager& manager, const TRect& margins, bool active,
                                         bool titleOnBorder)
{
    const TRect& m = margins;
    const TRect inner{m.Left, m.Top, image.Width() - m.Right, image.Height() - m.Bottom};
    ks::SetAlpha32(image.View(), inner, 255);
    TBitmap* picture = active ? manager.ShadowActive.get() : manager.ShadowInactive.get();
    if (!picture || picture->Empty())
        return nullptr;
    const int offset = FormOffsetOf(manager);
    // The shadow goes only where the window is not: the margins, and the corners the frame keeps
    // transparent.
    std::unique_ptr<TBitmap> shadow = NewBitmap32(image.Width(), image.Height());
    ks::FillRect32(shadow->View(), {0, 0, shadow->Width(), shadow->Height()}, 0);
    TRect corners;
    if (titleOnBorder && manager.MaskIndexValid(manager.CommonIndexes.ExBorderMask)) {
        const int ex = manager.CommonIndexes.ExBorderMask;
        corners = TRect{manager.MaskBorderLeft(ex), manager.MaskBorderTop(ex), manager.MaskBorderRight(ex),
                        manager.MaskBorderBottom(ex)};
    } else {
        corners = TRect{m.Left + offset, m.Top + offset, m.Right + offset, m.Bottom + offset};
    }
    StretchNinePart(*shadow, *picture, {0, 0, shadow->Width(), shadow->Height()},
                    {0, 0, picture->Width(), picture->Height()}, corners, corners, {1, 1, 1, 1}, 1, false);
    GdiFlush();
    std::unique_ptr<TBitmap> frame = PartOf(image, inner);
    ks::CopyRect(image.View(), {0, 0}, shadow->View(), {0, 0, shadow->Width(), shadow->Height()});
    ks::CopyRect(image.View(), {inner.Left, inner.Top}, frame->View(), {0, 0, frame->Width(), frame->Height()});
    return shadow;
}

void RestoreFrameCorners(TBitmap& image, TBitmap& shadow, TsSkinManager& manager, const TRect& margins, int topMask,
                         int bottomMask)
{
    const TRect frame{margins.Left, margins.Top, image.Width() - margins.Right, image.Height() - margins.Bottom};
    // Without a border image the frame's own key colour tells, as far as the shadow's corner
    // reaches into the frame.
    const int reach = FormOffsetOf(manager) + 16;
    auto restore = [&](int mask, int corner) {
        const bool right = corner == HTTOPRIGHT || corner == HTBOTTOMRIGHT;
        const bool bottom = corner == HTBOTTOMLEFT || corner == HTBOTTOMRIGHT;
        const bool skinned = manager.MaskIndexValid(mask);
        // A border image's corner is its border widths large and lies at the frame's corner.
        const int w = !skinned ? reach : right ? manager.MaskBorderRight(mask) : manager.MaskBorderLeft(mask);
        const int h = !skinned ? reach : bottom ? manager.MaskBorderBottom(mask) : manager.MaskBorderTop(mask);
        const int left = right ? frame.Right - w : frame.Left;
        const int top = bottom ? frame.Bottom - h : frame.Top;
        RestoreTransparentCorner(image, shadow, {left, top, left + w, top + h}, {left, top}, skinned ? mask : -1,
                                 &manager, corner);
    };
    restore(topMask, HTTOPLEFT);
    restore(topMask, HTTOPRIGHT);
    restore(bottomMask, HTBOTTOMLEFT);
    restore(bottomMask, HTBOTTOMRIGHT);
}

void PaintOpaqueBand(TBitmap& image, int bottom, const std::function<void()>& paint)
{
    const TRect band{0, 0, image.Width(), std::min(bottom, image.Height())};
    std::unique_ptr<TBitmap> before = PartOf(image, band);
    paint();
    GdiFlush();
    ks::OpaqueWhereChanged32(image.View(), before->View());
}

// ---- the window --------------------------------------------------------------------------------

void TacBorderForm::UpdateBorderWindow(bool show, uint8_t alpha)
{
    const HWND wnd = WindowHandle();
    const HWND owner = OwnerHandle();
    if (!wnd || Updating || FDisposed || !owner || (Application && Application->Terminated()))
        return;
    RECT ownerRect{};
    if (!GetWindowRect(owner, &ownerRect))
        return;
    TsSkinProvider* provider = FOwner->BorderOwnerProvider();
    if (provider) {
        TCustomForm* form = provider->Form;
        if (!form || form->FormState().Contains(fsShowing) || !provider->DrawNonClientArea() ||
            (SkinData && SkinData->Updating()))
            return;
        if (form->ComponentState().Contains(csDestroying)) {
            // The form going: its frame goes from the screen now, not when the provider does.
            ShowWindow(wnd, SW_HIDE);
            FOwner->ReleaseBorderResources();
            return;
        }
        if (!IsWindowVisible(owner) || IsIconic(owner) || (Application && IsIconic(Application->Handle()))) {
            ShowWindow(wnd, SW_HIDE);
            return;
        }
    } else if (!IsWindowVisible(owner)) {
        return;
    }
    if (!show && !IsWindowVisible(wnd))
        return;
    // The owner's repaint below may run its OnPaint, which may free the provider.
    const TsSkinProvider::Hold ownerHold(provider);
    const Hold hold(this);
    Updating = true;
    const bool repaint = !provider || (SkinData && SkinData->BackgroundChanged);
    if (repaint)
        FOwner->PaintBorderOwnerNonClient();
    // The owner's OnPaint, run by the repaint, may have let the owner go of this window, or freed
    // the owner with its form: the image is the owner's.
    TBitmap* image = FDisposed ? nullptr : BorderImage();
    if (FDisposed || !image || image->Empty() || !WindowHandle()) {
        Updating = false;
        return;
    }
    const TPoint offset = OwnerOffset();
    const int x = ownerRect.left - offset.X, y = ownerRect.top - offset.Y;
    const int cx = image->Width(), cy = image->Height();

    if (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST)
        Form->SetFormStyle(fsStayOnTop);
    else if (!provider && (GetWindowLongPtrW(owner, GWL_STYLE) & WS_POPUP))
        SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_POPUP);

    RECT current{};
    GetWindowRect(wnd, &current);
    UINT flags = BorderPosFlags;
    const bool sameSize = current.right - current.left == cx && current.bottom - current.top == cy;
    if (sameSize && !repaint)
        flags |= SWP_NOSIZE;
    auto update = ks::Sys().UpdateLayeredWindowPtr;
    const bool changed = repaint || ImageChanged || !IsWindowVisible(wnd);
    ImageChanged = false;
    if (update && changed && !Busy) {
        uint8_t constant = alpha;
        if (provider && provider->Form->AlphaBlend())
            constant = provider->Form->AlphaBlendValue();
        // Under Wine every window change costs several round trips to its server, and the frame
        // is pushed on every move of a changing form: what would change nothing is left out. The
        // layered update itself places the window.
        const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
        if ((exStyle & BorderLayeredExStyle) != BorderLayeredExStyle)
            SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle | BorderLayeredExStyle);
        // Below its owner, so the owner's own window stays on top of the frame it lies in; the
        // region below is made for the window's new size.
        if (!sameSize || GetWindow(owner, GW_HWNDNEXT) != wnd)
            SetWindowPos(wnd, owner, x, y, cx, cy, flags);
        ks::GdiRegion region = MakeRgn();
        // The system owns a region once it is set. A region that stays as it is is not set again:
        // each setting reshapes the window on the screen, and under Wine the windows it uncovers
        // for that moment are raised over it, a modal dialog's disabled owner over the dialog
        // and its frame. Taking away a region that is not there costs a frame change as well.
        ks::GdiRegion current(CreateRectRgn(0, 0, 0, 0));
        const bool has = GetWindowRgn(wnd, current.get()) != ERROR;
        if (region.get() ? !has || !EqualRgn(current.get(), region.get()) : has)
            SetWindowRgn(wnd, region.release(), FALSE);
        ks::WindowDC screen(nullptr);
        POINT position{x, y};
        SIZE size{cx, cy};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, constant, AC_SRC_ALPHA};
        update(wnd, screen.get(), &position, &size, image->Canvas().Handle(), &source, 0, &blend, ULW_ALPHA);
        if (!IsWindowVisible(wnd))
            ShowWindow(wnd, SW_SHOWNOACTIVATE);
    } else {
        SetWindowPos(wnd, owner, x, y, cx, cy, flags | SWP_SHOWWINDOW);
    }
    Updating = false;
}

ks::GdiRegion TacBorderForm::MakeRgn()
{
    const HWND wnd = WindowHandle();
    const HWND owner = OwnerHandle();
    RECT r{};
    if (!wnd || !owner || !GetWindowRect(wnd, &r))
        return {};
    const int w = r.right - r.left, h = r.bottom - r.top;
    const TRect m = FOwner->BorderOwnerMargins();
    TsSkinProvider* provider = FOwner->BorderOwnerProvider();
    ks::GdiRegion region;
    if (IsZoomed(owner)) {
        const int bw = FOwner->BorderOwnerBorderWidth();
        region = ks::GdiRegion(CreateRectRgn(m.Left + bw, m.Top + bw, w - m.Right - bw, h - m.Bottom - bw));
    } else if (provider && !provider->Animating && !(provider->Form && provider->Form->AlphaBlend())) {
        return {};
    } else {
        region = ks::GdiRegion(CreateRectRgn(0, 0, w, h));
    }
    RECT client{};
    GetClientRect(owner, &client);
    const TPoint offset = FOwner->BorderOwnerClientOffset();
    ks::GdiRegion clientRgn(CreateRectRgn(offset.X, offset.Y, offset.X + client.right, offset.Y + client.bottom));
    if (region.get() && clientRgn.get())
        CombineRgn(region.get(), region.get(), clientRgn.get(), RGN_DIFF);
    return region;
}

// ---- its window procedure ----------------------------------------------------------------------

void TacBorderForm::NewWndProc(TMessage& message)
{
    if (FDisposed) {
        OldWndProc(message);
        return;
    }
    // The owner's handlers run under the messages of this window (its OnPaint under a repaint
    // of the frame): a provider freed there, and this window with it, go once this is done.
    const TsSkinProvider::Hold owner(FOwner->BorderOwnerProvider());
    const Hold hold(this);
    DispatchMessage(message);
}

void TacBorderForm::DispatchMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: WMMouse(message); break;
    case WM_NCPAINT:
    case WM_ERASEBKGND: message.Result = 0; break;
    case WM_MOUSEACTIVATE: WMMouseActivate(message); break;
    case WM_SETCURSOR: WMSetCursor(message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); break;
    case WM_NCHITTEST: WMNCHitTest(message); break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONUP: WMNCButton(message); break;
    case WM_NCRBUTTONDOWN: WMNCRButtonDown(message); break;
    case WM_NCLBUTTONDBLCLK: WMNCLButtonDblClk(message); break;
    default: OldWndProc(message);
    }
}

void TacBorderForm::WMMouse(TMessage& message)
{
    const TPoint p = message.Msg == WM_MOUSEMOVE
                         ? TPoint{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))}
                         : CursorInWindow();
    if (!OverShadow(p)) {
        OldWndProc(message);
        return;
    }
    PassToWindowBelow(message, p);
}

void TacBorderForm::PassToWindowBelow(TMessage& message, TPoint p)
{
    const HWND wnd = WindowHandle();
    Busy = true;
    // A hole of one pixel at the point lets the next real event reach the window below. A hole
    // is cut, never toggled, so a second event at the same pixel keeps it open.
    TsSkinProvider* provider = FOwner->BorderOwnerProvider();
    const bool modal = provider && provider->Form && provider->Form->FormState().Contains(fsModal);
    if (!modal) {
        // Cut from the window's own region, so that the holes of earlier events close again
        // instead of piling up in the shadow.
        ks::GdiRegion region = MakeRgn();
        if (!region.get()) {
            RECT r{};
            GetWindowRect(wnd, &r);
            region = ks::GdiRegion(CreateRectRgn(0, 0, r.right - r.left, r.bottom - r.top));
        }
        ks::GdiRegion hole(CreateRectRgn(p.X, p.Y, p.X + 1, p.Y + 1));
        CombineRgn(region.get(), region.get(), hole.get(), RGN_DIFF);
        SetWindowRgn(wnd, region.release(), FALSE);
    }
    RECT r{};
    GetWindowRect(wnd, &r);
    const POINT screen{r.left + p.X, r.top + p.Y};
    const HWND below = WindowFromPoint(screen);
    if (below && below != wnd && below != OwnerHandle()) {
        // The coordinates travel in the receiver's client area, not the border window's.
        POINT local = screen;
        ScreenToClient(below, &local);
        SendMessageW(below, message.Msg, message.WParam, MAKELPARAM(local.x, local.y));
    }
    Busy = false;
}

void TacBorderForm::WMMouseActivate(TMessage& message)
{
    message.Result = MA_NOACTIVATE;
    if (const HWND owner = OwnerHandle())
        SetActiveWindow(owner);
}

void TacBorderForm::WMSetCursor(TMessage& message)
{
    POINT cursor{};
    ks::Sys().GetCursorPos(&cursor);
    if (OverShadow(ToWindow({cursor.x, cursor.y}))) {
        OldWndProc(message);
        return;
    }
    const wchar_t* shape = nullptr;
    switch (BorderHitTest({cursor.x, cursor.y})) {
    case HTCAPTION:
    case HTMENU: shape = IDC_ARROW; break;
    case HTLEFT:
    case HTRIGHT: shape = IDC_SIZEWE; break;
    case HTTOP:
    case HTBOTTOM: shape = IDC_SIZENS; break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: shape = IDC_SIZENWSE; break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: shape = IDC_SIZENESW; break;
    default: OldWndProc(message); return;
    }
    SetCursor(LoadCursorW(nullptr, shape));
    message.Result = 1;
}

void TacBorderForm::WMWindowPosChanged(TMessage& message)
{
    // Moved or shown by anyone but its own update, the window shows the owner's frame as it is
    // now, painted anew; its own update has just pushed that frame, and painting it again at every
    // move would make following a dragged form a full repaint. A window just hidden stays hidden.
    if (!Updating)
        FOwner->ReleaseBorderResources();
    OldWndProc(message);
    if (!Busy)
        UpdateBorderWindow(false, 255);
}

void TacBorderForm::WMNCHitTest(TMessage& message)
{
    const TWMNCHitTest view(message);
    if (OverShadow(ToWindow({view.XPos(), view.YPos()}))) {
        OldWndProc(message);
        return;
    }
    message.Result = FrameHitCode;
}

void TacBorderForm::WMNCButton(TMessage& message)
{
    const TWMNCHitTest view(message);
    if (OverShadow(ToWindow({view.XPos(), view.YPos()}))) {
        OldWndProc(message);
        return;
    }
    if (const HWND owner = OwnerHandle())
        message.Result = SendMessageW(owner, message.Msg, static_cast<WPARAM>(-1), message.LParam);
}

void TacBorderForm::WMNCRButtonDown(TMessage& message)
{
    const TWMNCHitTest view(message);
    if (OverShadow(ToWindow({view.XPos(), view.YPos()}))) {
        OldWndProc(message);
        return;
    }
    const int code = BorderHitTest({view.XPos(), view.YPos()});
    if (const HWND owner = OwnerHandle())
        message.Result = SendMessageW(owner, message.Msg, static_cast<WPARAM>(code), message.LParam);
}

void TacBorderForm::WMNCLButtonDblClk(TMessage& message)
{
    const HWND owner = OwnerHandle();
    if (!owner)
        return;
    TsSkinProvider* provider = FOwner->BorderOwnerProvider();
    // An outline that a sizing drag left on the screen goes before the window changes.
    if (provider && provider->ResizeMode() == rmBorder)
        CancelOutlineDrag(*provider);
    const TWMNCHitTest view(message);
    const int code = BorderHitTest({view.XPos(), view.YPos()});
    // The second of two quick clicks on a title button presses it as the first did.
    if (code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP || code >= HTUDBTN) {
        message.Result = SendMessageW(owner, WM_NCLBUTTONDOWN, static_cast<WPARAM>(-1), message.LParam);
        return;
    }
    if (code == HTSYSMENU) {
        SendMessageW(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (code == HTCAPTION && provider) {
        const TitleButtonFlags flags = FOwner->BorderOwnerButtonFlags();
        if (flags.EnabledMax || flags.EnabledRestore) {
            const bool maximized = provider->Form->WindowState() == wsMaximized || IsZoomed(owner);
            SendMessageW(owner, WM_SYSCOMMAND, maximized ? SC_RESTORE : SC_MAXIMIZE, 0);
            if (provider->SystemMenu)
                provider->SystemMenu->UpdateItems();
        }
    }
    message.WParam = 0;
    message.Result = 0;
}

// Window utilities, the capture of a control tree and the animations' output window (see the
// header).

#include "skin/core/sVclUtils.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/FormServices.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/acFastPixels.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

HMODULE UxThemeLibrary = nullptr;
HDC CaptureDC = nullptr;

namespace {

bool IsDestroying(const TComponent* c) noexcept
{
    return c->ComponentState().Contains(csDestroying);
}

TRect ToTRect(const RECT& r) noexcept
{
    return {r.left, r.top, r.right, r.bottom};
}

// The platform library's MoveWindowOrg: logical (0, 0) lands dx, dy further on.
void MoveWindowOrg(HDC dc, int dx, int dy)
{
    OffsetWindowOrgEx(dc, -dx, -dy, nullptr);
}

// csPaintCopy on a control for the length of a scope, when the container paints a copy.
class PaintCopyScope {
public:
    PaintCopyScope(TControl& control, bool copy) noexcept : FControl(control), FCopy(copy)
    {
        if (FCopy)
            SetFlag(true);
    }
    ~PaintCopyScope()
    {
        if (FCopy)
            SetFlag(false);
    }
    PaintCopyScope(const PaintCopyScope&) = delete;
    PaintCopyScope& operator=(const PaintCopyScope&) = delete;

private:
    void SetFlag(bool on) noexcept
    {
        TControlState state = FControl.ControlState();
        if (on)
            state.Include(csPaintCopy);
        else
            state.Exclude(csPaintCopy);
        FControl.SetControlState(state);
    }
    TControl& FControl;
    bool FCopy;
};

// The windowless children to paint, as the container's list holds them now; entries of a list
// that shrinks while children paint are passed over.
TControl* ChildAt(TWinControl& container, int index)
{
    return index < container.ControlCount() ? container.Controls(index) : nullptr;
}

// The part of the container that the children to be painted cover: the off-screen picture
// needs no more. Making and whitening a picture of the whole container cost more than
// painting a small label into it; outside this part nothing is ever copied to the target.
TRect GraphicChildrenBounds(TWinControl& container, int count, HDC target, TPoint offset)
{
    TRect bounds{};
    bool any = false;
    for (int i = 0; i < count; ++i) {
        TControl* child = ChildAt(container, i);
        if (!child || !GraphicChildVisible(child, target, offset))
            continue;
        const TRect r = child->BoundsRect();
        bounds = any ? TRect{std::min(bounds.Left, r.Left), std::min(bounds.Top, r.Top), std::max(bounds.Right, r.Right),
                             std::max(bounds.Bottom, r.Bottom)}
                     : r;
        any = true;
    }
    const TRect inside{std::max(bounds.Left, 0), std::max(bounds.Top, 0), std::min(bounds.Right, container.Width()),
                       std::min(bounds.Bottom, container.Height())};
    // Children that all lie outside the container keep the container-sized picture they had.
    if (inside.Right <= inside.Left || inside.Bottom <= inside.Top)
        return {0, 0, container.Width(), container.Height()};
    return inside;
}

// Fills the backgrounds of the children to be painted into the memory image, whose (0, 0) is
// origin of the container, in one pass.
void PaintChildBackgrounds(TWinControl& container, int count, HDC target, TPoint offset, HDC memory, TPoint origin,
                           const BackgroundInfo& bg)
{
    for (int i = 0; i < count; ++i) {
        TControl* child = ChildAt(container, i);
        if (!child || !GraphicChildVisible(child, target, offset))
            continue;
        const TRect r = child->BoundsRect();
        const TRect at{r.Left - origin.X, r.Top - origin.Y, r.Right - origin.X, r.Bottom - origin.Y};
        if (child->ControlStyle().Contains(csOpaque))
            FillRectSolid(memory, at, ControlBackColor(child));
        else if (bg.BackgroundKind == BgKindBitmap && bg.Bmp)
            BitBlt(memory, at.Left, at.Top, r.Width(), r.Height(), bg.Bmp->Canvas().Handle(),
                   ks::ShownLeft(*child) + bg.Offset.X, r.Top + bg.Offset.Y, SRCCOPY);
        else
            FillRectSolid(memory, at, bg.Color);
    }
}

// The off-screen picture the windowless children paint into: a white top-down 24-bit DIB
// section selected into a memory DC of its own. A 24-bit image rather than one like the screen:
// at 15 or 16 bits per pixel the key colour would read back changed and every transparent
// corner would be copied. Made with GDI directly, since a TBitmap's making costs several times
// a small label's painting, and it is made at every paint of the container.
class ChildPicture {
public:
    // An empty picture (DC() nullptr) when the system refuses.
    ChildPicture(int width, int height) noexcept
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        FBitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!FBitmap || !bits)
            return;
        try {
            FDC = ks::MemoryDC::Compatible(nullptr);
        } catch (const Exception&) {
            return;
        }
        FSelected.emplace(FDC.get(), FBitmap.get());
        FBits = static_cast<const uint8_t*>(bits);
        FWidth = width;
        FHeight = height;
        PatBlt(FDC.get(), 0, 0, width, height, WHITENESS);
    }

    HDC DC() const noexcept { return FBits ? FDC.get() : nullptr; }

    // The pixel at (x, y), as GetPixel answers it: CLR_INVALID outside the picture.
    TColor PixelAt(int x, int y) const noexcept
    {
        if (!FBits || x < 0 || y < 0 || x >= FWidth || y >= FHeight)
            return static_cast<TColor>(CLR_INVALID);
        GdiFlush(); // GDI may still be drawing into the bits (Wine draws at once; Windows batches)
        const ptrdiff_t stride = (static_cast<ptrdiff_t>(FWidth) * 3 + 3) & ~ptrdiff_t{3};
        const uint8_t* p = FBits + stride * y + static_cast<ptrdiff_t>(x) * 3;
        return static_cast<TColor>(RGB(p[2], p[1], p[0]));
    }

private:
    // Declared so that the bitmap outlives its selection, and the DC that selection.
    ks::GdiBitmap FBitmap;
    ks::MemoryDC FDC;
    std::optional<ks::SelectGuard> FSelected;
    const uint8_t* FBits = nullptr;
    int FWidth = 0;
    int FHeight = 0;
};

std::vector<HWND> ChildWindows(HWND wnd)
{
    // Bottom of the z-order first, so that windows above are printed over those below.
    std::vector<HWND> children;
    for (HWND child = GetWindow(GetWindow(wnd, GW_CHILD), GW_HWNDLAST); child; child = GetWindow(child, GW_HWNDPREV))
        children.push_back(child);
    return children;
}

// ---- animation slots

struct Slots {
    TWinControl* Output = nullptr;
    std::unique_ptr<ks::ComponentWatch> Watch;
    std::unique_ptr<TBitmap> ScreenImage;
};

Slots& AnimationSlots()
{
    static Slots slots;
    return slots;
}

} // namespace

// ---- questions about controls and windows -------------------------------------------------------

bool CursorPos(TPoint& point)
{
    POINT p{};
    if (!ks::Sys().GetCursorPos(&p))
        return false;
    point = {p.x, p.y};
    return true;
}

bool GraphicChildVisible(TControl* control, HDC dc, TPoint offset)
{
    if (!control || !control->Visible() || !dynamic_cast<TGraphicControl*>(control))
        return false;
    if (control->Width() < 1 || control->Height() < 1 || control->ControlStyle().Contains(csNoDesignVisible) ||
        IsDestroying(control))
        return false;
    const TRect b = control->BoundsRect();
    const RECT r{b.Left + offset.X, b.Top + offset.Y, b.Right + offset.X, b.Bottom + offset.Y};
    return RectVisible(dc, &r) != 0;
}

bool CanPaintControl(TControl* control)
{
    if (!control)
        return false;
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && !windowed->HandleAllocated())
        return false;
    const TControlState state = control->ControlState();
    const TComponentState components = control->ComponentState();
    return !state.Contains(csCreating) && !state.Contains(csReadingState) && !components.Contains(csLoading) &&
           !components.Contains(csDestroying) && control->Parent() != nullptr;
}

TCustomForm* OwningForm(TComponent* component)
{
    for (TComponent* c = component; c; c = c->Owner())
        if (auto* form = dynamic_cast<TCustomForm*>(c))
            return form;
    return nullptr;
}

TCustomFrame* OwningFrame(TComponent* component)
{
    for (TComponent* c = component; c; c = c->Owner())
        if (auto* frame = dynamic_cast<TCustomFrame*>(c))
            return frame;
    return nullptr;
}

UINT DrawTextFlagsOf(TControl* control, int alignment)
{
    static constexpr std::array<UINT, 3> AlignmentFlags{DT_LEFT, DT_RIGHT, DT_CENTER};
    // Any other value is taken as left-justified rather than read beyond the table.
    const UINT align = alignment >= 0 && alignment < 3 ? AlignmentFlags[static_cast<size_t>(alignment)] : DT_LEFT;
    const UINT flags = align | DT_EXPANDTABS | DT_VCENTER;
    return control ? control->DrawTextBiDiModeFlags(flags) : flags;
}

void ClientRectInWindow(HWND wnd, TRect& r)
{
    RECT client{};
    RECT window{};
    if (!GetClientRect(wnd, &client) || !GetWindowRect(wnd, &window)) {
        r = {};
        return;
    }
    MapWindowPoints(HWND_DESKTOP, wnd, reinterpret_cast<POINT*>(&window), 2);
    r = {client.left - window.left, client.top - window.top, client.right - window.left, client.bottom - window.top};
}

int GetAlignedSize(TWinControl* container, TAlign alignment, bool includeGraphic)
{
    if (!container)
        return 0;
    int sum = 0;
    const int count = container->ControlCount();
    for (int i = 0; i < count && i < container->ControlCount(); ++i) {
        TControl* child = container->Controls(i);
        if (!child->Visible() || child->Align() != alignment)
            continue;
        if (!includeGraphic && !dynamic_cast<TWinControl*>(child))
            continue;
        if (alignment == alTop || alignment == alBottom)
            sum += child->Height();
        else if (alignment == alLeft || alignment == alRight)
            sum += child->Width();
    }
    return sum;
}

HWND TopParentWindow(HWND wnd)
{
    HWND top = wnd;
    for (HWND parent = GetParent(top); parent; parent = GetParent(top))
        top = parent;
    return top;
}

// ---- windowless children ------------------------------------------------------------------------

void PaintGraphicChildren(HDC dc, TWinControl* container, TPoint offset)
{
    if (!container || !container->Visible() || container->ControlCount() == 0)
        return;
    RECT clip{};
    const int region = GetClipBox(dc, &clip);
    if (region == NULLREGION || region == ERROR || clip.right == clip.left || clip.bottom == clip.top) {
        SendCommandWnd(container->HandleIfAllocated(), SKC_SET_CACHE_OUTDATED, 0);
        return;
    }
    BackgroundInfo bg;
    bg.R = container->ClientRect();
    QueryParentBackground(bg, container, false);

    ks::ComponentWatch watch;
    watch.Watch(container);
    const auto* mdiForm = dynamic_cast<TCustomForm*>(container);
    const bool mdi = mdiForm && mdiForm->FormStyle() == fsMDIForm;
    const bool copy = container->ControlState().Contains(csPaintCopy);
    std::optional<ChildPicture> image;
    HDC memory = nullptr;
    TPoint origin{};
    const int count = container->ControlCount();
    for (int i = 0; i < count && watch.Alive(container); ++i) {
        TControl* child = ChildAt(*container, i);
        if (!child || !GraphicChildVisible(child, dc, offset))
            continue;
        if (mdi && child->Align() != alNone)
            SendCommandCtl(child, SKC_REPAINT_NOW, 0);
        if (!image) {
            const TRect part = GraphicChildrenBounds(*container, count, dc, offset);
            origin = {part.Left, part.Top};
            image.emplace(part.Width(), part.Height());
            memory = image->DC();
            if (!memory)
                return;
            PaintChildBackgrounds(*container, count, dc, offset, memory, origin, bg);
        }
        ks::SavedDC saved(memory);
        MoveWindowOrg(memory, child->Left() - origin.X, child->Top() - origin.Y);
        IntersectClipRect(memory, 0, 0, child->Width(), child->Height());
        PaintCopyScope paintCopy(*child, copy);
        child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
    }
    if (!image)
        return;
    for (int i = 0; i < count && watch.Alive(container); ++i) {
        TControl* child = ChildAt(*container, i);
        if (!child || !GraphicChildVisible(child, dc, offset))
            continue;
        const TRect r = child->BoundsRect();
        if (image->PixelAt(r.Left - origin.X, r.Top - origin.Y) == TransparentKeyColor)
            continue;
        ks::PlacedDC placed(dc, {r.Left + offset.X, r.Top + offset.Y, r.Right + offset.X, r.Bottom + offset.Y});
        BitBlt(dc, 0, 0, r.Width(), r.Height(), memory, r.Left - origin.X, r.Top - origin.Y, SRCCOPY);
    }
}

// ---- visual styles ------------------------------------------------------------------------------

void SwitchVisualStyleOff(HWND wnd)
{
    if (UxThemeLibrary && ks::Sys().SetWindowThemePtr)
        ks::Sys().SetWindowThemePtr(wnd, L" ", L" ");
}

void GiveVisualStyleBack(HWND wnd)
{
    if (UxThemeLibrary && ks::Sys().SetWindowThemePtr)
        ks::Sys().SetWindowThemePtr(wnd, nullptr, nullptr);
}

void InitializeVclUtilsUnit() noexcept
{
    if (UxThemeLibrary)
        return;
    // From the system directory only: a library of the same name beside the program is never
    // loaded.
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    const std::wstring path = std::wstring(dir, n) + L"\\uxtheme.dll";
    UxThemeLibrary = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void FinalizeVclUtilsUnit() noexcept
{
    ks::ClearAnimationSlots();
    if (UxThemeLibrary)
        FreeLibrary(UxThemeLibrary);
    UxThemeLibrary = nullptr;
}

// ---- capture ------------------------------------------------------------------------------------

void PaintControlToBitmap(TBitmap& bmp, TControl* control, int x, int y, ks::AnimatedFormProvider* provider)
{
    if (!control || IsDestroying(control))
        return;
    HDC dc = bmp.Canvas().Handle();
    if (!dc)
        return;
    ks::SavedDC saved(dc);
    if (!control->Visible()) {
        TWinControl* parent = control->Parent();
        if (provider || !parent)
            return;
        BackgroundInfo bg;
        bg.R = control->BoundsRect();
        QueryParentBackground(bg, parent, false);
        if (bg.BackgroundKind == BgKindBitmap && bg.Bmp)
            BitBlt(dc, x, y, control->Width(), control->Height(), bg.Bmp->Canvas().Handle(),
                   bg.Offset.X + control->Left(), bg.Offset.Y + control->Top(), SRCCOPY);
        else if (bg.BackgroundKind == BgKindColor)
            FillRectSolid(dc, {x, y, x + control->Width(), y + control->Height()}, bg.Color);
        return;
    }
    ks::AnimatedBorderForm* border = provider ? provider->BorderForm() : nullptr;
    if (!border)
        IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed) {
        control->Perform(WM_PRINT, reinterpret_cast<WPARAM>(dc), 0);
        return;
    }
    ks::ComponentWatch watch;
    watch.Watch(windowed);
    auto* form = dynamic_cast<TCustomForm*>(windowed);
    if (form && form->FormStyle() == fsMDIForm && Screen) {
        std::vector<TCustomForm*> children;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (TCustomForm* f = Screen->Forms(i); f->FormStyle() == fsMDIChild) {
                children.push_back(f);
                watch.Watch(f);
            }
        for (TCustomForm* child : children) {
            if (!watch.Alive(child))
                continue;
            ks::SavedDC savedChild(dc);
            MoveWindowOrg(dc, child->Left(), child->Top());
            PaintControlToBitmap(bmp, child, child->Left(), child->Top(), nullptr);
        }
    }
    if (!watch.Alive(windowed))
        return;
    if (SendCommandSimple(windowed, SKC_IS_SKINNED) & 0xFF)
        SendMessageW(windowed->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), 0);
    else
        windowed->PaintTo(dc, 0, 0);

    std::vector<TWinControl*> children;
    for (int i = 0; watch.Alive(windowed) && i < windowed->ControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(windowed->Controls(i)); child && child->Visible()) {
            children.push_back(child);
            watch.Watch(child);
        }
    for (TWinControl* child : children) {
        if (!watch.Alive(child) || !watch.Alive(windowed) || child->Parent() != windowed)
            continue;
        ks::SavedDC savedChild(dc);
        if (!(dynamic_cast<TCustomForm*>(child) && !child->Parent()))
            MoveWindowOrg(dc, child->Left(), child->Top());
        PaintControlToBitmap(bmp, child, child->Left(), child->Top(), nullptr);
    }
    if (border && watch.Alive(windowed)) {
        const TRect client = windowed->ClientRect();
        const int dx = provider->ClientOffsetX();
        const int dy = provider->ClientOffsetY();
        SetRectAlpha32(&bmp, {client.Left + dx, client.Top + dy, client.Right + dx, client.Bottom + dy}, 255);
    }
}

void PrintChildWindows(HWND wnd, HDC dc)
{
    for (HWND child : ChildWindows(wnd)) {
        if (!IsWindow(child) || !IsWindowVisible(child) || GetParent(child) != wnd)
            continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, wnd, reinterpret_cast<POINT*>(&r), 2);
        ks::SavedDC saved(dc);
        MoveWindowOrg(dc, r.left, r.top);
        SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
        TRect client;
        ClientRectInWindow(child, client);
        MoveWindowOrg(dc, client.Left, client.Top);
        PrintChildWindows(child, dc);
    }
}

// ---- the output window --------------------------------------------------------------------------

const ks::ClassInfo TOutputWindow::StaticClassInfo{"TOutputWindow", &TCustomControl::StaticClassInfo, {}, {}};

const ks::ClassInfo& TOutputWindow::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TOutputWindow::TOutputWindow(TComponent* owner) : TCustomControl(owner)
{
    SetCaption(L"acOutputWindow");
    SetVisible(false);
    SetColor(static_cast<TColor>(0x800080));
}

void TOutputWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (Parent() || ParentWindow())
        return;
    params.Style = WS_POPUP;
    if (auto* owner = dynamic_cast<TWinControl*>(Owner());
        owner && owner->HandleAllocated() && (GetWindowLongPtrW(owner->HandleIfAllocated(), GWL_EXSTYLE) & WS_EX_TOPMOST))
        params.ExStyle |= WS_EX_TOPMOST;
    if (Application)
        params.WndParent = Application->Handle();
}

void TOutputWindow::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_NCPAINT:
        message.Result = 0;
        return;
    default:
        TCustomControl::Dispatch(message);
    }
}

void ShowOutputWindow(TControl* control)
{
    if (!control)
        return;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    HWND wnd = windowed ? windowed->HandleIfAllocated() : nullptr;
    RECT r{};
    if (wnd)
        GetWindowRect(wnd, &r);
    else if (control->Parent()) {
        const TPoint p = control->ClientToScreen({0, 0});
        r = {p.X, p.Y, p.X + control->Width(), p.Y + control->Height()};
    }
    Slots& slots = AnimationSlots();
    if (!slots.ScreenImage) {
        slots.ScreenImage = NewBitmap24(control->Width(), control->Height());
        ks::WindowDC screen(nullptr, ks::WindowDC::WholeWindow);
        BitBlt(slots.ScreenImage->Canvas().Handle(), 0, 0, control->Width(), control->Height(), screen.get(), r.left,
               r.top, SRCCOPY);
    }
    if (!ks::AnimationOutput())
        ks::SetAnimationOutput(Create<TOutputWindow>(control));
    TWinControl* output = ks::AnimationOutput();
    if (TWinControl* parent = control->Parent()) {
        output->SetParent(parent);
        // Its window first, so that the child order below restacks it.
        output->HandleNeeded();
        // Directly above the control among the parent's windowed children.
        int order = 0;
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            if (c == control)
                break;
            if (dynamic_cast<TWinControl*>(c) && c != output)
                ++order;
        }
        parent->SetChildOrder(output, order + 1);
        output->SetBoundsRect(control->BoundsRect());
        ShowWindow(output->Handle(), SW_SHOWNA);
    } else {
        output->SetBoundsRect(ToTRect(r));
        SetWindowPos(output->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

namespace ks {

TWinControl* AnimationOutput() noexcept
{
    Slots& slots = AnimationSlots();
    if (slots.Output && !(slots.Watch && slots.Watch->Alive(slots.Output)))
        slots.Output = nullptr;
    return slots.Output;
}

void SetAnimationOutput(TWinControl* output)
{
    Slots& slots = AnimationSlots();
    slots.Watch = std::make_unique<ComponentWatch>();
    slots.Output = output;
    if (output)
        slots.Watch->Watch(output);
}

TBitmap* AnimationScreenImage() noexcept
{
    return AnimationSlots().ScreenImage.get();
}

void ClearAnimationSlots() noexcept
{
    Slots& slots = AnimationSlots();
    if (TWinControl* output = AnimationOutput())
        output->Free();
    slots.Output = nullptr;
    slots.Watch.reset();
    slots.ScreenImage.reset();
}

} // namespace ks

#include "skin/core/acGlow.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/pixels/GlowPixels.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

std::vector<std::unique_ptr<TacGlowEffect>> GlowEffects;
BLENDFUNCTION GlowBlend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

namespace {

unsigned gGeneration = 0;
// Set at the unit's end: a release posted then would never be handled.
bool gFreeFormsNow = false;

// A halo larger than this on either side is a skin's nonsense, not a picture to allocate.
constexpr int64_t MaxHaloSide = 16384;

// The window of the last halo hidden, kept hidden for the next halo: making a layered window
// costs the system far more than painting the picture, and every hover shows a new halo. The
// window carries nothing of the skin; its picture is painted anew each time it is shown. The
// manager of its halo owns it while it waits, so that it goes with that manager.
TForm* gParkedForm = nullptr;
ks::ComponentWatch gParkedWatch;

TForm* TakeParkedForm() noexcept
{
    TForm* form = gParkedForm && gParkedWatch.Alive(gParkedForm) ? gParkedForm : nullptr;
    gParkedForm = nullptr;
    if (form && form->Owner())
        form->Owner()->RemoveComponent(form);
    return form;
}

void ParkForm(TForm* form, TsSkinManager* manager)
{
    manager->InsertComponent(form);
    gParkedForm = form;
    gParkedWatch.Watch(form);
}

void FreeParkedForm() noexcept
{
    if (TForm* form = TakeParkedForm())
        form->Free();
}

} // namespace

TacGlowEffect::TacGlowEffect() = default;

TacGlowEffect::~TacGlowEffect()
{
    if (!Form || !FWatch.Alive(Form))
        return;
    Form->SetWindowProc(OldWndProc);
    const bool managerGoing =
        !Manager || !FWatch.Alive(Manager) || Manager->ComponentState().Contains(csDestroying);
    if (managerGoing || gFreeFormsNow || !Form->HandleAllocated()) {
        Form->Free();
        return;
    }
    // The release waits for the queue; the halo must not stay on screen meanwhile.
    ::ShowWindow(Form->HandleIfAllocated(), SW_HIDE);
    if (!gParkedForm || !gParkedWatch.Alive(gParkedForm)) {
        ParkForm(Form, Manager);
        return;
    }
    Form->Release();
}

void TacGlowEffect::PrepareBitmap(int width, int height)
{
    Bitmap = NewBitmap32(width, height);
    if (Bitmap->Empty())
        return;
    const TRect all{0, 0, Bitmap->Width(), Bitmap->Height()};
    ks::FillRect32(Bitmap->View(), all, 0);
    if (!Manager || !Manager->MaskIndexValid(MaskIndex))
        return;
    const TsMaskData& mask = Manager->MaskArray[static_cast<size_t>(MaskIndex)];
    // The painters give no alpha of their own; the image over white beside the image over black
    // tells how much of whatever lies below shows through.
    std::unique_ptr<TBitmap> onWhite = NewBitmap32(width, height);
    ks::FillRect32(onWhite->View(), all, 0x00FFFFFF);
    // No background and no fill colour either: key-coloured corner pixels keep what lies below
    // instead of turning black, so they come out transparent.
    constexpr CacheInfo noBackground{nullptr, -99, -99, TransparentKeyColor, false};
    PaintSkinImageRect(*Bitmap, all, false, noBackground, mask, 0, false);
    PaintSkinImageRect(*onWhite, all, false, noBackground, mask, 0, false);
    GdiFlush();
    ks::PremultiplyFromBackdrops(Bitmap->View(), onWhite->View());
}

void TacGlowEffect::NewWndProc(TMessage& message)
{
    // Clicks on the halo fall through to whatever lies beneath it.
    if (message.Msg == WM_NCHITTEST) {
        message.Result = HTTRANSPARENT;
        return;
    }
    OldWndProc(message);
}

bool TacGlowEffect::ShowHalo(const TRect& r, TRect visibleR, HWND parentWnd)
{
    Form = TakeParkedForm();
    const bool fresh = !Form;
    if (fresh)
        Form = CreateNew<TForm>(nullptr);
    FWatch.Watch(Form);
    OldWndProc = Form->WindowProc();
    Form->SetWindowProc(TWndMethod(this, &TacGlowEffect::NewWndProc));
    if (fresh) {
        Form->SetTag(GlowFormTag);
        Form->SetBorderStyle(bsNone);
        Form->SetVisible(false);
    }

    const int64_t rw = int64_t{r.Right} - r.Left, rh = int64_t{r.Bottom} - r.Top;
    if (rw <= 0 || rh <= 0 || rw > MaxHaloSide || rh > MaxHaloSide)
        return false;
    // The visible part never reaches beyond the control, and a control of which nothing shows
    // gets no halo (its corner pieces would float beside nothing).
    const auto clampTo = [](int v, int64_t size) { return static_cast<int>(std::clamp<int64_t>(v, 0, size)); };
    visibleR = {clampTo(visibleR.Left, rw), clampTo(visibleR.Top, rh), clampTo(visibleR.Right, rw),
                clampTo(visibleR.Bottom, rh)};
    const int64_t vw = int64_t{visibleR.Right} - visibleR.Left, vh = int64_t{visibleR.Bottom} - visibleR.Top;
    if (vw <= 0 || vh <= 0)
        return false;

    const int64_t l = Manager->MaskBorderLeft(MaskIndex), t = Manager->MaskBorderTop(MaskIndex);
    const int64_t rr = Manager->MaskBorderRight(MaskIndex), b = Manager->MaskBorderBottom(MaskIndex);
    int64_t w = rw + l + rr - 2 * int64_t{Margin};
    int64_t h = rh + t + b - 2 * int64_t{Margin};
    if (w <= 0 || h <= 0 || w > MaxHaloSide || h > MaxHaloSide)
        return false;

    GlowBlend.SourceConstantAlpha = 255;
    PrepareBitmap(static_cast<int>(w), static_cast<int>(h));

    int64_t dx = 0, dy = 0;
    if (vw != rw || vh != rh) {
        // Where the margin pulls the halo further in than the cut, nothing is cut: a cut never
        // adds pixels.
        if (visibleR.Left != 0)
            dx = std::max<int64_t>(l + visibleR.Left - Margin, 0);
        if (visibleR.Top != 0)
            dy = std::max<int64_t>(t + visibleR.Top - Margin, 0);
        int64_t rightCut = 0, bottomCut = 0;
        if (visibleR.Right != rw)
            rightCut = dx != 0 ? w - dx - vw : rw - vw + rr - Margin;
        if (visibleR.Bottom != rh)
            bottomCut = dy != 0 ? h - dy - vh : rh - vh + b - Margin;
        w -= dx + std::max<int64_t>(rightCut, 0);
        h -= dy + std::max<int64_t>(bottomCut, 0);
        if (w <= 0 || h <= 0)
            return false;
        if (dx != 0 || dy != 0) {
            std::unique_ptr<TBitmap> part = NewBitmap32(static_cast<int>(w), static_cast<int>(h));
            ks::CopyRect(part->View(), {0, 0}, Bitmap->View(),
                         {static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dx + w), static_cast<int>(dy + h)});
            Bitmap = std::move(part);
        }
    }

    const int x = static_cast<int>(r.Left - l + Margin + dx), y = static_cast<int>(r.Top - t + Margin + dy);
    const int cx = static_cast<int>(w), cy = static_cast<int>(h);
    Form->SetBounds(x, y, cx, cy);
    // A host inside another window (the MDI area, a control holding a form) is never on top
    // itself: the window it lies in decides.
    const HWND top = parentWnd ? GetAncestor(parentWnd, GA_ROOT) : nullptr;
    const bool onTop = top && (GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    Form->SetFormStyle(onTop ? fsStayOnTop : fsNormal);
    const HWND wnd = Form->Handle();
    SetWindowPos(wnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (const LONG ex = GetWindowLongW(wnd, GWL_EXSTYLE); (ex & (WS_EX_LAYERED | WS_EX_TOOLWINDOW)) !=
                                                          (WS_EX_LAYERED | WS_EX_TOOLWINDOW))
        SetWindowLongW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    {
        ks::WindowDC screen(nullptr);
        SIZE size{cx, cy};
        POINT origin{0, 0};
        // A layered window the system refused to update shows nothing, which is all a failed
        // halo may do.
        ks::Sys().UpdateLayeredWindowPtr(wnd, screen.get(), nullptr, &size, Bitmap->Canvas().Handle(), &origin, 0,
                                         &GlowBlend, ULW_ALPHA);
        ::ShowWindow(wnd, SW_SHOWNOACTIVATE);
    }
    Bitmap.reset();
    return true;
}

int ShowGlowEffect(const TRect& r, const TRect& visibleR, std::string_view sectionName, std::string_view key,
                   int margin, int /*alpha*/, HWND parentWnd, TsSkinManager* skinManager)
{
    if (!ks::Sys().LayeredWindowsAvailable() || !ks::Sys().UpdateLayeredWindowPtr)
        return -1;
    auto effect = std::make_unique<TacGlowEffect>();
    effect->Manager = skinManager ? skinManager : DefaultSkinManager;
    if (!effect->Manager)
        return -1;
    effect->FWatch.Watch(effect->Manager);
    effect->MaskIndex = effect->Manager->FindMaskOwnOnly(sectionName, std::string(key) + "0");
    if (effect->MaskIndex < 0)
        return -1;
    effect->Margin = margin;
    try {
        if (!effect->ShowHalo(r, visibleR, parentWnd))
            return -1;
    } catch (const Exception&) {
        // A window or bitmap the system refused: no halo rather than a failed paint.
        return -1;
    } catch (const std::bad_alloc&) {
        return -1;
    }
    GlowEffects.push_back(std::move(effect));
    return static_cast<int>(GlowEffects.size()) - 1;
}

void HideGlowEffect(int id)
{
    if (id < 0 || static_cast<size_t>(id) >= GlowEffects.size())
        return;
    // Taken out of the list first: freeing the window sends messages, and a handler that hides
    // glows must find the entry gone.
    std::unique_ptr<TacGlowEffect> effect = std::move(GlowEffects[static_cast<size_t>(id)]);
    effect.reset();
}

void FreeAllGlowEffects()
{
    ++gGeneration;
    std::vector<std::unique_ptr<TacGlowEffect>> effects = std::move(GlowEffects);
    GlowEffects.clear();
    effects.clear();
}

unsigned GlowEffectsGeneration() noexcept
{
    return gGeneration;
}

void FinalizeAcGlowUnit()
{
    gFreeFormsNow = true;
    FreeAllGlowEffects();
    FreeParkedForm();
    GlowEffects.shrink_to_fit();
    gFreeFormsNow = false;
}

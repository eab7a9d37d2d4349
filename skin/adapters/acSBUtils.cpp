#include "skin/adapters/acSBUtils.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/PropertyRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
#include "skin/pixels/KeyedPixels.h"
#include "vcl/Forms.h"

#include <algorithm>
#include <vector>

bool NextAdapterInDialog = false;
bool ClearingAdapters = false;

namespace {

// The subclass record of a foreign window: its own property, so that "ACSBSC" holds the adapter
// itself whichever way the window was taken over.
constexpr wchar_t SubclassProperty[] = L"ACSBSC.Subclass";

// Adapters that could not give a class-library control its WindowProc back, because someone
// replaced it after them and holds theirs: they pass every message on until the program ends.
std::vector<TacMainWnd*>& StrandedAdapters()
{
    static std::vector<TacMainWnd*> list;
    return list;
}

std::wstring WindowText(HWND wnd)
{
    const int length = GetWindowTextLengthW(wnd);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(wnd, text.data(), length + 1)));
    return text;
}

TCustomForm* ProviderFormOf(const TsCommonData* skinData) noexcept
{
    if (!skinData || !skinData->OwnerObject || !ks::Services().ProviderForm)
        return nullptr;
    return ks::Services().ProviderForm(skinData->OwnerObject);
}

// The class-library object whose WindowProc the adapter takes over: the provider's form, else
// the owner control; nullptr for a foreign window.
TControl* MethodOwner(const TsCommonData* skinData) noexcept
{
    if (TCustomForm* form = ProviderFormOf(skinData))
        return form;
    return skinData ? skinData->OwnerControl : nullptr;
}

} // namespace

class TacMainWnd::WindowHold final : public ks::WindowSubclass {
public:
    explicit WindowHold(TacMainWnd& adapter) noexcept
        : WindowSubclass(ks::SubclassKindOf<SubclassProperty>::Kind()), FAdapter(adapter)
    {
    }

protected:
    void WindowMessage(TMessage& m) override { FAdapter.Deliver(m); }
    // The window went without a WM_DESTROY the adapter saw (or it let it pass): it holds nothing.
    void WindowDestroyed() noexcept override
    {
        if (!FAdapter.Destroyed) {
            FAdapter.PrevWndProc = nullptr;
            FAdapter.Destroyed = true;
            FAdapter.Detached();
        }
    }

private:
    TacMainWnd& FAdapter;
};

TacMainWnd* GetScrollHandler(HWND wnd) noexcept
{
    if (!wnd)
        return nullptr;
    return static_cast<TacMainWnd*>(GetPropW(wnd, AdapterProperty));
}

// ---- TacMainWnd ------------------------------------------------------------------------------

TacMainWnd::TacMainWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : CtrlHandle(handle), FSection(std::move(section)), FSkinManager(manager)
{
    if (skinData) {
        SkinData = skinData;
        if (!FSkinManager)
            FSkinManager = SkinData->SkinManager();
    } else {
        OwnSkinData = true;
        SkinData = new TsCommonData(nullptr, true);
    }
    FManagerWatch.Watch(FSkinManager);
}

TacMainWnd::~TacMainWnd()
{
    // Free lets go through the descendant's slots first; what is left here is a last resort.
    LetGo();
    if (OwnSkinData)
        delete SkinData;
    SkinData = nullptr;
}

TsSkinManager* TacMainWnd::SkinManager() const noexcept
{
    return FManagerWatch.Alive(FSkinManager) ? FSkinManager : nullptr;
}

void TacMainWnd::LetGo() noexcept
{
    if (Destroyed)
        return;
    if (CtrlHandle && IsWindow(CtrlHandle))
        GiveVisualStyleBack(CtrlHandle);
    GiveWindowBack(*this);
    // A form going away with its controls keeps the colours as they are.
    if (!(ClearingAdapters && !SkinRemovalInProgress))
        ks::Guarded([this] { RestoreControlColors(); });
    Destroyed = true;
}

bool TacMainWnd::WantsVisualStyleOff() const
{
    return FSection != "DIALOG";
}

void TacMainWnd::Attach(bool repaint)
{
    if (CtrlHandle && WantsVisualStyleOff())
        SwitchVisualStyleOff(CtrlHandle);
    if (SkinData->SkinSection().empty() && !FSection.empty())
        SkinData->SetSkinSection(FSection);
    DlgMode = NextAdapterInDialog;
    SaveControlColors();
    ParamsApplied = false;
    if (ReadsTextOnAttach() && CtrlHandle)
        WndText = WindowText(CtrlHandle);
    InstallHook(repaint);
    if (TControl* owner = SkinData->OwnerControl) {
        TControlStyle style = owner->ControlStyle();
        style.Include(csOpaque);
        owner->SetControlStyle(style);
    }
}

void TacMainWnd::InstallHook(bool)
{
    InstallScrollWndHook(this, CtrlHandle);
}

bool TacMainWnd::Hooked() const noexcept
{
    return !Destroyed && (OldWndProc.Assigned() || PrevWndProc);
}

void TacMainWnd::Free() noexcept
{
    // Let go of the window now, so that nothing of it calls the adapter beyond the message
    // running; the object itself goes when that message returns.
    LetGo();
    if (FDepth > 0) {
        FFreePending = true;
        return;
    }
    // Still in a class-library control's chain behind someone else: it stays, passing on.
    if (OldWndProc.Assigned()) {
        if (OwnSkinData)
            delete SkinData;
        SkinData = nullptr;
        OwnSkinData = false;
        StrandedAdapters().push_back(this);
        return;
    }
    delete this;
}

void TacMainWnd::Deliver(TMessage& message)
{
    struct Depth {
        TacMainWnd& A;
        explicit Depth(TacMainWnd& a) : A(a) { ++A.FDepth; }
        ~Depth() { --A.FDepth; }
    };
    {
        Depth depth(*this);
        // Given back but still called by whoever came after the adapter: it passes on.
        if (Destroyed)
            CallPrev(message);
        else
            AdapterWndProc(message);
    }
    if (FDepth == 0 && FFreePending) {
        FFreePending = false;
        Free();
    }
}

LRESULT TacMainWnd::CallPrevWndProc(HWND handle, UINT msg, WPARAM wParam, LPARAM& lParam)
{
    if (OldWndProc.Assigned()) {
        TMessage m{msg, wParam, lParam, 0};
        OldWndProc(m);
        lParam = m.LParam;
        return m.Result;
    }
    if (FSubclass && FSubclass->PreviousProc())
        return CallWindowProcW(FSubclass->PreviousProc(), handle, msg, wParam, lParam);
    if (PrevWndProc)
        return CallWindowProcW(PrevWndProc, handle, msg, wParam, lParam);
    return 0;
}

void TacMainWnd::CallPrev(TMessage& message)
{
    message.Result = CallPrevWndProc(CtrlHandle, message.Msg, message.WParam, message.LParam);
}

void TacMainWnd::AdapterWndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_DESTROY: WMDestroy(m); return;
    case WM_NCDESTROY: WMDestroy(m); return;
    case WM_SIZE: MarkBackgroundChanged(); break;
    case WM_SETTEXT: WMSetText(m); return;
    case WM_UPDATEUISTATE: return;
    case WM_PRINT: WMPrint(TWMPrint(m)); return;
    case WM_MOUSEMOVE: BecomeActiveControl(); break;
    default: break;
    }
    CommonPath(m);
}

// The window goes away: its glow and, once the platform is done, the adapter with it.
void TacMainWnd::WMDestroy(TMessage& m)
{
    if (SkinData && SkinData->GlowSlot >= 0)
        SkinData->HideGlow();
    CallPrev(m);
    if (Hooked()) {
        TacMainWnd* self = this;
        RemoveScrollWndHandler(CtrlHandle, false, false, self);
    }
}

void TacMainWnd::MarkBackgroundChanged()
{
    if (SkinData)
        SkinData->BackgroundChanged = true;
}

void TacMainWnd::WMSetText(TMessage& m)
{
    CallPrev(m);
    WndText = WindowText(CtrlHandle);
}

// Printing is painting into the given DC.
void TacMainWnd::WMPrint(TWMPrint view)
{
    TMessage& m = view.Message();
    view.SetResult(SendMessageW(CtrlHandle, WM_PAINT, m.WParam, m.LParam));
}

void TacMainWnd::BecomeActiveControl()
{
    if (DefaultSkinManager && IsWindowEnabled(CtrlHandle) && DefaultSkinManager->ActiveControl != CtrlHandle)
        DefaultSkinManager->SetActiveControl(CtrlHandle);
}

void TacMainWnd::CommonPath(TMessage& m)
{
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (!manager || !manager->Active() || m.Msg != SM_SKINCMD || !CommonSkinCommandOf(m))
        CallPrev(m);
}

bool TacMainWnd::CommonSkinCommandOf(TMessage& m)
{
    const ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_NEW_SKIN: return NewSkinCommand(view);
    case SKC_REMOVE_SKIN: return RemoveSkinCommand(view);
    case SKC_REFRESH: return RefreshCommand(view);
    case SKC_PARENT_UPDATED: return ParentUpdatedCommand();
    case SKC_IS_SKINNED: return Answered(m, 1);
    case SKC_IS_UPDATING: return Answered(m, SkinData->UpdateLock ? 1 : 0);
    case SKC_IS_BG_COMPLEX: return IsBgComplexCommand(m);
    case SKC_GET_BG_COLOR: return BackgroundColorCommand(m);
    case SKC_PREPARE_CACHE: return PrepareCacheCommand();
    case SKC_GET_BG_INFO: return BackgroundInfoCommand(view);
    case SKC_GET_APPLICATION: return Answered(m, reinterpret_cast<LRESULT>(Application));
    default: return false;
    }
}

bool TacMainWnd::NewSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() == SkinData->SkinManager()) {
        SkinData->RefreshIndexes();
        SkinData->BackgroundChanged = true;
        BroadcastMessage(dynamic_cast<TWinControl*>(SkinData->OwnerControl), CtrlHandle, view.Message());
    }
    return false;
}

bool TacMainWnd::RemoveSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() == SkinData->SkinManager())
        RestoreControlColors();
    return false;
}

bool TacMainWnd::RefreshCommand(ks::SkinCommandView view)
{
    if (view.Manager() != SkinData->SkinManager())
        return false;
    SkinData->RefreshIndexes();
    SkinData->BackgroundChanged = true;
    SkinData->SetUpdating(false);
    SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
    return true;
}

bool TacMainWnd::ParentUpdatedCommand()
{
    if (!SkinData->UpdateLock)
        return false;
    if (!ks::adapters::StillUpdating(*SkinData))
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    return true;
}

bool TacMainWnd::IsBgComplexCommand(TMessage& m)
{
    if (!SkinData->OwnerControl)
        return false;
    CommonSkinCommand(m, SkinData);
    return true;
}

// The replaced handler's colour first; the skin's only where it gives none.
bool TacMainWnd::BackgroundColorCommand(TMessage& m)
{
    m.Result = 0;
    CallPrev(m);
    if (m.Result == 0)
        m.Result = static_cast<LRESULT>(SkinData->QueryBackgroundColor(false, CtrlHandle));
    return true;
}

// Answered, then on to the replaced handler.
bool TacMainWnd::PrepareCacheCommand()
{
    PrepareWindowCache(SkinData, CtrlHandle, false);
    return false;
}

bool TacMainWnd::BackgroundInfoCommand(ks::SkinCommandView view)
{
    if (auto* info = view.Pointer<BackgroundInfo>())
        SkinData->AnswerBackgroundInfo(*info, SkinData->HasFocus || SkinData->MouseIsAbove, CtrlHandle);
    return true;
}

// ---- attach and detach -----------------------------------------------------------------------

void InstallScrollWndHook(TacMainWnd* adapter, HWND wnd)
{
    if (!adapter || !wnd)
        return;
    adapter->Scrolling = false;
    adapter->CtrlHandle = wnd;
    SetPropW(wnd, AdapterProperty, adapter);
    if (TControl* owner = MethodOwner(adapter->SkinData)) {
        adapter->OldWndProc = owner->WindowProc();
        owner->SetWindowProc(adapter->AdapterMethod());
        return;
    }
    adapter->FSubclass = std::make_unique<TacMainWnd::WindowHold>(*adapter);
    if (adapter->FSubclass->Subclass(wnd)) {
        adapter->PrevWndProc = adapter->FSubclass->PreviousProc();
    } else {
        // Another process's window, or one held by another adapter: left as it is.
        adapter->FSubclass.reset();
        if (GetPropW(wnd, AdapterProperty) == adapter)
            RemovePropW(wnd, AdapterProperty);
        adapter->Destroyed = true;
    }
}

void GiveWindowBack(TacMainWnd& adapter) noexcept
{
    if (adapter.OldWndProc.Assigned()) {
        TControl* owner = MethodOwner(adapter.SkinData);
        // Only while the adapter is still the one the control calls; otherwise whoever came
        // after it holds the adapter's method and the adapter keeps passing messages on.
        if (owner && owner->WindowProc() == adapter.AdapterMethod()) {
            owner->SetWindowProc(adapter.OldWndProc);
            adapter.OldWndProc = {};
        } else if (!owner) {
            adapter.OldWndProc = {};
        }
    } else if (adapter.FSubclass) {
        adapter.FSubclass->Release();
        adapter.FSubclass.reset();
        adapter.PrevWndProc = nullptr;
    }
    if (adapter.CtrlHandle && GetPropW(adapter.CtrlHandle, AdapterProperty) == &adapter)
        RemovePropW(adapter.CtrlHandle, AdapterProperty);
    adapter.Detached();
}

void RemoveScrollWndHandler(HWND wnd, bool freeHandler, bool repaint, TacMainWnd*& handler)
{
    if (!handler)
        return;
    if (!handler->Destroyed) {
        GiveWindowBack(*handler);
        handler->RestoreControlColors();
        if (wnd && IsWindowVisible(wnd))
            RefreshWndFrame(wnd, repaint);
        handler->Destroyed = true;
    }
    if (freeHandler) {
        handler->Free();
        handler = nullptr;
    }
}

void RefreshWndFrame(HWND wnd, bool repaint)
{
    if (repaint)
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    else
        SendMessageW(wnd, WM_NCPAINT, 1, 0);
}

// ---- shared routines -------------------------------------------------------------------------

void BroadcastMessage(TWinControl* control, HWND wnd, const TMessage& message)
{
    if (control)
        BroadcastCommand(control, message);
    else if (wnd)
        SendToDirectChildren(wnd, message);
}

void SendToTopParent(HWND wnd)
{
    if (!wnd)
        return;
    HWND top = wnd;
    // GetParent also climbs to owners; a chain that loops back ends at the window count.
    for (int steps = 0; steps < 1024; ++steps) {
        HWND parent = GetParent(top);
        if (!parent)
            break;
        top = parent;
    }
    SendMessageW(top, SM_SKINCMD, MAKEWPARAM(0, SKC_ADAPT_CHILD), 0);
}

TWinControl* FindControlByHandle(HWND wnd, TComponent* owner)
{
    if (!wnd || !owner)
        return nullptr;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated() && w->Handle() == wnd)
            return w;
        if (TWinControl* found = FindControlByHandle(wnd, c))
            return found;
    }
    return nullptr;
}

void GetWndPosition(HWND wnd, HWND& parentWnd, TRect& wndRect, TRect& parentRect, TSize& wndSize, TPoint& wndPos)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    wndRect = Rect(r.left, r.top, r.right, r.bottom);
    parentWnd = GetParent(wnd);
    RECT p{};
    if (parentWnd)
        GetWindowRect(parentWnd, &p);
    parentRect = Rect(p.left, p.top, p.right, p.bottom);
    wndSize = TSize{wndRect.Width(), wndRect.Height()};
    POINT at{r.left, r.top};
    if (parentWnd)
        ScreenToClient(parentWnd, &at);
    wndPos = TPoint{at.x, at.y};
}

void PrepareWindowCache(TsCommonData* skinData, HWND wnd, bool dialogMode)
{
    if (!skinData || !wnd || !skinData->BackgroundChanged)
        return;
    RECT r{};
    GetWindowRect(wnd, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const CacheInfo ci = skinData->QueryBackgroundInfoWnd(wnd);
    ks::adapters::SizedCache(*skinData, {width, height});
    TsSkinManager* manager = skinData->SkinManager();
    // Dialog children take the skin's dialog fill colour; the loaded skin names none (its fill
    // colour is unset), so they take their section like any other window.
    (void)dialogMode;
    HWND parent = GetParent(wnd);
    POINT at{r.left, r.top};
    if (!parent || !ScreenToClient(parent, &at))
        return;
    if (manager && manager->SectionIndexValid(skinData->SkinIndex)) {
        const int state = skinData->HasFocus || skinData->MouseIsAbove ? 1 : 0;
        PaintControlSection(*skinData, ci, true, state, Rect(0, 0, width, height), TPoint{at.x, at.y},
                            skinData->CacheBitmap.get(), false);
    }
    if (TControl* owner = skinData->OwnerControl; owner && !owner->Enabled()) {
        SendMessageW(wnd, SM_SKINCMD, MAKEWPARAM(0, SKC_CACHE_INIT), 0);
        ApplyDisabledLook(*skinData->CacheBitmap, TsDisabledKind{dkBlended}, owner->Parent(),
                          skinData->QueryBackgroundInfo(), TPoint{at.x, at.y});
    }
    skinData->BackgroundChanged = false;
}

void DrawWndBorder(TsCommonData* skinData, HDC, TacMainWnd* adapter)
{
    if (!skinData || !adapter || adapter->DlgMode)
        return;
    TsSkinManager* manager = skinData->SkinManager();
    TBitmap* cache = skinData->CacheBitmap.get();
    if (!manager || skinData->BorderIndex < 0 || !manager->MaskIndexValid(skinData->BorderIndex) || !cache ||
        cache->Empty() || adapter->WndSize.cx < 2 || adapter->WndSize.cy < 2)
        return;
    const int w = std::min(cache->Width(), static_cast<int>(adapter->WndSize.cx));
    const int h = std::min(cache->Height(), static_cast<int>(adapter->WndSize.cy));
    const int bl = std::clamp(manager->MaskBorderLeft(skinData->BorderIndex), 0, w);
    const int bt = std::clamp(manager->MaskBorderTop(skinData->BorderIndex), 0, h);
    const int br = std::clamp(manager->MaskBorderRight(skinData->BorderIndex), 0, w);
    const int bb = std::clamp(manager->MaskBorderBottom(skinData->BorderIndex), 0, h);
    if (cache->PixelFormat() != pf24bit && cache->PixelFormat() != pf32bit)
        return;
    const bool deep = cache->PixelFormat() == pf32bit;
    const CacheInfo ci = skinData->QueryBackgroundInfoWnd(adapter->CtrlHandle);
    // What lies behind the window, as a picture of its size and depth.
    auto behind = deep ? NewBitmap32(w, h) : NewBitmap24(w, h);
    if (ci.Ready && ci.Bmp && !ci.Bmp->Empty())
        BitBlt(behind->Canvas().Handle(), 0, 0, w, h, ci.Bmp->Canvas().Handle(), ci.X + adapter->WndPos.X,
               ci.Y + adapter->WndPos.Y, SRCCOPY);
    else
        FillRectSolid(behind->Canvas().Handle(), Rect(0, 0, w, h), ks::adapters::BackgroundFillColour(ci.FillColor, manager));
    GdiFlush();
    const ks::PixelView cacheView = cache->View();
    const ks::PixelView behindView = behind->View();
    const TRect strips[] = {Rect(0, 0, w, bt), Rect(0, h - bb, w, h), Rect(0, bt, bl, h - bb), Rect(w - br, bt, w, h - bb)};
    for (const TRect& s : strips) {
        if (s.Width() <= 0 || s.Height() <= 0)
            continue;
        const TPoint at{s.Left, s.Top};
        if (deep) {
            ks::RestoreKeyed32(cacheView, s, behindView, at, nullptr, at, TransparentKeyColor);
        } else {
            // The frame's own pixels over the background, key-coloured ones letting it through,
            // then the strip back into the cache.
            ks::CopyKeyed(behindView, at, cacheView, s, TransparentKeyColor, ks::KeyFill{});
            GdiFlush();
            BitBlt(cache->Canvas().Handle(), s.Left, s.Top, s.Width(), s.Height(), behind->Canvas().Handle(), s.Left,
                   s.Top, SRCCOPY);
        }
    }
}

bool BorderMaskHasStates(const TsCommonData* skinData)
{
    if (!skinData)
        return false;
    TsSkinManager* manager = skinData->SkinManager();
    if (!manager || skinData->SkinIndex < 0 || skinData->BorderIndex < 0 ||
        !manager->MaskIndexValid(skinData->BorderIndex))
        return false;
    return manager->MaskArray[static_cast<size_t>(skinData->BorderIndex)].ImageCount > 1;
}

void WriteIntPropertyIfAny(TObject* object, std::string_view name, int value)
{
    if (object && PropertyExists(object, name))
        WriteIntProperty(object, name, value);
}

TColor ReadColorPropertyIfAny(const TObject* object, std::string_view name)
{
    if (!object || !PropertyExists(object, name))
        return clNone;
    return ColorToRGB(static_cast<TColor>(ReadIntProperty(object, name)));
}

void InitializeAcSBUtilsUnit()
{
    ks::Services().HasAdapter = [](HWND wnd) noexcept { return GetScrollHandler(wnd) != nullptr; };
}

void FinalizeAcSBUtilsUnit() noexcept
{
    for (TacMainWnd* adapter : StrandedAdapters())
        delete adapter;
    StrandedAdapters().clear();
}

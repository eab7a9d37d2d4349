#include "skin/forms/sFrameAdapter.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/GdiHandles.h"
#include "vcl/Menus.h"
#include "vcl/TypInfo.h"

#include <algorithm>

const char* const FrameAdapterOwnerText =
    "\xD0\x9A\xD0\xBE\xD0\xBC\xD0\xBF\xD0\xBE\xD0\xBD\xD0\xB5\xD0\xBD\xD1\x82 TsFrameAdapter "
    "\xD0\xB4\xD0\xBE\xD0\xBB\xD0\xB6\xD0\xB5\xD0\xBD \xD0\xB1\xD1\x8B\xD1\x82\xD1\x8C "
    "\xD0\xBF\xD0\xBE\xD0\xBB\xD0\xBE\xD0\xB6\xD0\xB5\xD0\xBD \xD0\xBD\xD0\xB0 "
    "\xD1\x81\xD0\xBE\xD0\xBE\xD1\x82\xD0\xB2\xD0\xB5\xD1\x82\xD1\x81\xD1\x82\xD0\xB2\xD1\x83\xD1\x8E\xD1\x89\xD0\xB8\xD0\xB9 "
    "\xD1\x84\xD1\x80\xD0\xB5\xD0\xB9\xD0\xBC";

namespace {

const ks::PropertyInfo FrameAdapterProps[] = {
    ks::Prop<&TsFrameAdapter::SkinData>("SkinData"),
};

WPARAM Command(WORD command, WORD low = 0)
{
    return static_cast<WPARAM>(MAKELONG(low, command));
}

bool BeingDestroyed(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csDestroying);
}

bool Loading(const TComponent* c) noexcept
{
    return c && (c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading));
}

// RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME, and without the frame.
constexpr UINT RedrawAll = 0x585;
constexpr UINT RedrawChildren = 0x581;
constexpr UINT RedrawErased = 0x185;

int ClampChannel(int v) { return std::clamp(v, 0, 255); }

} // namespace

const ks::ClassInfo TsFrameAdapter::StaticClassInfo{"TsFrameAdapter", &TComponent::StaticClassInfo, FrameAdapterProps, {}};
const ks::ClassInfo& TsFrameAdapter::ClassInfo() const noexcept { return StaticClassInfo; }

TsFrameAdapter::TsFrameAdapter(TComponent* owner) : TComponent(owner)
{
    auto* frame = dynamic_cast<TFrame*>(owner);
    if (!frame)
        throw Exception(FrameAdapterOwnerText);
    FSkinData = std::make_unique<TsCommonData>(this, true);
    if (FSkinData->SkinSection().empty() || FSkinData->SkinSection() == "TSFRAMEADAPTER")
        FSkinData->SetSkinSection("GROUPBOX");
    FSkinData->ControlKind = ckFrameAdapter;
    FFrame = frame;
    FSkinData->OwnerControl = frame;
    FOldWndProc = frame->WindowProc();
    frame->SetWindowProc(TWndMethod(this, &TsFrameAdapter::NewWndProc));
}

TsFrameAdapter::~TsFrameAdapter()
{
    FreeScrollBars();
    if (FFrame && FOldWndProc.Assigned() && FFrame->WindowProc() == TWndMethod(this, &TsFrameAdapter::NewWndProc))
        FFrame->SetWindowProc(FOldWndProc);
    FFrame = nullptr;
    FSkinData.reset();
}

void TsFrameAdapter::AfterConstruction()
{
    TComponent::AfterConstruction();
    if (FFrame && !FFrame->HandleAllocated())
        FSkinData->RefreshIndexes();
    else if (FFrame && FFrame->Perform(SM_SKINCMD, Command(SKC_IS_SKINNED), 0) == 1)
        FSkinData->RefreshIndexes();
}

void TsFrameAdapter::Loaded()
{
    TComponent::Loaded();
    TsSkinManager* manager = FSkinData->SkinManager();
    if (!FFrame || !manager || FFrame->Perform(SM_SKINCMD, Command(SKC_IS_SKINNED), 0) != 1)
        return;
    FSkinData->RefreshIndexes();
    if (manager->Active()) {
        OwnerDrawPopups();
        if (FSkinData->IsSkinActive() && manager->SkinningRules().Contains(srThirdParty))
            NotifyParentForm25(FFrame);
    }
}

bool TsFrameAdapter::Skinned() const
{
    TsSkinManager* manager = FSkinData->SkinManager();
    return !BeingDestroyed(this) && FFrame && !BeingDestroyed(FFrame) && FSkinData->IsSkinActive() && manager && manager->Active();
}

void TsFrameAdapter::OwnerDrawPopups()
{
    TsSkinManager* manager = FSkinData->SkinManager();
    if (!manager || !manager->SkinnedPopups() || !manager->SkinnableMenus())
        return;
    for (int i = 0; i < FFrame->ComponentCount(); ++i)
        if (auto* popup = dynamic_cast<TPopupMenu*>(FFrame->Components(i)))
            manager->SkinnableMenus()->OwnerDrawMenuItems(popup, true);
}

void TsFrameAdapter::InitScrollBars()
{
    if (FFrame && FFrame->HandleAllocated())
        InitScrollHandler(FSkinData.get(), FScrollHandler);
}

void TsFrameAdapter::FreeScrollBars()
{
    if (FScrollHandler) {
        FScrollHandler->Free();
        FScrollHandler = nullptr;
    }
}

void TsFrameAdapter::ToChildren(const TMessage& m)
{
    BroadcastCommand(FFrame, m);
}

TColor TsFrameAdapter::BackgroundColor() const
{
    if (!Skinned())
        return FFrame ? FFrame->Color() : clNone;
    if (FSkinData->ParentCacheUsed())
        return TransparentKeyColor;
    const TsGeneralData* section = FSkinData->Section();
    if (!section)
        return FFrame->Color();
    const int transparency = std::clamp(section->Transparency, 0, 100);
    if (transparency == 0)
        return section->Color;
    TColor parent = ColorToRGB(FFrame->Color());
    if (TWinControl* p = FFrame->Parent()) {
        const TColor answer = static_cast<TColor>(
            p->Perform(SM_SKINCMD, Command(SKC_GET_BG_COLOR), 0));
        parent = answer == TransparentKeyColor ? ColorToRGB(p->Color()) : answer;
    }
    if (transparency == 100)
        return parent;
    const TColor own = ColorToRGB(section->Color);
    auto mix = [&](int shift) {
        const int s = (own >> shift) & 0xFF;
        const int q = (parent >> shift) & 0xFF;
        return ClampChannel(s + (q - s) * transparency / 100) << shift;
    };
    return static_cast<TColor>(mix(0) | mix(8) | mix(16));
}

bool TsFrameAdapter::AnyStateCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    TsSkinManager* manager = FSkinData->SkinManager();
    const bool own = view.ConcernsManager(manager);
    switch (view.Command()) {
    case SKC_GET_SKIN_INDEX: m.Result = FSkinData->SkinIndex + 1; return true;
    case SKC_NEW_SKIN:
        if (!own)
            return false;
        ToChildren(m);
        RouteSkinMessage(m, FSkinData.get());
        if (manager)
            OwnerDrawPopups();
        return true;
    case SKC_REMOVE_SKIN:
        if (!own)
            return false;
        FreeScrollBars();
        RouteSkinMessage(m, FSkinData.get());
        ToChildren(m);
        if (FFrame->HandleAllocated()) {
            SetWindowPos(FFrame->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
            RedrawWindow(FFrame->Handle(), nullptr, nullptr, RedrawAll);
        }
        return true;
    case SKC_REFRESH:
        if (!own)
            return false;
        RouteSkinMessage(m, FSkinData.get());
        FSkinData->RefreshIndexes();
        if (manager) {
            ToChildren(m);
            if (FFrame->HandleAllocated())
                RedrawWindow(FFrame->Handle(), nullptr, nullptr, RedrawAll);
            InitScrollBars();
        }
        return true;
    case SKC_IS_SKINNED: m.Result = 1; return true;
    case SKC_STOP_FADE: ToChildren(m); return true;
    case SKC_GET_BG_INFO:
        if (auto* info = view.Pointer<BackgroundInfo>())
            FSkinData->AnswerBackgroundInfo(*info, false, FFrame->HandleIfAllocated());
        return true;
    case SKC_BEFORE_SCROLL:
    case SKC_AFTER_SCROLL: {
        const bool plain = !FSkinData->ParentCacheUsed();
        if (plain || !FFrame->HandleAllocated())
            return true;
        HWND wnd = FFrame->Handle();
        if (view.Command() == SKC_BEFORE_SCROLL) {
            SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
        } else {
            SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
            RedrawWindow(wnd, nullptr, nullptr, RedrawChildren);
        }
        return true;
    }
    case SKC_GET_APPLICATION: m.Result = reinterpret_cast<LRESULT>(Application); return true;
    default: return false;
    }
}

void TsFrameAdapter::SkinnedCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_PARENT_UPDATED:
        if (FSkinData->UpdateLock && !FFrame->ControlState().Contains(csRecreating) &&
            !FFrame->ControlState().Contains(csAligning)) {
            FSkinData->UpdateLock = false;
            if (FFrame->HandleAllocated())
                RedrawWindow(FFrame->Handle(), nullptr, nullptr, RedrawErased);
        }
        return;
    case SKC_SET_UPDATING: {
        FSkinData->UpdateLock = LOWORD(view.Value()) != 0;
        ks::ForEachLiveChild(*FFrame, [&m](TControl& child) { child.Perform(m.Msg, m.WParam, m.LParam); });
        return;
    }
    case SKC_IS_UPDATING:
        m.Result = FSkinData->UpdateLock && !(FSkinData->SkinStateWord & StatePlainBackground) ? 1 : 0;
        return;
    case SKC_PARENT_BG_CHANGED:
        if (FSkinData->SkinIsTransparent())
            FSkinData->BackgroundChanged = true;
        return;
    case SKC_IS_BG_COMPLEX: {
        const TsGeneralData* s = FSkinData->Section();
        m.Result = s && (s->GradientPercent + s->ImagePercent >= 1 || FSkinData->ParentCacheUsed()) ? 1 : 0;
        return;
    }
    case SKC_GET_BG_COLOR: m.Result = static_cast<LRESULT>(BackgroundColor()); return;
    default:
        if (!RouteSkinMessage(m, FSkinData.get()))
            FOldWndProc(m);
        return;
    }
}

void TsFrameAdapter::RebuildCache()
{
    FSkinData->EnsureCacheBitmap();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache || cache->Width() <= 0 || cache->Height() <= 0)
        return;
    cache->Canvas().Font().Assign(FFrame->Font());
    const CacheInfo ci = FSkinData->QueryBackgroundInfo();
    PaintControlSection(*FSkinData, ci, true, 0, {0, 0, FFrame->Width(), FFrame->Height()},
                        {FFrame->Left(), FFrame->Top()}, cache, true);
    FSkinData->BackgroundChanged = false;
}

void TsFrameAdapter::PaintFrame(HDC dc)
{
    if (!dc || (PaintLock && dc != CaptureDC))
        return;
    const TRect all{0, 0, FFrame->Width(), FFrame->Height()};
    if (FSkinData->ParentCacheUsed()) {
        FSkinData->UpdateLock = FSkinData->Updating();
        if (FSkinData->UpdateLock)
            return;
        FSkinData->BackgroundChanged = FSkinData->BackgroundChanged || FSkinData->ClippedByParent;
        if (TWinControl* parent = FFrame->Parent()) {
            const TRect client = parent->ClientRect();
            auto outside = [&client](int x, int y) {
                return x < client.Left || y < client.Top || x >= client.Right || y >= client.Bottom;
            };
            FSkinData->ClippedByParent = outside(FFrame->Left() + 1, FFrame->Top() + 1) ||
                                         outside(FFrame->Left() + FFrame->Width() - 1, FFrame->Top() + FFrame->Height() - 1);
        }
        if (FSkinData->BackgroundChanged && !FSkinData->ParentBackgroundAlways)
            RebuildCache();
        CopyCacheExceptControls(FFrame, *FSkinData, {0, 0}, 0, 0, false, dc, all);
        PaintGraphicChildren(dc, FFrame, {0, 0});
        SendChildrenCommand6(FFrame);
        return;
    }
    FSkinData->UpdateLock = false;
    const TColor colour = BackgroundColor();
    const TsGeneralData* section = FSkinData->Section();
    TsSkinManager* manager = FSkinData->SkinManager();
    const int border = manager && FSkinData->BorderIndex >= 0 ? FSkinData->MaxBorderWidthOf() : 0;
    if (border > 0 && section && all.Width() > 0 && all.Height() > 0) {
        // The border image is drawn over the plain colour in a bitmap and only its strips copied.
        TBitmap strips;
        strips.SetPixelFormat(pf24bit);
        strips.SetSize(all.Width(), all.Height());
        FillRectSolid(strips.Canvas().Handle(), all, colour);
        CacheInfo ci;
        ci.FillColor = colour;
        ci.Ready = true;
        PaintControlSection(*FSkinData, ci, false, 0, all, {FFrame->Left(), FFrame->Top()}, &strips, true);
        FillRectSolid(dc, all, colour);
        CopyFrameStrips(dc, 0, 0, all.Width(), all.Height(), strips.Canvas().Handle(), 0, 0, border);
    } else {
        FillRectSolid(dc, all, colour);
    }
    PaintGraphicChildren(dc, FFrame, {0, 0});
}

void TsFrameAdapter::PaintFrameWindow(TMessage& m)
{
    HWND wnd = FFrame->Handle();
    if (!BeingDestroyed(FFrame) && FFrame->Parent() && !FSkinData->ParentCacheUsed())
        InvalidateRect(wnd, nullptr, TRUE);
    if (HDC given = reinterpret_cast<HDC>(m.WParam)) {
        const int saved = SaveDC(given);
        if (FSkinData->ParentCacheUsed()) {
            FSkinData->UpdateLock = FSkinData->Updating();
            if (!FSkinData->UpdateLock)
                PaintFrame(given);
        }
        RestoreDC(given, saved);
        return;
    }
    ks::PaintDC paint(wnd);
    if (FSkinData->ParentCacheUsed()) {
        FSkinData->UpdateLock = FSkinData->Updating();
        if (!FSkinData->UpdateLock)
            PaintFrame(paint.get());
    }
}

void TsFrameAdapter::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_PARENTNOTIFY: {
        const UINT event = LOWORD(m.WParam);
        if ((event == WM_CREATE || event == WM_DESTROY) && !Loading(this) &&
            !FFrame->ControlState().Contains(csCreating)) {
            if (event == WM_CREATE && FFrame->HandleAllocated()) {
                FSkinData->RefreshIndexes();
                TMessage newSkin{SM_SKINCMD, Command(SKC_NEW_SKIN),
                                 reinterpret_cast<LPARAM>(FSkinData->SkinManager()), 0};
                ToChildren(newSkin);
                if (FSkinData->SkinManager()->SkinningRules().Contains(srThirdParty))
                    NotifyParentForm25(FFrame);
            }
            FOldWndProc(m);
            RefreshScrollBars(FScrollHandler, true);
            return;
        }
        FOldWndProc(m);
        return;
    }
    case WM_PAINT:
        // Without a parent there is nothing to paint over: the frame paints itself, and
        // validates, as it would unskinned.
        if (!FFrame->Parent()) {
            FOldWndProc(m);
            return;
        }
        PaintFrameWindow(m);
        m.Result = 0;
        return;
    case WM_MOVE:
    case WM_SIZE:
        if (m.Msg == WM_SIZE || FSkinData->ParentCacheUsed())
            FSkinData->BackgroundChanged = true;
        if (FSkinData->BackgroundChanged) {
            TMessage changed{SM_SKINCMD, Command(SKC_SET_BG_CHANGED, 1), 0, 0};
            FFrame->Broadcast(changed);
        }
        if (m.Msg == WM_SIZE && FFrame->HandleAllocated())
            InvalidateRect(FFrame->Handle(), nullptr, TRUE);
        FOldWndProc(m);
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        if (!FFrame->Showing() || PaintLock)
            return;
        FSkinData->UpdateLock = FSkinData->Updating();
        if (!FSkinData->UpdateLock && (!FSkinData->ParentCacheUsed() || !FSkinData->BackgroundChanged))
            PaintFrame(reinterpret_cast<HDC>(m.WParam));
        return;
    case WM_NCPAINT:
        FSkinData->UpdateLock = FSkinData->Updating();
        m.Result = 0;
        return;
    case WM_PRINT:
        FSkinData->UpdateLock = false;
        if (CanPaintControl(FFrame)) {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            PaintFrame(dc);
            if (auto* bars = dynamic_cast<TacScrollWnd*>(FScrollHandler))
                DrawScrollBars(bars, FFrame->Handle(), dc, -1);
        }
        return;
    case CM_VISIBLECHANGED:
        FSkinData->BackgroundChanged = true;
        FOldWndProc(m);
        if (TsSkinManager* manager = FSkinData->SkinManager())
            FFrame->Perform(SM_SKINCMD, Command(SKC_REFRESH), reinterpret_cast<LPARAM>(manager));
        return;
    case CM_MOUSEENTER: {
        FOldWndProc(m);
        // The leave runs the application's OnMouseLeave, which may free any control; the frame
        // freed takes this adapter with it.
        const bool frameLives = ks::ForEachLiveChild(*FFrame, [&m](TControl& child) {
            auto* button = dynamic_cast<TsSpeedButton*>(&child);
            if (button && reinterpret_cast<LPARAM>(button) != m.LParam && button->SkinData()->MouseIsAbove)
                button->Perform(CM_MOUSELEAVE, 0, 0);
        });
        if (frameLives && DefaultSkinManager && FFrame->HandleAllocated())
            DefaultSkinManager->SetActiveControl(FFrame->Handle());
        return;
    }
    case CM_SHOWINGCHANGED:
        FOldWndProc(m);
        InitScrollBars();
        if (FSkinData->SkinManager()->SkinningRules().Contains(srThirdParty))
            NotifyParentForm25(FFrame);
        return;
    default: FOldWndProc(m); return;
    }
}

void TsFrameAdapter::NewWndProc(TMessage& m)
{
    if (!FOldWndProc.Assigned())
        return;
    if (m.Msg == SM_SKINCMD && AnyStateCommand(m))
        return;
    if (Skinned()) {
        if (m.Msg == SM_SKINCMD)
            SkinnedCommand(m);
        else
            SkinnedMessage(m);
        return;
    }
    if (m.Msg == SM_SKINCMD && ks::SkinCommandView(m).Command() == SKC_GET_BG_COLOR) {
        m.Result = static_cast<LRESULT>(BackgroundColor());
        return;
    }
    if ((m.Msg == CM_VISIBLECHANGED || m.Msg == CM_SHOWINGCHANGED) && FFrame && FFrame->HandleAllocated()) {
        FSkinData->RefreshIndexes();
        TMessage newSkin{SM_SKINCMD, Command(SKC_NEW_SKIN), reinterpret_cast<LPARAM>(FSkinData->SkinManager()), 0};
        ToChildren(newSkin);
    }
    FOldWndProc(m);
}

void InitializeSFrameAdapterUnit()
{
    RegisterClasses<TsFrameAdapter>();
}

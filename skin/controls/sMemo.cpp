#include "skin/controls/sMemo.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/controls/sLabel.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Forms.h"

#include <optional>

namespace {

const ks::PropertyInfo MemoProps[] = {
    ks::Prop<&TsMemo::SkinData>("SkinData"),
    ks::Prop<&TsMemo::BoundLabel>("BoundLabel"),
    ks::Prop<&TsMemo::DisabledKind, &TsMemo::SetDisabledKind>("DisabledKind").DefaultIs(TsDisabledKind{dkBlended}),
    ks::Prop<&TsMemo::OnVScroll, &TsMemo::SetOnVScroll>("OnVScroll"),
    ks::Prop<&TsMemo::OnScrollCaret, &TsMemo::SetOnScrollCaret>("OnScrollCaret"),
    ks::Prop<&TControl::Text, &TControl::SetText>("Text"),
    ks::Prop<&TCustomEdit::CharCase, &TCustomEdit::SetCharCase>("CharCase").DefaultIs(ecNormal),
};

constexpr DWORD RedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME;

} // namespace

const ks::ClassInfo TsMemo::StaticClassInfo{"TsMemo", &TMemo::StaticClassInfo, MemoProps, {}};
const ks::ClassInfo& TsMemo::ClassInfo() const noexcept { return StaticClassInfo; }

TsMemo::TsMemo(TComponent* owner) : TMemo(owner), FSkinData(std::make_unique<TsCommonData>(this, true))
{
    FSkinData->ControlKind = ckMemo;
    if (FSkinData->SkinSection().empty())
        FSkinData->SetSkinSection("EDIT");
    TControlStyle style = ControlStyle();
    style.Exclude(csOpaque);
    SetControlStyle(style);
    FBoundLabel = std::make_unique<TsBoundLabel>(this, FSkinData.get());
}

TsMemo::~TsMemo()
{
    FreeAdapter();
}

void TsMemo::FreeAdapter() noexcept
{
    if (TacMainWnd* adapter = std::exchange(FListSW, nullptr))
        adapter->Free();
}

void TsMemo::AfterConstruction()
{
    TMemo::AfterConstruction();
    FSkinData->Loaded();
}

void TsMemo::Loaded()
{
    TMemo::Loaded();
    FSkinData->Loaded();
    InitEditHandler(FSkinData.get(), FListSW);
}

void TsMemo::SetDisabledKind(TsDisabledKind value)
{
    if (value == FDisabledKind)
        return;
    FDisabledKind = value;
    FSkinData->Invalidate();
}

bool TsMemo::SkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_NEW_SKIN: return NewSkinCommand(view);
    case SKC_REMOVE_SKIN: return RemoveSkinCommand(view);
    case SKC_REFRESH: return RefreshCommand(view);
    case SKC_IS_SKINNED: return Answer(view, 1);
    case SKC_GET_APPLICATION: return Answer(view, reinterpret_cast<LRESULT>(Application));
    default: return false;
    }
}

bool TsMemo::Answer(ks::SkinCommandView view, LRESULT value)
{
    view.SetResult(value);
    return true;
}

bool TsMemo::NewSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    RouteSkinMessage(view.Message(), FSkinData.get());
    return true;
}

bool TsMemo::RemoveSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    // The removal reaches the memo through its form's provider and again through the form's
    // children: only the first, which takes the adapter away, makes a new window.
    const bool adapted = FListSW != nullptr;
    FreeAdapter();
    RouteSkinMessage(view.Message(), FSkinData.get());
    // A new window without the adapter's frame; the memo keeps its text.
    if (adapted && HandleAllocated())
        RecreateWnd();
    return true;
}

bool TsMemo::RefreshCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    RouteSkinMessage(view.Message(), FSkinData.get());
    InitEditHandler(FSkinData.get(), FListSW);
    if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RedrawAll);
    return true;
}

void TsMemo::WndProc(TMessage& m)
{
    if (m.Msg == CM_FONTCHANGED && Showing() && HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RedrawAll);
    if (m.Msg == SM_SKINCMD && SkinCommand(ks::SkinCommandView(m)))
        return;
    // The mouse's buttons run the mouse and click events, and the context menu's opening (a right
    // button's release) its root item's OnClick: each may free the memo.
    std::optional<ks::ComponentWatch> watch;
    if (m.Msg == WM_CONTEXTMENU || (m.Msg >= WM_LBUTTONDOWN && m.Msg <= WM_XBUTTONDBLCLK && m.Msg != WM_MOUSEWHEEL))
        watch.emplace().Watch(this);
    if (!CanPaintControl(this) || !FSkinData->IsSkinActive()) {
        TMemo::WndProc(m);
        if (!watch || watch->Alive(this))
            KeepLabelInStep(m);
        return;
    }
    if (m.Msg == WM_PAINT) {
        WMPaint(TWMPaint(m));
        return;
    }
    if (RouteSkinMessage(m, FSkinData.get()))
        return;
    TMemo::WndProc(m);
    if (watch && !watch->Alive(this))
        return;
    AfterPlatform(m);
    KeepLabelInStep(m);
}

// While the skin data updates, the memo paints nothing: a real paint only validates.
void TsMemo::WMPaint(TWMPaint view)
{
    FSkinData->UpdateLock = FSkinData->Updating();
    if (!FSkinData->UpdateLock) {
        TMemo::WndProc(view.Message());
        return;
    }
    if (!view.DC()) {
        PAINTSTRUCT ps;
        BeginPaint(Handle(), &ps);
        EndPaint(Handle(), &ps);
    }
}

void TsMemo::AfterPlatform(const TMessage& m)
{
    switch (m.Msg) {
    case WM_SETFONT: FSkinData->Invalidate(); break;
    case CM_VISIBLECHANGED: FSkinData->Invalidate(); break;
    case CM_ENABLEDCHANGED: FSkinData->Invalidate(); break;
    case EM_SCROLLCARET: Notify(FOnScrollCaret); break;
    case WM_VSCROLL: Notify(FOnVScroll); break;
    case CM_SHOWINGCHANGED: InitEditHandler(FSkinData.get(), FListSW); break;
    case CM_TEXTCHANGED: RefreshBars(); break;
    case CM_CHANGED: RefreshBars(); break;
    default: break;
    }
}

void TsMemo::Notify(const TNotifyEvent& event)
{
    if (event)
        event(this);
}

// The adapter's bars follow the text at once.
void TsMemo::RefreshBars()
{
    if (FListSW)
        RefreshScrollBars(FListSW, true);
}

void TsMemo::KeepLabelInStep(const TMessage& m)
{
    TsEditLabel* label = FBoundLabel ? FBoundLabel->TheLabel() : nullptr;
    if (!label)
        return;
    switch (m.Msg) {
    case CM_VISIBLECHANGED: label->SetVisible(Visible()); break;
    case CM_ENABLEDCHANGED: label->SetEnabled(Enabled()); break;
    case CM_BIDIMODECHANGED: label->SetBiDiMode(BiDiMode()); break;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: break;
    default: return;
    }
    FBoundLabel->AlignLabel();
}

void InitializeSMemoUnit()
{
    RegisterClasses<TsMemo>();
}

#include "skin/adapters/ComboAdapters.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/adapters/SmallAdapterGeometry.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

#include <algorithm>
#include <string>
#include <utility>

using ks::adapters::StyleOf;

bool DroppedDown = false;

namespace {

// The combo box's frame is always this wide, whatever its section's border image says.
constexpr int ComboFrame = 3;
// Item texts are read into a buffer of this many characters at most: the item is shown in one
// line of a control a few hundred pixels wide.
constexpr LRESULT MaxItemText = 4096;

TSize WindowSize(HWND wnd) noexcept
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return TSize{r.right - r.left, r.bottom - r.top};
}

bool SkinActive(const TacMainWnd& a) noexcept
{
    return !a.Destroyed && a.SkinData && a.SkinData->IsSkinActive();
}

} // namespace

TRect ButtonRectFor(HWND combo, bool hasButton)
{
    const TSize size = WindowSize(combo);
    const bool rtl = (GetWindowLongPtrW(combo, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
    return ks::adapters::ComboButtonRect(size.cx, size.cy, hasButton ? GetSystemMetrics(SM_CXVSCROLL) : 0, rtl);
}

// ---- TacComboListWnd ------------------------------------------------------------------------------

TacComboListWnd* TacComboListWnd::CreateEx(HWND handle, TsCommonData* skinData, TsSkinManager* manager,
                                           std::string_view section, bool repaint, bool simpleList)
{
    return TacMainWnd::Create<TacComboListWnd>(handle, skinData, manager, section, repaint, simpleList, repaint);
}

TacComboListWnd::TacComboListWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section,
                                 bool simpleList, bool repaint)
    : TacEditWnd(handle, skinData, manager, std::move(section)), SimpleList(simpleList), FRepaint(repaint)
{
    // A skin data given by the creator is the list's from now on.
    OwnSkinData = true;
}

bool TacComboListWnd::WantsVisualStyleOff() const
{
    return FRepaint && TacEditWnd::WantsVisualStyleOff();
}

void TacComboListWnd::InstallHook(bool repaint)
{
    TacEditWnd::InstallHook(repaint);
    if (Destroyed)
        return;
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    // A drop-down list computes its frame anew only when its size changes; the combo box sizes
    // it again each time it drops down, so the pixel added here does not stay.
    if (!SimpleList)
        SetWindowPos(CtrlHandle, nullptr, 0, 0, WndSize.cx + 1, WndSize.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOCOPYBITS | SWP_NOOWNERZORDER |
                         SWP_NOSENDCHANGING);
}

void TacComboListWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActive(*this) || !ListMessage(m))
        TacEditWnd::AdapterWndProc(m);
}

bool TacComboListWnd::ListMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND: return StraightToList(m);
    case WM_HSCROLL: return StraightToList(m);
    case WM_VSCROLL: return StraightToList(m);
    case WM_NCCALCSIZE: return Handled(m, HandleNcCalcSize(this, CtrlHandle, m.WParam, m.LParam));
    case WM_NCLBUTTONDOWN: return NcButtonDown(m);
    case WM_NCLBUTTONDBLCLK: return NcButtonDown(m);
    case WM_LBUTTONUP: return WMLButtonUp(m);
    case WM_NCPAINT: return WMNCPaint(m);
    case WM_PRINT: return PrintList(m);
    case WM_PRINTCLIENT: return PrintList(m);
    default: return false;
    }
}

bool TacComboListWnd::StraightToList(TMessage& m)
{
    CallPrev(m);
    return true;
}

bool TacComboListWnd::NcButtonDown(TMessage& m)
{
    if (m.WParam != HTHSCROLL && m.WParam != HTVSCROLL)
        return false;
    m.Result = HandleNcLButtonDown(this, CtrlHandle, m.WParam, m.LParam);
    return true;
}

bool TacComboListWnd::BarPressed() const
{
    const ScrollTracking& t = CurrentScrollTracking();
    return t.PressedWnd == CtrlHandle && t.PressedPortion >= 0;
}

bool TacComboListWnd::HoldsMouseAcrossPress() const
{
    return !SimpleList && IsWindowVisible(CtrlHandle);
}

bool TacComboListWnd::WMLButtonUp(TMessage& m)
{
    if (BarPressed()) {
        m.Result = HandleLButtonUp(this, CtrlHandle, m.WParam, m.LParam);
        return true;
    }
    CallPrev(m);
    // A list that closed on this button-up lets go of the mouse; an open one keeps it.
    if (!Destroyed && GetCapture() == CtrlHandle && !IsWindowVisible(CtrlHandle))
        ReleaseCapture();
    return true;
}

bool TacComboListWnd::WMNCPaint(TMessage& m)
{
    if (Scrolling)
        return true;
    if (!IsWindowVisible(CtrlHandle)) {
        CallPrev(m);
        return true;
    }
    SkinData->BackgroundChanged = true;
    RebuildCache();
    ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
    PaintFrame(dc.get(), CurrentScrollTracking().PressedHotPortion);
    m.Result = 0;
    return true;
}

bool TacComboListWnd::PrintList(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!dc)
        return false;
    SkinData->BackgroundChanged = true;
    RebuildCache();
    CallPrev(m);
    if (Destroyed || SendMessageW(CtrlHandle, LB_GETCOUNT, 0, 0) < 1 || BarPressed())
        return true;
    PaintFrame(dc, -1);
    return true;
}

// ---- TacComboBoxWnd -------------------------------------------------------------------------------

TacComboBoxWnd::TacComboBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacEditWnd(handle, skinData, manager, std::move(section)),
      ButtonSkinData(std::make_unique<TsCommonData>(nullptr, true))
{
}

TacComboBoxWnd::~TacComboBoxWnd()
{
    if (ListAdapter)
        std::exchange(ListAdapter, nullptr)->Free();
    ButtonSkinData.reset();
}

void TacComboBoxWnd::Detached()
{
    TacEditWnd::Detached();
    // The list goes back to the platform with its combo box.
    if (ListAdapter && !ListAdapter->Destroyed) {
        TacMainWnd* list = ListAdapter;
        RemoveScrollWndHandler(ListHandle, false, false, list);
    }
}

bool TacComboBoxWnd::Simple() const
{
    return (StyleOf(CtrlHandle) & 3) == CBS_SIMPLE;
}

TRect TacComboBoxWnd::ButtonRect()
{
    const bool hasButton = (StyleOf(CtrlHandle) & CBS_DROPDOWN) != 0;
    return ButtonRectFor(CtrlHandle, hasButton);
}

int TacComboBoxWnd::ButtonState()
{
    if (ListHandle && IsWindow(ListHandle) && IsWindowVisible(ListHandle))
        return 2;
    return SkinData->IsControlHot() ? 1 : 0;
}

void TacComboBoxWnd::PaintButton(HDC dc)
{
    TsSkinManager* manager = SkinData->SkinManager();
    TBitmap* cache = SkinData->CacheBitmap.get();
    const TRect r = ButtonRect();
    if (!dc || !manager || !cache || cache->Empty() || r.Width() <= 0 || r.Height() <= 0)
        return;
    const int state = ButtonState();
    // The button's picture lives in its own skin data between paints.
    TBitmap* button = ks::adapters::SizedCache(*ButtonSkinData, {r.Width(), r.Height()});
    if (!button || button->Empty())
        return;
    BitBlt(button->Canvas().Handle(), 0, 0, r.Width(), r.Height(), cache->Canvas().Handle(), r.Left, r.Top, SRCCOPY);
    const CacheInfo behind{button, 0, 0, TransparentKeyColor, true};
    const TsCommonIndexes& ci = manager->CommonIndexes;
    if (manager->SectionIndexValid(ci.ComboBtnIndex))
        PaintSectionByIndex(ci.ComboBtnIndex, "COMBOBTN", behind, true, state, Rect(0, 0, r.Width(), r.Height()),
                            TPoint{0, 0}, button, manager, ci.ComboBtnTexture, ci.ComboBtnHotTexture);
    if (manager->MaskIndexValid(ci.ComboBoxGlyphMask)) {
        const TsMaskData& glyph = manager->MaskArray[static_cast<size_t>(ci.ComboBoxGlyphMask)];
        const int w = MaskCellWidth(glyph);
        const int h = MaskCellHeight(glyph);
        if (w > 0 && h > 0)
            PaintStateGlyph(*button, TPoint{(r.Width() - w) / 2, (r.Height() - h) / 2}, state, 1, glyph, behind);
    }
    BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), button->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TacComboBoxWnd::RepaintButton()
{
    if (Destroyed || !IsWindowVisible(CtrlHandle))
        return;
    ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
    PaintButton(dc.get());
}

void TacComboBoxWnd::InvalidateOwner()
{
    if (Destroyed || !SkinData->OwnerControl)
        return;
    InvalidateRect(CtrlHandle, nullptr, FALSE);
    UpdateWindow(CtrlHandle);
}

void TacComboBoxWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActive(*this) || !ComboMessage(m))
        TacEditWnd::AdapterWndProc(m);
}

bool TacComboBoxWnd::ComboMessage(TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD: return ComboSkinCommand(m);
    case WM_CTLCOLORLISTBOX: return WMCtlColorListBox(m);
    case WM_LBUTTONUP: return RepaintButtonAfter(m);
    case WM_SETFOCUS: return RepaintButtonAfter(m);
    case WM_KILLFOCUS: return RepaintButtonAfter(m);
    case CM_MOUSEENTER: return HoverChange(m, true);
    case CM_MOUSELEAVE: return HoverChange(m, false);
    case WM_DRAWITEM: return WMDrawItem(m);
    case WM_NCCALCSIZE: return WMNCCalcSize(m);
    case WM_ERASEBKGND: m.Result = 1; return true;
    case WM_PRINT: return WMPrint(m);
    case WM_PAINT: return WMPaint(m);
    case CN_COMMAND: return CNCommand(m);
    default: return false;
    }
}

bool TacComboBoxWnd::ComboSkinCommand(TMessage& m)
{
    const WORD command = ks::SkinCommandView(m).Command();
    if (command != SKC_HOT_ENTER && command != SKC_HOT_LEAVE)
        return false;
    return RepaintButtonAfter(m);
}

bool TacComboBoxWnd::RepaintButtonAfter(TMessage& m)
{
    TacEditWnd::AdapterWndProc(m);
    RepaintButton();
    return true;
}

bool TacComboBoxWnd::HoverChange(TMessage& m, bool entered)
{
    TacEditWnd::AdapterWndProc(m);
    if (Destroyed)
        return true;
    SkinData->MouseIsAbove = entered;
    InvalidateOwner();
    return true;
}

bool TacComboBoxWnd::WMDrawItem(TMessage& m)
{
    CallPrev(m);
    InvalidateOwner();
    return true;
}

bool TacComboBoxWnd::WMNCCalcSize(TMessage& m)
{
    TacEditWnd::AdapterWndProc(m);
    BorderLeft = ComboFrame;
    return true;
}

bool TacComboBoxWnd::CNCommand(TMessage& m)
{
    if ((StyleOf(CtrlHandle) & 1) == 0) {
        if (HIWORD(m.WParam) == CBN_DROPDOWN)
            DroppedDown = true;
        else if (HIWORD(m.WParam) == CBN_CLOSEUP)
            DroppedDown = false;
    }
    return false;
}

void TacComboBoxWnd::AdaptList(HWND list)
{
    const bool foreign = SkinData->OwnerControl == nullptr;
    const bool wasInDialog = NextAdapterInDialog;
    if (foreign)
        NextAdapterInDialog = DlgMode;
    const bool repaint = SendMessageW(CtrlHandle, CB_GETCOUNT, 0, 0) >= 1;
    ListAdapter = TacComboListWnd::CreateEx(list, nullptr, SkinData->SkinManager(), "EDIT", repaint, Simple());
    if (foreign)
        NextAdapterInDialog = wasInDialog;
}

bool TacComboBoxWnd::WMCtlColorListBox(TMessage& m)
{
    TacEditWnd::AdapterWndProc(m);
    if (Destroyed)
        return true;
    if (!ListHandle) {
        // Only the combo box's own list is taken: the message may come from anyone.
        HWND list = reinterpret_cast<HWND>(m.LParam);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        const bool known = GetComboBoxInfo(CtrlHandle, &info) ? info.hwndList == list : IsWindow(list) != FALSE;
        if (!list || !known)
            return true;
        ListHandle = list;
        // A list adapted already (a standard dialog adapts the lists of its combo boxes on its
        // own) keeps its one adapter: a second one on the same window would leave the window
        // without its adapter's mark once either of them goes.
        if (!ListAdapter && !GetScrollHandler(ListHandle))
            AdaptList(ListHandle);
    }
    const int index = static_cast<int>(SendCommandWnd(ListHandle, SKC_GET_SKIN_INDEX, 0)) - 1;
    TsSkinManager* manager = SkinData->SkinManager();
    if (index < 0 || DlgMode || !manager || !manager->SectionIndexValid(index))
        return true;
    const TsGeneralData& section = manager->GeneralDataArray[static_cast<size_t>(index)];
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (section.FontColor[0] >= 0)
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(section.FontColor[0])));
    const TColor colour = ColorToRGB(section.Color);
    SetBkColor(dc, static_cast<COLORREF>(colour));
    if (!FListBrush || FListBrushColor != colour) {
        FListBrush = ks::GdiBrush(CreateSolidBrush(static_cast<COLORREF>(colour)));
        FListBrushColor = colour;
    }
    m.Result = reinterpret_cast<LRESULT>(FListBrush.get());
    return true;
}

// A simple combo box shows its section over the parent's background; its list lies inside it.
void TacComboBoxWnd::PaintSimpleCache()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    SkinData->EnsureCacheBitmap();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!cache)
        return;
    cache->SetPixelFormat(pf24bit);
    cache->SetSize(std::max(0, static_cast<int>(WndSize.cx)), std::max(0, static_cast<int>(WndSize.cy)));
    const int state = SkinData->IsControlHot() ? 1 : 0;
    PaintControlSection(*SkinData, SkinData->QueryBackgroundInfoWnd(CtrlHandle), true, state,
                        Rect(0, 0, WndSize.cx, WndSize.cy), WndPos, cache, false);
    SkinData->BackgroundChanged = false;
}

void TacComboBoxWnd::PrepareComboCache()
{
    SkinData->BackgroundChanged = true;
    if (Simple()) {
        PaintSimpleCache();
        DrawWndBorder(SkinData, nullptr, this);
    } else {
        SendCommandWnd(CtrlHandle, SKC_PREPARE_CACHE, 0);
    }
}

// The selected item of a drop-down list, as the control shows it, into the cache.
void TacComboBoxWnd::PaintCurrentItem()
{
    TControl* owner = SkinData->OwnerControl;
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!owner || !cache || cache->Empty() || (StyleOf(CtrlHandle) & 3) != CBS_DROPDOWNLIST)
        return;
    const LRESULT item = SendMessageW(CtrlHandle, CB_GETCURSEL, 0, 0);
    const LRESULT length = item >= 0 ? SendMessageW(CtrlHandle, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0) : -1;
    std::wstring text;
    if (length > 0 && length < MaxItemText) {
        text.assign(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT got = SendMessageW(CtrlHandle, CB_GETLBTEXT, static_cast<WPARAM>(item),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    }
    const TRect button = ButtonRect();
    const bool rtl = button.Width() > 0 && button.Left == 2;
    TRect r = Rect(ComboFrame + (rtl ? button.Width() : 0), ComboFrame,
                   (rtl ? WndSize.cx : button.Left) - ComboFrame + (rtl ? 0 : 2), WndSize.cy - ComboFrame);
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    TCanvas& canvas = cache->Canvas();
    canvas.Font().Assign(owner->Font());
    const bool focused = GetFocus() == CtrlHandle;
    const TsGeneralData* section = SkinData->Section();
    TColor textColour = section ? section->FontColor[0] : owner->Font()->Color();
    RECT area{r.Left, r.Top, r.Right, r.Bottom};
    if (focused) {
        FillRectSolid(canvas.Handle(), r, clHighlight);
        textColour = clHighlightText;
    }
    if (!text.empty()) {
        SetBkMode(canvas.Handle(), TRANSPARENT);
        SetTextColor(canvas.Handle(), static_cast<COLORREF>(ColorToRGB(textColour)));
        RECT t{area.left + 2, area.top, area.right, area.bottom};
        DrawTextW(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &t,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (focused)
        DrawFocusRect(canvas.Handle(), &area);
}

bool TacComboBoxWnd::WMPrint(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    SkinData->SetUpdating(false);
    if (!ParamsApplied)
        ApplySkinColors();
    PrepareComboCache();
    if (Destroyed)
        return true;
    PaintCurrentItem();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!dc || !cache || cache->Empty())
        return true;
    BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
    PaintButton(dc);
    return true;
}

bool TacComboBoxWnd::WMPaint(TMessage& m)
{
    if (!ParamsApplied)
        ApplySkinColors();
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    CallPrev(m);
    if (Destroyed || !IsWindowVisible(CtrlHandle))
        return true;
    SkinData->UpdateLock = SkinData->Updating();
    if (SkinData->UpdateLock || PaintLock)
        return true;
    HDC given = TWMPaint(m).DC();
    std::unique_ptr<ks::WindowDC> taken;
    if (!given)
        taken = std::make_unique<ks::WindowDC>(CtrlHandle, ks::WindowDC::WholeWindow);
    HDC dc = given ? given : taken->get();
    PrepareComboCache();
    if (Destroyed)
        return true;
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!cache || cache->Empty())
        return true;
    CopyFrameStrips(dc, 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, ComboFrame);
    if (!Simple())
        PaintButton(dc);
    return true;
}

// ---- TacWWComboBoxWnd -----------------------------------------------------------------------------

bool ControlHasDropDownButton(const TWinControl* control)
{
    if (!control)
        return false;
    auto* combo = dynamic_cast<const TCustomComboBox*>(control);
    if (!combo || std::string_view(control->ClassName()) != "TComboBox")
        return true;
    return combo->Style() == csDropDown || combo->Style() == csDropDownList;
}

TacWWComboBoxWnd* TacWWComboBoxWnd::CreateFor(TWinControl* control, TsCommonData* skinData, TsSkinManager* manager,
                                              std::string_view section, bool repaint)
{
    if (!control)
        return nullptr;
    return TacMainWnd::Create<TacWWComboBoxWnd>(control->Handle(), skinData, manager, section, repaint, control);
}

TacWWComboBoxWnd::TacWWComboBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section,
                                   TWinControl* control)
    : TacComboBoxWnd(handle, skinData, manager, std::move(section)), HasButton(ControlHasDropDownButton(control))
{
}

TRect TacWWComboBoxWnd::ButtonRect()
{
    return ButtonRectFor(CtrlHandle, HasButton);
}

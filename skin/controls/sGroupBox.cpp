#include "skin/controls/sGroupBox.h"

#include "skin/controls/ButtonLook.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <optional>

template <>
struct ks::EnumTraits<TsGroupCaptionLayout> {
    static constexpr const char* Names[] = {"clTopLeft", "clTopCenter", "clTopRight"};
};

namespace {

constexpr int GroupBoxKind = 74;
constexpr UINT CaptionTextFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

const ks::PropertyInfo GroupBoxProps[] = {
    ks::Prop<&TsGroupBox::CaptionLayout, &TsGroupBox::SetCaptionLayout>("CaptionLayout").DefaultIs(clTopLeft),
    ks::Prop<&TsGroupBox::CaptionYOffset, &TsGroupBox::SetCaptionYOffset>("CaptionYOffset").DefaultIs(0),
    ks::Prop<&TsGroupBox::SkinData>("SkinData"),
    ks::Prop<&TsGroupBox::CaptionSkin, &TsGroupBox::SetCaptionSkin>("CaptionSkin"),
};

bool BeingDestroyed(const TComponent& c) noexcept
{
    return c.ComponentState().Contains(csDestroying);
}

} // namespace

const ks::ClassInfo TsGroupBox::StaticClassInfo{"TsGroupBox", &TGroupBox::StaticClassInfo, GroupBoxProps, {}};
const ks::ClassInfo& TsGroupBox::ClassInfo() const noexcept { return StaticClassInfo; }

TsGroupBox::TsGroupBox(TComponent* owner) : TGroupBox(owner)
{
    TControlStyle style = ControlStyle();
    style.Exclude(csOpaque);
    SetControlStyle(style);
    FSkinData = std::make_unique<TsCommonData>(this, true);
    FSkinData->ControlKind = GroupBoxKind;
}

TsGroupBox::~TsGroupBox() = default;

void TsGroupBox::AfterConstruction()
{
    TGroupBox::AfterConstruction();
    FSkinData->Loaded();
}

void TsGroupBox::Loaded()
{
    TGroupBox::Loaded();
    FSkinData->Loaded();
}

void TsGroupBox::AdjustClientRect(TRect& rect) const
{
    if (BeingDestroyed(*this))
        return;
    TGroupBox::AdjustClientRect(rect);
    rect.Top += FCaptionYOffset;
}

void TsGroupBox::SetCaptionLayout(TsGroupCaptionLayout value)
{
    if (value == FCaptionLayout)
        return;
    FCaptionLayout = value;
    if (!Caption().empty())
        FSkinData->Invalidate();
}

void TsGroupBox::SetCaptionYOffset(int value)
{
    if (value == FCaptionYOffset)
        return;
    FCaptionYOffset = value;
    FSkinData->Invalidate();
}

void TsGroupBox::SetCaptionSkin(const std::string& value)
{
    if (value == FCaptionSkin)
        return;
    FCaptionSkin = value;
    FSkinData->Invalidate();
}

int TsGroupBox::CaptionHeight()
{
    FSkinData->EnsureCacheBitmap();
    TCanvas& canvas = FSkinData->CacheBitmap->Canvas();
    canvas.Font().Assign(Font());
    return std::max(4, TextExtentOf(canvas, L"W").cy) + 2;
}

TRect TsGroupBox::CaptionRect(int textWidth)
{
    TRect r;
    r.Top = 0;
    r.Bottom = CaptionHeight();
    if (SkinActive()) {
        r.Bottom += FCaptionYOffset;
        if (FCaptionYOffset < 0)
            r.Top += FCaptionYOffset;
    }
    const bool rtl = UseRightToLeftAlignment();
    TsGroupCaptionLayout layout = FCaptionLayout;
    if (layout == clTopLeft && rtl)
        layout = clTopRight;
    switch (layout) {
    case clTopCenter: r.Left = (Width() - textWidth - 4 - 6) / 2; break;
    case clTopLeft: r.Left = 6; break;
    case clTopRight: r.Left = rtl ? 6 : Width() - textWidth - 14; break;
    }
    r.Left = std::max(r.Left, 0);
    r.Right = std::min(r.Left + textWidth + 8, Width());
    if (r.Width() < 2 * BorderWidth()) {
        r.Left -= BorderWidth();
        r.Right += BorderWidth();
    }
    return r;
}

void TsGroupBox::DrawGroupCaption(const TRect& cr, const CacheInfo& ci)
{
    TBitmap* cache = FSkinData->CacheBitmap.get();
    TsSkinManager* manager = FSkinData->SkinManager();
    if (FCaptionSkin.empty()) {
        const int index = manager->FindSection("CHECKBOX");
        if (!ci.Ready)
            FillRectSolid(cache->Canvas().Handle(), cr, ci.FillColor);
        else
            PaintSectionByIndex(index, "CHECKBOX", ci, true, Focused() ? 1 : 0, cr, {Left() + cr.Left, Top() + cr.Top},
                                cache, manager, -1, -1);
    } else {
        // The caption's own section lies over what the box has painted under it.
        PaintSectionByIndex(manager->FindSection(FCaptionSkin), FCaptionSkin, CacheInfoFromBitmap(cache, 0, 0), true,
                            0, cr, {cr.Left, cr.Top}, cache, manager, -1, -1);
    }
    TRect text = cr;
    DrawControlText(cache->Canvas(), Caption(), true, text, CaptionTextFlags, *FSkinData, false);
}

void TsGroupBox::PrepareCache()
{
    FSkinData->EnsureCacheBitmap();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache || cache->Width() <= 0 || cache->Height() <= 0)
        return;
    const CacheInfo ci = FSkinData->QueryBackgroundInfo();
    TCanvas& canvas = cache->Canvas();
    canvas.Font().Assign(Font());
    const TRect cr = CaptionRect(TextWidthOf(canvas, Caption()));
    const int band = cr.Height();
    if (ci.Ready && ci.Bmp)
        BitBlt(canvas.Handle(), 0, 0, Width(), band, ci.Bmp->Canvas().Handle(), Left() + ci.X, Top() + ci.Y, SRCCOPY);
    else if (Parent())
        FillRectSolid(canvas.Handle(), {0, 0, Width(), cr.Bottom}, ci.FillColor);
    const int y = FCaptionYOffset >= 0 ? band / 2 : 0;
    PaintControlSection(*FSkinData, ci, true, 0, {0, y, Width(), Height()}, {Left(), Top() + y}, cache, true);
    if (!Caption().empty())
        DrawGroupCaption(cr, ci);
    FSkinData->BackgroundChanged = false;
}

TsGroupBox::Look TsGroupBox::LookNow()
{
    return {Focused(),
            UseRightToLeftAlignment(),
            BoundsRect(),
            Parent(),
            ParentLookColour(*FSkinData),
            OwnLookColour(*FSkinData),
            FSkinData->SkinIndex,
            TsFontLook::Of(*Font()),
            Caption(),
            FCaptionLayout,
            FCaptionYOffset,
            FCaptionSkin};
}

void TsGroupBox::PaintToDC(HDC dc)
{
    if (!SkinActive() || BeingDestroyed(*this) || !Visible())
        return;
    if (PaintLock) {
        if (!CaptureDC)
            return;
        dc = CaptureDC;
    }
    FSkinData->UpdateLock = FSkinData->Updating();
    if (FSkinData->UpdateLock)
        return;
    if (FSkinData->NeedsRepaint() && Parent()) {
        const TRect client = Parent()->ClientRect();
        auto outside = [&client](int x, int y) {
            return x < client.Left || y < client.Top || x >= client.Right || y >= client.Bottom;
        };
        FSkinData->ClippedByParent = outside(Left() + 1, Top() + 1) || outside(Left() + Width() - 1, Top() + Height() - 1);
    } else {
        FSkinData->ClippedByParent = false;
    }
    const Look look = LookNow();
    if (look != FPaintedLook) {
        FSkinData->BackgroundChanged = true;
        FPaintedLook = look;
    }
    if (!FSkinData->ParentBackgroundAlways && (FSkinData->BackgroundChanged || FSkinData->ClippedByParent)) {
        PrepareCache();
        // The controls inside take their background from this picture.
        const auto tell = [](TControl& child) { child.Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_SET_BG_CHANGED), 0); };
        if (!ks::ForEachLiveChild(*this, tell))
            return;
    }
    const TRect all{0, 0, Width(), Height()};
    CopyCacheExceptControls(this, *FSkinData, {0, 0}, 0, 0, false, dc, all);
    PaintGraphicChildren(dc, this, {0, 0});
    SendChildrenCommand6(this);
}

void TsGroupBox::Paint()
{
    if (!SkinActive()) {
        TGroupBox::Paint();
        return;
    }
    PaintToDC(Canvas().Handle());
}

bool TsGroupBox::SkinCommandAnyState(TMessage& message)
{
    ks::SkinCommandView view(message);
    const bool own = view.ConcernsManager(FSkinData->SkinManager());
    TMessage copy = message;
    switch (view.Command()) {
    case SKC_IS_SKINNED: message.Result = 1; return true;
    case SKC_NEW_SKIN:
        BroadcastCommand(this, copy);
        if (own)
            RouteSkinMessage(message, FSkinData.get());
        return true;
    case SKC_REMOVE_SKIN:
    case SKC_REFRESH:
        if (own)
            RouteSkinMessage(message, FSkinData.get());
        BroadcastCommand(this, copy);
        if (own)
            Repaint();
        return true;
    case SKC_GET_BG_INFO:
        if (FCaptionSkin.empty())
            return false;
        if (auto* info = view.Pointer<BackgroundInfo>()) {
            FSkinData->EnsureCacheBitmap();
            info->Bmp = FSkinData->CacheBitmap.get();
            info->Offset = {0, 0};
            info->BackgroundKind = BgKindBitmap;
        }
        message.Result = 1;
        return true;
    case SKC_GET_APPLICATION: message.Result = reinterpret_cast<LRESULT>(Application); return true;
    default: return false;
    }
}

void TsGroupBox::WndProc(TMessage& message)
{
    if (message.Msg == SM_SKINCMD && SkinCommandAnyState(message))
        return;
    if (!CanPaintControl(this) || !SkinActive()) {
        TGroupBox::WndProc(message);
        return;
    }
    SkinnedWndProc(message);
}

void TsGroupBox::SkinnedWndProc(TMessage& message)
{
    TsCommonData& d = *FSkinData;
    if (message.Msg == SM_SKINCMD) {
        switch (ks::SkinCommandView(message).Command()) {
        case SKC_PARENT_UPDATED:
            if (!d.UpdateLock)
                break;
            d.UpdateLock = d.Updating();
            if (Showing() && !d.UpdateLock)
                RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
            return;
        case SKC_SET_TRANSPARENT:
            RouteSkinMessage(message, &d);
            if (d.ParentBackgroundAlways)
                PrepareCache();
            return;
        case SKC_IS_UPDATING: message.Result = d.BackgroundChanged || d.Updating() ? 1 : 0; return;
        default:
            CommonSkinCommand(message, &d);
            return;
        }
    } else {
        switch (message.Msg) {
        case WM_PAINT: {
            HDC dc = reinterpret_cast<HDC>(message.WParam);
            if (dc) {
                PaintToDC(dc);
            } else {
                ks::PaintDC paint(Handle());
                if (paint.get())
                    PaintToDC(paint.get());
            }
            return;
        }
        case WM_PRINT:
            d.UpdateLock = false;
            PaintToDC(reinterpret_cast<HDC>(message.WParam));
            return;
        case WM_ERASEBKGND: message.Result = 1; return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: TGroupBox::WndProc(message); return;
        case WM_MOVE: d.BackgroundChanged = d.BackgroundChanged || d.NeedsRepaint(); break;
        case CM_TEXTCHANGED: d.Invalidate(); return;
        case CM_COLORCHANGED:
            TGroupBox::WndProc(message);
            // The controls inside show the box's own colour through its picture.
            if (d.CustomColor() && HandleAllocated()) {
                d.BackgroundChanged = true;
                RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            }
            return;
        case CM_FONTCHANGED:
            TGroupBox::WndProc(message);
            if (d.CacheBitmap)
                d.CacheBitmap->Canvas().Font().Assign(Font());
            if (!Caption().empty())
                d.Invalidate();
            return;
        default: break;
        }
    }
    if (RouteSkinMessage(message, &d))
        return;
    TGroupBox::WndProc(message);
}

void InitializeSGroupBoxUnit()
{
    RegisterClasses<TsGroupBox>();
}

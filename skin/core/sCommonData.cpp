#include "skin/core/sCommonData.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ControlFramePainting.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/acGlow.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"
#include "vcl/StdCtrls.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <new>
#include <utility>

namespace {

// A weight in percent; skins are read leniently, so anything may arrive here.
int Percent(int value) noexcept
{
    return std::clamp(value, 0, 100);
}

bool IsDestroying(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csDestroying);
}

bool IsLoading(const TComponent* c) noexcept
{
    return c && (c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading));
}

std::string UpperAscii(const std::string& value)
{
    std::string s = value;
    for (char& ch : s)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

HWND WindowOf(TControl* control) noexcept
{
    auto* w = dynamic_cast<TWinControl*>(control);
    return w ? w->HandleIfAllocated() : nullptr;
}

LRESULT Dispatch(TControl& control, WORD command, LPARAM value, WORD argument = 0)
{
    const TMessage m = SkinCommand(command, value, argument);
    return ks::PerformSkinMessage(control, m.Msg, m.WParam, m.LParam);
}

// Visits the children of a windowed control as ks::ForEachLiveChild does (a child freed or moved
// by an earlier one's handlers is passed over). False when the control was freed meanwhile, and
// the skin data that asked with it.
bool ForEachChildOf(TControl* control, const std::function<void(TControl&)>& visit)
{
    auto* w = dynamic_cast<TWinControl*>(control);
    return !w || ks::ForEachLiveChild(*w, visit);
}

void RedrawFrame(TControl* control)
{
    if (HWND wnd = WindowOf(control))
        RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

bool IsContainer(const TControl* control) noexcept
{
    return dynamic_cast<const TScrollingWinControl*>(control) != nullptr;
}

} // namespace

// Free notification is how a component says that it goes; the skin data is no component, so a
// small ownerless one listens for it and forgets the own manager the moment it is freed.
class TsCommonData::ManagerWatch : public TComponent {
public:
    ManagerWatch(TComponent* owner, TsCommonData& data) : TComponent(owner), FData(data) {}
    void Watch(TsSkinManager* manager)
    {
        if (FWatched)
            RemoveFreeNotification(FWatched);
        FWatched = manager;
        if (manager)
            FreeNotification(manager);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        if (operation == opRemove && component == FWatched) {
            FWatched = nullptr;
            FData.FOwnSkinManager = nullptr;
            // The owner may not be told of the removal at all (it is not on a form), so nothing
            // may be left pointing into the freed manager's tables.
            FData.SkinIndex = FData.BorderIndex = FData.TextureIndex = FData.HotTextureIndex = -1;
        }
        TComponent::Notification(component, operation);
    }

private:
    TsCommonData& FData;
    TsSkinManager* FWatched = nullptr;
};

namespace {
const ks::PropertyInfo CommonDataProps[] = {
    ks::Prop<&TsCommonData::CustomColor, &TsCommonData::SetCustomColor>("CustomColor").DefaultIs(false),
    ks::Prop<&TsCommonData::CustomFont, &TsCommonData::SetCustomFont>("CustomFont").DefaultIs(false),
    ks::Prop<&TsCommonData::OwnSkinManager, &TsCommonData::SetSkinManager>("SkinManager"),
    ks::Prop<&TsCommonData::SkinSection, &TsCommonData::SetSkinSection>("SkinSection"),
};
} // namespace

const ks::ClassInfo TsCommonData::StaticClassInfo{"TsCommonData", &TPersistent::StaticClassInfo, CommonDataProps, {}};

const ks::ClassInfo& TsCommonData::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TsCommonData::TsCommonData(TObject* owner, bool createCacheBitmap)
    : OwnerControl(dynamic_cast<TControl*>(owner)), OwnerObject(owner)
{
    if (createCacheBitmap)
        CacheBitmap = NewBitmap24(0, 0);
}

TsCommonData::~TsCommonData()
{
    HideGlow();
    SkinIndex = TextureIndex = HotTextureIndex = -1;
    OwnerControl = nullptr;
    OwnerObject = nullptr;
    // Freeing the listener undoes its link, so the manager forgets it.
    if (FManagerWatch)
        FManagerWatch->Free();
    FOwnSkinManager = nullptr;
}

void TsCommonData::WatchOwnManager(TsSkinManager* manager)
{
    FOwnSkinManager = manager;
    if (!FManagerWatch)
        FManagerWatch = Create<ManagerWatch>(nullptr, *this);
    FManagerWatch->Watch(manager);
}

TsSkinManager* TsCommonData::SkinManager() const noexcept
{
    return FOwnSkinManager ? FOwnSkinManager : DefaultSkinManager;
}

bool TsCommonData::OwnerBeingDestroyed() const noexcept
{
    return IsDestroying(dynamic_cast<const TComponent*>(OwnerObject));
}

bool TsCommonData::OwnerReady() const noexcept
{
    return OwnerControl && !IsLoading(OwnerControl) && !IsDestroying(OwnerControl) && OwnerControl->Parent();
}

void TsCommonData::SendSkinStateToOwner(TsSkinManager* manager)
{
    const bool skinned = manager && !manager->GeneralDataArray.empty() && manager->SectionIndexValid(SkinIndex);
    Dispatch(*OwnerControl, skinned ? SKC_REFRESH : SKC_REMOVE_SKIN, reinterpret_cast<LPARAM>(manager));
}

void TsCommonData::SetSkinManager(TsSkinManager* value)
{
    if (value == FOwnSkinManager)
        return;
    WatchOwnManager(value == DefaultSkinManager ? nullptr : value);
    if (!IsLoading(OwnerControl)) {
        if (!value || value->GeneralDataArray.empty())
            SkinIndex = -1;
        else
            RefreshIndexes();
    }
    // A form provider's notification hook does nothing, so it is sent nothing.
    if (OwnerReady())
        SendSkinStateToOwner(value);
}

void TsCommonData::SetSkinSection(const std::string& value)
{
    if (value == FSkinSection)
        return;
    FSkinSection = value.empty() ? "UNKNOWN" : UpperAscii(value);
    TsSkinManager* manager = SkinManager();
    if (!manager || manager->GeneralDataArray.empty())
        SkinIndex = -1;
    else
        RefreshIndexes();
    if (OwnerReady())
        SendSkinStateToOwner(manager);
    else if (!OwnerControl && ks::Services().ProviderSectionChanged &&
             ks::Services().ProviderSectionChanged(OwnerObject))
        BackgroundChanged = true;
}

void TsCommonData::ApplyEditColours()
{
    const TsGeneralData* s = Section();
    if (!s || !OwnerControl)
        return;
    if (!FCustomColor && OwnerControl->Color() != s->Color)
        OwnerControl->SetColor(s->Color);
    if (!FCustomFont && OwnerControl->Font()->Color() != s->FontColor[0])
        OwnerControl->Font()->SetColor(s->FontColor[0]);
}

void TsCommonData::SetCustomColor(bool value)
{
    if (value == FCustomColor)
        return;
    FCustomColor = value;
    if (IsSkinActive() && dynamic_cast<TCustomEdit*>(OwnerControl) && !IsLoading(OwnerControl)) {
        ApplyEditColours();
        Invalidate();
    }
}

void TsCommonData::SetCustomFont(bool value)
{
    if (value == FCustomFont)
        return;
    FCustomFont = value;
    Invalidate();
}

const TsGeneralData* TsCommonData::Section() const noexcept
{
    TsSkinManager* manager = SkinManager();
    if (!manager || !manager->SectionIndexValid(SkinIndex))
        return nullptr;
    return &manager->GeneralDataArray[static_cast<size_t>(SkinIndex)];
}

void TsCommonData::RefreshIndexes()
{
    BackgroundChanged = true;
    TsSkinManager* manager = SkinManager();
    SkinIndex = manager ? manager->FindSection(FSkinSection) : -1;
    UpdateBackgroundFlags();
    SkinStateWord = 0;
    if (SkinIndex >= 0 && manager) {
        BorderIndex = manager->GeneralDataArray[static_cast<size_t>(SkinIndex)].BorderIndex;
        TextureIndex = manager->FindTexture(SkinIndex, FSkinSection, "PATTERN");
        HotTextureIndex = manager->FindTexture(SkinIndex, FSkinSection, "HOTPATTERN");
        RefreshControlState(false);
    } else {
        TextureIndex = HotTextureIndex = -1;
    }
}

void TsCommonData::UpdateBackgroundFlags()
{
    BackgroundFlags = 0;
    const TsGeneralData* s = Section();
    if (!s)
        return;
    if (s->ImagePercent != 0)
        BackgroundFlags |= BgHasTexture;
    if (s->GradientPercent != 0 && !s->GradientArray.empty()) {
        switch (s->GradientArray.front().Mode) {
        case gmVertical: BackgroundFlags |= BgVariesVertically; break;
        case gmHorizontal: BackgroundFlags |= BgVariesHorizontally; break;
        case gmTriangles: BackgroundFlags |= BgVariesHorizontally | BgVariesVertically; break;
        default: break;
        }
    }
}

void TsCommonData::DefaultSection()
{
    if (FSkinSection.empty())
        SetSkinSection(DefaultSectionOfKind(ControlKind, OwnerObject ? OwnerObject->ClassName() : ""));
    else
        RefreshIndexes();
}

void TsCommonData::Loaded()
{
    DefaultSection();
    if (!IsSkinActive() || !OwnerReady())
        return;
    if (dynamic_cast<TWinControl*>(OwnerControl))
        NotifyParentForm25(OwnerControl);
    if (dynamic_cast<TCustomEdit*>(OwnerControl) || ControlKind == 97)
        ApplyEditColours();
}

bool TsCommonData::IsSkinActive(bool checkLoaded) const noexcept
{
    TsSkinManager* manager = SkinManager();
    if (!manager || SkinIndex < 0 || OwnerBeingDestroyed() || IsDestroying(manager))
        return false;
    if (checkLoaded && !(manager->SkinData.SkinActive && manager->Active()))
        return false;
    return manager->SectionIndexValid(SkinIndex);
}

bool TsCommonData::SkinIsTransparent() const noexcept
{
    const TsGeneralData* s = Section();
    return s && s->Transparency >= 1;
}

bool TsCommonData::Updating() const
{
    if (!SkinManager())
        return false;
    if (!ParentCacheUsed())
        return UpdateLock;
    if (!OwnerControl || IsDestroying(OwnerControl))
        return UpdateLock;
    if (UpdateLock || !OwnerControl->Parent())
        return true;
    return (SendCommandSimple(OwnerControl->Parent(), SKC_IS_UPDATING) & 0xFF) != 0;
}

void TsCommonData::BeginUpdate()
{
    UpdateLock = true;
    if (OwnerControl)
        Dispatch(*OwnerControl, SKC_UPDATE_BEGUN, 0);
    else if (ks::Services().ProviderForm)
        if (TCustomForm* form = ks::Services().ProviderForm(OwnerObject); form && form->HandleAllocated())
            SendCommandWnd(form->Handle(), SKC_UPDATE_BEGUN, 0);
}

void TsCommonData::EndUpdate()
{
    UpdateLock = false;
    if (OwnerControl)
        Dispatch(*OwnerControl, SKC_UPDATE_ENDED, 0);
    else if (ks::Services().ProviderForm)
        if (TCustomForm* form = ks::Services().ProviderForm(OwnerObject); form && form->HandleAllocated())
            SendCommandWnd(form->Handle(), SKC_UPDATE_ENDED, 0);
}

void TsCommonData::Invalidate()
{
    if (!OwnerControl || IsDestroying(OwnerControl) || IsLoading(OwnerControl))
        return;
    BackgroundChanged = true;
    if (CanPaintControl(OwnerControl))
        OwnerControl->Invalidate();
}

void TsCommonData::EnsureCacheBitmap()
{
    if (!CacheBitmap)
        CacheBitmap = NewBitmap24(0, 0);
    if (!OwnerControl)
        return;
    const int w = std::max(OwnerControl->Width(), 0);
    const int h = std::max(OwnerControl->Height(), 0);
    if (CacheBitmap->Width() == w && CacheBitmap->Height() == h)
        return;
    try {
        CacheBitmap->SetSize(w, h);
    } catch (const std::bad_alloc&) {
        CacheBitmap->SetSize(0, 0);
    } catch (const Exception&) {
        // The system refused a bitmap of this size: nothing is painted rather than anything wrong.
        CacheBitmap->SetSize(0, 0);
    }
}

void TsCommonData::PrepareCacheBmp()
{
    EnsureCacheBitmap();
    CacheBitmap->SetPixelFormat(pf24bit);
}

int TsCommonData::MaxBorderWidthOf() const noexcept
{
    TsSkinManager* manager = SkinManager();
    if (BorderIndex < 0 || !manager || !manager->MaskIndexValid(BorderIndex))
        return 0;
    if (manager->MaskArray[static_cast<size_t>(BorderIndex)].StretchMode & 2)
        return 0;
    return std::max({manager->MaskBorderLeft(BorderIndex), manager->MaskBorderTop(BorderIndex),
                     manager->MaskBorderRight(BorderIndex), manager->MaskBorderBottom(BorderIndex)});
}

// ---- glow ---------------------------------------------------------------------------------

namespace {

TRect ScreenRectOf(HWND wnd) noexcept
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

TRect Intersection(const TRect& a, const TRect& b) noexcept
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

// The part of r (screen coordinates) inside the client areas of wnd and of every window above
// it. Taken from the rectangles rather than a device context's clip box: a parent's clip box
// leaves out its child windows, so a control filling its parent would seem to show nothing.
TRect VisibleInside(HWND wnd, TRect r) noexcept
{
    for (; wnd && (GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) != 0; wnd = GetParent(wnd)) {
        HWND parent = GetParent(wnd);
        RECT client{};
        if (!parent || !GetClientRect(parent, &client))
            break;
        MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
        r = Intersection(r, {client.left, client.top, client.right, client.bottom});
    }
    return r;
}

TRect RelativeTo(const TRect& r, const TRect& to) noexcept
{
    return {r.Left - to.Left, r.Top - to.Top, r.Right - to.Left, r.Bottom - to.Top};
}

// The window a control's halo keeps company: its form's; for a form placed inside another
// control, that control's; for an MDI child, the MDI area it lies in, while the main form keeps
// that area skinned.
HWND GlowHostOf(TControl* control)
{
    TControl* c = control;
    while (c && !dynamic_cast<TCustomForm*>(c))
        c = c->Parent();
    if (!c)
        return nullptr;
    if (c->Parent())
        return WindowOf(c->Parent());
    const HWND wnd = WindowOf(c);
    if (static_cast<TCustomForm*>(c)->FormStyle() == fsMDIChild && wnd)
        if (const HWND area = GetParent(wnd); area && ks::AdaptedAndVisible(area))
            return area;
    return wnd;
}

} // namespace

void TsCommonData::HideGlow()
{
    if (GlowSlot >= 0 && FGlowGeneration == GlowEffectsGeneration())
        HideGlowEffect(GlowSlot);
    GlowSlot = -1;
}

void TsCommonData::RefreshGlowEffect(bool repaint, HWND window)
{
    TsSkinManager* manager = SkinManager();
    const TsGeneralData* s = Section();
    if (!manager || !manager->AllowGlowing() || !s || s->GlowCount < 1)
        return;
    TRect r, visible;
    HWND host = nullptr;
    if (OwnerControl) {
        const bool show = MouseIsAbove && !OwnerControl->ControlState().Contains(csLButtonDown) &&
                          (!repaint || GlowSlot < 0);
        HWND own = WindowOf(OwnerControl);
        HWND parent = WindowOf(OwnerControl->Parent());
        if (!show || (!own && !parent)) {
            HideGlow();
            return;
        }
        if (own) {
            r = ScreenRectOf(own);
            visible = VisibleInside(own, r);
        } else {
            // The control's own origin is where it shows, also on a mirrored parent, whose client
            // x runs from its right edge.
            const TPoint origin = OwnerControl->ClientToScreen({0, 0});
            r = {origin.X, origin.Y, origin.X + OwnerControl->Width(), origin.Y + OwnerControl->Height()};
            RECT client{};
            GetClientRect(parent, &client);
            MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
            visible = VisibleInside(parent, Intersection(r, {client.left, client.top, client.right, client.bottom}));
        }
        host = GlowHostOf(OwnerControl);
    } else if (window && IsWindow(window)) {
        r = ScreenRectOf(window);
        visible = VisibleInside(window, r);
        host = GetAncestor(window, GA_ROOT);
    } else {
        return;
    }
    HideGlow();
    GlowSlot = ShowGlowEffect(r, RelativeTo(visible, r), FSkinSection, "GLOW", s->GlowMargin, 255,
                              host, manager);
    FGlowGeneration = GlowEffectsGeneration();
}

// ---- background ---------------------------------------------------------------------------

TColor TsCommonData::OwnerColor() const noexcept
{
    if (OwnerControl)
        return OwnerControl->Color();
    if (ks::Services().ProviderForm)
        if (TCustomForm* form = ks::Services().ProviderForm(OwnerObject))
            return form->Color();
    return clBtnFace;
}

bool TsCommonData::HasOwnBackground() const
{
    TsSkinManager* manager = SkinManager();
    const TsGeneralData* s = Section();
    if (!manager || !s)
        return false;
    if (manager->MaskIndexValid(BorderIndex)) {
        const int i = BorderIndex;
        if (manager->MaskBorderLeft(i) + manager->MaskBorderRight(i) > 30 ||
            manager->MaskBorderTop(i) + manager->MaskBorderBottom(i) > 30)
            return true;
    }
    const int t = Percent(s->Transparency);
    if (t == 100) {
        if (!OwnerControl || !OwnerControl->Parent())
            return true;
        return (SendCommandSimple(OwnerControl->Parent(), SKC_GET_STATE) & StatePlainBackground) == 0;
    }
    if (t != 0)
        return true;
    return s->ImagePercent != 0 || s->GradientPercent != 0;
}

void TsCommonData::RefreshControlState(bool allChildren)
{
    SkinStateWord &= static_cast<uint16_t>(~StatePlainBackground);
    const bool provider = !OwnerControl && ks::Services().ProviderForm && ks::Services().ProviderForm(OwnerObject);
    if (IsContainer(OwnerControl) || provider)
        if (!HasOwnBackground())
            SkinStateWord |= StatePlainBackground;
    if (allChildren)
        ForEachChildOf(OwnerControl, [](TControl& child) { SendCommandCtl(&child, SKC_GET_STATE, 1); });
}

bool TsCommonData::ParentCacheUsed() const
{
    if (PaintLock || !(SkinStateWord & StatePlainBackground))
        return true;
    return IsControlHot();
}

bool TsCommonData::IsControlHot() const noexcept
{
    if (!OwnerControl || IsDestroying(OwnerControl) || !OwnerControl->Enabled())
        return false;
    if (HasFocus)
        return true;
    if (auto* w = dynamic_cast<TWinControl*>(OwnerControl); w && w->Focused())
        return true;
    return MouseIsAbove && !NeverHotKinds.Contains(ControlKind);
}

bool TsCommonData::NeedsRepaint() const
{
    if (ParentBackgroundAlways || !IsSkinActive() || !OwnerControl ||
        OwnerControl->ControlState().Contains(csCreating) || !OwnerControl->Visible())
        return true;
    const TsGeneralData* s = Section();
    if (!s)
        return false;
    const bool r = !OwnerControl->Enabled() || s->Transparency > 0;
    if (r && WindowOf(OwnerControl->Parent()))
        return AskWndBool(WindowOf(OwnerControl->Parent()), SKC_IS_BG_COMPLEX);
    return r;
}

bool TsCommonData::AskParentComplex() const
{
    HWND parent = OwnerControl ? WindowOf(OwnerControl->Parent()) : nullptr;
    return parent && AskWndBool(parent, SKC_IS_BG_COMPLEX);
}

TColor TsCommonData::QueryBackgroundColor(bool hot, HWND window) const
{
    const TsGeneralData* s = IsSkinActive() ? Section() : nullptr;
    if (!s)
        return OwnerColor();
    const int t = Percent(hot ? s->HotTransparency : s->Transparency);
    const TColor c = hot ? s->HotColor : s->Color;
    if (t == 0)
        return FCustomColor ? OwnerColor() : c;
    if (t == 100) {
        if (OwnerControl && OwnerControl->Parent())
            return ControlBackColor(OwnerControl->Parent());
        if (window && GetParent(window))
            return ControlBackColorWnd(GetParent(window));
        return clBtnFace;
    }
    if (!OwnerControl)
        return 0;
    const TColor p = OwnerControl->Parent() ? ControlBackColor(OwnerControl->Parent()) : ColorToRGB(OwnerColor());
    return BlendColors(p, c, t / 100.0);
}

TColor TsCommonData::AnswerBackgroundColor() const
{
    const TsGeneralData* s = IsSkinActive() ? Section() : nullptr;
    const TColor own = ColorToRGB(OwnerControl ? OwnerControl->Color() : OwnerColor());
    if (!s)
        return own;
    const int t = Percent(s->Transparency);
    TWinControl* parent = OwnerControl ? OwnerControl->Parent() : nullptr;
    if (t == 0)
        return s->Color;
    TColor p = own;
    if (parent) {
        p = ControlBackColor(parent);
        if (p == TransparentKeyColor)
            p = ColorToRGB(parent->Color());
    }
    if (t == 100)
        return p;
    // The percent stands where the pixel core's alpha rule takes an alpha of 0..255.
    TColor result = p & 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        const auto pc = static_cast<uint8_t>(p >> shift);
        const auto cc = static_cast<uint8_t>(s->Color >> shift);
        result |= static_cast<TColor>(ks::AlphaBlendByte(pc, cc, t)) << shift;
    }
    return result;
}

bool TsCommonData::BackgroundIsComplex() const
{
    const TsGeneralData* s = Section();
    if (!s)
        return false;
    if (Percent(s->Transparency) == 100 && OwnerControl && OwnerControl->Parent()) {
        HWND parent = WindowOf(OwnerControl->Parent());
        return parent && AskWndBool(parent, SKC_IS_BG_COMPLEX);
    }
    return s->GradientPercent + s->ImagePercent >= 1 || NeedsRepaint();
}

void TsCommonData::AnswerBackgroundInfo(BackgroundInfo& info, bool hot, HWND window) const
{
    const TsGeneralData* s = IsSkinActive() ? Section() : nullptr;
    if (!s || FCustomColor) {
        info.BackgroundKind = BgKindColor;
        info.Color = OwnerColor();
        return;
    }
    const int t = Percent(hot ? s->HotTransparency : s->Transparency);
    const int g = hot ? s->HotGradientPercent : s->GradientPercent;
    const int i = hot ? s->HotImagePercent : s->ImagePercent;
    auto answerFromImage = [&] {
        info.BackgroundKind = BgKindBitmap;
        if (!info.PaintRequested) {
            info.Bmp = CacheBitmap.get();
            info.Offset = {0, 0};
        } else if (info.TargetDC) {
            BitBlt(info.TargetDC, info.R.Left, info.R.Top, info.R.Width(), info.R.Height(), CacheBitmap->Canvas().Handle(),
                   info.Offset.X, info.Offset.Y, SRCCOPY);
        }
    };
    if (t == 0 && g < 1 && i < 1) {
        info.BackgroundKind = BgKindColor;
        info.Bmp = CacheBitmap.get();
        info.Color = QueryBackgroundColor(hot, nullptr);
        if (info.PaintRequested && info.TargetDC) {
            ks::GdiBrush brush(CreateSolidBrush(ColorToRGB(info.Color)));
            const RECT r{info.R.Left, info.R.Top, info.R.Right, info.R.Bottom};
            FillRect(info.TargetDC, &r, brush.get());
        }
        return;
    }
    TsSkinManager* manager = SkinManager();
    if (t == 100) {
        const bool wide = manager->MaskIndexValid(BorderIndex) &&
                          (manager->MaskBorderLeft(BorderIndex) + manager->MaskBorderRight(BorderIndex) >= 25 ||
                           manager->MaskBorderTop(BorderIndex) + manager->MaskBorderBottom(BorderIndex) >= 25);
        if (wide) {
            if (CacheBitmap) {
                answerFromImage();
            } else {
                info.BackgroundKind = BgKindColor;
                if (OwnerControl && OwnerControl->Parent())
                    info.Color = ControlBackColor(OwnerControl->Parent());
                else
                    info.Color = DefaultSkinManager ? DefaultSkinManager->GlobalSectionColor() : clBtnFace;
            }
            return;
        }
        if (OwnerControl && OwnerControl->Parent()) {
            QueryParentBackground(info, OwnerControl->Parent(), info.PaintRequested);
            if (info.BackgroundKind == BgKindBitmap) {
                info.Offset.X += OwnerControl->Left();
                info.Offset.Y += OwnerControl->Top();
            }
        } else if (!OwnerControl && !window) {
            info.BackgroundKind = BgKindColor;
            info.Color = DefaultSkinManager ? DefaultSkinManager->GlobalSectionColor() : clBtnFace;
        } else if (window) {
            HWND parent = GetParent(window);
            QueryParentBackgroundWnd(info, parent, info.PaintRequested);
            if (parent && info.BackgroundKind == BgKindBitmap) {
                RECT r{};
                GetWindowRect(window, &r);
                MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
                info.Offset.X += r.left;
                info.Offset.Y += r.top;
            }
        }
        return;
    }
    if (CacheBitmap) {
        answerFromImage();
        return;
    }
    info.BackgroundKind = BgKindColor;
    info.Color = TransparentKeyColor;
}

CacheInfo TsCommonData::QueryBackgroundInfo() const
{
    if (IsSkinActive() && OwnerControl && OwnerControl->Parent()) {
        BackgroundInfo info;
        QueryParentBackground(info, OwnerControl->Parent(), false);
        CacheInfo ci = CacheInfoFromBackground(info);
        // Painters read the parent's picture at their Left: a mirrored parent shows its picture
        // unflipped and the control elsewhere.
        if (ci.Bmp)
            ci.X += ks::ShownLeft(*OwnerControl) - OwnerControl->Left();
        return ci;
    }
    return {nullptr, 0, 0, QueryBackgroundColor(false, nullptr), false};
}

CacheInfo TsCommonData::QueryBackgroundInfoWnd(HWND window) const
{
    HWND parent = window ? GetParent(window) : nullptr;
    if (!parent)
        return NoBackgroundCacheInfo;
    if (IsSkinActive()) {
        BackgroundInfo info;
        QueryParentBackgroundWnd(info, parent, false);
        return CacheInfoFromBackground(info);
    }
    return {nullptr, 0, 0, QueryBackgroundColor(false, nullptr), false};
}

namespace {

bool Overlaps(const TRect& a, const TRect& b) noexcept
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Steps shared by both copies: the frame, the clip limited to target, the caller's exclusions,
// the copy, the DC put back.
template <class Exclude>
void CopyCacheAround(TsCommonData& skinData, TPoint source, bool updateFrame, HDC dc, const TRect& target,
                     Exclude exclude)
{
    if (!skinData.CacheBitmap || skinData.CacheBitmap->Empty() || !dc || target.Right <= target.Left ||
        target.Bottom <= target.Top)
        return;
    if (updateFrame)
        PaintControlFrame(skinData, skinData.IsControlHot() ? 1 : 0);
    ks::SavedDC saved(dc);
    IntersectClipRect(dc, target.Left, target.Top, target.Right, target.Bottom);
    exclude();
    // Where target shows, left to right also in a mirrored window (the exclusions stay put).
    ks::PlacedDC placed(dc, {target.Left, target.Top, target.Right, target.Bottom});
    BitBlt(dc, 0, 0, target.Width(), target.Height(), skinData.CacheBitmap->Canvas().Handle(), source.X, source.Y,
           SRCCOPY);
}

} // namespace

void CopyCacheExceptControls(TWinControl* container, TsCommonData& skinData, TPoint source, int dx, int dy,
                             bool updateFrame, HDC dc, const TRect& target)
{
    CopyCacheAround(skinData, source, updateFrame, dc, target, [&] {
        if (!container)
            return;
        for (int i = 0; i < container->ControlCount(); ++i) {
            TControl* child = container->Controls(i);
            if (!child || !child->Visible() || !Overlaps(child->BoundsRect(), target))
                continue;
            const bool paintsItself = dynamic_cast<TGraphicControl*>(child) != nullptr ||
                                      child->ControlStyle().Contains(csOpaque) ||
                                      child->ComponentState().Contains(csDesigning);
            if (!paintsItself)
                continue;
            const TRect b = child->BoundsRect();
            ExcludeClipRect(dc, b.Left + dx, b.Top + dy, b.Right + dx, b.Bottom + dy);
        }
    });
}

void CopyCacheExceptWindows(HWND parent, TsCommonData& skinData, const TRect& source, int dy, int dx,
                            bool updateFrame, HDC dc, const TRect& target)
{
    CopyCacheAround(skinData, {source.Left, source.Top}, updateFrame, dc, target, [&] {
        if (!parent)
            return;
        for (HWND child = GetTopWindow(parent); child; child = GetWindow(child, GW_HWNDNEXT)) {
            // The child's own flag, not IsWindowVisible: a form is painted off-screen before it
            // is first shown, and its children are to be left out of that image too.
            if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0)
                continue;
            RECT wr{};
            GetWindowRect(child, &wr);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&wr), 2);
            const TRect r{static_cast<int>(wr.left) + dx, static_cast<int>(wr.top) + dy, static_cast<int>(wr.right) + dx,
                          static_cast<int>(wr.bottom) + dy};
            // Style 7 is a group box only for a button: for a static it is a black frame, for
            // an edit a centred multi-line one.
            wchar_t cls[8] = {};
            const bool groupBox = (GetWindowLongW(child, GWL_STYLE) & 0xF) == BS_GROUPBOX &&
                                  (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0 &&
                                  GetClassNameW(child, cls, 8) == 6 && lstrcmpiW(cls, L"Button") == 0;
            if (!groupBox) {
                ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
                continue;
            }
            // A group box paints only its frame; what lies inside it is the parent's image.
            TsSkinManager* manager = DefaultSkinManager;
            if (!manager)
                continue;
            const int border = manager->FindMask(manager->FindSection("GROUPBOX"), "GROUPBOX", "BORDERSMASK");
            const int caption = std::max(static_cast<int>(SendCommandWnd(child, SKC_GET_CAPTION_HEIGHT, 0)), 0);
            const int left = std::max(manager->MaskBorderLeft(border), 0);
            const int right = std::max(manager->MaskBorderRight(border), 0);
            const int bottom = std::max(manager->MaskBorderBottom(border), 0);
            ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Top + caption);
            ExcludeClipRect(dc, r.Left, r.Top, r.Left + left, r.Bottom);
            ExcludeClipRect(dc, r.Right - right, r.Top, r.Right, r.Bottom);
            ExcludeClipRect(dc, r.Left, r.Bottom - bottom, r.Right, r.Bottom);
        }
    });
}

int GetParentSkinIndex(TControl* control, int defaultIndex, TsSkinManager* manager)
{
    // A control without a parent has nobody to ask.
    TWinControl* parent = control ? control->Parent() : nullptr;
    if (!parent)
        return defaultIndex;
    const int index = static_cast<int>(SendCommandSimple(parent, SKC_GET_SKIN_INDEX)) - 1;
    if (index < 0 || !manager || !manager->SectionIndexValid(index))
        return defaultIndex;
    const TsGeneralData& s = manager->GeneralDataArray[static_cast<size_t>(index)];
    if (s.Transparency > 50 && parent->Parent())
        return GetParentSkinIndex(parent, defaultIndex, manager);
    return s.GiveOwnFont ? index : defaultIndex;
}

// ---- the shared handlers ------------------------------------------------------------------

void TsCommonData::RemoveSkin(TsSkinManager* manager)
{
    if (manager && manager == FOwnSkinManager && IsDestroying(manager))
        WatchOwnManager(nullptr);
    SkinIndex = BorderIndex = TextureIndex = HotTextureIndex = -1;
    UpdateLock = true;
    if (CacheBitmap)
        CacheBitmap->SetSize(0, 0);
    if (dynamic_cast<TCustomEdit*>(OwnerControl)) {
        if (!FCustomColor)
            OwnerControl->SetColor(clWindow);
        if (!FCustomFont)
            OwnerControl->Font()->SetColor(clWindowText);
        RedrawFrame(OwnerControl);
    } else if (dynamic_cast<TWinControl*>(OwnerControl)) {
        ForEachChildOf(OwnerControl, [](TControl& child) {
            if (dynamic_cast<TCustomLabel*>(&child))
                child.Font()->SetColor(clWindowText);
        });
    }
}

void TsCommonData::RefreshSkin()
{
    BackgroundChanged = true;
    UpdateLock = false;
    if (IsSkinActive() && dynamic_cast<TCustomEdit*>(OwnerControl)) {
        ApplyEditColours();
        RedrawFrame(OwnerControl);
    }
    RefreshControlState(false);
}

// The handlers of the two shared dispatchers, one per command or message. A command handler
// returns true only for a query it answered (in the message result); every other handler
// returns whether the message was swallowed or answered.
struct CommonSkinHandlers {
    using Command = ks::SkinCommandView;

    static bool Answer(Command& view, LRESULT value)
    {
        view.SetResult(value);
        return true;
    }

    static bool NewSkin(TsCommonData& d, Command view)
    {
        if (view.ConcernsManager(d.SkinManager())) {
            d.RefreshIndexes();
            d.RefreshControlState(false);
        }
        return false;
    }

    static bool RemoveSkin(TsCommonData& d, Command view)
    {
        if (view.ConcernsManager(d.SkinManager()))
            d.RemoveSkin(view.Manager());
        return false;
    }

    static bool Refresh(TsCommonData& d, Command view)
    {
        if (view.ConcernsManager(d.SkinManager()))
            d.RefreshSkin();
        return false;
    }

    static bool SetUpdating(TsCommonData& d, Command view)
    {
        d.UpdateLock = view.Argument() == 1;
        return false;
    }

    static bool SetTransparent(TsCommonData& d, Command view)
    {
        d.ParentBackgroundAlways = view.Argument() == 1;
        return false;
    }

    static bool ParentBackgroundChanged(TsCommonData& d, Command view)
    {
        if (view.Argument() == 1 && d.SkinIsTransparent())
            d.BackgroundChanged = true;
        return false;
    }

    static bool MarkBackgroundChanged(TsCommonData& d)
    {
        d.BackgroundChanged = true;
        return false;
    }

    static bool MarkCacheOutdated(TsCommonData& d)
    {
        d.ClippedByParent = true;
        return false;
    }

    static bool CheckBackground(TsCommonData& d, Command view)
    {
        const bool depends = d.NeedsRepaint();
        d.BackgroundChanged = d.BackgroundChanged || depends;
        if (HWND wnd = WindowOf(d.OwnerControl); wnd && view.Argument() == 1)
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_NOERASE);
        if (depends)
            ForEachChildOf(d.OwnerControl, [](TControl& child) { Dispatch(child, SKC_CHECK_BG, 0); });
        return false;
    }

    static bool BackgroundColor(TsCommonData& d, Command view)
    {
        return d.OwnerControl && Answer(view, static_cast<LRESULT>(d.AnswerBackgroundColor()));
    }

    static bool BackgroundInfo(TsCommonData& d, Command view)
    {
        if (auto* info = view.Pointer<::BackgroundInfo>())
            d.AnswerBackgroundInfo(*info, false, nullptr);
        return false;
    }

    static bool State(TsCommonData& d, Command view)
    {
        if (view.Value() == 1) {
            d.RefreshControlState(true);
            return Answer(view, 0);
        }
        return Answer(view, d.SkinStateWord);
    }

    static bool SectionChanged(TsCommonData& d)
    {
        if (!ChangedSectionName().empty() && d.SkinSection() == ChangedSectionName())
            d.Invalidate();
        return false;
    }

    static bool HotLeave(TsCommonData& d)
    {
        d.HideGlow();
        return false;
    }

    // Answered, yet not reported as handled, so the owner's own handling still runs.
    static bool ApplicationObject(Command view)
    {
        view.SetResult(reinterpret_cast<LRESULT>(Application));
        return false;
    }

    static bool WMMove(TsCommonData& d)
    {
        d.HideGlow();
        if (d.NeedsRepaint() && d.OwnerControl) {
            d.BackgroundChanged = true;
            Dispatch(*d.OwnerControl, SKC_CHECK_BG, 0, 1);
        }
        return false;
    }

    static bool WMSize(TsCommonData& d)
    {
        d.HideGlow();
        if (!d.IsSkinActive())
            return false;
        d.BackgroundChanged = true;
        if (dynamic_cast<TWinControl*>(d.OwnerControl) && d.Section() && d.Section()->GradientPercent > 0)
            ForEachChildOf(d.OwnerControl, [](TControl& child) {
                if (!child.Anchors().Contains(akRight) && !child.Anchors().Contains(akBottom))
                    Dispatch(child, SKC_CHECK_BG, 0, 1);
            });
        return false;
    }

    static bool WMFocusChange(TsCommonData& d, bool focused)
    {
        auto* windowed = dynamic_cast<TWinControl*>(d.OwnerControl);
        if (windowed && windowed->CanFocus() && windowed->TabStop()) {
            d.BackgroundChanged = true;
            d.HasFocus = focused;
            if (FrameRepaintKinds.Contains(d.ControlKind) && (d.HasFocus || windowed->Visible()))
                RedrawFrame(windowed);
        }
        return false;
    }

    static bool CMEnabledChanged(TsCommonData& d)
    {
        d.MouseIsAbove = false;
        d.HasFocus = false;
        if (d.OwnerControl && !d.OwnerControl->Enabled())
            d.HideGlow();
        return false;
    }

    // The owner's context menu takes the skin's look, as the manager's skinned-popups setting
    // says, before the platform opens it.
    static bool WMContextMenu(TsCommonData& d)
    {
        TsSkinManager* manager = d.SkinManager();
        TPopupMenu* menu = d.OwnerControl ? d.OwnerControl->PopupMenu() : nullptr;
        if (menu && manager && manager->SkinnableMenus() && ks::Services().OwnerDrawMenuItems)
            ks::Services().OwnerDrawMenuItems(*manager->SkinnableMenus(), menu, manager->SkinnedPopups());
        return false;
    }

    static bool WMUpdateUIState(TsCommonData& d)
    {
        if (d.IsSkinActive())
            return true;
        if (HWND wnd = WindowOf(d.OwnerControl); wnd && ks::Sys().ThemesActive() && ks::Sys().SetWindowThemePtr)
            ks::Sys().SetWindowThemePtr(wnd, nullptr, nullptr);
        return false;
    }

    static bool WMParentNotify(TsCommonData& d, TWMParentNotify view)
    {
        if (dynamic_cast<TWinControl*>(d.OwnerControl) && view.Event() == WM_CREATE)
            NotifyParentForm25(d.OwnerControl);
        return false;
    }

    static bool CMVisibleChanged(TsCommonData& d, TCMVisibleChanged view)
    {
        if (!d.CacheBitmap)
            return false;
        if (!view.Visible()) {
            d.CacheBitmap->SetSize(0, 0);
        } else {
            d.UpdateLock = false;
            d.BackgroundChanged = true;
        }
        return false;
    }

    static bool CMMouseEnter(TsCommonData& d, TCMControl view)
    {
        TControl* owner = d.OwnerControl;
        auto* windowed = dynamic_cast<TWinControl*>(owner);
        if (windowed && DefaultSkinManager && ks::Services().SpeedButtonSkinData) {
            const TControl* entered = view.LParamControl();
            // The leave goes to the application's OnMouseLeave, which may free any control.
            const bool ownerLives = ks::ForEachLiveChild(*windowed, [entered](TControl& child) {
                if (&child == entered)
                    return;
                if (TsCommonData* sd = ks::Services().SpeedButtonSkinData(&child); sd && sd->MouseIsAbove)
                    child.Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(&child));
            });
            // Freed with its owner, this data is not touched again, nor is the owner's handling.
            if (!ownerLives)
                return true;
        }
        if (!NeverHotKinds.Contains(d.ControlKind))
            d.MouseIsAbove = true;
        if (windowed && DefaultSkinManager) {
            if (TsSkinManager* manager = d.SkinManager())
                manager->SetActiveControl(windowed->Handle());
            if (KindGetsHoverGlow(d.ControlKind))
                d.RefreshGlowEffect(false);
            if (FrameRepaintKinds.Contains(d.ControlKind)) {
                d.BackgroundChanged = true;
                RedrawFrame(owner);
            }
        }
        return false;
    }

    static bool CMMouseLeave(TsCommonData& d)
    {
        if (!NeverHotKinds.Contains(d.ControlKind))
            d.MouseIsAbove = false;
        if (KindGetsHoverGlow(d.ControlKind)) {
            // No halo outlives the hover: whatever glows the mouse left behind go with this one.
            FreeAllGlowEffects();
            d.GlowSlot = -1;
        }
        if (d.OwnerControl && d.OwnerControl->Visible() && FrameRepaintKinds.Contains(d.ControlKind)) {
            d.BackgroundChanged = true;
            RedrawFrame(d.OwnerControl);
        }
        return false;
    }
};

namespace {
std::string& ChangedSection() noexcept
{
    static std::string name;
    return name;
}
} // namespace

const std::string& ChangedSectionName() noexcept
{
    return ChangedSection();
}

ChangedSectionScope::ChangedSectionScope(std::string_view section)
    : FPrevious(std::exchange(ChangedSection(), UpperAscii(std::string(section))))
{
}

ChangedSectionScope::~ChangedSectionScope()
{
    ChangedSection() = std::move(FPrevious);
}

bool CommonSkinCommand(TMessage& message, TsCommonData* skinData)
{
    if (!skinData || message.Msg != SM_SKINCMD)
        return false;
    using H = CommonSkinHandlers;
    TsCommonData& d = *skinData;
    ks::SkinCommandView view(message);
    switch (view.Command()) {
    case SKC_NEW_SKIN: return H::NewSkin(d, view);
    case SKC_REMOVE_SKIN: return H::RemoveSkin(d, view);
    case SKC_REFRESH: return H::Refresh(d, view);
    case SKC_IS_SKINNED: return H::Answer(view, 1);
    case SKC_SET_UPDATING: return H::SetUpdating(d, view);
    case SKC_SET_TRANSPARENT: return H::SetTransparent(d, view);
    case SKC_IS_UPDATING: return H::Answer(view, d.BackgroundChanged || d.UpdateLock ? 1 : 0);
    case SKC_IS_CACHE_OUTDATED: return H::Answer(view, d.ClippedByParent ? 1 : 0);
    case SKC_PARENT_BG_CHANGED: return H::ParentBackgroundChanged(d, view);
    case SKC_SET_BG_CHANGED: return H::MarkBackgroundChanged(d);
    case SKC_IS_BG_COMPLEX: return H::Answer(view, d.BackgroundIsComplex() ? 1 : 0);
    case SKC_CHECK_BG: return H::CheckBackground(d, view);
    case SKC_GET_BG_COLOR: return H::BackgroundColor(d, view);
    case SKC_SET_CACHE_OUTDATED: return H::MarkCacheOutdated(d);
    case SKC_GET_SKIN_INDEX: return H::Answer(view, d.SkinIndex + 1);
    case SKC_GET_BG_INFO: return H::BackgroundInfo(d, view);
    case SKC_GET_STATE: return H::State(d, view);
    case SKC_HOT_LEAVE: return H::HotLeave(d);
    case SKC_SECTION_CHANGED: return H::SectionChanged(d);
    case SKC_GET_APPLICATION: return H::ApplicationObject(view);
    default: return false;
    }
}

bool RouteSkinMessage(TMessage& message, TsCommonData* skinData)
{
    if (!skinData)
        return false;
    using H = CommonSkinHandlers;
    TsCommonData& d = *skinData;
    switch (message.Msg) {
    case SM_SKINCMD: return CommonSkinCommand(message, skinData);
    case WM_MOVE: return H::WMMove(d);
    case WM_SIZE: return H::WMSize(d);
    case WM_SETFOCUS: return H::WMFocusChange(d, true);
    case WM_KILLFOCUS: return H::WMFocusChange(d, false);
    case 0x001D: return H::CMEnabledChanged(d);
    case CM_ENABLEDCHANGED: return H::CMEnabledChanged(d);
    case WM_CONTEXTMENU: return H::WMContextMenu(d);
    case WM_UPDATEUISTATE: return H::WMUpdateUIState(d);
    case WM_PARENTNOTIFY: return H::WMParentNotify(d, TWMParentNotify(message));
    case CM_VISIBLECHANGED: return H::CMVisibleChanged(d, TCMVisibleChanged(message));
    case CM_MOUSEENTER: return H::CMMouseEnter(d, TCMControl(message));
    case CM_MOUSELEAVE: return H::CMMouseLeave(d);
    default: return false;
    }
}

#include "skin/core/sSkinManager.h"

#include "skin/core/ComponentWatch.h"
#include "skin/core/SkinLoader.h"
#include "skin/core/SkinSelection.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/TextRoutines.h"
#include "skin/core/acGlow.h"
#include "skin/core/sMessages.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Dialogs.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

TsSkinManager* DefaultSkinManager = nullptr;
bool SkinLoadInProgress = false;
bool SkinRemovalInProgress = false;

template <>
struct ks::EnumTraits<TacSkinningRule> {
    static constexpr const char* Names[] = {"srStdForms", "srStdDialogs", "srThirdParty"};
};

namespace {

constexpr std::wstring_view DefaultSkinDirectory = L"c:\\Skins";
constexpr std::wstring_view VersionText = L"Skin Engine v6.50";

std::unique_ptr<TBitmap> ShadowActivePicture;
std::unique_ptr<TBitmap> ShadowInactivePicture;

using M = TsSkinManager;
const ks::PropertyInfo ManagerProps[] = {
    ks::Prop<&M::ExtendedBorders, &M::SetExtendedBorders>("ExtendedBorders").DefaultIs(false),
    ks::Prop<&M::SkinnedPopups, &M::SetSkinnedPopups>("SkinnedPopups").DefaultIs(true),
    ks::Prop<&M::AllowGlowing, &M::SetAllowGlowing>("AllowGlowing").DefaultIs(true),
    ks::Prop<&M::AnimEffects>("AnimEffects"),
    ks::Prop<&M::IsDefault, &M::SetIsDefault>("IsDefault").DefaultIs(true),
    ks::Prop<&M::Active, &M::SetActive>("Active").DefaultIs(true),
    ks::Prop<&M::CommonSectionLines, &M::SetCommonSectionLines>("CommonSections"),
    ks::Prop<&M::Saturation, &M::SetSaturation>("Saturation").DefaultIs(0),
    ks::Prop<&M::HueOffset, &M::SetHueOffset>("HueOffset").DefaultIs(0),
    ks::Prop<&M::InternalSkins>("InternalSkins"),
    ks::Prop<&M::MenuSupport>("MenuSupport"),
    ks::Prop<&M::SkinDirectory, &M::SetSkinDirectory>("SkinDirectory"),
    ks::Prop<&M::SkinName, &M::SetSkinName>("SkinName"),
    ks::Prop<&M::SkinInfo, &M::SetSkinInfo>("SkinInfo"),
    ks::Prop<&M::SkinningRules, &M::SetSkinningRules>("SkinningRules")
        .DefaultIs(TacSkinningRules{srStdForms, srStdDialogs, srThirdParty}),
    ks::Prop<&M::ThirdParty>("ThirdParty"),
    ks::Prop<&M::Version, &M::SetVersion>("Version").NotStored(),
    ks::Prop<&M::OnAfterChange, &M::SetOnAfterChange>("OnAfterChange"),
    ks::Prop<&M::OnBeforeChange, &M::SetOnBeforeChange>("OnBeforeChange"),
    ks::Prop<&M::OnGetMenuExtraLineData, &M::SetOnGetMenuExtraLineData>("OnGetMenuExtraLineData"),
};

// SKC_REPAINT_NOW to every form that has a window, last first. A form freed by an earlier
// receiver is passed over.
void RepaintAllForms()
{
    if (!Screen)
        return;
    ks::ComponentWatch watch;
    std::vector<TCustomForm*> forms;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        forms.push_back(Screen->Forms(i));
        watch.Watch(forms.back());
    }
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if (watch.Alive(*it) && (*it)->HandleAllocated())
            SendCommandWnd((*it)->HandleIfAllocated(), SKC_REPAINT_NOW, 0);
}

// Posted to the application window by the menu painters when they meet a popup whose window
// they could not name; LParam is the item being painted, or the popup window.
constexpr UINT CM_POPUP_ITEM_SHOWN = 0xBCB3;
constexpr UINT CM_POPUP_WINDOW_SHOWN = 0xBCB4;

} // namespace

// Either message seen as what it carries.
struct TsSkinManager::PopupShownMessage {
    TMessage& Message;
    const TMenuItem* Item() const noexcept { return reinterpret_cast<const TMenuItem*>(Message.LParam); }
    HWND Window() const noexcept { return reinterpret_cast<HWND>(Message.LParam); }
};

const ks::ClassInfo TsSkinManager::StaticClassInfo{"TsSkinManager", &TComponent::StaticClassInfo, ManagerProps, {}};
const ks::ClassInfo& TsSkinManager::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- Life cycle -----------------------------------------------------------------------------------

TsSkinManager::TsSkinManager(TComponent* owner)
    : TComponent(owner),
      FInternalSkins(std::make_unique<TsStoredSkins>(this)),
      FMenuSupport(std::make_unique<TacMenuSupport>()),
      FAnimEffects(std::make_unique<TacAnimEffects>(this)),
      FThirdParty(std::make_unique<ThirdPartyList>())
{
    FIsDefault = DefaultSkinManager == nullptr;
    if (!DefaultSkinManager) {
        DefaultSkinManager = this;
        if (Application && ks::Sys().IsNtFamily()) {
            Application->HookMainWindow(TWindowHook(this, &TsSkinManager::MainWindowHook));
            FMainWindowHooked = true;
        }
    }
    if (const auto create = ks::Services().CreateMenus)
        FSkinnableMenus = create(this);
}

TsSkinManager::~TsSkinManager()
{
    if (FSkinnableMenus)
        ks::Services().FreeMenus(FSkinnableMenus);
}

void TsSkinManager::AfterConstruction()
{
    TComponent::AfterConstruction();
    CopyForeignClassLists(*FThirdParty, ThirdLists, false);
    if (FSkinDirectory.empty())
        SetSkinDirectory(std::wstring(DefaultSkinDirectory));
}

void TsSkinManager::BeforeDestruction()
{
    // Freed from an event of its own load, the manager still takes its skin off every window:
    // the load stops as soon as it sees the manager gone, so nothing would run it later.
    FInLoad = false;
    SetActive(false);
    // The hook goes with its manager even when no skin was active to remove.
    UninstallHook();
    FExtendedBorders = false;
    ClearSkin();
    ShadowActive.reset();
    ShadowInactive.reset();
    if (DefaultSkinManager == this)
        DefaultSkinManager = nullptr;
    // Taken off whether or not this manager is still the default: a hook left behind would call
    // into a freed manager.
    if (FMainWindowHooked && Application)
        Application->UnhookMainWindow(TWindowHook(this, &TsSkinManager::MainWindowHook));
    FMainWindowHooked = false;
    StoreForeignClassLists(*FThirdParty, ThirdLists);
    TComponent::BeforeDestruction();
}

void TsSkinManager::Loaded()
{
    // A reload asked for while the form streamed waited for every property to be read; it runs
    // while the component still counts as loading, so its broadcast is the one below.
    if (std::exchange(FReloadPending, false) && FActive)
        SetSkinName(FSkinName);
    TComponent::Loaded();
    if (FSkinDirectory.empty())
        SetSkinDirectory(std::wstring(DefaultSkinDirectory));
    if (FMenuSupport->IcoLineSkin().empty())
        FMenuSupport->SetIcoLineSkin("ICOLINE");
    CopyForeignClassLists(*FThirdParty, ThirdLists, false);
    if (FActive && !FSkinName.empty() && !BroadcastNewSkin(false))
        return;
    UpdateCommonDialogsFlag();
}

// ---- Properties -----------------------------------------------------------------------------------

bool TsSkinManager::ExtendedBorders() const noexcept
{
    return FExtendedBorders && ks::Sys().LayeredWindowsAvailable();
}

bool TsSkinManager::AllowGlowing() const noexcept
{
    return FAllowGlowing && ks::Sys().LayeredWindowsAvailable();
}

void TsSkinManager::SetExtendedBorders(bool value)
{
    if (FExtendedBorders == value)
        return;
    FExtendedBorders = value;
    if (SkinData.SkinActive)
        ReloadForColourChange();
}

void TsSkinManager::SetSkinnedPopups(bool value)
{
    if (value == FSkinnedPopups)
        return;
    FSkinnedPopups = value;
    if (value && IsDefault() && FSkinnableMenus)
        ks::Services().UpdateMenus(*FSkinnableMenus);
}

void TsSkinManager::SetIsDefault(bool value)
{
    if (value || !DefaultSkinManager) {
        // The creation hook serves the default manager: the previous default's hook passes to
        // this one, so that the previous default can no longer take it away.
        if (DefaultSkinManager && DefaultSkinManager != this && DefaultSkinManager->FHooksInstalled) {
            DefaultSkinManager->FHooksInstalled = false;
            FHooksInstalled = true;
        }
        FIsDefault = true;
        DefaultSkinManager = this;
        if (FActive)
            (void)(BroadcastNewSkin(true) && RefreshAllForms());
        else
            (void)BroadcastSkinRemoval();
        return;
    }
    // The process never goes without a default manager.
    FIsDefault = DefaultSkinManager == this;
}

void TsSkinManager::SetActive(bool value)
{
    if (FInLoad) {
        FActiveRequested = value;
        return;
    }
    if (FActive == value)
        return;
    if (!value) {
        FActive = false;
        if (!Loading() && !BroadcastSkinRemoval())
            return;
        RecomputeCommonIndexes();
        UpdateCommonDialogsFlag();
        return;
    }
    FActive = true;
    Reload();
}

void TsSkinManager::Reload()
{
    // While the form streams, the skin's name and internal skins may not be read yet.
    if (Loading())
        FReloadPending = true;
    else if (FInLoad)
        FReloadRequested = true;
    else
        SetSkinName(FSkinName);
}

std::vector<std::wstring> TsSkinManager::CommonSectionLines() const
{
    std::vector<std::wstring> lines;
    for (int i = 0; i < FCommonSections.Count(); ++i)
        lines.push_back(UTF8ToWide(FCommonSections.Strings(i)));
    return lines;
}

void TsSkinManager::SetCommonSectionLines(const std::vector<std::wstring>& lines)
{
    TStringList list;
    for (const std::wstring& line : lines)
        list.Add(WideToUTF8(line));
    SetCommonSections(list);
}

void TsSkinManager::SetCommonSections(const TStrings& lines)
{
    FCommonSections.Assign(&lines);
    for (int i = 0; i < FCommonSections.Count(); ++i) {
        const std::string line = FCommonSections.Strings(i);
        if (!line.empty() && line[0] != ';')
            FCommonSections.SetStrings(i, RemoveChars(line, ' '));
    }
    Reload();
}

void TsSkinManager::SetSaturation(int value)
{
    if (FSaturation == value)
        return;
    FSaturation = value;
    if (SkinData.SkinActive)
        ReloadForColourChange();
}

void TsSkinManager::SetHueOffset(int value)
{
    if (FHueOffset == value)
        return;
    FHueOffset = value;
    if (SkinData.SkinActive)
        ReloadForColourChange();
}

void TsSkinManager::SetSkinDirectory(const std::wstring& value)
{
    if (FSkinDirectory == value)
        return;
    FSkinDirectory = value;
    SkinData.SkinPath = ResolveSkinDirectory();
}

std::string TsSkinManager::SkinInfo() const
{
    return SkinData.SkinActive ? FloatToStrDot(SkinData.Version) : std::string("N/A");
}

std::wstring TsSkinManager::ResolveSkinDirectory() const
{
    return ::ResolveSkinDirectory(FSkinDirectory, ApplicationDir());
}

std::wstring TsSkinManager::ListSkinNames(TWideStrings& list, int kind) const
{
    std::vector<std::wstring> internal;
    for (int i = 0; i < FInternalSkins->Count(); ++i)
        internal.push_back(FInternalSkins->Items(i)->Name());
    const auto listKind = kind == 0 ? TsSkinListKind::Folders : kind == 1 ? TsSkinListKind::Packed : TsSkinListKind::Both;
    return ::ListSkinNames(internal, ResolveSkinDirectory(), listKind, list);
}

// ---- Loading ---------------------------------------------------------------------------------------

void TsSkinManager::SetSkinName(const std::wstring& value)
{
    if (FInLoad) {
        FNameRequested = value;
        return;
    }
    // A refused skin leaves the one on screen, and the name stays that skin's: a colour change
    // reloads the skin by its name.
    std::wstring shown = FSkinName;
    FSkinName = value;
    ks::ComponentWatch self;
    self.Watch(this);
    try {
        if (FActive && !LoadSkin())
            return;
    } catch (...) {
        if (self.Alive(this) && SkinData.SkinActive)
            FSkinName = std::move(shown);
        throw;
    }
    UpdateCommonDialogsFlag();
}

void TsSkinManager::SetSkinningRules(TacSkinningRules value)
{
    FSkinningRules = value;
    UpdateCommonDialogsFlag();
}

void TsSkinManager::UpdateCommonDialogsFlag() const noexcept
{
    if (IsDefault())
        UseLatestCommonDialogs = !(FSkinningRules.Contains(srStdDialogs) && FActive);
}

bool TsSkinManager::LoadSkin()
{
    ks::ComponentWatch self;
    self.Watch(this);
    try {
        ReadAndTellSkin(self);
    } catch (...) {
        // What the events of a failed load asked for goes with it.
        if (self.Alive(this)) {
            FNameRequested.reset();
            FActiveRequested.reset();
            FReloadRequested = false;
        }
        throw;
    }
    RunDeferredChanges(self);
    return self.Alive(this);
}

void TsSkinManager::ReadAndTellSkin(const ks::ComponentWatch& self)
{
    FInLoad = true;
    FReloadPending = false;
    const bool wasActive = SkinData.SkinActive;
    bool done = false;
    ks::ScopeExit reset{[&] {
        SkinLoadInProgress = false;
        if (!self.Alive(this))
            return;
        FInLoad = false;
        // The previous skin is still in place when the load failed, and so still active.
        if (!done)
            SkinData.SkinActive = wasActive;
    }};
    if (FOnBeforeChange)
        FOnBeforeChange(this);
    if (!self.Alive(this))
        return;
    SkinLoadInProgress = true;
    SkinData.SkinActive = false;

    TsLoadedSkin skin;
    skin.Name = FSkinName;
    skin.Data = SkinData;
    if (ReadSkinWithStartupFallback(skin)) {
        CommitSkin(std::move(skin));
        if (!BroadcastNewSkin(true))
            return;
    } else {
        FActive = false;
        if (!BroadcastSkinRemoval())
            return;
        RecomputeCommonIndexes();
    }
    done = true;
    SkinLoadInProgress = false;
    if (FOnAfterChange)
        FOnAfterChange(this);
}

void TsSkinManager::ReloadForColourChange()
{
    ks::ComponentWatch self;
    self.Watch(this);
    {
        // A change made from a load's own events runs inside that load, which stays in progress.
        const bool wasInLoad = std::exchange(FInLoad, true);
        ks::ScopeExit reset{[&] {
            if (self.Alive(this))
                FInLoad = wasInLoad;
        }};
        TsLoadedSkin skin;
        skin.Name = FSkinName;
        skin.Data = SkinData;
        if (!ReadSkin(skin, true))
            return;
        const bool active = SkinData.SkinActive;
        // Tables read again may no longer hold what they held (the skin changed on disk): the
        // controls then look their indexes up again, as for a new skin.
        const bool sameLayout = SameLayout(skin);
        CommitSkin(std::move(skin));
        SkinData.SkinActive = active;
        // Whether the manager lived through it, RunDeferredChanges asks again below.
        if (!Loading())
            (void)(sameLayout || !active ? RefreshAllForms() : BroadcastNewSkin(true));
    }
    RunDeferredChanges(self);
}

bool TsSkinManager::SameLayout(const TsLoadedSkin& skin) const noexcept
{
    const auto sameSections = [](const TsGeneralData& a, const TsGeneralData& b) {
        return a.SectionName == b.SectionName && a.ParentClass == b.ParentClass;
    };
    const auto sameImages = [](const auto& a, const auto& b) {
        return a.SectionName == b.SectionName && a.PropertyName == b.PropertyName;
    };
    return std::equal(GeneralDataArray.begin(), GeneralDataArray.end(), skin.Sections.begin(), skin.Sections.end(),
                      sameSections) &&
           std::equal(MaskArray.begin(), MaskArray.end(), skin.Masks.begin(), skin.Masks.end(), sameImages) &&
           std::equal(PatternArray.begin(), PatternArray.end(), skin.Patterns.begin(), skin.Patterns.end(), sameImages);
}

void TsSkinManager::RunDeferredChanges(const ks::ComponentWatch& self)
{
    // A deferred change's own load may ask again; a name that is already loaded is not loaded
    // again unless the common sections changed.
    while (self.Alive(this) && !FInLoad && (FActiveRequested || FNameRequested || FReloadRequested)) {
        if (const std::optional<bool> active = std::exchange(FActiveRequested, std::nullopt)) {
            SetActive(*active);
            continue;
        }
        const std::wstring name = std::exchange(FNameRequested, std::nullopt).value_or(FSkinName);
        // The name's own load covers a reload asked for with it.
        if (const bool reload = std::exchange(FReloadRequested, false); name != FSkinName || reload)
            SetSkinName(name);
    }
}

bool TsSkinManager::ReadSkin(TsLoadedSkin& skin, bool fromDisk)
{
    const TsSkinSettings settings{&FCommonSections, this, FHueOffset, FSaturation};
    return ::ReadSkin(ResolveSkinDirectory(), fromDisk, *FInternalSkins, settings, skin);
}

bool TsSkinManager::ReadSkinWithStartupFallback(TsLoadedSkin& skin)
{
    if (!Loading())
        return ReadSkin(skin, true);
    // While the form streams, an exception would stop the program from starting: a skin on
    // disk that cannot be read is reported and the internal skin taken instead, and an internal
    // skin that cannot be read leaves the program unskinned.
    const std::wstring name = skin.Name;
    const TsSkinData data = skin.Data;
    for (bool fromDisk : {true, false}) {
        try {
            return ReadSkin(skin, fromDisk);
        } catch (const Exception& e) {
            if (Application)
                Application->ShowException(e.Message());
        }
        skin = TsLoadedSkin{};
        skin.Name = name;
        skin.Data = data;
    }
    return false;
}

void TsSkinManager::CommitSkin(TsLoadedSkin&& skin)
{
    const bool active = SkinData.SkinActive;
    FSkinName = std::move(skin.Name);
    SkinData = std::move(skin.Data);
    SkinData.SkinActive = active;
    GeneralDataArray = std::move(skin.Sections);
    MaskArray = std::move(skin.Masks);
    PatternArray = std::move(skin.Patterns);
    // The loader made the master with OwnGraphic, whose deleter is a plain delete.
    MasterBitmap.reset(skin.Master.release());
    FFromArchive = skin.FromArchive;
    RecomputeCommonIndexes();
}

void TsSkinManager::ClearSkin() noexcept
{
    GraphicPtr<TBitmap> master = OwnGraphic(MasterBitmap.release());
    ClearMasks(MaskArray, master);
    ClearPatterns(PatternArray);
    GeneralDataArray.clear();
}

// ---- Telling the windows ----------------------------------------------------------------------------

bool TsSkinManager::BroadcastNewSkin(bool repaint)
{
    if (Loading())
        return true;
    // Halos are pictures of the skin that goes.
    FreeAllGlowEffects();
    // The lock is ended by the refresh below; the scope ends it should anything raise first.
    std::optional<ks::FormsUpdateScope> lock;
    if (repaint)
        lock.emplace(this);
    SkinData.SkinActive = false;
    // The menus' frame width belongs to the skin that goes.
    if (FSkinnableMenus)
        ks::Services().ForgetMenuBorderWidth(*FSkinnableMenus);
    RecomputeCommonIndexes();
    if (!BroadcastToAllForms(SkinCommand(SKC_NEW_SKIN, reinterpret_cast<LPARAM>(this)), this))
        return false;
    SkinData.SkinActive = true;
    // The application's menus take the skin whether or not a form provider asks for them (the
    // main form has none); a provider that asked during the broadcast above saw no skin yet.
    if (FSkinnableMenus && IsDefault())
        ks::Services().UpdateMenus(*FSkinnableMenus);
    if (IsDefault() && !FHooksInstalled)
        InstallHook();
    return !repaint || RefreshAllForms();
}

bool TsSkinManager::BroadcastSkinRemoval()
{
    SkinRemovalInProgress = true;
    ks::ScopeExit done{[] { SkinRemovalInProgress = false; }};
    UninstallHook();
    FreeAllGlowEffects();
    SkinData.SkinActive = false;
    // The removal is also what a manager being freed says last; it lives until that ends.
    ks::ComponentWatch self;
    self.Watch(this);
    const bool going = ComponentState().Contains(csDestroying);
    BroadcastToAllForms(SkinCommand(SKC_REMOVE_SKIN, reinterpret_cast<LPARAM>(this)));
    if (!going && !self.Alive(this))
        return false;
    // Menus left owner-drawn would be drawn from a skin that is gone.
    if (FSkinnableMenus && IsDefault())
        ks::Services().UpdateMenus(*FSkinnableMenus);
    ClearSkin();
    return true;
}

bool TsSkinManager::RefreshAllForms()
{
    const auto self = reinterpret_cast<LPARAM>(this);
    if (!BroadcastToAllForms(SkinCommand(SKC_STOP_FADE, self), this))
        return false;
    {
        std::optional<ks::FormsUpdateScope> lock;
        if (!Loading())
            lock.emplace(this);
        if (!BroadcastToAllForms(SkinCommand(SKC_REFRESH, self), this))
            return false;
    }
    // The redraw lock's end repaints the forms, which may free the manager.
    ks::ComponentWatch watch;
    watch.Watch(this);
    for (HWND wnd : ks::HookedAdaptedWindows()) {
        if (!watch.Alive(this))
            return false;
        if (ks::AdaptedAndVisible(wnd))
            RedrawWindow(wnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
    return watch.Alive(this);
}

void TsSkinManager::SetActiveControl(HWND wnd)
{
    if (wnd == ActiveControl)
        return;
    const HWND previous = ActiveControl;
    ActiveControl = wnd;
    const auto self = reinterpret_cast<LPARAM>(this);
    if (previous)
        SendCommandWnd(previous, SKC_HOT_LEAVE, self);
    if (wnd)
        SendCommandWnd(wnd, SKC_HOT_ENTER, self);
}

void TsSkinManager::InstallHook()
{
    // One hook per process: a manager made default later leaves the hook of the first in place.
    const ks::SkinServices& services = ks::Services();
    if (!IsDefault() || FHooksInstalled || !services.InstallCreationHook || services.CreationHookInstalled())
        return;
    FHooksInstalled = true;
    services.InstallCreationHook();
}

void TsSkinManager::UninstallHook() noexcept
{
    if (!FHooksInstalled)
        return;
    FHooksInstalled = false;
    const ks::SkinServices& services = ks::Services();
    if (services.ForgetMenuWindows)
        services.ForgetMenuWindows();
    services.RemoveCreationHook();
}

bool TsSkinManager::MainWindowHook(TMessage& message)
{
    if (!FSkinnedPopups)
        return false;
    switch (message.Msg) {
    case WM_THEMECHANGED: return true;
    case CM_ACTIVATE: RepaintAllForms(); return false;
    case CM_POPUP_ITEM_SHOWN: return PopupItemShown(PopupShownMessage{message});
    case CM_POPUP_WINDOW_SHOWN: return PopupWindowShown(PopupShownMessage{message});
    default: return false;
    }
}

// Both are answered 1, also for a message without an item or window.
bool TsSkinManager::PopupItemShown(const PopupShownMessage& m)
{
    const ks::SkinServices& services = ks::Services();
    if (m.Item() && FSkinnableMenus)
        services.PopupItemShown(*FSkinnableMenus, m.Item());
    m.Message.Result = 1;
    return true;
}

bool TsSkinManager::PopupWindowShown(const PopupShownMessage& m)
{
    const ks::SkinServices& services = ks::Services();
    if (m.Window() && FSkinnableMenus)
        services.PopupWindowShown(*FSkinnableMenus, m.Window());
    m.Message.Result = 1;
    return true;
}

// ---- Unit start-up ----------------------------------------------------------------------------------

namespace {

// A program built without the shadow pictures, or without the PNG picture, draws extended
// borders without shadows.
std::unique_ptr<TBitmap> EmbeddedPicture(const wchar_t* name)
{
    const std::span<const uint8_t> bytes = ks::Sys().FindFormResource(name);
    std::unique_ptr<TBitmap> picture = NewRegisteredPicture(L"png");
    if (!picture || bytes.empty())
        return nullptr;
    try {
        TMemoryStream stream;
        stream.Write(bytes.data(), bytes.size());
        stream.SetPosition(0);
        picture->LoadFromStream(stream);
    } catch (const Exception&) {
        return nullptr;
    }
    return picture;
}

bool IsVersionSwitch(const std::wstring& argument)
{
    if (argument.size() != 6)
        return false;
    std::wstring lower = argument;
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    return lower == L"/acver";
}

} // namespace

std::unique_ptr<TBitmap> NewRegisteredPicture(std::wstring_view extension)
{
    const TGraphicFactory factory = TPicture::FileFormat(extension);
    if (!factory)
        return nullptr;
    std::unique_ptr<TGraphic> graphic = factory();
    auto* picture = dynamic_cast<TBitmap*>(graphic.get());
    if (!picture)
        return nullptr;
    graphic.release();
    return std::unique_ptr<TBitmap>(picture);
}

void InitializeSkinManagerUnit()
{
    RegisterClasses<TsSkinManager>();
    HScrollHeight = GetSystemMetrics(SM_CXHSCROLL);
    ShadowActivePicture = EmbeddedPicture(L"acSHDA");
    ShadowInactivePicture = EmbeddedPicture(L"acSHDI");
    for (int i = 1; i <= ParamCount(); ++i)
        if (IsVersionSwitch(ParamStr(i))) {
            ShowMessage(std::wstring(VersionText));
            break;
        }
}

void FinalizeSkinManagerUnit()
{
    ShadowActivePicture.reset();
    ShadowInactivePicture.reset();
}

TBitmap* ShadowActiveImage()
{
    return ShadowActivePicture.get();
}

TBitmap* ShadowInactiveImage()
{
    return ShadowInactivePicture.get();
}

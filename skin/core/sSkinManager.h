#pragma once
// TsSkinManager: the component that owns one loaded skin and everything derived from it (the
// section table, image masks, texture patterns, master bitmap, global values, the indexes of
// common sections, the extended-border shadows) together with the options it streams from its
// form: internal skins, foreign-control class lists, animation and menu options.
//
// The first manager created is the process's DefaultSkinManager; skinned controls without a
// manager of their own use it. Assigning SkinName is the one entry that loads a skin: a packed
// file "<dir>\<name>.asz", else the folder "<dir>\<name>\Options.dat", else the internal skin of
// exactly that name, else the first internal skin (SkinName then reads its name), else none
// (Active becomes False). The load is read into new tables and put in place whole, so a skin
// that fails to load leaves the previous skin as it was, and a new skin keeps nothing of the
// previous one. While the manager streams from its form, a packed file or folder that fails to
// load is reported and the internal skin is taken instead, so a broken skin on disk never
// keeps the program from starting.
//
// The lookups never raise: -1 for an absent section, image or pattern, fixed fallback colours
// for absent global values (skin/core/SkinLookups.h).

#include "skin/core/SkinLookups.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sSkinOptions.h"
#include "skin/core/sStoredSkins.h"
#include "vcl/Bitmap.h"
#include "vcl/Classes.h"
#include "vcl/Messages.h"
#include "vcl/Strings.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum TacSkinningRule { srStdForms, srStdDialogs, srThirdParty };
using TacSkinningRules = ks::Set<TacSkinningRule>;

class TsSkinManager;
class TsSkinableMenus;
class TMenuItem;
struct TsLoadedSkin;
namespace ks {
class ComponentWatch;
}

// The skin manager's OnGetMenuExtraLineData: lets the application fill in the vertical band of
// the popup whose first item is firstItem. glyph is freed by the menus once drawn.
using TacGetExtraLineData = TDelegate<void(TMenuItem* firstItem, std::string& skinSection, std::wstring& caption,
                                           TBitmap*& glyph, bool& lineVisible)>;

// The first manager created; nullptr when none exists.
extern TsSkinManager* DefaultSkinManager;
// True from the start of a load until its broadcast is done; controls suppress fades meanwhile.
extern bool SkinLoadInProgress;
// True while a manager tells every window that its skin goes; adapters read it as they are
// destroyed.
extern bool SkinRemovalInProgress;

class TsSkinManager : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsSkinManager(TComponent* owner);
    ~TsSkinManager() override;
    void AfterConstruction() override;
    // Removes the skin (telling every window) while the manager is still whole.
    void BeforeDestruction() override;

    // ---- published options
    // Layered shadow borders; reads False where the system has no layered windows.
    bool ExtendedBorders() const noexcept;
    void SetExtendedBorders(bool value);
    bool SkinnedPopups() const noexcept { return FSkinnedPopups; }
    // Turning it on sets the application's menus up again (default manager only).
    void SetSkinnedPopups(bool value);
    // Glow effects; reads False where the system has no layered windows.
    bool AllowGlowing() const noexcept;
    void SetAllowGlowing(bool value) noexcept { FAllowGlowing = value; }
    TacAnimEffects* AnimEffects() const noexcept { return FAnimEffects.get(); }
    bool IsDefault() const noexcept { return this == DefaultSkinManager; }
    void SetIsDefault(bool value);
    bool Active() const noexcept { return FActive; }
    void SetActive(bool value);
    // Extra sections merged into every skin, one INI line per entry.
    const TStringList& CommonSections() const noexcept { return FCommonSections; }
    // Blanks are taken out of every line that is not a comment; then the skin loads again, or,
    // while the form streams, once the form has been read (Loaded).
    void SetCommonSections(const TStrings& lines);
    int Saturation() const noexcept { return FSaturation; }
    void SetSaturation(int value);
    int HueOffset() const noexcept { return FHueOffset; }
    void SetHueOffset(int value);
    TsStoredSkins* InternalSkins() const noexcept { return FInternalSkins.get(); }
    TacMenuSupport* MenuSupport() const noexcept { return FMenuSupport.get(); }
    const std::wstring& SkinDirectory() const noexcept { return FSkinDirectory; }
    void SetSkinDirectory(const std::wstring& value);
    const std::wstring& SkinName() const noexcept { return FSkinName; }
    // Loads the named skin when Active (see the unit comment). Raises the readers' errors for a
    // skin that cannot be read; the previous skin then stays in place.
    void SetSkinName(const std::wstring& value);
    // "N/A" without an active skin, else the skin's version with "." as separator.
    std::string SkinInfo() const;
    void SetSkinInfo(const std::string&) noexcept {}
    TacSkinningRules SkinningRules() const noexcept { return FSkinningRules; }
    void SetSkinningRules(TacSkinningRules value);
    ThirdPartyList* ThirdParty() const noexcept { return FThirdParty.get(); }
    // Always "6.50".
    std::string Version() const { return "6.50"; }
    void SetVersion(const std::string&) noexcept {}
    TNotifyEvent OnAfterChange() const noexcept { return FOnAfterChange; }
    void SetOnAfterChange(TNotifyEvent handler) noexcept { FOnAfterChange = handler; }
    TNotifyEvent OnBeforeChange() const noexcept { return FOnBeforeChange; }
    void SetOnBeforeChange(TNotifyEvent handler) noexcept { FOnBeforeChange = handler; }
    // Read by the menus when they prepare a popup.
    TacGetExtraLineData OnGetMenuExtraLineData() const noexcept { return FOnGetMenuExtraLineData; }
    void SetOnGetMenuExtraLineData(TacGetExtraLineData handler) noexcept { FOnGetMenuExtraLineData = handler; }

    // The owner-drawn menu engine; lives as long as the manager. nullptr in a program without
    // the menus (skin/core/SkinServices.h).
    TsSkinableMenus* SkinnableMenus() const noexcept { return FSkinnableMenus; }

    // ---- the loaded skin
    TsSkinData SkinData;
    TsGeneralDataArray GeneralDataArray;
    TsMaskArray MaskArray;
    TsPatternArray PatternArray;
    TsCommonIndexes CommonIndexes;
    std::unique_ptr<TBitmap> MasterBitmap;
    // The loaded skin came from a packed archive (a file or an internal skin's data).
    bool FFromArchive = false;
    // Pictures of the class library's "png" format (TPicture::FileFormat), 32-bit with alpha.
    std::unique_ptr<TBitmap> ShadowActive;
    std::unique_ptr<TBitmap> ShadowInactive;
    // Widths of the shadow around a form; all 0 without extended borders.
    TRect ShadowMargins;
    // The foreign-control class lists parsed from ThirdParty, by kind index.
    TacThirdLists ThirdLists;
    // The manager's current hot window, 0 for none.
    HWND ActiveControl = nullptr;
    // Makes wnd the hot window: SKC_HOT_LEAVE to the previous one, then SKC_HOT_ENTER to wnd,
    // each with this manager in LParam; nothing when wnd is already the hot window.
    void SetActiveControl(HWND wnd);

    // ---- lookups (never raise)
    int FindSection(std::string_view name) const noexcept;
    int FindMask(int skinIndex, std::string_view section, std::string_view key) const noexcept;
    int FindMaskOwnOnly(std::string_view section, std::string_view key) const noexcept;
    int FindTexture(int skinIndex, std::string_view section, std::string_view key) const noexcept;
    int FindPattern(int skinIndex, std::string_view section, std::string_view key) const noexcept;
    bool MaskIndexValid(int index) const noexcept;
    bool SectionIndexValid(int index) const noexcept;
    // 0 x 0 for an invalid index.
    TSize MaskCellSize(int index) const noexcept;
    // 0 for an invalid index.
    int MaskBorderLeft(int index) noexcept;
    int MaskBorderTop(int index) const noexcept;
    int MaskBorderRight(int index) const noexcept;
    int MaskBorderBottom(int index) const noexcept;
    TColor GlobalSectionColor() const noexcept;
    TColor GlobalSectionFontColor() const noexcept;
    TColor FocusedEditColor() const noexcept;
    TColor FocusedEditFontColor() const noexcept;
    TColor HighlightColorOf() const noexcept;
    TColor HighlightFontColorOf() const noexcept;

    // The default manager lets dialogs use the system's newest styles (UseLatestCommonDialogs)
    // only while it does not skin standard dialogs: not (srStdDialogs in SkinningRules and
    // Active). Other managers leave the switch alone.
    void UpdateCommonDialogsFlag() const noexcept;

    // The common indexes and the shadows of the current tables.
    void RecomputeCommonIndexes();
    void PrepareShadows();

    // ---- skin selection
    // SkinDirectory resolved against the program's folder (skin/core/SkinSelection.h).
    std::wstring ResolveSkinDirectory() const;
    // kind: 0 folders, 1 packed files, 2 both; internal skins always. Returns the first name.
    std::wstring ListSkinNames(TWideStrings& list, int kind) const;

    // The property table's view of CommonSections.
    std::vector<std::wstring> CommonSectionLines() const;
    void SetCommonSectionLines(const std::vector<std::wstring>& lines);

protected:
    void Loaded() override;

private:
    bool Loading() const noexcept { return ComponentState().Contains(csLoading) || ComponentState().Contains(csReading); }
    // Loads the skin named SkinName, then carries out what its events asked for meanwhile.
    // False when the manager was freed meanwhile (by its own events or by a window told of the
    // change): the caller then touches nothing of it.
    bool LoadSkin();
    // self watches this manager for the whole load.
    void ReadAndTellSkin(const ks::ComponentWatch& self);
    // Loads the skin again under its name; while the component loads, Loaded does it once.
    void Reload();
    // Reads the named skin from its source into a new set of tables; false when there is none.
    bool ReadSkin(TsLoadedSkin& skin, bool fromDisk);
    bool ReadSkinWithStartupFallback(TsLoadedSkin& skin);
    void CommitSkin(TsLoadedSkin&& skin);
    void ClearSkin() noexcept;
    void ReloadForColourChange();
    // Runs the changes asked for while a load was in progress, once it has ended, for as long
    // as self sees the manager alive.
    void RunDeferredChanges(const ks::ComponentWatch& self);
    // The new tables index the same sections, images and patterns as the present ones.
    bool SameLayout(const TsLoadedSkin& skin) const noexcept;
    // The three broadcasts of a skin change: new skin (then the creation hook, and with repaint
    // a refresh), removal (the hook goes first), and refresh inside the forms' redraw lock.
    // A window told may free the manager: each then answers false, having touched nothing of
    // it since, and the caller must touch nothing of it either. The new skin and the refresh
    // end there (the freed manager's removal has reached every window); the removal still goes
    // to every window.
    [[nodiscard]] bool BroadcastNewSkin(bool repaint);
    [[nodiscard]] bool BroadcastSkinRemoval();
    [[nodiscard]] bool RefreshAllForms();
    // The thread's window-creation hook; only the default manager installs it, and only one
    // hook exists in the process.
    void InstallHook();
    void UninstallHook() noexcept;
    bool MainWindowHook(TMessage& message);
    struct PopupShownMessage;
    bool PopupItemShown(const PopupShownMessage& m);
    bool PopupWindowShown(const PopupShownMessage& m);

    std::wstring FSkinName;
    std::wstring FSkinDirectory;
    bool FActive = true;
    std::unique_ptr<TsStoredSkins> FInternalSkins;
    TNotifyEvent FOnAfterChange;
    TNotifyEvent FOnBeforeChange;
    TacGetExtraLineData FOnGetMenuExtraLineData;
    bool FSkinnedPopups = true;
    TStringList FCommonSections;
    bool FIsDefault = false;
    std::unique_ptr<TacMenuSupport> FMenuSupport;
    std::unique_ptr<TacAnimEffects> FAnimEffects;
    TacSkinningRules FSkinningRules{srStdForms, srStdDialogs, srThirdParty};
    std::unique_ptr<ThirdPartyList> FThirdParty;
    bool FAllowGlowing = true;
    bool FExtendedBorders = false;
    int FHueOffset = 0;
    int FSaturation = 0;
    // This manager hooked the application's main window (it was the default when created).
    bool FMainWindowHooked = false;
    bool FHooksInstalled = false;
    bool FInLoad = false;
    bool FReloadPending = false;
    // Asked for from a change event or a receiver of a load's broadcast, where the load in
    // progress must not be replaced under itself: carried out when it ends.
    std::optional<std::wstring> FNameRequested;
    std::optional<bool> FActiveRequested;
    bool FReloadRequested = false;
    // Made and freed through the registry of the later parts' services.
    TsSkinableMenus* FSkinnableMenus = nullptr;
};

// Unit start-up (after the PNG picture registered itself): the scroll-bar metric
// (HScrollHeight), the embedded shadow pictures, and the version box when the command line holds
// "/acver" in any letter case. The program entry calls it once before the first form; the
// finalization frees the pictures.
void InitializeSkinManagerUnit();
void FinalizeSkinManagerUnit();
// A new, empty picture of the class library's format registered for extension ("png" for the
// engine's PNG picture, which registers itself at its unit start-up); nullptr when no format
// is registered for it or the format is not a bitmap.
std::unique_ptr<TBitmap> NewRegisteredPicture(std::wstring_view extension);
// The embedded shadow pictures for extended borders, read through the picture format registered
// for "png"; nullptr when the program has none or no such format is registered.
TBitmap* ShadowActiveImage();
TBitmap* ShadowInactiveImage();

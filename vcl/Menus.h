#pragma once
// Menus: the item tree (TMenuItem) behind a menu bar (TMainMenu) or a context menu
// (TPopupMenu), the Win32 menus built from it, owner drawing of items through comparable
// delegates, the popup list whose hidden window receives the messages of every tracked popup,
// and the short-cut text helpers.
//
// Items are components owned by their form (so they stream and are found by name) and hang in
// the tree of their menu. A Win32 menu exists only once someone asks for Handle(); after that,
// every change to an item rebuilds the entries of the menu that shows it. Each item has a
// process-unique command number, so WM_COMMAND, WM_MEASUREITEM and WM_DRAWITEM find their
// item whichever window owns the tracking.

#include "vcl/Classes.h"
#include "vcl/Controls.h"
#include "vcl/Graphics.h"
#include "vcl/Messages.h"
#include "vcl/SysUtils.h"
#include "vcl/Win.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Key code in the low byte, modifiers in the high bits: Alt+F4 is 0x8073.
using TShortCut = uint16_t;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// "Shift+", "Ctrl+", "Alt+" in that order, then the key ("A", "F4", "Del", "Enter" ...);
// empty for scNone and for keys without a name here.
std::wstring ShortCutToText(TShortCut shortCut);
// The inverse of ShortCutToText, ignoring ASCII case; scNone for text it does not know.
TShortCut TextToShortCut(std::wstring_view text);
// The caption without its accelerator marks: "&" goes, "&&" becomes "&".
std::wstring StripHotkey(std::wstring_view caption);

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
// Bits as the system's ODS_ flags: TOwnerDrawState::FromBits(itemState) is exact.
enum TOwnerDrawStateItem {
    odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive,
    odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = ks::Set<TOwnerDrawStateItem>;
enum TMenuAnimations { maLeftToRight, maRightToLeft, maTopToBottom, maBottomToTop, maNone };
using TMenuAnimation = ks::Set<TMenuAnimations>;
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TBitmap;
class TCustomImageList;
class TMenu;
class TMenuItem;

using TMenuMeasureItemEvent = TDelegate<void(TObject* sender, TCanvas* canvas, int& width, int& height)>;
using TMenuDrawItemEvent = TDelegate<void(TObject* sender, TCanvas* canvas, const TRect& rect, bool selected)>;
using TAdvancedMenuDrawItemEvent =
    TDelegate<void(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state)>;

namespace ks {
// Owns one Win32 menu. Entries are detached before it is destroyed, because DestroyMenu would
// also destroy the submenus, which belong to their own items.
class UniqueMenu {
public:
    UniqueMenu() noexcept = default;
    UniqueMenu(const UniqueMenu&) = delete;
    UniqueMenu& operator=(const UniqueMenu&) = delete;
    ~UniqueMenu() { reset(); }

    HMENU get() const noexcept { return FMenu; }
    explicit operator bool() const noexcept { return FMenu != nullptr; }
    // Takes ownership of menu after destroying the one held.
    void reset(HMENU menu = nullptr) noexcept;
    [[nodiscard]] HMENU release() noexcept { return std::exchange(FMenu, nullptr); }

private:
    HMENU FMenu = nullptr;
};
} // namespace ks

// ---------------------------------------------------------------------------------------------
class TMenuItem : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    // Frees the sub-items, then leaves the parent item.
    void BeforeDestruction() override;

    // ---- tree
    TMenuItem* Parent() const noexcept { return FParent; }
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    // Raises EMenuError outside 0 .. Count()-1.
    TMenuItem* Items(int index) const;
    int IndexOf(const TMenuItem* item) const noexcept;
    // Position among the parent's items; -1 without a parent.
    int MenuIndex() const noexcept;
    void SetMenuIndex(int index);
    // Takes item from any other parent. Raises EMenuError for nullptr, for this item or one
    // of its ancestors, and for an index outside 0 .. Count().
    void Insert(int index, TMenuItem* item);
    void Add(TMenuItem* item) { Insert(Count(), item); }
    // Takes the item out of the tree without freeing it.
    void Remove(TMenuItem* item);
    // Frees the item at index.
    void Delete(int index);
    // Frees every sub-item.
    void Clear();
    // The menu at the root of the tree, or nullptr.
    TMenu* GetParentMenu() const noexcept;

    // ---- content
    const std::wstring& Caption() const noexcept { return FCaption; }
    void SetCaption(const std::wstring& value);
    // A caption of "-" makes a separator.
    bool IsLine() const noexcept { return FCaption == L"-"; }
    bool Checked() const noexcept { return FChecked; }
    void SetChecked(bool value);
    bool Default() const noexcept { return FDefault; }
    void SetDefault(bool value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    // A hidden item has no entry in the Win32 menu at all.
    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool value);
    bool RadioItem() const noexcept { return FRadioItem; }
    void SetRadioItem(bool value);
    TMenuBreak Break() const noexcept { return FBreak; }
    void SetBreak(TMenuBreak value);
    TShortCut ShortCut() const noexcept { return FShortCut; }
    void SetShortCut(TShortCut value);
    // The item's own glyph, made empty on first use; painters take it before any image list.
    TBitmap* Bitmap();
    bool HasBitmap() const noexcept;
    // Copies the picture (nullptr empties it).
    void SetBitmap(const TBitmap* value);
    // Position in the image list of the item's menu (or its parent's SubMenuImages); -1 none.
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    // Items of a menu merged into a bar replace the bar's items of the same group and go after
    // those of lower groups.
    int GroupIndex() const noexcept { return FGroupIndex; }
    void SetGroupIndex(int value);
    // The images of this item's sub-items; forgotten when the list is freed.
    TCustomImageList* SubMenuImages() const noexcept { return FSubMenuImages; }
    void SetSubMenuImages(TCustomImageList* value);

    // ---- Win32 side
    // The command number WM_COMMAND and the owner-draw messages carry.
    UINT Command() const noexcept { return FCommand; }
    // The item's submenu, made (with its entries) on first use.
    HMENU Handle();
    bool HandleAllocated() const noexcept { return static_cast<bool>(FHandle); }
    // Tells the menu that this item changed: its entry is rebuilt in the menu that shows it
    // (and, with rebuild, in this item's own submenu too).
    void MenuChanged(bool rebuild);

    // ---- events
    TNotifyEvent OnClick() const noexcept { return FOnClick; }
    void SetOnClick(TNotifyEvent handler) noexcept { FOnClick = handler; }
    TMenuMeasureItemEvent OnMeasureItem() const noexcept { return FOnMeasureItem; }
    void SetOnMeasureItem(TMenuMeasureItemEvent handler) noexcept { FOnMeasureItem = handler; }
    TMenuDrawItemEvent OnDrawItem() const noexcept { return FOnDrawItem; }
    void SetOnDrawItem(TMenuDrawItemEvent handler) noexcept { FOnDrawItem = handler; }
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem() const noexcept { return FOnAdvancedDrawItem; }
    void SetOnAdvancedDrawItem(TAdvancedMenuDrawItemEvent handler) noexcept { FOnAdvancedDrawItem = handler; }

    virtual void Click();
    // The size of an owner-drawn entry: OnMeasureItem's answer (starting from 0 x 0) when it
    // is assigned, else the default measure of the caption and short cut in the canvas's font.
    virtual void MeasureItem(TCanvas& canvas, int& width, int& height);
    // Paints an owner-drawn entry: OnAdvancedDrawItem when assigned, else OnDrawItem, else
    // the default look. topLevel: an entry of a menu bar.
    virtual void AdvancedDrawItem(TCanvas& canvas, const TRect& rect, TOwnerDrawState state, bool topLevel);

    // ---- streaming
    TComponent* GetParentComponent() const override;
    void Notification(TComponent* component, TOperation operation) override;
    bool HasParent() const override { return true; }
    void SetParentComponent(TComponent* parent) override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    // The item with that command, submenu handle or short cut in this item's subtree
    // (this item included), or nullptr.
    TMenuItem* Find(UINT_PTR value, TFindItemKind kind);

    // The entries the platform put at the start of a frame's menu bar for a maximised MDI child
    // (its system menu, shown as its icon): 1 while it is there, else 0.
    static int LeadingSystemEntries(HMENU bar);

protected:
    // Draws the entry as the system would, for items without paint events.
    void DrawDefault(TCanvas& canvas, const TRect& rect, TOwnerDrawState state, bool topLevel);

private:
    friend class TMenu;
    friend class TMainMenu;

    // Brings the entries of this item's submenu in line with the visible sub-items, in place.
    void RebuildHandle();
    // This item's entry: made at position, or brought up to date there.
    MENUITEMINFOW EntryInfo(std::wstring& text, bool ownerDraw);
    void InsertEntry(HMENU menu, int position, bool ownerDraw);
    void UpdateEntry(HMENU menu, int position, bool ownerDraw);
    // An entry the platform put there itself (a maximised MDI child's, on a frame's bar).
    static bool SystemEntry(HMENU menu, int position);
    static int OwnEntryCount(HMENU menu);
    static bool EntryIs(HMENU menu, int position, const TMenuItem& item);
    static UINT EntryId(HMENU menu, int position);
    void ItemsChanged();
    // The text of the entry: the caption, then a tab and the short cut.
    std::wstring EntryText() const;

    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item only
    std::vector<TMenuItem*> FItems;
    ks::UniqueMenu FHandle;
    UINT FCommand = 0;
    std::wstring FCaption;
    bool FChecked = false;
    bool FDefault = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FRadioItem = false;
    TMenuBreak FBreak = mbNone;
    TShortCut FShortCut = scNone;
    std::unique_ptr<TBitmap> FBitmap;
    int FImageIndex = -1;
    int FGroupIndex = 0;
    TCustomImageList* FSubMenuImages = nullptr;
    TNotifyEvent FOnClick;
    TMenuMeasureItemEvent FOnMeasureItem;
    TMenuDrawItemEvent FOnDrawItem;
    TAdvancedMenuDrawItemEvent FOnAdvancedDrawItem;
};

// ---------------------------------------------------------------------------------------------
class TMenu : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The root item; its sub-items are the menu's entries.
    TMenuItem* Items() const noexcept { return FItems; }
    // The Win32 menu, made with its entries on first use.
    HMENU Handle() { return FItems->Handle(); }
    // The window that receives the menu's commands.
    virtual HWND WindowHandle() = 0;
    // Every entry is owner-drawn while set.
    bool OwnerDraw() const noexcept { return FOwnerDraw; }
    void SetOwnerDraw(bool value);
    // The glyphs of the items (ImageIndex); forgotten when the list is freed.
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    // Owner-drawn painters mirror their layout for bdRightToLeft where the system lays text out
    // right to left.
    TBiDiMode BiDiMode() const noexcept { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode value) noexcept { FBiDiMode = value; }

    // Among the items and those of a menu merged into this one.
    TMenuItem* FindItem(UINT_PTR value, TFindItemKind kind);
    // Handles WM_COMMAND from a menu, WM_INITMENUPOPUP, and WM_MEASUREITEM / WM_DRAWITEM for
    // menu entries, when they concern one of this menu's items; false otherwise.
    bool HandleMenuMessage(TMessage& message);
    // Clicks the item with that command; false when it is not one of this menu's.
    bool DispatchCommand(UINT command);
    // Clicks the item whose submenu is about to open, so its handler can fill it in time.
    bool DispatchPopup(HMENU submenu);

    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

protected:
    friend class TMenuItem;
    void Notification(TComponent* component, TOperation operation) override;
    // A new, empty Win32 menu of this kind (a bar or a popup).
    virtual HMENU CreateMenuHandle() = 0;
    // Something in the tree changed after the Win32 menu was made.
    virtual void MenuChanged() {}
    // The menu whose items show among this one's; nullptr for none.
    virtual TMenu* MergedMenu() const noexcept { return nullptr; }
    // The menu this one's items show among; nullptr for none.
    virtual TMenu* MergedInto() const noexcept { return nullptr; }
    // The menu's modal loop ended: changes held back while it was open are made now.
    void TrackingEnded();
    // Gives the menu a fresh handle when the system left a selection in the closed one.
    void DropStaleSelection();
    static void RebuildTree(TMenuItem* item);

    // Set while the menu is open (tracked by the system).
    bool FTracking = false;
    bool FRebuildPending = false;
    // Submenus of items freed while the menu was open, destroyed once it has closed.
    std::vector<HMENU> FRetired;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

private:
    bool WMCommand(TWMCommand& m);
    bool WMInitMenuPopup(TWMInitMenuPopup& m);
    bool WMMeasureItem(TWMMeasureItem& m);
    bool WMDrawItem(TWMDrawItem& m);
    void MeasureItem(MEASUREITEMSTRUCT& mis);
    void DrawItem(const DRAWITEMSTRUCT& dis);

    TMenuItem* FItems = nullptr;
    bool FOwnerDraw = false;
    TCustomImageList* FImages = nullptr;
    TBiDiMode FBiDiMode = bdLeftToRight;
};

// The menu bar of a form.
class TMainMenu : public TMenu {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    using TMenu::TMenu;

    HWND WindowHandle() override { return FWindowHandle; }
    // The form sets its window here: the bar is attached with SetMenu and redrawn on every
    // change. nullptr detaches it.
    void SetWindowHandle(HWND wnd);
    // Shows menu's visible items on this bar by their group indexes (an MDI main form shows its
    // active child's this way); one menu at a time, nullptr or Unmerge takes it off again.
    void Merge(TMainMenu* menu);
    void Unmerge(TMainMenu* menu);
    TMainMenu* Merged() const noexcept { return FMerged; }
    // The visible items in the order the bar shows them, the merged menu's among them.
    std::vector<TMenuItem*> BarItems() const;

protected:
    HMENU CreateMenuHandle() override;
    void MenuChanged() override;
    TMenu* MergedMenu() const noexcept override { return FMerged; }
    TMenu* MergedInto() const noexcept override { return FMergedInto; }
    void Notification(TComponent* component, TOperation operation) override;

private:
    HWND FWindowHandle = nullptr;
    TMainMenu* FMerged = nullptr;
    // The bar this menu is merged into.
    TMainMenu* FMergedInto = nullptr;
};

// A context menu shown at a point. Every popup menu is in the popup list while it exists.
class TPopupMenu : public TMenu {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // The window that receives the menu's messages: the one set, else the popup list's.
    HWND WindowHandle() override;
    // A form's window (nullptr: the popup list's again); the form hands the messages on.
    void SetWindowHandle(HWND wnd) noexcept { FWindowHandle = wnd; }
    // The component the menu was last shown for (set by whoever shows it); forgotten when
    // that component is freed.
    TComponent* PopupComponent() const noexcept { return FPopupComponent; }
    void SetPopupComponent(TComponent* component);
    TMenuAnimation MenuAnimation() const noexcept { return FMenuAnimation; }
    void SetMenuAnimation(TMenuAnimation value) noexcept { FMenuAnimation = value; }

    // Shows the menu with its top-left corner at the screen point (top-right, laid out right to
    // left, for a right-to-left menu or one shown for a mirrored window) and tracks it until it
    // closes (modal). A chosen item's click arrives afterwards, through the message loop.
    virtual void Popup(int x, int y);

protected:
    HMENU CreateMenuHandle() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool ShownRightToLeft() const;

    TComponent* FPopupComponent = nullptr;
    friend class TPopupList;
    TMenuAnimation FMenuAnimation;
    HWND FWindowHandle = nullptr;
};

// The hidden window that owns the tracking of every popup menu: commands, the opening of
// submenus and owner drawing reach the menus through it.
class TPopupList {
public:
    // Made with the first popup menu and destroyed with the last one.
    HWND Window();
    void Add(TPopupMenu* menu);
    void Remove(TPopupMenu* menu);
    // Offers a menu message that reached wnd to the popup menus shown for that window; false
    // when none takes it.
    bool MenuMessageOf(HWND wnd, TMessage& message);

private:
    void WndProc(TMessage& message);
    // Offers a menu message to every popup menu until one takes it.
    void MenuMessage(TMessage& message);
    bool Offer(HWND wnd, TMessage& message);
    void DefaultHandler(TMessage& message);
    void ReleaseWindowIfUnused() noexcept;

    std::vector<TPopupMenu*> FMenus;
    HWND FWindow = nullptr;
    int FDispatchDepth = 0;
};

TPopupList& PopupList();

class EMenuError : public Exception {
public:
    using Exception::Exception;
};

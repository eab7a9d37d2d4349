#pragma once
// TsSkinableMenus: the skin manager's menu engine. It makes the application's menus owner-drawn
// with handlers of its own, measures every item, keeps one cache record (with the popup's
// background bitmap: skinned frame, icon column, optional extra-line band) per open popup menu,
// and takes over the window of a popup menu so that the skin, not the system, shapes and
// frames it. The item painters live in sSkinMenuPainting.cpp.
//
// Records and the popup subclass are process-wide: the system shows one popup tree at a time.
// A record goes when its popup window is destroyed, and with it any record whose window is gone
// or was never found; a record whose first item is freed is never followed again.

#include "skin/core/ComponentWatch.h"
#include "vcl/Bitmap.h"
#include "vcl/Classes.h"
#include "vcl/Menus.h"
#include "vcl/StdCtrls.h"
#include "vcl/Win.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TsSkinManager;
class TsSkinProvider;

// The kind of the item being measured or painted.
enum TsMenuItemType { smCaption, smDivider, smNormal, smTopLine };

// Called after each item is painted, with the item's work bitmap.
using TsMenuManagerDrawItemEvent = TDelegate<void(TObject* sender, TCanvas* canvas, const TRect& rect,
                                                  TOwnerDrawState state, TsMenuItemType itemType)>;

// One open popup menu. FirstItem (item 0 of the popup's parent item) names the popup; Wnd is 0
// until its window is known. The bitmap is shared so that a painter still holding it survives
// the cache being cleared under it.
struct PopupCacheRec {
    TMenuItem* FirstItem = nullptr;
    std::shared_ptr<TBitmap> Bitmap;
    HWND Wnd = nullptr;
    bool ExtraLineShown = false;
};

// The records of the popups open now, oldest first.
extern std::vector<PopupCacheRec> PopupCache;
// The kind of the item last measured or painted (handed to OnDrawItem).
extern TsMenuItemType CurrentItemType;
// The extra-line data of the popup being prepared. The glyph is the engine's: whatever the
// application's OnGetMenuExtraLineData leaves there is freed once drawn.
extern std::string ExtraLineSection;
extern std::wstring ExtraLineCaption;
extern std::unique_ptr<TBitmap> ExtraLineGlyph;
// Set while OnGetMenuExtraLineData runs, so that measuring inside it asks nothing again.
extern bool InExtraLineEvent;
// Margin + glyph width + Spacing of the popup last prepared: the icon column.
extern int IconColumnWidth;
// The form provider of an MDI main form, or nullptr (written by the provider).
extern TsSkinProvider* MDISkinProvider;

// What the main-menu painter needs of a form provider: the image of the form's menu line and
// where the item rectangles of dc lie in it. The provider's unit fills ProviderMenuLine at its
// start-up; without it (or with no image) main-menu items are not painted. The painter tells
// which item it paints where and whether lit: the provider keeps track of an item lit on the
// window that the system may leave lit.
struct MenuLineImage {
    TBitmap* Bmp = nullptr;
    // Subtracted from an item rectangle of dc to find its place in Bmp.
    TPoint Offset;
};
struct MenuLineItemPaint {
    HDC DC = nullptr;
    TMenuItem* Item = nullptr;
    // The item's rectangle in DC.
    TRect Rect;
    bool Hot = false;
};
extern MenuLineImage (*ProviderMenuLine)(TsSkinProvider* provider, const MenuLineItemPaint& paint);

// Drops every record and its bitmap.
void ClearMenuCache() noexcept;

// The record of the popup that holds item, or, with item nullptr, of the popup whose window is
// wnd; an empty record (no bitmap) when there is none. item is only compared, never followed,
// so a pointer that arrived in a message is safe to pass.
PopupCacheRec MenuItemInfoOf(const TMenuItem* item, HWND wnd);

// The kind of an item by its caption ("-" a divider, "-text-" a caption item).
TsMenuItemType MenuItemTypeOf(const TMenuItem& item) noexcept;
// The text a caption item shows: the first word between its dashes.
std::wstring CaptionItemText(std::wstring_view caption);

namespace ks {
// The system's popup-menu window class ("#32768").
bool IsPopupMenuWindow(HWND wnd);
// Whether a visible item of parent starts a new column: such a popup shows no extra line.
bool HasColumnBreak(const TMenuItem* parent);
} // namespace ks

class TsSkinableMenus : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsSkinableMenus(TsSkinManager* skinManager);
    // Takes its handlers off every item that still has them, so no item calls a freed engine.
    ~TsSkinableMenus() override;
    TsSkinableMenus(const TsSkinableMenus&) = delete;
    TsSkinableMenus& operator=(const TsSkinableMenus&) = delete;

    // ---- published
    int Margin() const noexcept { return FMargin; }
    void SetMargin(int value) noexcept { FMargin = value; }
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value) noexcept { FAlignment = value; }
    int BevelWidth() const noexcept { return FBevelWidth; }
    void SetBevelWidth(int value) noexcept { FBevelWidth = value; }
    // Width of the popup frame strips copied onto the popup window.
    int BorderWidth() const noexcept { return FBorderWidth; }
    void SetBorderWidth(int value) noexcept { FBorderWidth = value; }
    // Font of caption items; assigning copies.
    TFont* CaptionFont() const noexcept { return FCaptionFont.get(); }
    void SetCaptionFont(const TFont* value) { FCaptionFont->Assign(value); }
    // Width of the skin's popup frame: the border width of the "MAINMENU" section's own
    // "BORDERSMASK" (3 when the mask gives none), 0 without such a mask. Worked out again on
    // first use after every skin change.
    int SkinBorderWidth() const;
    // -1 forgets the value, so the next skin is asked again.
    void SetSkinBorderWidth(int value) noexcept { FSkinBorderWidth = value; }
    // Gap between the icon column and the caption.
    int Spacing() const noexcept { return FSpacing; }
    void SetSpacing(int value) noexcept { FSpacing = value; }
    TsMenuManagerDrawItemEvent OnDrawItem() const noexcept { return FOnDrawItem; }
    void SetOnDrawItem(TsMenuManagerDrawItemEvent handler) noexcept { FOnDrawItem = handler; }

    // Makes every item of menu owner-drawn with this object's handlers (enable), or takes
    // those handlers away again. Handlers the application assigned stay in place either way.
    void OwnerDrawMenuItems(TPopupMenu* menu, bool enable);
    // The menu bar's top line gets the main-menu handlers (replacing any), its sub-items the
    // popup handlers; disabling takes only this object's own handlers away.
    void SetUpMainMenu(TMainMenu* menu, bool enable);
    // Follows the manager's skin: on a change between loaded and not loaded, every menu of
    // the application is set up again.
    void UpdateMenus();
    // Subclasses the popup window wnd and, with a bitmap, cuts its region to the bitmap's size
    // less PopupCorners. The subclass ends with the window.
    void HookPopupWnd(HWND wnd, const TBitmap* bitmap);
    // The record of item's popup; when there is none and width is above 0, the popup's
    // background is prepared first (width x height, wnd when known) and recorded. Preparing
    // runs OnGetMenuExtraLineData: an empty record comes back when its handler freed item, the
    // popup's first item or the manager (see QueryExtraLine).
    PopupCacheRec MenuItemInfoOf(TMenuItem* item, int width, HWND wnd, int height);

    // ---- measuring (also the bodies of the owner-draw measure handlers)
    // Size of an item's glyph: its own bitmap, else the images of its parent or menu, else 16.
    static TSize GlyphSizeOf(TMenuItem& item);
    // Height of an item in the canvas's font.
    int ItemHeight(TCanvas& canvas, TMenuItem& item);
    // Size of the popup of parent's items before its window exists, frame included.
    TSize PopupSizeOf(TMenuItem& parent);

    TsSkinManager* SkinManager = nullptr;
    // Whether the menus are skinned now.
    bool MenusActive = false;
    // Parts of a popup window's rectangle that its skin leaves transparent.
    std::vector<TRect> PopupCorners;
    // Set while a popup window's region is applied, which makes it paint again.
    bool HookBusy = false;

private:
    // The owner-draw handlers given to items.
    void PopupItemMeasure(TObject* sender, TCanvas* canvas, int& width, int& height);
    void PopupItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state);
    void MainItemMeasure(TObject* sender, TCanvas* canvas, int& width, int& height);
    void MainItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state);

    // Painting (sSkinMenuPainting.cpp). offset: where client (0, 0) of the popup lies in its bitmap.
    void PaintDivider(TMenuItem& item, TCanvas& canvas, const TRect& r, TBitmap* popupBmp, int extraW, int offset);
    void PaintCaptionItem(TMenuItem& item, TCanvas& canvas, const TRect& r, TBitmap* popupBmp, int extraW,
                          int offset);
    void PaintItemGlyph(TMenuItem& item, TBitmap& itemBmp, TOwnerDrawState state, bool rtl, bool hotBack,
                        bool hotText);
    void CopyPopupFrameStrips(TMenuItem& item, HWND wnd, TBitmap& popupBmp, const TRect& r, int extraOffset);
    void CopyColumnGaps(TMenuItem& item, TCanvas& canvas, TBitmap& popupBmp, const TRect& r, int offset);

    bool Skinned() const noexcept;
    bool Usable() const noexcept;
    void SetUpPopupItem(TMenuItem* item, bool enable);
    void UpdateComponents(TComponent* owner, bool enable);
    // Canvas font for items of item's menu: the screen's menu font in the owning form's charset.
    void PrepareItemFont(TCanvas& canvas, TMenuItem& item, bool bold) const;
    int ExtraLineWidthShown(bool lineShown) const noexcept;
    // Asks the application for the extra line of the popup that starts with firstItem; the
    // answer lands in the ExtraLine globals. Returns whether the line is shown, or nothing when
    // the handler freed firstItem, item (the one being measured or drawn) or the skin manager,
    // which frees this engine: the caller then touches none of them, nor this object.
    std::optional<bool> QueryExtraLine(TMenuItem* firstItem, TMenuItem* item);
    // Hands a finished item to OnDrawItem. False when the handler freed the item or the skin
    // manager (and this engine with it): the caller then touches neither, nor this object.
    bool DrawItemEventKept(TMenuItem* item, TCanvas& canvas, const TRect& rect, TOwnerDrawState state,
                           TsMenuItemType type);
    std::shared_ptr<TBitmap> PreparePopupBitmap(TMenuItem& item, int width, int height, bool lineShown);
    void PaintExtraLine(TBitmap& bitmap);
    void CollectPopupCorners(int width, int height);
    // Remembers item as one that carries this object's handlers.
    void Track(TMenuItem* item);

    int FMargin = 2;
    TAlignment FAlignment = taLeftJustify;
    int FBevelWidth = 0;
    int FBorderWidth = 3;
    std::unique_ptr<TFont> FCaptionFont;
    mutable int FSkinBorderWidth = -1;
    int FSpacing = 6;
    TsMenuManagerDrawItemEvent FOnDrawItem;
    // The work bitmap items are composed in, kept between items.
    std::unique_ptr<TBitmap> FItemBmp;
    // Items given this object's handlers, watched so that the freed ones are passed over.
    std::vector<TMenuItem*> FTracked;
    ks::ComponentWatch FWatch;
};

// Unit start-up: gives the skin core the menu painter (skin/core/SkinServices.h). The program
// entry calls it before the first skin manager is made; the finalization empties the cache.
void InitializeSkinMenusUnit();
void FinalizeSkinMenusUnit() noexcept;

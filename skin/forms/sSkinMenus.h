#pragma once
// TsSkinableMenus: the skin manager's menu engine. It makes the application's menus owner-drawn
// with handlers of its own, keeps one cache record per open popup menu, and takes over the
// window of a popup menu so that the skin, not the system, shapes and frames it.
//
// Records and the popup subclass are process-wide: the system shows one popup tree at a time,
// and the popup window's own procedure clears the cache when the window goes.

#include "vcl/Bitmap.h"
#include "vcl/Classes.h"
#include "vcl/Menus.h"
#include "vcl/Win.h"

#include <memory>
#include <string>
#include <vector>

class TsSkinManager;

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

// Drops every record and its bitmap.
void ClearMenuCache() noexcept;

// The record of the popup that holds item, or, with item nullptr, of the popup whose window is
// wnd; an empty record (no bitmap) when there is none. item is only compared, never followed,
// so a pointer that arrived in a message is safe to pass.
PopupCacheRec MenuItemInfoOf(const TMenuItem* item, HWND wnd);

class TsSkinableMenus : public TPersistent {
public:
    explicit TsSkinableMenus(TsSkinManager* skinManager) noexcept : SkinManager(skinManager) {}
    ~TsSkinableMenus() override { SkinManager = nullptr; }
    TsSkinableMenus(const TsSkinableMenus&) = delete;
    TsSkinableMenus& operator=(const TsSkinableMenus&) = delete;

    // Width of the skin's popup frame: the border width of the "MAINMENU" section's own
    // "BORDERSMASK" (3 when the mask gives none), 0 without such a mask. Worked out again on
    // first use after every skin change.
    int SkinBorderWidth();
    // -1 forgets the value, so the next skin is asked again.
    void SetSkinBorderWidth(int value) noexcept { FSkinBorderWidth = value; }

    // Makes every item of menu owner-drawn with this object's handlers (enable), or takes
    // those handlers away again. Handlers the application assigned stay in place either way.
    void OwnerDrawMenuItems(TPopupMenu* menu, bool enable);
    // Follows the manager's skin: on a change between loaded and not loaded, every menu of
    // the application is set up again.
    void UpdateMenus();
    // Subclasses the popup window wnd and, with a bitmap, cuts its region to the bitmap's size
    // less PopupCorners. The subclass ends with the window.
    void HookPopupWnd(HWND wnd, const TBitmap* bitmap);

    TsSkinManager* SkinManager = nullptr;
    // Whether the menus are skinned now.
    bool MenusActive = false;
    // Parts of a popup window's rectangle that its skin leaves transparent.
    std::vector<TRect> PopupCorners;
    // Set while a popup window's region is applied, which makes it paint again.
    bool HookBusy = false;

private:
    // Until the skinned item painting exists, the handlers measure and draw as the platform
    // would: plain text in the system's menu colours.
    void PopupItemMeasure(TObject* sender, TCanvas* canvas, int& width, int& height);
    void PopupItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state);
    void MainItemMeasure(TObject* sender, TCanvas* canvas, int& width, int& height);
    void MainItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state);

    bool Skinned() const noexcept;
    void SetUpPopupItem(TMenuItem* item, bool enable);
    void SetUpMainMenu(TMainMenu* menu, bool enable);
    void UpdateComponents(TComponent* owner, bool enable);

    int FSkinBorderWidth = -1;
};

// Unit start-up: gives the skin core the menu painter (skin/core/SkinServices.h). The program
// entry calls it before the first skin manager is made.
void InitializeSkinMenusUnit();

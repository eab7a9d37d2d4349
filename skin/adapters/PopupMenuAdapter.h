#pragma once
// TacMnuWnd: the adapter of a popup-menu window (the platform's class "#32768") while a skinned
// popup menu is shown. The skinned menus draw the items; the adapter paints the window's frame
// and background from the section "MAINMENU". The creation hook makes one for each popup window
// and lists it in MenuWindows; the adapter goes with its window.
//
// The unit's lists are process-wide and unguarded: menus live on the user-interface thread.

#include "skin/adapters/ScrollWindowAdapters.h"

#include <vector>

class TacMnuWnd;

// Set by the skinned menus when they measure a popup item; cleared by the form provider and by
// a menu window that goes. While it is clear a menu adapter only passes messages on.
extern bool SkinnedPopupShowing;
// The adapters of the open popup windows, in the order the hook made them; a slot holds
// nullptr once its window went.
extern std::vector<TacMnuWnd*> MenuWindows;
// Empties MenuWindows. The adapters stay with their windows and go when those do.
void ForgetMenuWindows() noexcept;

class TacMnuWnd : public TacScrollWnd {
public:
    const char* ClassName() const noexcept override { return "TacMnuWnd"; }
    TacMnuWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);
    ~TacMnuWnd() override;

    void AdapterWndProc(TMessage& message) override;

    // The background (section in state 0 and its border) into the cache bitmap, when it changed.
    void PrepareCache();

    // 1 from the menu code's announcement that the window is shown until its background is
    // painted; the menu code asks it before it reshapes the window.
    int Shown = 0;

private:
    // The dispatchers and their handlers; each returns whether the message was consumed.
    bool MenuMessage(TMessage& m);
    bool WMDestroy(TMessage& m);
    bool MenuSkinCommand(TMessage& m);
    bool WMEraseBkgnd(TMessage& m);
    bool WMNCPaint(TMessage& m);
    // The frame's width: 3 where the platform draws the frame outside the client area, 0 where
    // it draws it inside.
    int FrameWidth() const;
};

// Unit start-up (counted): gives the skin core ForgetMenuWindows (skin/core/SkinServices.h).
// The shut-down that brings the count to zero frees the adapters whose windows are still there.
void InitializePopupMenuAdapterUnit();
void FinalizePopupMenuAdapterUnit() noexcept;

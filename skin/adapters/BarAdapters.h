#pragma once
// Adapters of bars: the platform toolbar ("ToolbarWindow32") painted button by button from the
// skin, the class library's TToolBar painted through its own custom-draw events, and the status
// bar with its panels. The class-library toolbar's events are the adapter's only while it holds
// the toolbar: they go back to the handlers they replaced when it lets go, and call those
// handlers meanwhile whenever the skin is off.
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"
#include "vcl/ComCtrls.h"

#include <string>

class TacToolBarWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacToolBarWnd"; }
    using TacMainWnd::TacMainWnd;

    void AdapterWndProc(TMessage& message) override;
    // The client area of the bar with its buttons, into dc at (0, 0) (the window's DC when
    // nullptr).
    void Paint(HDC dc);

protected:
    void PrepareCache();
    // Button index of the bar into picture, which holds the bar's whole window.
    void PaintButton(int index, TBitmap& picture);

private:
    TRect FClientRect;
    int FBorderWidth = 0;
};

class TacToolBarVCLWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacToolBarVCLWnd"; }
    // The section is "TOOLBAR" when the creator names none.
    TacToolBarVCLWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);
    ~TacToolBarVCLWnd() override;

    void AdapterWndProc(TMessage& message) override;

    TToolBar* ToolBar() const noexcept { return FToolBar; }
    // The button under the mouse (its index), -1 for none.
    int HotIndex() const noexcept { return FHotIndex; }
    // The button whose drop-down is open, or nullptr.
    TToolButton* DroppedButton() const noexcept { return FDropped; }

protected:
    void Detached() override;

private:
    bool Skinned() const;
    void PrepareCache();
    int FrameWidth() const;
    void PaintFrame(HDC dc);
    // The button at p (client coordinates): only buttons, check buttons and drop-down buttons.
    int ButtonAt(TPoint p) const;
    void RepaintButton(TToolButton* button);
    // After a click: the toolbar's hot button cleared when the mouse has left, else the
    // toolbar told when it leaves.
    void FollowMouse();
    // No button hot; the one that was is repainted unless it is down.
    void ClearHot();
    // The open drop-down button, if any, is forgotten and drawn closed.
    void DropDownClosed();
    // Where the item's piece of the bar lies in the cache. A DC laid out right to left gets the
    // bar's picture unflipped, so an item there shows over the cache's mirrored place.
    int CacheLeft(HDC dc, const RECT& item) const;
    // The skin's divider over every separator, into dc (the client area's DC when nullptr).
    void PaintSeparators(HDC dc);
    void DrawButton(TToolButton* button, TCustomDrawState state, TCanvas& canvas);
    void BarDraw(TToolBar* sender, const TRect& rect, TCustomDrawStage stage, bool& defaultDraw);
    void ButtonDraw(TToolBar* sender, TToolButton* button, TCustomDrawState state, bool& defaultDraw);
    void GiveEventsBack();
    // SKC_PARENT_UPDATED to the children, then the frame, after the bar was painted.
    void TellChildren();

    TToolBar* FToolBar = nullptr;
    TToolButton* FDropped = nullptr;
    int FHotIndex = -1;
    bool FChildrenToTell = false;
    TTBCustomDrawEvent FOldBarDraw;
    TTBCustomDrawBtnEvent FOldButtonDraw;
};

class TacStatusBarWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacStatusBarWnd"; }
    // The section is "STATUSBAR" when the creator names none.
    TacStatusBarWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void AdapterWndProc(TMessage& message) override;
    // The bar with its panels into dc (the window's DC when nullptr).
    void Paint(HDC dc);

private:
    void PrepareCache();
    void PaintPanel(TBitmap& cache, TRect r, const std::wstring& text, TAlignment alignment, bool last, bool simple);
    // A window laid out right to left: the cache holds the bar as the screen shows it, the
    // parts from the right and their texts reading left to right.
    bool Mirrored() const;
    // A part's rectangle, as the bar reports it, where it shows in the cache.
    TRect Shown(const TRect& r) const;
    // The text and alignment of part index of the bar.
    std::wstring PartText(int index, TAlignment& alignment) const;

    TStatusBar* FStatusBar = nullptr;
};

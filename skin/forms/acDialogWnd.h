#pragma once
// The frame adapter of a standard dialog window ("#32770") that the creation hook caught:
// TacDialogWnd paints the dialog's frame, title bar, title buttons and client background from
// the skin (DialogFrame.cpp), answers its hit tests and title-button clicks, and keeps adapting
// child windows that appear later; TacSystemMenu is the popup it shows instead of the platform's
// system menu, which the adapter takes off the window while it holds it.

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/core/FormServices.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Graphics.h"
#include "vcl/GdiHandles.h"
#include "vcl/Menus.h"
#include "vcl/Win.h"

#include <memory>
#include <string>
#include <vector>

class TacDialogWnd;
class TacProvider;

// The dialog's skinned system menu; each item sends its WM_SYSCOMMAND to the dialog window.
class TacSystemMenu : public TPopupMenu {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacSystemMenu(TComponent* owner);

    // Visibility and enabled state of the items from the dialog's stored styles and state.
    void UpdateItems();

    // The queries a system menu answers for its painter.
    virtual bool VisibleClose() const;
    virtual bool VisibleMax() const { return false; }
    virtual bool VisibleMin() const { return false; }
    virtual bool EnabledMax() const { return false; }
    virtual bool EnabledMin() const { return false; }
    virtual bool EnabledRestore() const { return false; }

    TacDialogWnd* Dialog = nullptr;
    TMenuItem* ItemRestore = nullptr;
    TMenuItem* ItemMove = nullptr;
    TMenuItem* ItemSize = nullptr;
    TMenuItem* ItemMinimize = nullptr;
    TMenuItem* ItemMaximize = nullptr;
    TMenuItem* ItemClose = nullptr;

private:
    TMenuItem* AddItem(const wchar_t* caption, const char* name, void (TacSystemMenu::*click)(TObject*));
    void SendCommand(WPARAM command);
    void RestoreClick(TObject*);
    void MoveClick(TObject*);
    void SizeClick(TObject*);
    void MinimizeClick(TObject*);
    void MaximizeClick(TObject*);
    void CloseClick(TObject*);
};

// A title press went down and its button is still the hot one (shared by every dialog: only
// one can be under the mouse).
extern bool TitlePressStarted;
// A window region is being changed; non-client paints meanwhile do not start another.
extern bool RegionUpdating;

// Under the manager's extended borders the dialog is framed by a layered border window, whose
// owner it is: the frame image then grows by the border's margins and the skin's title height
// and border width, and the dialog's own window is cut to its client area.
class TacDialogWnd : public TacScrollWnd, public ks::AnimatedDialog, public TacBorderOwner {
public:
    const char* ClassName() const noexcept override { return "TacDialogWnd"; }
    // Made only by InitDialogHandler, with section "DIALOG".
    TacDialogWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);
    ~TacDialogWnd() override;

    void AdapterWndProc(TMessage& message) override;

    // ---- fields
    std::vector<TRect> RgnPieces;
    int HotCode = 0;
    bool FormActive = true;
    bool NoClientPaint = false;
    int CaptionIndex = -1;
    bool ChildrenAdapted = false;
    TitleButtonRec BtnMin;
    TitleButtonRec BtnMax;
    TitleButtonRec BtnClose;
    TitleButtonRec BtnHelp;
    std::unique_ptr<TBitmap> IconBmp;
    HICON IconHandle = nullptr;
    std::unique_ptr<TFont> CaptionFont;
    LONG_PTR WndStyle = 0;
    LONG_PTR WndExStyle = 0;
    bool FrameChanged = true;
    // 2 popup without a full caption, 0 modal frame without sizing border, 3 any other; 1 until
    // the frame is prepared.
    uint8_t BorderKind = 1;
    std::unique_ptr<TBitmap> TitleBmp;
    std::unique_ptr<TacSystemMenu> SysMenu;
    TacProvider* Provider = nullptr;

    // ---- predicates on the stored styles
    bool HasSysMenu() const noexcept { return (WndStyle & WS_SYSMENU) != 0; }
    bool HasMaxBox() const noexcept { return (WndStyle & WS_MAXIMIZEBOX) != 0; }
    bool HasMinBox() const noexcept { return (WndStyle & WS_MINIMIZEBOX) != 0; }
    bool HasHelpButton() const noexcept { return (WndExStyle & WS_EX_CONTEXTHELP) != 0; }
    bool CanMaximize() const;
    bool CanRestore() const;
    bool CanMinimize() const;

    // ---- what the show animation reads
    HWND DialogHandle() const noexcept override { return CtrlHandle; }
    TBitmap* DialogImage() const noexcept override;
    // The layered border window; nullptr without extended borders.
    TacBorderForm* BorderForm() const noexcept override { return FBorderForm.get(); }
    // The border window's margins (the manager's shadow margins); empty without one.
    TRect ExtBorderMargins() const override;

    // Makes the border window when use is on and the dialog has a manager that is not being
    // designed, or frees it; the frame image takes 32 or 24 bits per pixel accordingly.
    void SetExtBorders(bool use);
    // Repaints the border window when there is one and the dialog is visible.
    void UpdateBorderWindow();

    // ---- TacBorderOwner
    HWND BorderOwnerHandle() const noexcept override { return CtrlHandle; }
    TsCommonData* BorderOwnerSkinData() const noexcept override { return SkinData; }
    TRect BorderOwnerMargins() const override { return ExtBorderMargins(); }
    TPoint BorderOwnerClientOffset() const override { return {ClientOffsetX(), ClientOffsetY()}; }
    int BorderOwnerBorderWidth() const override { return FormBorderWidth(true); }
    int BorderOwnerCaptionBottom() const override { return TitleBottom(); }
    int BorderOwnerMenuBottom() const override { return TitleBottom(); }
    TRect BorderOwnerIconRect() const override;
    const TitleButtonRec* BorderOwnerButton(int hitCode) const override;
    TitleButtonFlags BorderOwnerButtonFlags() const override;
    void PaintBorderOwnerNonClient() override { PaintNonClient(); }
    void SetHotTitleButton(int hitCode) override { SetHotButton(hitCode, true); }
    void ReleaseBorderResources() noexcept override;

    // ---- frame preparation, geometry and painting (DialogFrame.cpp)
    void PrepareFrame();
    // IconHandle and IconBmp from the window's icon (small, else big); none when it has none.
    void TakeIcon();
    void LoadTitleButtons();
    // The caption font from the system's non-client metrics.
    void MakeCaptionFont();
    int CaptionHeight(bool withBorderForm) const override;
    int ClientOffsetX() const override;
    int ClientOffsetY() const override;
    void IconRect(TRect& r) const;
    int ButtonWidth(const TitleButtonRec& button) const;
    int ButtonHeight(int imageIndex) const;
    int TitleButtonsWidth() const;
    // The frame's border width: with a border window and fromSkin the skin's, else the system's
    // frame of a sizing border, else of a dialog frame, else 0.
    int FormBorderWidth(bool fromSkin) const;
    // 0 with a border window (its title band carries the top border), else FormBorderWidth.
    int BorderWidthIfNoExtBorders(bool fromSkin) const;
    // Under a border window: how much wider the skin's border is than the system's, and how much
    // taller the skin's title band (which carries the top border) is than the system's caption
    // and top border.
    int BorderWidthDelta() const;
    int TitleHeightDelta() const;
    // The bottom of the title strip in the frame image.
    int TitleBottom() const;
    void PaintNonClient() override;
    void UpdateWndRegion(bool redraw) override;
    void RepaintTitleButton(int hitCode);
    // The title buttons' glow animations go, with their windows.
    void StopTitleAnimations() noexcept;

    // The button record of a hit code, nullptr for codes without one.
    TitleButtonRec* ButtonOf(int hitCode) noexcept;
    void SetHotButton(int code, bool repaint);
    // The child walk of the creation hook, run again for children that appeared since.
    void AdaptNewChildren();

protected:
    void Detached() override;

private:
    // Message handlers (acDialogWnd.cpp)
    void WMDestroy(TMessage& m);
    void WMSize(TMessage& m);
    void WMKillFocus(TMessage& m);
    void WMEnableOrSetText(TMessage& m);
    void WMSetIcon(TMessage& m);
    void WMPaint(TMessage& m);
    void WMShowWindow(TMessage& m);
    void WMDrawItem(TMessage& m);
    void WMWindowPosChanging(TMessage& m);
    void WMWindowPosChanged(TMessage& m);
    // The base's handling, then the border window follows the dialog.
    void BaseThenBorder(TMessage& m);
    void WMNCHitTest(TMessage& m);
    void WMNCActivate(TMessage& m);
    void WMNCLButtonDown(TMessage& m);
    void WMNCButtonUp(TMessage& m);
    void WMNCLButtonDblClk(TMessage& m);
    void WMNCRButtonDown(TMessage& m);
    void WMNCRButtonUp(TMessage& m);
    void WMMouseMove(TMessage& m);
    void WMMouseLeave(TMessage& m);
    void WMCtlColorDlg(TMessage& m);
    void WMSysCommand(TMessage& m);
    void AdaptAndPass(TMessage& m);
    void WMVisibleChanged(TMessage& m);
    void SkinCommand(TMessage& m);
    void NewSkinCommand(TMessage& m);
    // The border window as the manager's ExtendedBorders has it.
    void UseManagersBorders();
    void RefreshCommand(TMessage& m);
    void SetUpdatingCommand(TMessage& m);
    void BackgroundInfoCommand(TMessage& m);
    // The hit test of the title buttons and icon; -2 when the point lies elsewhere.
    int TitleHitTest(TPoint p);
    void ShowSysMenu(int x, int y);
    bool ReleaseTitleButton(TMessage& m);
    // Painting (DialogFrame.cpp)
    void PaintTitle(TBitmap& bmp);
    void PaintCaptionText(TBitmap& bmp);
    void PaintTitleButtons(TBitmap& bmp);
    void PaintTitleButton(TBitmap& bmp, TitleButtonRec& button, int x, bool enabled, int imageIndex);
    void PaintExtBorder(TBitmap& bmp);
    // Shows the button's new look: on the window, or on the border window that carries the title.
    void ShowTitleButton(TBitmap& bmp, const TitleButtonRec& button);
    // The frame image's origin on the screen.
    TPoint ImageOrigin() const;
    void RebuildRgnPieces();
    bool WMNCPaint(TMessage& m);
    void WMEraseBkgnd(TMessage& m);
    TRect InsideFrame() const;
    void CopyFrameTo(HDC dc);

    std::unique_ptr<TacBorderForm> FBorderForm;
    // The brush WM_CTLCOLORDLG answers, kept until the colour changes.
    ks::GdiBrush FDialogBrush;
    TColor FDialogBrushColor = clNone;
    // The title button glow shown, -1 for none.
    int FGlowId = -1;
    // WS_SYSMENU was taken off the window and goes back when the adapter lets go.
    bool FSysMenuRemoved = false;
    // The window is being destroyed: its frame is not given back any more.
    bool FWindowGoing = false;
};

// The window's text as UTF-16, without a length limit.
std::wstring GetWndTextW(HWND wnd);

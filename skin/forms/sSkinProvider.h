#pragma once
// TsSkinProvider: the component a form owns that gives the form its skinned frame. It takes over
// the form's WindowProc, prepares the form for skinning (at once, or lazily on the first
// non-client message for a provider the creation hook made), measures and paints the frame,
// keeps the title buttons, the skinned system menu, the control adapter of the form's children
// and, with extended borders, the layered border window. TitleButtonRec is the record of one
// title button, shared with the dialog frame adapter.
//
// The operations are spread over several sources, one per concern; each group below names the
// file that defines it. Fields are public: the border window, the title animation, the MDI
// support and the dialog adapter read and write them as the provider's own code does.

#include "skin/core/ComponentWatch.h"
#include "skin/core/FormServices.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Classes.h"
#include "vcl/Controls.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Menus.h"
#include "vcl/Messages.h"
#include "vcl/StdCtrls.h"
#include "vcl/Win.h"

#include <string>
#include <vector>

class TBitmap;
class TCanvas;
class TMenuItem;
class TsCommonData;
class TsSkinManager;
class TacScrollWnd;
class TacCtrlAdapter;     // acCtrlAdapter.h
class TsSystemMenu;       // SystemMenu.h
class TsTitleIcon;        // TitleParts.h
class TsTitleButton;      // TitleParts.h
class TsTitleButtons;     // TitleParts.h
class TacAddedTitle;      // TitleParts.h
class TacBorderForm;      // acBorderForm.h
class TacSBAnimation;     // TitleAnimation.h
class TsMDIForm;          // sMDIForm.h
struct MenuLineImage;     // sSkinMenus.h

enum TsGripMode { gmNone, gmRightBottom };
enum TsResizeMode { rmStandard, rmBorder };

template <>
struct ks::EnumTraits<TsGripMode> {
    static constexpr const char* Names[] = {"gmNone", "gmRightBottom"};
};
template <>
struct ks::EnumTraits<TsResizeMode> {
    static constexpr const char* Names[] = {"rmStandard", "rmBorder"};
};

// Asked first by the border window's hit test; a non-zero Result is used as the hit code.
using TacNCHitTest = TDelegate<void(TMessage& msg)>;
// Asked by the control adapter for every child control it would skin.
using TAddItemEvent = TDelegate<void(TComponent* item, bool& canBeAdded, std::string& skinSection)>;

// Hit codes of the provider's own title buttons (the platform's codes for the rest).
inline constexpr int HTMDICLOSE = 101;
inline constexpr int HTMDIMAX = 102;
inline constexpr int HTMDIMIN = 103;
inline constexpr int HTUDBTN = 1000;  // + index of the user title button

struct TitleButtonRec {
    // 0 normal, 1 hot, 2 pressed: the glyph cell shown.
    int State = 0;
    // Mask index of the glyph in the skin; -1 none.
    int ImageIndex = -1;
    // In window coordinates.
    TRect Rect{0, 0, 0, 0};
    // From the big glyph set ("BICON...") rather than the small one ("SICON...").
    bool BigGlyph = false;
    // The running glow animation; owned by it, which clears this field when it goes.
    TacSBAnimation* Animation = nullptr;
    int HitCode = 0;
};

// The show animations ask a provider for its border window under a name that the provider's
// field of that window already holds; the bridge answers them through AnimatedBorderWindow.
class ProviderAnimationBridge : public ks::AnimatedFormProvider {
public:
    ks::AnimatedBorderForm* BorderForm() const noexcept final { return AnimatedBorderWindow(); }

protected:
    virtual ks::AnimatedBorderForm* AnimatedBorderWindow() const noexcept = 0;
    ~ProviderAnimationBridge() = default;
};

class TsSkinProvider : public TComponent,
                       public ProviderAnimationBridge,
                       public ks::LockableFormProvider,
                       public ks::HeldObject {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // ============ sSkinProvider.cpp: life cycle (owner is the form) ============
    // Raises EAbort "TsSkinProvider component may be used with forms only!" for another owner.
    explicit TsSkinProvider(TComponent* owner);
    ~TsSkinProvider() override;
    // The constructor the creation hook uses: the form is prepared on its first non-client
    // hit test, non-client paint or visibility change.
    static TsSkinProvider* CreateProviderFlagged(TComponent* owner);
    void AfterConstruction() override;
    void BeforeDestruction() override;
    // Freed while code of its own runs (from the form's OnShow or OnPaint, say), the provider lets
    // go of its form at once and goes when the outermost of that code returns, never under it.
    // Every entry into the provider's code from outside holds it (ks::HeldObject::Hold): the
    // form's procedure, the border window's, the title glows' timers, the redraw lock and the
    // show animations. A provider destroyed with its form meanwhile is forgotten by every hold.
    void Free() override;
    // Frees the running glow animations of the system and user title buttons.
    void StopTitleAnimations();
    // The record of the title button with this hit code; nullptr for none.
    TitleButtonRec* TitleButtonByHitCode(int hitCode);

    // ---- published
    TacAddedTitle* AddedTitle() const noexcept { return FAddedTitle; }
    bool AllowExtBorders() const noexcept { return FAllowExtBorders; }
    void SetAllowExtBorders(bool value);
    TAlignment CaptionAlignment() const noexcept { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment value);
    bool DrawNonClientArea() const noexcept override { return FDrawNonClientArea; }
    void SetDrawNonClientArea(bool value);
    TsCommonData* SkinData() const noexcept { return FSkinData; }
    TsGripMode GripMode() const noexcept { return FGripMode; }
    void SetGripMode(TsGripMode value) noexcept { FGripMode = value; }
    bool MakeSkinMenu() const noexcept { return FMakeSkinMenu; }
    void SetMakeSkinMenu(bool value) noexcept { FMakeSkinMenu = value; }
    const std::string& MenuLineSkin() const noexcept { return FMenuLineSkin; }
    void SetMenuLineSkin(const std::string& value);
    TsResizeMode ResizeMode() const noexcept { return FResizeMode; }
    void SetResizeMode(TsResizeMode value) noexcept { FResizeMode = value; }
    bool ScreenSnap() const noexcept { return FScreenSnap; }
    void SetScreenSnap(bool value) noexcept { FScreenSnap = value; }
    int SnapBuffer() const noexcept { return FSnapBuffer; }
    void SetSnapBuffer(int value) noexcept { FSnapBuffer = value; }
    bool ShowAppIcon() const noexcept { return FShowAppIcon; }
    void SetShowAppIcon(bool value);
    TsTitleButtons* TitleButtons() const noexcept { return FTitleButtons; }
    void SetTitleButtons(const TsTitleButtons* value);
    TsTitleIcon* TitleIcon() const noexcept { return FTitleIcon; }
    const std::string& TitleSkin() const noexcept { return FTitleSkin; }
    void SetTitleSkin(const std::string& value);
    bool UseGlobalColor() const noexcept { return FUseGlobalColor; }
    void SetUseGlobalColor(bool value);
    TacNCHitTest OnExtHitTest() const noexcept { return FOnExtHitTest; }
    void SetOnExtHitTest(TacNCHitTest handler) noexcept { FOnExtHitTest = handler; }
    TAddItemEvent OnSkinItem() const noexcept { return FOnSkinItem; }
    void SetOnSkinItem(TAddItemEvent handler) noexcept { FOnSkinItem = handler; }

    // ============ FormWindowProc.cpp: the form's window procedure ============
    // Skin commands answered in every state, the unskinned path, then the skinned path.
    void FormWndProc(TMessage& message);

    // ============ ProviderSetup.cpp: settings and set-up ============
    // TitleSkin, else "FORMTITLE".
    std::string TitleSectionName() const;
    int TitleSectionIndex() const;
    void SetUpForm();
    void PrepareForm();
    // Unless designing and with the skin active: makes the control adapter and adapts all
    // children.
    virtual void CreateAdapter();
    void RemoveAdapter();
    void SetBorderFormActive(bool on);
    void SetSysMenuStyle(bool on);
    void SetMDIFormSupport(bool on);
    void PrepareMenus(bool skinned);
    // True when the menu had items to rebuild.
    bool InitMenu();
    void FormBeginUpdate(bool withMDI);
    void FormEndUpdate(bool withMDI);
    void RefreshFormNC();
    // Shows the layered border window's current picture, when the form has one.
    void UpdateBorderWindowIfAny();
    void InvalidateNonClient();
    void HandleGetMinMaxInfo(TMessage& message);
    void HandleInitMenuPopup(TMessage& message);
    void HandlePaint(TMessage& message);
    void HandleMouseWheel(TMessage& message);
    bool CacheSizeChanged() const;
    // The window has its new size but the form has not been told yet: WM_WINDOWPOSCHANGED, and
    // with it WM_SIZE and its repaint, come next.
    bool ResizeUnannounced() const;
    void UpdateFormScrolls();
    void CreateCoverForm(bool fullHeight);
    void FreeCoverForm();
    // Paint handler of the small form laid over the end of the menu line.
    void PaintMenuLineEnd(TCanvas* canvas);
    // Where that form lies in the frame's image: the end of the menu line that holds the
    // maximised MDI child's buttons, the right one, or the left one on a mirrored form.
    TRect MenuLineEndRect() const;
    // The manager whose skin the provider paints (the skin data's).
    TsSkinManager* ProviderSkinManager() const noexcept override;

    // ============ sSkinProvider.cpp: what the show animations and the redraw lock ask ======
    TCustomForm* ProviderForm() const noexcept override { return Form; }
    // The form's window; nullptr before it has one.
    HWND FormWnd() const noexcept { return Form ? Form->HandleIfAllocated() : nullptr; }
    TBitmap* FormImage() const noexcept override;
    void SetInUpdate(bool value) noexcept override { InFormsUpdate = value; }
    HWND BorderWindow() const noexcept override;
    void ShapeBorderWindow() override;
    void ShowBorderWindow() override;
    void UpdateRegion() override;

    // ============ FormFrameGeometry.cpp: frame measures (pure functions of form and skin) ======
    int CaptionHeight(bool fromSkin) const override;
    int FrameWidthX(bool fromSkin) const;
    int FrameWidthY(bool fromSkin) const;
    int SkinnedWindowWidth() const;
    // How much wider the skin's border is than the system's, and how much taller the skin's
    // title band is than the system's caption and top border: the frame a border window draws
    // outside the window itself.
    int BorderWidthDelta() const;
    int TitleHeightDelta() const;
    int NonClientHeight() const;
    int ClientOffsetX() const override;
    int ClientOffsetY() const override;
    TRect ExtBorderMargins() const override;
    TPoint FormOrigin() const;
    TPoint ScreenToFormPoint(int x, int y) const;
    bool HaveBorder() const;
    bool IsSizeable() const;
    bool IsSingleOrSizeable() const;
    bool IsSizeBox() const;
    int MenuBarHeight() const;
    bool MainMenuVisible() const;
    // Rows the menu bar wraps into; counted again after InvalidateNonClient.
    int MenuLineCount() const;
    bool TitleIconShown() const;
    int TitleIconWidth() const;
    int TitleIconHeight() const;
    TRect IconRect() const;
    // The band the caption text is drawn in.
    TRect CaptionBandRect() const;
    int SysButtonWidth(const TitleButtonRec& button) const;
    int SysButtonHeight() const;
    int UserButtonWidth(const TsTitleButton& button) const;
    int MDIButtonWidth() const;
    int MDIButtonHeight() const;
    int SysButtonCount() const;
    int TitleButtonsWidth() const;
    int TitleBarImageWidth(int maskIndex) const;
    TPoint CornerImagePos(int maskIndex) const;
    // Places the system, user and maximised-child buttons, right to left.
    void LayoutTitleButtons();
    // Looks the title-button glyphs and UserButtonMaskIndex up in the loaded skin.
    void InitTitleButtonSections();
    void MakeRegionRects() override;
    // Sets the form's window region; true when the window got a new one (and, with redraw,
    // repaints).
    bool ApplyRegion(bool redraw);
    // The window rectangle (a size of 0 means the window's own) without RegionRects.
    ks::GdiRegion MakeRgnWithoutRects(int width, int height) override;
    // The outline of the provider's own moving and sizing, drawn inverted on the desktop. Begin
    // draws the form's rectangle and returns it (screen coordinates); Move erases the outline
    // drawn last and draws the given one; End erases it, lets the capture go and moves or sizes
    // the form to the outline (a sizing that changed nothing leaves the window alone).
    TRect DragOutlineBegin();
    void DragOutlineMove(const TRect& outline);
    void DragOutlineEnd(const TRect& outline, bool moving);

    // ============ FormNonClientPainting.cpp (helper "frame"): non-client painting ============
    void PaintNonClient() override;
    void RepaintNonClientToDC(HDC dc);
    void NCPaint();
    void PaintTitleOnly(const TRect& titleRect, const TRect& cacheRect);
    void PaintTitleBar();
    void PaintCaption();
    void PaintTitleIcon();
    void PaintGrip();
    // The grip's cell of the cache onto dc, in the client's coordinates.
    void CopyGripToClient(HDC dc);
    void PaintTitleButtons();
    void SaveButtonsBackground(bool fullHeight);
    void RestoreButtonsBackground();
    void SaveTitleCache();
    // The skin data's section changed: the title band's cached image goes, and the form's
    // controls of the new section hear SKC_SECTION_CHANGED.
    void SectionChanged() noexcept;
    // With send, the controls are told the form is painted: those over renewed (client
    // coordinates) when it is given, else all.
    void PaintClientBackground(HDC dc, bool send, const TRect* renewed = nullptr);
    void PaintFormToDC(HDC dc);
    // The menu-line image and where the item rectangles of dc lie in it: dc is the frame's cache
    // or the form's window DC. No image before the frame was first painted.
    MenuLineImage MenuLineFor(HDC dc) const;
    // The cache row the menu-line image is taken from.
    int MenuLineTop() const;
    // Under a border window, the row where the form's own window starts its menu bar: below the
    // system's top border and caption, which the window keeps beneath the layered frame. The
    // window's region starts there.
    int SystemMenuBarTop() const;
    // An item of the form's menu line drawn again in its normal look, into the cache and onto the
    // window at rect (window coordinates).
    void RedrawMenuItem(TMenuItem& item, const TRect& rect);
    TColor FormBackColor() const;
    // Height of the painted window image: the form's, with a border window its deltas and
    // margins, plus 1 under a menu bar.
    int PaintedHeight() const;
    // Where TempBmp's copy of the button strip lies in the cache.
    TPoint ButtonsBackgroundOrigin() const;
    // The glyph of user title button index centred in a button whose top-left is at.
    void PaintUserButtonGlyph(TBitmap& target, int index, TPoint at);
    // The cache's pixels of the button with this hit code copied to the window (or the border
    // window), after the button alone was painted again over TempBmp's background.
    void RepaintTitleButton(int hitCode);
    static bool TitleButtonAnimating(const TitleButtonRec& rec) noexcept;

    // ============ TitleButtonStates.cpp (helper "frame"): title-button states, system menu ====
    void SetHotHitCode(int code, bool repaint = true);
    void SetPressedHitCode(int code);
    void ShowTitleButtonHint(TsTitleButton* button);
    void HideTitleButtonHint(TsTitleButton* button);
    void ShowSkinnedSysMenu(int x, int y);
    void EnableSysMenuItem(UINT command, bool enable);
    // Starts or retargets the glow animation of one of this provider's title buttons.
    void StartTitleAnimation(TitleButtonRec& rec, int state, int steps, bool enable);

    // ============ FormHitTest.cpp (helper "formstate"): hit test, frame mouse, outline sizing ==
    // The point (the form window's coordinates) lies on the size grip: the grip drawn, or the
    // square between both shown scroll bars.
    bool GripHit(TPoint windowPoint);
    // 1-based position of the title button under the point (window coordinates); 0 for none.
    int ButtonAtPoint(TPoint windowPoint);
    // The answer to WM_NCHITTEST for a cursor in screen coordinates.
    int ProviderHitTest(TPoint screenPoint);
    // The hit code of a non-client mouse message. The border window passes the clicks on its
    // frame on with -1: the code is then its hit test's at the cursor, written into the message
    // too, so that the platform's own handling (its move and size loops) sees the real code.
    int ForwardedHitCode(TMessage& message);
    void WMWindowPosChanging(TMessage& message);
    void WMNCHitTest(TMessage& message);
    void WMNCLButtonDown(TMessage& message);
    void WMNCLButtonUp(TMessage& message);
    void WMNCLButtonDblClk(TMessage& message);
    void WMNCRButtonDown(TMessage& message);
    void WMNCRButtonUp(TMessage& message);
    void WMMouseMove(TMessage& message);
    // WM_CAPTURECHANGED and WM_CANCELMODE: a drag that lost the mouse ends without moving.
    void WMCaptureChanged(TMessage& message);

    // ============ FormWindowState.cpp (helper "formstate"): window state, painting, MDI =======
    void WMCreate(TMessage& message);
    void WMMove(TMessage& message);
    void WMSize(TMessage& message);
    void WMActivate(TMessage& message);
    void WMSetRedraw(TMessage& message);
    void WMSetText(TMessage& message);
    void WMPaint(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void WMSysColorChange(TMessage& message);
    void WMShowWindow(TMessage& message);
    void WMSettingChange(TMessage& message);
    void WMChildActivate(TMessage& message);
    void WMMeasureItem(TMessage& message);
    void WMWindowPosChanged(TMessage& message);
    void WMNotify(TMessage& message);
    void WMContextMenu(TMessage& message);
    void WMSetIcon(TMessage& message);
    void WMNCCreate(TMessage& message);
    void WMNCPaint(TMessage& message);
    void WMNCActivate(TMessage& message);
    void WMSysCommand(TMessage& message);
    void WMParentNotify(TMessage& message);
    void WMEnterMenuLoop(TMessage& message);
    void WMExitMenuLoop(TMessage& message);
    void WMSizing(TMessage& message);
    void WMMDIActivate(TMessage& message);
    void WMExitSizeMove(TMessage& message);
    void WMSysMenuRequest(TMessage& message);
    void WMPrint(TMessage& message);
    // The show animation.
    void CMShowingChanged(TMessage& message);
    // After the form's own handling of its show: the skin is no longer this provider's to put on
    // the form, or the form no longer shows.
    bool ShowLeftToForm() const;
    void RefreshMDIFrame(bool repaint);

    // ============ fields, in the order of the provider's record ============
    std::vector<TRect> RegionRects;
    bool NeedRegionUpdate = true;
    int HotHitCode = 0;
    TBitmap* TempBmp = nullptr;
    bool FMakeSkinMenu = false;
    bool FShowAppIcon = true;
    bool SysMenuStyleRemoved = false;
    TAlignment FCaptionAlignment = taLeftJustify;
    TsTitleIcon* FTitleIcon = nullptr;
    TsTitleButtons* FTitleButtons = nullptr;
    TsGripMode FGripMode = gmNone;
    TsCommonData* FSkinData = nullptr;
    TsResizeMode FResizeMode = rmStandard;
    bool FScreenSnap = false;
    int FSnapBuffer = 10;
    bool FUseGlobalColor = true;
    std::string FTitleSkin;
    std::string FMenuLineSkin;
    int UserButtonMaskIndex = -1;
    TAddItemEvent FOnSkinItem;
    bool FDrawNonClientArea = true;
    bool FAllowExtBorders = true;
    TacNCHitTest FOnExtHitTest;
    TacAddedTitle* FAddedTitle = nullptr;
    int RedrawLockCount = 0;
    bool FirstSetUp = false;
    bool MenuInitialized = false;
    TitleButtonRec ButtonMin;
    TitleButtonRec ButtonMax;
    TitleButtonRec ButtonClose;
    TitleButtonRec ButtonHelp;
    TitleButtonRec MDIMin;
    TitleButtonRec MDIMax;
    TitleButtonRec MDIClose;
    TRect LastClientRect{0, 0, 0, 0};
    bool RaiseCaptionHeight = false;
    int CaptionSkinIndex = -1;
    int CaptionTextIndex = -1;
    bool SetUpPending = false;
    bool Passive = false;
    bool RegionChanging = false;
    bool Animating = false;
    // 0, or the window state when the parent closed: 1 normal, 2 minimised, 3 maximised.
    uint8_t ShowState = 0;
    bool AnimateShow = false;
    TacScrollWnd* ScrollAdapter = nullptr;
    TacCtrlAdapter* Adapter = nullptr;
    bool InRegionUpdate = false;
    bool FormChanged = true;
    // A control was told the form is updating and holds its paint back until the form tells all
    // its controls that it painted.
    bool ChildrenHeldBack = false;
    TWndMethod OldWndProc;
    TsMDIForm* MDIForm = nullptr;
    bool FormActive = false;
    TBitmap* MenuLineBmp = nullptr;
    TCustomForm* Form = nullptr;
    mutable int MenuLineCountCache = -1;
    // The system's caption height, normal and small, -1 until read, as of the count of the
    // system's settings changes it was read at (SystemSettingsGeneration).
    mutable int SystemCaptionHeightCache[2] = {-1, -1};
    mutable unsigned SystemCaptionGeneration = 0;
    TsSystemMenu* SystemMenu = nullptr;
    TBitmap* TitleCache = nullptr;
    TForm* CoverForm = nullptr;
    TWndMethod CoverFormProc;
    TacBorderForm* BorderForm = nullptr;
    // Set by the redraw lock while a skin change holds the form's painting back.
    bool InFormsUpdate = false;

protected:
    // ============ sSkinProvider.cpp ============
    ks::AnimatedBorderForm* AnimatedBorderWindow() const noexcept override;
    void AssignTo(TPersistent* dest) const override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // ============ FormNonClientPainting.cpp (helper "frame") ============
    void RunFormOnPaint();
    void PaintAddedTitle(const TRect& r);
    void PaintTitleButton(TBitmap& cache, const TitleButtonRec& rec, bool enabled);
    void PaintUserTitleButton(TBitmap& cache, int index);
    void PaintMenuLine();
    void PaintBorderShadow(bool titleOnBorder);
    // The MDI client's background of an MDI main form.
    void PaintMDIArea();
    // The maximised MDI child's buttons in the menu line.
    void PaintMDIButtons();
    // The frame rectangle of the last full paint, inside the border window's margins.
    TRect NCFrameRect{0, 0, 0, 0};

    // ============ FormWindowProc.cpp: one handler per skin command and control message ======
    bool AnyStateCommand(TMessage& message);
    void UnskinnedMessage(TMessage& message);
    void SkinnedMessage(TMessage& message);
    void SkinnedCommand(TMessage& message);
    void ControlMessage(TMessage& message);
    void WindowMessage(TMessage& message);
    void RemoveSkin(TMessage& message);
    void AnswerBgInfo(TMessage& message);
    void NewSkinUnskinned(TMessage& message);
    void SkinCmdNewSkin(TMessage& message);
    void SkinCmdRefresh(TMessage& message);
    void SkinCmdSetUpdating(TMessage& message);
    void SkinCmdSetTransparent(TMessage& message);
    void SkinCmdIsUpdating(TMessage& message);
    void SkinCmdRepaintNow(TMessage& message);
    void SkinCmdIsBgComplex(TMessage& message);
    void SkinCmdAdaptChild(TMessage& message);
    void SkinCmdUpdateBorders(TMessage& message);
    void SkinCmdBeforeScroll(TMessage& message);
    void SkinCmdAfterScroll(TMessage& message);
    void CMActivate(TMessage& message);
    void CMVisibleChanged(TMessage& message);
    void CMEnabledChanged(TMessage& message);
    void CMColorChanged(TMessage& message);
    void CMMouseEnter(TMessage& message);
    void CMMouseLeave(TMessage& message);
    void CMMenuChanged(TMessage& message);
    void CMControlListChange(TMessage& message);
    void CMFrameChanged(TMessage& message);
    void CMMouseWheel(TMessage& message);
    void ForwardMouseWheel(TMessage& message);
    void Swallow(TMessage& message);
    void CallOld(TMessage& message);
    bool BeingDestroyed() const noexcept;
    // The lazy preparation, once the form has a window to prepare.
    void PrepareIfPending();
    void DispatchFormMessage(TMessage& message);
    // Gives the form back as it was before this provider (system-menu style, the skinned-form
    // list, the window procedure, an MDI main form's record of its child); passive afterwards.
    void ReleaseForm();
    // Free was called while the provider was held; its deletion waits for the holds.
    bool FFreePending = false;

    // ============ ProviderSetup.cpp ============
    // The window procedure of the cover form: it never erases its background.
    void CoverFormWndProc(TMessage& message);
    void CoverFormPaint(TObject* sender);
};

// ============ TitleButtonStates.cpp (helper "frame") ============
// Set when a title button is pressed, cleared at every hot-state change; read by the window
// procedure when the mouse button goes up.
extern bool TitleButtonPressed;

// ============ ProviderSetup.cpp: desktop composition ============
bool IsDwmCompositionEnabled();
HRESULT DwmSetWindowAttributeSafe(HWND wnd, DWORD attribute, const void* value, DWORD size);
void ForbidDwmTransitions(HWND wnd, bool forbid);

// ============ sSkinProvider.cpp: process-wide providers ============
// The text of the EAbort raised for a provider owned by anything but a form.
extern const char* const ProviderOwnerText;
// The provider of the MDI main form; nullptr when there is none.
extern TsSkinProvider* MDISkinProvider;
// The provider whose form last entered a menu loop or was activated as an MDI child.
extern TsSkinProvider* SysMenuProvider;

// ============ ProviderMenuLine.cpp ============
// Unit start-up: tells the skinned menus where a provider keeps its menu-line image.
void InitializeSkinProviderUnit();
// The menu-line item that the system left lit on the form window wnd, if any, drawn in its
// normal look again; the changes of state of that form's title buttons call it.
void RedrawLitMenuItem(HWND wnd);

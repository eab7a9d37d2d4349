#pragma once
// Thin controls over the platform's common controls: the tab control, the page control with its
// sheets, the toolbar with its buttons and custom-draw events, and the status bar with its
// panels. Each is a superclass of the system class, registered under its own class name
// ("TTabControl", "TToolBar" ...), and hears of its own notifications as CN_NOTIFY reflected by
// its parent. What the objects hold (tabs, buttons, panels) is the truth; the windows are made
// to show it whenever they are (re)created.

#include "vcl/Controls.h"
#include "vcl/Graphics.h"
#include "vcl/StdCtrls.h"
#include "vcl/Win.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

class TCustomImageList;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
template <>
struct ks::EnumTraits<TTabPosition> {
    static constexpr const char* Names[] = {"tpTop", "tpBottom", "tpLeft", "tpRight"};
};
template <>
struct ks::EnumTraits<TTabStyle> {
    static constexpr const char* Names[] = {"tsTabs", "tsButtons", "tsFlatButtons"};
};

// ---------------------------------------------------------------------------------------------
// A strip of tabs ("SysTabControl32"). Tabs may be added and removed at any time; the selected
// tab moves with the tabs before it and is -1 when there is none.
class TCustomTabControl : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomTabControl(TComponent* owner);

    int TabCount() const noexcept { return static_cast<int>(FTabs.size()); }
    const std::wstring& TabCaption(int index) const;
    // index is clamped to 0 .. TabCount(); imageIndex -1 shows no image.
    void InsertTab(int index, const std::wstring& caption, int imageIndex = -1);
    void AddTab(const std::wstring& caption, int imageIndex = -1) { InsertTab(TabCount(), caption, imageIndex); }
    // Raises EListError outside 0 .. TabCount()-1.
    void DeleteTab(int index);
    void SetTabCaption(int index, const std::wstring& caption);

    int TabIndex() const noexcept { return FTabIndex; }
    // -1 or an index of a tab; anything else is ignored.
    void SetTabIndex(int value);
    TTabPosition TabPosition() const noexcept { return FTabPosition; }
    void SetTabPosition(TTabPosition value) { SetAndRecreate(FTabPosition, value); }
    TTabStyle Style() const noexcept { return FStyle; }
    void SetStyle(TTabStyle value) { SetAndRecreate(FStyle, value); }
    bool MultiLine() const noexcept { return FMultiLine; }
    void SetMultiLine(bool value) { SetAndRecreate(FMultiLine, value); }
    // Forgotten when the list is freed.
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);

    // The area inside the tab frame where pages go (client coordinates).
    TRect DisplayRect() const;

    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    void AdjustClientRect(TRect& rect) const override { rect = DisplayRect(); }
    // The selection changed (by the user or SetTabIndex).
    virtual void Change();
    void CNNotify(TMessage& m);

private:
    struct Tab {
        std::wstring Caption;
        int ImageIndex = -1;
    };
    void WriteTab(int index) const;
    void SendImages() const;

    std::vector<Tab> FTabs;
    int FTabIndex = -1;
    TTabPosition FTabPosition = tpTop;
    TTabStyle FStyle = tsTabs;
    bool FMultiLine = false;
    TCustomImageList* FImages = nullptr;
    TNotifyEvent FOnChange;
};

class TTabControl : public TCustomTabControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomTabControl::TCustomTabControl;
};

// ---------------------------------------------------------------------------------------------
class TPageControl;

// One page of a page control: a child window of the page control, shown while it is the active
// page. Its caption is its tab's.
class TTabSheet : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    void BeforeDestruction() override;

    TPageControl* PageControl() const noexcept { return FPageControl; }
    // Moves the sheet (and its tab) to the end of value's pages; nullptr takes it out.
    void SetPageControl(TPageControl* value);
    int PageIndex() const;

    void Dispatch(TMessage& message) override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
};

class TPageControl : public TCustomTabControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const noexcept { return static_cast<int>(FPages.size()); }
    // Raises EListError outside 0 .. PageCount()-1.
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const noexcept;
    // A page of this control, or nullptr.
    void SetActivePage(TTabSheet* page);

protected:
    void Change() override;
    void AlignControls(TControl* control, TRect& rect) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void PageCaptionChanged(TTabSheet* page);
    void ShowActive();

    std::vector<TTabSheet*> FPages;
};

// ---------------------------------------------------------------------------------------------
enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider, tbsTextButton };
template <>
struct ks::EnumTraits<TToolButtonStyle> {
    static constexpr const char* Names[] = {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider",
                                            "tbsTextButton"};
};
// The custom-draw stages a toolbar reports to OnCustomDraw.
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
// Bit i is the custom-draw item state bit 1 << i (cdsHot = 0x40).
enum TCustomDrawStateItem {
    cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate
};
using TCustomDrawState = ks::Set<TCustomDrawStateItem>;

class TToolBar;
class TToolButton;

// Sent by a toolbar to its own window once a button's drop-down (TBN_DROPDOWN) has been dealt
// with and has closed, so that a painter that showed the button open can close it.
constexpr UINT ToolBarDropDownClosed = 0x1400;

using TTBCustomDrawEvent = TDelegate<void(TToolBar* sender, const TRect& rect, TCustomDrawStage stage, bool& defaultDraw)>;
using TTBCustomDrawBtnEvent =
    TDelegate<void(TToolBar* sender, TToolButton* button, TCustomDrawState state, bool& defaultDraw)>;

// One button of a toolbar. It lives as long as its toolbar holds it.
class TToolButton : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TToolButton(TComponent* owner);

    TToolBar* ToolBar() const noexcept { return FToolBar; }
    int Index() const;
    TToolButtonStyle Style() const noexcept { return FStyle; }
    const std::wstring& Caption() const noexcept { return FCaption; }
    void SetCaption(const std::wstring& value);
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    bool Down() const noexcept { return FDown; }
    void SetDown(bool value);
    // Redraws the button's rectangle of the toolbar now.
    void Repaint();

private:
    friend class TToolBar;
    void UpdateState() const;
    // Down as the window holds it: a click or TB_CHECKBUTTON changes the window alone.
    void ReadState();
    TToolBar* FToolBar = nullptr;
    TToolButtonStyle FStyle = tbsButton;
    std::wstring FCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    bool FDown = false;
    int FCommand = 0;
};

// A toolbar ("ToolbarWindow32", flat, with a custom-erase stage) laid out by the library: it
// never sizes or places itself. The custom-draw events let a painter take over the bar and its
// buttons; Canvas is bound to the system's DC while they run.
class TToolBar : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;

    int ButtonCount() const noexcept { return static_cast<int>(FButtons.size()); }
    // Raises EListError outside 0 .. ButtonCount()-1.
    TToolButton* Buttons(int index) const;
    // The button whose command identifier the toolbar reports, or nullptr.
    TToolButton* ButtonOfCommand(int command) const noexcept;
    TToolButton* AddButton(TToolButtonStyle style, const std::wstring& caption, int imageIndex = -1);
    // Frees the button; raises EListError outside 0 .. ButtonCount()-1.
    void DeleteButton(int index);

    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    bool ShowCaptions() const noexcept { return FShowCaptions; }
    void SetShowCaptions(bool value) { SetAndRecreate(FShowCaptions, value); }
    // Images left of the captions.
    bool List() const noexcept { return FList; }
    void SetList(bool value) { SetAndRecreate(FList, value); }
    int ButtonWidth() const;
    int ButtonHeight() const;
    void SetButtonSize(int width, int height);

    TCanvas& Canvas() noexcept { return FCanvas; }
    // Set while a drop-down menu of a button runs its loop.
    bool InMenuLoop = false;

    TTBCustomDrawEvent OnCustomDraw() const noexcept { return FOnCustomDraw; }
    void SetOnCustomDraw(TTBCustomDrawEvent handler) noexcept { FOnCustomDraw = handler; }
    TTBCustomDrawBtnEvent OnCustomDrawButton() const noexcept { return FOnCustomDrawButton; }
    void SetOnCustomDrawButton(TTBCustomDrawBtnEvent handler) noexcept { FOnCustomDrawButton = handler; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    void CNNotify(TMessage& m);
    void CNCommand(TMessage& m);

private:
    friend class TToolButton;
    void WriteButton(int index) const;
    void SendImages() const;
    LRESULT CustomDraw(NMCUSTOMDRAW& draw);

    std::vector<TToolButton*> FButtons;
    TCanvas FCanvas;
    TCustomImageList* FImages = nullptr;
    bool FShowCaptions = false;
    bool FList = false;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    int FNextCommand = 1;
    TTBCustomDrawEvent FOnCustomDraw;
    TTBCustomDrawBtnEvent FOnCustomDrawButton;
};

// ---------------------------------------------------------------------------------------------
class TStatusBar;

class TStatusPanel {
public:
    const std::wstring& Text() const noexcept { return FText; }
    void SetText(const std::wstring& value);
    int Width() const noexcept { return FWidth; }
    void SetWidth(int value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);

private:
    friend class TStatusBar;
    explicit TStatusPanel(TStatusBar& bar) noexcept : FBar(bar) {}
    TStatusBar& FBar;
    std::wstring FText;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
};

// A status bar ("msctls_statusbar32") placed by the library: its panels side by side, the last
// one taking what is left, or one simple text over the whole bar.
class TStatusBar : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TStatusBar(TComponent* owner);

    int PanelCount() const noexcept { return static_cast<int>(FPanels.size()); }
    // Raises EListError outside 0 .. PanelCount()-1.
    TStatusPanel& Panels(int index) const;
    TStatusPanel& AddPanel(const std::wstring& text, int width);
    void DeletePanel(int index);

    const std::wstring& SimpleText() const noexcept { return FSimpleText; }
    void SetSimpleText(const std::wstring& value);
    bool SimplePanel() const noexcept { return FSimplePanel; }
    void SetSimplePanel(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;

private:
    friend class TStatusPanel;
    void WriteParts() const;

    std::vector<std::unique_ptr<TStatusPanel>> FPanels;
    std::wstring FSimpleText;
    bool FSimplePanel = false;
};

// ---------------------------------------------------------------------------------------------
// The system's up-down control ("msctls_updown32"): two arrow buttons that step a position
// between Min and Max.
enum TUDOrientation { udHorizontal, udVertical };
template <>
struct ks::EnumTraits<TUDOrientation> {
    static constexpr const char* Names[] = {"udHorizontal", "udVertical"};
};

class TCustomUpDown : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomUpDown(TComponent* owner);

    // Changing it makes a new window.
    TUDOrientation Orientation() const noexcept { return FOrientation; }
    void SetOrientation(TUDOrientation value) { SetAndRecreate(FOrientation, value); }
    int Min() const noexcept { return FMin; }
    void SetMin(int value);
    int Max() const noexcept { return FMax; }
    void SetMax(int value);
    // As the window has it (the buttons move it).
    int Position();
    void SetPosition(int value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    TUDOrientation FOrientation = udVertical;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
};

class TUpDown : public TCustomUpDown {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomUpDown::TCustomUpDown;
};

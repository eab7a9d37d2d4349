#pragma once
// The adapters between the base adapter and those of list-like controls: TacScrollWnd gives any
// window skinned non-client scroll bars (forms and frames use it on its own), TacBaseWnd adds
// frame repainting after size, scroll and enable changes, and TacEditWnd skins edit-like
// controls (edit, memo, list box and the foreign controls dialogs hand to it): it paints the
// section into the non-client frame, keeps the control's colours in step with the skin and
// answers the skin commands a skinned control answers.

#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/adapters/acSBUtils.h"

#include <memory>

class TacScrollWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacScrollWnd"; }
    using TacMainWnd::TacMainWnd;
    ~TacScrollWnd() override;

    void AdapterWndProc(TMessage& message) override;
    // Whether the window holds the mouse of its own whenever a press on its bars ends, so that
    // the end of the press leaves the mouse with it and its own handling out of it.
    virtual bool HoldsMouseAcrossPress() const { return false; }

    std::unique_ptr<TacScrollBar> HBar;
    std::unique_ptr<TacScrollBar> VBar;
    // A slider drag is in progress.
    bool ThumbTracking = false;
    // WS_EX_LEFTSCROLLBAR: the vertical bar is on the left, of the frame's rectangle.
    bool LeftScrollBar = false;
    // The frame's rectangle at WM_NCCALCSIZE counts x from the right, as the client area of a
    // parent laid out right to left does: its left side shows at the screen's right.
    bool FrameMirrored = false;
    // The window itself is laid out right to left (WS_EX_LAYOUTRTL): the platform shows its
    // vertical bar at the screen's left and runs its horizontal bar from the right.
    bool LayoutMirrored = false;
    // The window's own frame widths, measured at WM_NCCALCSIZE, by the screen's sides.
    int BorderLeft = 0;
    int BorderRight = 0;
    int BorderTop = 0;
    int BorderBottom = 0;
    // The scroll styles are off for a frame computation (or colours are being applied): style
    // changes are not tracked meanwhile.
    bool StylesHidden = false;

protected:
    void InstallHook(bool repaint) override;
    void Detached() override;
    // The handling of this class, which descendants call for what they pass on.
    void ScrollWndProc(TMessage& message);

    // A message answered with result and not passed on.
    static bool Handled(TMessage& m, LRESULT result);

private:
    // The window's scroll state differs from the bars' as last drawn.
    bool BarsMoved() const;
    // The handlers of ScrollWndProc; those returning bool tell whether the message was consumed.
    void WMDestroy(TMessage& m);
    void ScrollSkinCommand(ks::SkinCommandView view);
    void UnskinnedCommand(ks::SkinCommandView view);
    void BackgroundColorCommand(ks::SkinCommandView view);
    void BackgroundInfoCommand(ks::SkinCommandView view);
    void NewSkinCommand(ks::SkinCommandView view);
    void RemoveSkinCommand(ks::SkinCommandView view);
    void RefreshCommand(ks::SkinCommandView view);
    void ParentUpdatedCommand();
    bool BarMessage(TMessage& m);
    bool NcLeftButton(TMessage& m);
    bool NcOtherButton(TMessage& m);
    bool OnBar(const TMessage& m) const;
    bool WMSysCommand(TWMSysCommand view);
    bool WMTimer(TMessage& m);
    bool WMNCPaint(TMessage& m);
    bool WMStyleChanging(TMessage& m);
    bool WMStyleChanged(TMessage& m);
    bool CancelPress(TMessage& m);
    bool CMUIActivate(TMessage& m);
    void PassOn(TMessage& m);
};

class TacBaseWnd : public TacScrollWnd {
public:
    const char* ClassName() const noexcept override { return "TacBaseWnd"; }
    using TacScrollWnd::TacScrollWnd;

    void AdapterWndProc(TMessage& message) override;

protected:
    void BaseWndProc(TMessage& message);
    void RefreshBarsUnlessScrolling();
    void RepaintFrame();

private:
    // Skin commands answered before the scroll-window handling; true when consumed.
    bool BaseSkinCommand(ks::SkinCommandView view);
    bool RefreshCommand(ks::SkinCommandView view);
    void AfterScrollWindow(const TMessage& m);
};

class TacEditWnd : public TacBaseWnd {
public:
    const char* ClassName() const noexcept override { return "TacEditWnd"; }
    // The section is always set: to section, or "EDIT" when it is empty.
    TacEditWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void SaveControlColors() override;
    void RestoreControlColors() override;
    void ApplySkinColors() override;
    void AdapterWndProc(TMessage& message) override;

    // The colour chosen for a window without owner control.
    TColor WndColor = clWindow;
    // The control's "FocusColor" before skinning.
    TColor SavedFocusColor = clNone;

protected:
    bool ReadsTextOnAttach() const override { return false; }
    void InstallHook(bool repaint) override;
    // The section and its border into the cache bitmap when the background changed, the skin's
    // colours given to the control first when they were not yet; the geometry is read anew.
    void RebuildCache();
    // The cache's frame strips, FrameBand() wide, and the scroll bars (hotPart pressed) into dc,
    // which covers the whole window.
    void PaintFrame(HDC dc, int hotPart);
    // The band of the cache copied over the window's edge: the window's own frame, and inside it
    // the flat border a platform edit draws in its client area.
    int FrameBand() const;
    // Where the client area starts in the window: past the frame and, with the vertical bar on
    // the left, past the bar. A print into the window's DC moves its origin by this.
    TPoint ClientOffset() const;

private:
    void PrintWindowTo(TMessage& m);
    // The part of the frame band inside the client area, from the cache into dc (covering the
    // whole window), once the platform has painted its client there.
    void CoverClientBorder(HDC dc);
    // The dispatchers and their handlers; those returning bool tell whether the message was
    // consumed.
    bool EditMessage(TMessage& m);
    bool WMNCPaint(TMessage& m);
    bool WMPaint(TMessage& m);
    bool WMEraseBkgnd(TMessage& m);
    bool CMFontChanged(TMessage& m);
    bool EditSkinCommand(ks::SkinCommandView view);
    bool PrepareCacheCommand();
    bool EditRefreshCommand(ks::SkinCommandView view);
    bool EditParentUpdatedCommand(ks::SkinCommandView view);
    // What follows the window's handling of a message the edit did not consume.
    void FollowUp(const TMessage& m);
    void RedrawFrame();
    void HoverChange(bool entered);
    void FocusChange(bool focused);
    void WMMouseMove();
};

// Attach or free the scroll-window (or edit) adapter of the skin data's owner control as the
// skin state says: attached while the skin is active, freed when not. InitScrollHandler does
// nothing while the owner loads or is destroyed and switches the platform's flat scroll bars off
// and on around the adapter.
void InitScrollHandler(TsCommonData* skinData, TacMainWnd*& handler);
void InitEditHandler(TsCommonData* skinData, TacMainWnd*& handler);

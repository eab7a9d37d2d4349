#pragma once
// Adapters of tab controls ("SysTabControl32") and the pages inside them. The tab-control
// adapter paints the tab strip over what the parent shows behind it, every tab from the skin's
// tab sections (button sections for button styles) with its text and image, the page area from
// the page section of the tabs' side, and the selected tab last over the page's edge. The
// page-control adapter does the same for a control whose pages are child windows and gives
// every page a page adapter, which shows the tab control's page area through the page. The page
// adapters belong to the page-control adapter and go with it.
#include "skin/adapters/TabGeometry.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "vcl/Bitmap.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"

#include <commctrl.h>

#include <string>
#include <vector>

class TacPageWnd;
class TacSpinWnd;

// The font vertical tab texts are written in: base turned to run upwards (left tabs) or
// downwards (right tabs), of normal weight, "MS Sans Serif" replaced by "Arial", which turns.
LOGFONTW RotatedTabFont(const LOGFONTW& base, bool left) noexcept;

class TacTabControlWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacTabControlWnd"; }
    // The section is "PAGECONTROL" when the creator names none.
    TacTabControlWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);
    // Frees the adapter of the up-down that scrolls the tabs.
    ~TacTabControlWnd() override;

    void AdapterWndProc(TMessage& message) override;
    // The adapter of the up-down that scrolls the tabs while the control is skinned and has one
    // ("UPDOWNBTN"); nullptr otherwise.
    TacSpinWnd* UpDownAdapter() const noexcept { return FUpDown; }
    // Attaches, keeps or frees that adapter as the control's skin and children now are.
    void RefreshUpDown();
    // The display rectangle of the control's pages (window coordinates), 2 pixels lower.
    virtual TRect PageRect();
    // The strip the tabs stand in; the whole control without tabs.
    virtual TRect TabsRect();
    // Where tab index is painted; empty for an index that is no tab, or without a selection.
    TRect TabRect(int index, bool selected);
    int TabRow(int index);

    ks::adapters::TabSide Side() const;
    ks::adapters::TabLook Look() const;
    int TabCount() const;
    int SelectedTab() const;
    // The window as it looks, into dc (the window's own DC when nullptr).
    void PaintWindow(HDC dc);

protected:
    bool Skinned() const;
    // The section the page area takes: the tabs' side variant of "PAGECONTROL", the adapter's own
    // section, or "CHECKBOX" without tabs.
    int PageSectionIndex(std::string& name) const;
    void PaintTabStrip(TBitmap& cache, const CacheInfo& background);
    // One tab in state (0 normal, 2 selected) onto target, offset from the window's origin.
    void PaintTab(int index, int state, TBitmap& target, TPoint offset);

    // The whole window into the message's DC, answered with result.
    bool WMEraseBkgnd(TWMEraseBkgnd view, LRESULT result);

private:
    // The dispatchers and their handlers: each returns whether the message was consumed.
    bool SkinCommand(ks::SkinCommandView view);
    bool SkinnedMessage(TMessage& message);
    bool NewSkinCommand(ks::SkinCommandView view);
    bool RemoveSkinCommand(ks::SkinCommandView view);
    bool RefreshCommand(ks::SkinCommandView view);
    bool BackgroundInfoCommand(TMessage& message);
    bool WMPaint(TWMPaint view);
    bool WMPrint(TWMPrint view);
    // What a skinned control does once the inherited handling has run.
    void AfterInherited(TMessage& message);
    void PaintTabText(TCanvas& canvas, const std::wstring& text, TRect r, int state, int textSection,
                      HIMAGELIST images, int image);
    HIMAGELIST ImagesOf();

    TSize FPaintedSize{0, 0};
    TacSpinWnd* FUpDown = nullptr;
};

class TacPageControlWnd : public TacTabControlWnd {
public:
    const char* ClassName() const noexcept override { return "TacPageControlWnd"; }
    using TacTabControlWnd::TacTabControlWnd;
    ~TacPageControlWnd() override;

    void AdapterWndProc(TMessage& message) override;
    // Gives every page that is not skinned yet its page adapter.
    void AdaptPages();
    // The page adapters this adapter holds.
    const std::vector<TacPageWnd*>& PageAdapters() const noexcept { return FPages; }

protected:
    void InstallHook(bool repaint) override;

private:
    // The dispatcher of a skinned control and its handlers: each returns whether the message was
    // consumed.
    bool PageControlMessage(TMessage& message);
    bool WMNCPaint(TWMPaint view);
    bool WMParentNotify(TWMParentNotify view);
    bool SetCurSel();

    std::vector<TacPageWnd*> FPages;
};

class TacPageWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacPageWnd"; }
    TacPageWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void AdapterWndProc(TMessage& message) override;
    // What the tab control shows behind the page, into dc.
    void PaintBackground(HDC dc);

private:
    // The dispatchers and their handlers: each returns whether the message was consumed.
    bool SkinCommand(ks::SkinCommandView view);
    bool SkinnedMessage(TMessage& message);
    bool NewSkinCommand(ks::SkinCommandView view);
    bool BackgroundInfoCommand(ks::SkinCommandView view);
    bool WMEraseBkgnd(TWMEraseBkgnd view);
    bool WMPrint(TWMPrint view);
};

#pragma once
// Adapters of windows that show a text, an image or a plain area: static texts, static icons
// and bitmaps, link labels, the size grip, see-through dialog areas and the class library's
// panels. Each paints from its skin data's section into the cache bitmap and copies that to
// the window; what it does not handle goes to TacMainWnd. The section is the creator's, except
// for a panel, whose bevels choose it when the creator names none.
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sMessages.h"
#include "vcl/Messages.h"
#include "vcl/Bitmap.h"

#include <string>

// Static texts: the text is painted over the section in the erase-background step. A static
// that takes the focus (WS_TABSTOP) or has a static edge is left to the inherited handling.
class TacStaticWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacStaticWnd"; }
    using TacMainWnd::TacMainWnd;

    void AdapterWndProc(TMessage& message) override;
    // The content over the cache bitmap, which holds the background already.
    virtual void PaintText(TBitmap& cache);

protected:
    // The whole window into dc (the window's own DC when nullptr).
    void PaintInto(HDC dc);
    // Taken over only without WS_TABSTOP and WS_EX_STATICEDGE.
    bool Handles() const;
    void Redraw();
    // The messages a skinned static handles itself; false for those that go on to TacMainWnd.
    bool StaticMessage(TMessage& message);

private:
    // Each handler returns whether the message was consumed.
    bool WMEraseBkgnd(TWMEraseBkgnd view);
    bool WMPaint(TWMPaint view);
    // WM_MOVE and WM_ENABLE: the platform's handling, then the picture made again.
    bool RedrawAfter(TMessage& message);
    bool WMSetText(TMessage& message);
    bool WMPrint(TWMPrint view);
};

// Static icons and bitmaps: the image the static shows (asked anew at every paint; the static
// keeps it) at the top-left corner instead of a text.
class TacIconWnd : public TacStaticWnd {
public:
    const char* ClassName() const noexcept override { return "TacIconWnd"; }
    using TacStaticWnd::TacStaticWnd;

    void PaintText(TBitmap& cache) override;
};

// Link labels: the text without its upper-case anchor tags in the system's message font,
// underlined.
class TacLinkWnd : public TacStaticWnd {
public:
    const char* ClassName() const noexcept override { return "TacLinkWnd"; }
    using TacStaticWnd::TacStaticWnd;

    void AdapterWndProc(TMessage& message) override;
    void PaintText(TBitmap& cache) override;
};

// The size grip: the skin's GRIPIMAGE at the bottom-right corner over what the parent shows
// behind the grip; every hit test answers HTBOTTOMRIGHT.
class TacSizerWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacSizerWnd"; }
    using TacMainWnd::TacMainWnd;

    void AdapterWndProc(TMessage& message) override;

private:
    void WMPaint(TWMPaint view);
    void Paint();
};

// See-through dialog areas: the background the parent shows, around the child windows.
class TacTransPanelWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacTransPanelWnd"; }
    using TacMainWnd::TacMainWnd;

    void AdapterWndProc(TMessage& message) override;
    virtual void Paint();

private:
    void WMEraseBkgnd(TWMEraseBkgnd view);
};

// The class library's panels (TCustomPanel): the section under the caption, centred; the frame
// of a bordered panel copied into its non-client area. Acts only for a panel that holds
// controls; anything else is inherited.
class TacPanelWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacPanelWnd"; }
    TacPanelWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void AdapterWndProc(TMessage& message) override;
    virtual void PrepareCache();

private:
    // The dispatchers of a panel that holds controls, and their handlers: each returns whether
    // the message was consumed.
    bool SkinCommand(ks::SkinCommandView view);
    bool SkinnedMessage(TMessage& message);
    bool Broadcast(ks::SkinCommandView view);
    bool RemoveSkinCommand();
    bool ParentUpdatedCommand();
    bool WMNCPaint(TWMPaint view);
    bool WMSetText(TMessage& message);
    bool WMPaint(TWMPaint view);
    bool WMEraseBkgnd(TWMEraseBkgnd view);
    bool WMParentNotify(TWMParentNotify view);
    bool WMPrint(TWMPrint view);
    // dcIsWindow: dc's origin is the window's (WM_PRINT, the window DC), else its client area's.
    void PaintClient(HDC dc, bool dcIsWindow);
    void PaintFrame(HDC dc);
};

// Panels inside standard dialogs: a skinned band 6 pixels wide inside the window's edge, the
// panel painting its own content inside the band. A class-library TPanel behind the window
// takes the skin's global colour and the section "CHECKBOX"; anything else is "GROUPBOX".
class TacDlgPanelWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacDlgPanelWnd"; }
    TacDlgPanelWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void ApplySkinColors() override;
    void AdapterWndProc(TMessage& message) override;
    virtual void PrepareCache();

    // The class-library control found for the window at construction, or nullptr.
    TWinControl* Control() const noexcept { return FControl; }

private:
    // The dispatcher and its handlers: each returns whether the message was consumed.
    bool SkinnedMessage(TMessage& message);
    bool SkinCommand(ks::SkinCommandView view);
    bool WMSetText();
    bool WMPaint(TWMPaint view);
    bool WMEraseBkgnd(TWMEraseBkgnd view);
    bool WMNCPaint(TWMPaint view);
    bool WMParentNotify(TWMParentNotify view);
    bool WMPrint(TWMPrint view);
    bool WMThemeChanged();
    void PaintClient(HDC dc, bool dcIsWindow);
    void PaintFrame(HDC dc);
    void KeepGlobalColour();

    TWinControl* FControl = nullptr;
};

// A standard dialog frames the place of a hidden static inside one of its group boxes itself,
// sunken, as the font dialog does around its sample: that frame becomes the skin's edit frame
// once the dialog has painted. dc is the dialog's client DC.
void FrameDialogPlaceholders(HWND dialog, HDC dc, TsSkinManager& manager);

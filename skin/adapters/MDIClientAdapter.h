#pragma once
// The adapter of a skinned MDI form's client window. TacMDIWnd paints the client area from the
// form provider's cache (where the form's frame painting drew the "MDIAREA" section) or in the
// form's background colour, frames it with the 2-pixel edge of the cache, gives it skinned scroll
// bars with its redraw held during each scroll step, and refreshes the form's frame after the
// MDI arrangement and menu messages. The MDI form support (sMDIForm.h) makes and frees it.

#include "skin/adapters/ScrollWindowAdapters.h"

class TCustomForm;
class TsSkinProvider;

class TacMDIWnd : public TacBaseWnd {
public:
    const char* ClassName() const noexcept override { return "TacMDIWnd"; }
    using TacBaseWnd::TacBaseWnd;
    ~TacMDIWnd() override;

    void AdapterWndProc(TMessage& message) override;

    // The client area onto dc (in the client's client coordinates).
    void PaintMDIArea(HDC dc, bool printing);
    // The client's 2-pixel edge onto dc (in the client's window coordinates).
    void PaintMDIFrame(HDC dc);

    // Set by the MDI form support; none is owned.
    TCustomForm* Form = nullptr;
    TsCommonData* FormSkinData = nullptr;
    TsSkinProvider* Provider = nullptr;

protected:
    void Detached() override;

private:
    // The form is skinned and the adapter still has its form and provider.
    bool FormSkinned() const;
    bool ActiveChildMaximized() const;
    // Where the client window's top-left corner lies in the provider's cache bitmap.
    TPoint OffsetInCache() const;
    // Whether the area comes from the cache ("MDIAREA" section or a parent cache) or is a fill.
    bool AreaFromCache() const;
    void SuspendRedraw();
    void ResumeRedraw();

    bool WMNCPaint(TMessage& m);
    bool WMEraseBkgnd(TMessage& m);
    bool WMPrint(TMessage& m);
    void AfterArrange();
    void AfterSetMenu();
    void AfterDefault(const TMessage& m);
    void AfterScroll(const TMessage& m);
    bool ScrollWhileSuspended(TMessage& m);
    void ScrollStylesChanged();

    // WM_SETREDRAW 0 was sent for a scroll step and not yet undone.
    bool FRedrawSuspended = false;
};

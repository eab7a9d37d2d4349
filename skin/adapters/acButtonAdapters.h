#pragma once
// Adapters of the system's BUTTON windows (and of foreign controls the skin manager's class
// lists give them): push buttons, push buttons with a bitmap, check boxes and radio buttons,
// and group boxes, painted entirely from the skin. Each builds the window's whole image in its
// skin data's cache bitmap and copies it to the window in one piece; state changes reach the
// button's own procedure with the window's redraw switched off, so the platform control never
// paints over the skin. Whatever an adapter does not handle goes to TacMainWnd.
//
// Painting takes the device context a message brings (WM_PRINT, or WM_PAINT with a DC in
// WParam) and only otherwise the window's own; BeginPaint runs only for a real WM_PAINT.
#include "skin/adapters/acSBUtils.h"
#include "vcl/Bitmap.h"
#include "vcl/Graphics.h"

#include <string>

// Push buttons, section "BUTTON" unless the creator names one.
class TacBtnWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacBtnWnd"; }
    TacBtnWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void AdapterWndProc(TMessage& message) override;

    // 0 normal, 1 hot, focused or default, 2 pressed (all glows then go).
    int ButtonState();

    // ---- painting steps, each over the cache canvas
    virtual void PaintCaption(TBitmap& cache, int state);
    virtual void DrawGlyph(TBitmap& cache, int state);
    virtual TSize GlyphSize();
    virtual void DrawCaptionText(TCanvas& canvas, TRect& r, UINT flags, int state);
    virtual TRect CaptionRect(TCanvas& canvas, int state);
    virtual int MaxCaptionWidth();
    virtual TSize CaptionExtent(TCanvas& canvas);
    // The whole button into the cache bitmap.
    virtual void PrepareCache();

protected:
    bool Pushed();
    // WM_PAINT or the print form of it: the cache rebuilt and copied to the target.
    void Paint(HDC given);
    // The message of a visible button through the inherited handling with redraw off, then a
    // repaint; false (not consumed) for a hidden one.
    bool ChangeState(TMessage& m);
    void HotEnter(TMessage& m);
    void HotLeave(TMessage& m);
    // After the inherited handling of a mouse move: the button lit while the mouse is over it and
    // told of its leave from the move that brought it in, else put out.
    void TrackMouse(bool wasHot);

private:
    // The dispatchers and their handlers: each returns whether the message was consumed.
    bool SkinnedMessage(TMessage& m);
    bool SkinCommand(ks::SkinCommandView view);
    bool ParentUpdatedCommand();
    bool WMMove();
    bool FocusChange(TMessage& m, bool gained);
    bool WMPaint(TWMPaint view);
    bool BMSetState(TMessage& m);
    bool WMPrint(TWMPrint view);
};

class TBitBtn;

// Push buttons that show a glyph. A class-library bit button gives its Glyph (NumGlyphs state
// cells, or one 32-bit cell with alpha), Layout, Margin and Spacing; a bare BS_BITMAP button the
// bitmap BM_GETIMAGE answers, left of the caption. The button keeps the picture; the adapter
// only draws it.
class TacBitBtnWnd : public TacBtnWnd {
public:
    const char* ClassName() const noexcept override { return "TacBitBtnWnd"; }
    using TacBtnWnd::TacBtnWnd;

    void DrawGlyph(TBitmap& cache, int state) override;
    TSize GlyphSize() override;
    TRect CaptionRect(TCanvas& canvas, int state) override;
    int MaxCaptionWidth() override;

private:
    // The owner control as a bit button; nullptr for a bare window or another class.
    TBitBtn* BitButton() const;
    void DrawOwnerGlyph(TBitBtn& button, TBitmap& cache, int state);
};

// Check boxes and radio buttons, section "CHECKBOX" unless the creator names one. The check
// glyph is the skin's GLOBALINFO image for the button type and check state.
class TacCheckBoxWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacCheckBoxWnd"; }
    TacCheckBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void AdapterWndProc(TMessage& message) override;

    // The whole box for the window style given (read once per paint) into the cache bitmap.
    void PrepareCache(DWORD style);

private:
    // The dispatchers and their handlers: each returns whether the message was consumed.
    bool SkinnedMessage(TMessage& m);
    bool SkinCommand(ks::SkinCommandView view);
    bool WMPaint(TWMPaint view);
    bool RepaintAfter(TMessage& m);
    // What follows the platform's handling of a message the box did not consume.
    void AfterPlatform(TMessage& m);
    void WMKeyDown(TWMKey view);
    void WMNCHitTest();
    void Paint(HDC given);
};

// Group boxes, section "GROUPBOX" unless the creator names one: the section below the middle of
// the caption band, the caption in the band over the parent's background. In a standard dialog
// (DlgMode) only the frame and the caption band are painted, never the platform's own.
class TacGroupBoxWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacGroupBoxWnd"; }
    TacGroupBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);

    void AdapterWndProc(TMessage& message) override;

    // The caption band measured in the cache canvas's font.
    TRect CaptionBand();
    void PrepareCache();

private:
    // The dispatchers and their handlers: each returns whether the message was consumed.
    bool SkinnedMessage(TMessage& m);
    bool SkinCommand(ks::SkinCommandView view);
    bool RemoveSkinCommand();
    bool CaptionHeightCommand(ks::SkinCommandView view);
    bool WMParentNotify(TWMParentNotify view);
    bool WMSetText(TMessage& m);
    bool WMPaint(TWMPaint view);
    bool WMNCPaint(TWMPaint view);
    bool WMPrint(TWMPrint view);
    bool WMEraseBkgnd(TWMEraseBkgnd view);
    void Paint(HDC given, bool frameOnly);
};

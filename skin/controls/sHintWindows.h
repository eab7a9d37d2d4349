#pragma once
// The skinned hint windows the hint manager (sHintManager.h) gives the application: a rectangle,
// a rounded rectangle with a pointer, an ellipse with a pointer and an ellipse with a trail of
// small circles. A window measures its text, places itself at the anchor corner inside the
// work area, composes body, border, text or frame and shadow off-screen, and shows them as a
// layered window that fades in, or as a top-most popup over a copy of the screen where layered
// windows are not available. It draws from the manager's skin section or from its HintKind;
// without an active manager it shows nothing.

#include "skin/controls/sHintManager.h"
#include "vcl/Hints.h"
#include "vcl/Messages.h"

#include <memory>

namespace ks {
class SkinCommandView;
}

class TsCustomHintWindow : public THintWindow {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsCustomHintWindow(TComponent* owner);
    ~TsCustomHintWindow() override;

    TRect CalcHintRect(int maxWidth, const std::wstring& hint, void* data) override;
    void ActivateHint(TRect rect, const std::wstring& hint) override;

    // Where the hint's corner goes: the manager's HintPos when it has one, else the cursor.
    virtual TPoint MouseAnchor();
    // Draws the shadow into bmp (nullptr: the manager's HintBitmap), white where there is none.
    virtual void PaintShadow(TBitmap* bmp);
    // The part of the window the body covers.
    virtual TRect BodyRect();
    // A 24-bit mask of the window's size: white outside the shape, dark inside.
    virtual std::unique_ptr<TBitmap> BuildShapeMask();
    virtual std::unique_ptr<TBitmap> BuildBodyImage();
    virtual void PaintBodyFill(TBitmap& bmp, const TRect& r);
    virtual void PaintBorder(TBitmap& bmp);
    // The text, or the frame waiting to be shown.
    virtual void PaintBody(TBitmap& bmp);

    // Width of side (0 left, 1 top, 2 right, 3 bottom) of the skin's border image.
    int BorderWidthOf(int side) const;
    // Rebuilds ShapeMask and, when drawing from the skin, the window region.
    void UpdateRegion();
    // Composes LayeredImage: body inside the shape, shadow outside it.
    void PrepareLayeredImage();

    // Used instead of MouseAnchor when both coordinates are non-zero.
    TPoint AnchorOverride{0, 0};
    int SkinIndex = -1;
    int BorderIndex = -1;
    int TextureIndex = -1;
    // The window region while drawing from the skin; owned by the system once set.
    HRGN Region = nullptr;
    int ExtraWidth = 0;
    int ExtraHeight = 0;
    TsMousePosition MousePos = mpLeftTop;
    std::unique_ptr<TBitmap> BodyImage;
    std::unique_ptr<TBitmap> ShapeMask;
    std::unique_ptr<TBitmap> ScreenBackground;
    std::unique_ptr<TBitmap> LayeredImage;
    // The constant alpha of the last UpdateLayeredWindow.
    BYTE SourceConstantAlpha = 255;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void WndProc(TMessage& message) override;

    // The shape this class draws.
    virtual TsHintStyle Shape() const noexcept { return hsSimply; }
    bool Skinned() const;
    int ShadowSize() const;
    bool PointerBelow() const noexcept { return MousePos == mpLeftBottom || MousePos == mpRightBottom; }
    bool PointerRight() const noexcept { return MousePos == mpRightTop || MousePos == mpRightBottom; }
    // Fills the figure of the shape (body and pointer or trail), moved by offset and shrunk by
    // inset on every side, with the canvas's brush.
    virtual void DrawFigure(TCanvas& canvas, TPoint offset, int inset);

private:
    void WMNCPaint(TWMPaint view);
    void LookUpSkinIndexes();
    void SkinCommand(ks::SkinCommandView view);
    void IsBgComplexCommand(ks::SkinCommandView view);
    void BackgroundInfoCommand(ks::SkinCommandView view);
    void ShowLayered(int w, int h);
    void ShowOverScreen(const TRect& r);
    void UpdateLayered(HDC screen, int w, int h, BYTE alpha);
    void PaintShapedShadow(TBitmap& bmp);
};

class TsSimplyHintWindow : public TsCustomHintWindow {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TsCustomHintWindow::TsCustomHintWindow;

    TPoint MouseAnchor() override;
    std::unique_ptr<TBitmap> BuildShapeMask() override;
    void PaintBorder(TBitmap& bmp) override;
    void PaintShadow(TBitmap* bmp) override;
};

class TsComicsHintWindow : public TsCustomHintWindow {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TsCustomHintWindow::TsCustomHintWindow;

protected:
    TsHintStyle Shape() const noexcept override { return hsComics; }
};

class TsEllipseHintWindow : public TsCustomHintWindow {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TsCustomHintWindow::TsCustomHintWindow;

    TRect BodyRect() override;

protected:
    TsHintStyle Shape() const noexcept override { return hsEllipse; }
};

class TsBalloonHintWindow : public TsCustomHintWindow {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    explicit TsBalloonHintWindow(TComponent* owner);

    // The number of trail ellipses and the divisor of their size.
    int TrailCount = 0;
    int TrailDivisor = 0;

protected:
    TsHintStyle Shape() const noexcept override { return hsBalloon; }
    void DrawFigure(TCanvas& canvas, TPoint offset, int inset) override;
};

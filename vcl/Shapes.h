#pragma once
// Two windowless picture controls: TShape (a rectangle, square, rounded or elliptic figure
// drawn with its own pen and brush, hatched brushes included) and TImage (a picture of any
// registered format, drawn as it is, centred or stretched).

#include "vcl/Controls.h"
#include "vcl/Graphics.h"

#include <memory>

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TShape(TComponent* owner);

    TShapeType Shape() const noexcept { return FShape; }
    void SetShape(TShapeType value);
    TBrush* Brush() const noexcept { return FBrush.get(); }
    TPen* Pen() const noexcept { return FPen.get(); }

protected:
    void Paint() override;

private:
    void StyleChanged(TObject* sender);

    TShapeType FShape = stRectangle;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
};

class TImage : public TGraphicControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TImage(TComponent* owner);

    TPicture* Picture() const noexcept { return FPicture.get(); }
    // Fills the control, whatever the picture's proportions.
    bool Stretch() const noexcept { return FStretch; }
    void SetStretch(bool value);
    // In the middle of the control rather than at its top-left corner (when not stretched).
    bool Center() const noexcept { return FCenter; }
    void SetCenter(bool value);
    // The picture's transparent parts show what lies behind the control.
    bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool value);

    // Where the picture is drawn, in client coordinates.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged(TObject* sender);

    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
};

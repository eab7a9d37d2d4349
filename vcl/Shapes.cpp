#include "vcl/Shapes.h"

#include "vcl/TypInfo.h"

#include <algorithm>

template <>
struct ks::EnumTraits<TShapeType> {
    static constexpr const char* Names[] = {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"};
};

namespace {
const ks::PropertyInfo ShapeProps[] = {
    ks::Prop<&TShape::Brush>("Brush"),
    ks::Prop<&TShape::Pen>("Pen"),
    ks::Prop<&TShape::Shape, &TShape::SetShape>("Shape").DefaultIs(stRectangle),
};
const ks::PropertyInfo ImageProps[] = {
    ks::Prop<&TImage::Center, &TImage::SetCenter>("Center").DefaultIs(false),
    ks::Prop<&TImage::Picture>("Picture"),
    ks::Prop<&TImage::Stretch, &TImage::SetStretch>("Stretch").DefaultIs(false),
    ks::Prop<&TImage::Transparent, &TImage::SetTransparent>("Transparent").DefaultIs(false),
};
} // namespace

const ks::ClassInfo TShape::StaticClassInfo{"TShape", &TGraphicControl::StaticClassInfo, ShapeProps, {}};
const ks::ClassInfo TImage::StaticClassInfo{"TImage", &TGraphicControl::StaticClassInfo, ImageProps, {}};
const ks::ClassInfo& TShape::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TImage::ClassInfo() const noexcept { return StaticClassInfo; }

// ---------------------------------------------------------------------------------------------
TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>())
{
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 65, 65);
    FBrush->SetOnChange(TNotifyEvent(this, &TShape::StyleChanged));
    FPen->SetOnChange(TNotifyEvent(this, &TShape::StyleChanged));
}

void TShape::StyleChanged(TObject*)
{
    Invalidate();
}

void TShape::SetShape(TShapeType value)
{
    if (value == FShape)
        return;
    FShape = value;
    Invalidate();
}

void TShape::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Pen().Assign(FPen.get());
    canvas.Brush().Assign(FBrush.get());
    // The pen is centred on the outline, so the figure is inset by half its width to stay
    // inside the control.
    int penWidth = FPen->Style() == psClear ? 0 : FPen->Width();
    int x = penWidth / 2;
    int y = x;
    int w = Width() - penWidth + 1;
    int h = Height() - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    int s = std::min(w, h);
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = s;
        h = s;
    }
    switch (FShape) {
    case stRectangle:
    case stSquare:
        canvas.Rectangle(x, y, x + w, y + h);
        break;
    case stRoundRect:
    case stRoundSquare:
        canvas.RoundRect(x, y, x + w, y + h, s / 4, s / 4);
        break;
    case stEllipse:
    case stCircle:
        canvas.Ellipse(x, y, x + w, y + h);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>())
{
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 105, 105);
    FPicture->SetOnChange(TNotifyEvent(this, &TImage::PictureChanged));
}

void TImage::PictureChanged(TObject*)
{
    if (TGraphic* graphic = FPicture->Graphic())
        graphic->SetTransparent(FTransparent);
    Invalidate();
}

void TImage::SetStretch(bool value)
{
    if (value == FStretch)
        return;
    FStretch = value;
    Invalidate();
}

void TImage::SetCenter(bool value)
{
    if (value == FCenter)
        return;
    FCenter = value;
    Invalidate();
}

void TImage::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    PictureChanged(this);
}

TRect TImage::DestRect() const
{
    if (FStretch)
        return {0, 0, Width(), Height()};
    int w = FPicture->Width();
    int h = FPicture->Height();
    if (FCenter) {
        int x = (Width() - w) / 2;
        int y = (Height() - h) / 2;
        return {x, y, x + w, y + h};
    }
    return {0, 0, w, h};
}

void TImage::Paint()
{
    const TGraphic* graphic = FPicture->Graphic();
    if (!graphic || graphic->Empty())
        return;
    Canvas().StretchDraw(DestRect(), *graphic);
}

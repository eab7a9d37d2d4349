#pragma once
// What the skin core's show animations read of the form skinning that is built on top of it:
// the form provider, the layered border window around a skinned form or dialog, and the adapter
// of a skinned standard dialog. Those classes derive from these interfaces (the provider also
// from ks::LockableFormProvider of the redraw lock, sStyleSimply.h); the core never includes
// them. A provider is found as the form's answer to SKC_GET_PROVIDER (ProviderComponentOf,
// sStyleSimply.h); border forms and dialog adapters are handed to the animations by their owners.
//
// Regions come back owned by the caller, who hands them to SetWindowRgn (which takes them).

#include "vcl/GdiHandles.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Win.h"

class TBitmap;
class TCustomForm;

namespace ks {

class AnimatedBorderForm;

class AnimatedFormProvider {
public:
    virtual TCustomForm* ProviderForm() const noexcept = 0;
    // The cache bitmap of the provider's skin data: the form's whole skinned image.
    virtual TBitmap* FormImage() const noexcept = 0;
    // The layered window drawing the extended border around the form; nullptr when there is none.
    virtual AnimatedBorderForm* BorderForm() const noexcept = 0;
    // Paints the form's skinned frame into FormImage and the window.
    virtual void PaintNonClient() = 0;
    // Rebuilds the corner rectangles from the skin's border mask.
    virtual void MakeRegionRects() = 0;
    // The form's window rectangle (a size of 0 means the window's own) without the corners.
    virtual GdiRegion MakeRgnWithoutRects(int width, int height) = 0;
    // What the border window adds around the form on each side; empty without a border form.
    virtual TRect ExtBorderMargins() const = 0;
    // The caption height the form shows: the skin's when fromSkin, else the system's.
    virtual int CaptionHeight(bool fromSkin) const = 0;
    // Where the form's client area lies in FormImage.
    virtual int ClientOffsetX() const = 0;
    virtual int ClientOffsetY() const = 0;

protected:
    AnimatedFormProvider() = default;
    ~AnimatedFormProvider() = default;
};

class AnimatedBorderForm {
public:
    // The form provider that owns the border form; nullptr when a dialog adapter does.
    virtual AnimatedFormProvider* OwnerProvider() const noexcept = 0;
    // The window of the form or dialog the border surrounds.
    virtual HWND OwnerHandle() const noexcept = 0;
    // The borderless form whose window is the layered border window.
    virtual TCustomForm* WindowForm() const noexcept = 0;
    // The cache bitmap of the border form's skin data: the whole bordered window's image.
    virtual TBitmap* BorderImage() const noexcept = 0;
    // Where the owner window's top-left corner lies in BorderImage: the place the border window
    // takes around its owner.
    virtual TPoint OwnerOffset() const = 0;
    // Repaints the owner's frame into the owner's image.
    virtual void PaintOwnerNonClient() = 0;
    // The border window's region: the inner rectangle while the owner is maximised, else none.
    virtual GdiRegion MakeRgn() = 0;

protected:
    AnimatedBorderForm() = default;
    ~AnimatedBorderForm() = default;
};

class AnimatedDialog {
public:
    virtual HWND DialogHandle() const noexcept = 0;
    // The cache bitmap of the adapter's skin data: the dialog's whole skinned image.
    virtual TBitmap* DialogImage() const noexcept = 0;
    virtual AnimatedBorderForm* BorderForm() const noexcept = 0;
    virtual void PaintNonClient() = 0;
    virtual int ClientOffsetX() const = 0;
    virtual int ClientOffsetY() const = 0;
    virtual int CaptionHeight(bool fromSkin) const = 0;
    virtual TRect ExtBorderMargins() const = 0;
    // Gives the dialog its skinned window region.
    virtual void UpdateWndRegion(bool redraw) = 0;

protected:
    AnimatedDialog() = default;
    ~AnimatedDialog() = default;
};

} // namespace ks

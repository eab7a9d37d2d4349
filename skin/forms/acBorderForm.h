#pragma once
// TacBorderForm: the layered window that frames a skinned form (or a skinned standard dialog)
// when the skin manager's ExtendedBorders is on. It is larger than its owner by the skin's
// border margins, shows the owner's whole frame image (the owner skin data's 32-bit cache)
// with its shadow and per-pixel alpha, follows the owner's place, size, state and z-order,
// passes the non-client mouse actions on its frame to the owner, and lets clicks on the shadow
// fall through to the windows below.
//
// What the border window needs of its owner goes through TacBorderOwner: the form provider's
// side is built here (BorderOwnerOf); a dialog adapter implements the interface itself.

#include "skin/core/FormServices.h"
#include "skin/core/ComponentWatch.h"
#include "vcl/Classes.h"
#include "vcl/Controls.h"
#include "vcl/GdiHandles.h"
#include "vcl/Win.h"

#include <functional>
#include <memory>

class TForm;
class TsCommonData;
class TsSkinManager;
class TsSkinProvider;
struct TitleButtonRec;

// Which standard title buttons the owner shows and which of their actions are enabled now.
struct TitleButtonFlags {
    bool VisibleClose = false;
    bool VisibleMax = false;
    bool VisibleMin = false;
    bool EnabledMax = false;
    bool EnabledMin = false;
    bool EnabledRestore = false;
};

class TacBorderOwner {
public:
    virtual HWND BorderOwnerHandle() const noexcept = 0;
    // The owner's skin data; its cache bitmap is the frame image the window shows.
    virtual TsCommonData* BorderOwnerSkinData() const noexcept = 0;
    // The form provider behind the owner, nullptr for a dialog adapter.
    virtual TsSkinProvider* BorderOwnerProvider() const noexcept { return nullptr; }
    // The shadow margins on each side of the image.
    virtual TRect BorderOwnerMargins() const = 0;
    // Where the owner's client area lies in the frame image.
    virtual TPoint BorderOwnerClientOffset() const = 0;
    // Width of the frame's sizing border, and the bottom of the caption band and of the menu
    // line, in image coordinates.
    virtual int BorderOwnerBorderWidth() const = 0;
    virtual int BorderOwnerCaptionBottom() const = 0;
    virtual int BorderOwnerMenuBottom() const = 0;
    virtual TRect BorderOwnerIconRect() const = 0;
    // Records of the standard buttons by hit code (8, 9, 20, 21); nullptr for none.
    virtual const TitleButtonRec* BorderOwnerButton(int hitCode) const = 0;
    virtual TitleButtonFlags BorderOwnerButtonFlags() const = 0;
    // Repaints the owner's frame into the frame image.
    virtual void PaintBorderOwnerNonClient() = 0;
    // The owner's hot title button is now the one of this hit code (0: none). The button already
    // hot keeps its state, a press included: the hit test that confirms a press must not undo it.
    virtual void SetHotTitleButton(int hitCode) = 0;
    // The border window goes: the owner forgets it and paints its frame for itself again.
    virtual void ReleaseBorderResources() noexcept = 0;

    virtual ~TacBorderOwner() = default;
};

class TacBorderForm : public TPersistent, public ks::AnimatedBorderForm, public ks::HeldObject {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // The border of a form provider.
    explicit TacBorderForm(TsSkinProvider* provider);
    // The border of any other owner; the owner outlives the border form.
    explicit TacBorderForm(TacBorderOwner& owner);
    // The owner's border resources are released, then the window is freed.
    ~TacBorderForm() override;
    // Deletes border (nullptr: none) now, or, while its own code runs (an owner's handler let go
    // of it or freed the owner under it), hides the window and lets go of the owner now and
    // deletes border once it is no longer held.
    static void Dispose(TacBorderForm* border) noexcept;
    TacBorderForm(const TacBorderForm&) = delete;
    TacBorderForm& operator=(const TacBorderForm&) = delete;

    // Places and repaints the border window with constant alpha. With show the window is shown
    // when hidden; without, a hidden window stays hidden and only a shown one is brought up to date.
    void UpdateBorderWindow(bool show, uint8_t alpha);
    // The window's hit code at a screen point; -1 for none. The owner's hot title button follows
    // the answer: the button hit, or none.
    int BorderHitTest(TPoint screen);
    // A point of the border window (window coordinates) lies in the shadow, not on the frame.
    // Clears the owner's hot title button when it does.
    bool OverShadow(TPoint p);

    HWND WindowHandle() const noexcept;
    TacBorderOwner& Owner() const noexcept { return *FOwner; }

    // ks::AnimatedBorderForm
    ks::AnimatedFormProvider* OwnerProvider() const noexcept override;
    HWND OwnerHandle() const noexcept override;
    TCustomForm* WindowForm() const noexcept override;
    TBitmap* BorderImage() const noexcept override;
    TPoint OwnerOffset() const override;
    void PaintOwnerNonClient() override;
    // The region the window shows: the inner frame while the owner is maximised; none for a
    // provider's form that is neither animating nor alpha-blended; else the whole window; the
    // owner's client area is always cut out of a region.
    ks::GdiRegion MakeRgn() override;

    TsCommonData* SkinData = nullptr;
    // Set while a mouse message is passed on to the window below.
    bool Busy = false;
    // The border window: a borderless form of tag -98; owned.
    TForm* Form = nullptr;
    TWndMethod OldWndProc;
    // Guards UpdateBorderWindow against the messages its own calls cause.
    bool Updating = false;
    // The owner changed the frame image without a full repaint (a title button): the next update
    // shows it.
    bool ImageChanged = false;

private:
    void CreateWindowForm();
    bool OwnerMaximized() const;
    TPoint ToWindow(TPoint screen) const;
    TPoint CursorInWindow() const;

    void NewWndProc(TMessage& message);
    void DispatchMessage(TMessage& message);
    void WMMouse(TMessage& message);
    void WMMouseActivate(TMessage& message);
    void WMSetCursor(TMessage& message);
    void WMWindowPosChanged(TMessage& message);
    void WMNCHitTest(TMessage& message);
    void WMNCButton(TMessage& message);
    void WMNCRButtonDown(TMessage& message);
    void WMNCLButtonDblClk(TMessage& message);
    void PassToWindowBelow(TMessage& message, TPoint p);

    std::unique_ptr<TacBorderOwner> FProviderOwner;
    TacBorderOwner* FOwner = nullptr;
    ks::ComponentWatch FFormWatch;
    // Disposed while held: the owner is let go of, and nothing of it is touched until the
    // deletion.
    bool FDisposed = false;
};

// The hit code of a non-client mouse message that reached the owner of border (nullptr for none).
// The border window passes the clicks on its frame on with -1: the code is then its hit test's at
// the message's own point (the cursor may have gone on since the click), written into the
// message too, so that the platform's own handling (its move and size loops) sees the real code.
int ForwardedHitCode(TacBorderForm* border, TMessage& message);

// ---- the owner's frame image under a border window
// The form provider and the dialog adapter paint their frame inside the margins of a 32-bit
// image and these put the shadow around it.

// The frame inside margins becomes opaque and the manager's shadow picture (active or inactive)
// is laid in nine parts over the margins. The corners of the nine parts are the margins widened
// by the skin's FORMOFFSET, or, with the title on the border, the borders of the skin's EXBORDER
// image. Returns the shadow alone, as large as image, or nullptr when the skin has no picture.
std::unique_ptr<TBitmap> LayBorderShadow(TBitmap& image, TsSkinManager& manager, const TRect& margins, bool active,
                                         bool titleOnBorder);
// The corners of the frame that its border images keep transparent show the shadow beneath:
// the top ones by topMask, the bottom ones by bottomMask.
void RestoreFrameCorners(TBitmap& image, TBitmap& shadow, TsSkinManager& manager, const TRect& margins, int topMask,
                         int bottomMask);
// Runs paint, which draws a title into the band of image above bottom, and makes every pixel it
// changed opaque: GDI leaves alpha 0 behind in a 32-bit image.
void PaintOpaqueBand(TBitmap& image, int bottom, const std::function<void()>& paint);


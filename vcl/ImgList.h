#pragma once
// TCustomImageList and TImageList: a component over a common-controls image list (HIMAGELIST),
// with the published properties forms stream and the change notification image users follow.
// The images live only in the system list; nothing here streams them.

#include "vcl/Graphics.h"

#include <commctrl.h>

#include <utility>
#include <vector>

class TBitmap;

namespace ks {

// Owns one HIMAGELIST (ImageList_Destroy). Image lists are comctl32 objects, not GDI ones, so
// they keep their own count beside the GDI tallies; Live() lets tests check that none is left.
class UniqueImageList {
public:
    UniqueImageList() noexcept = default;
    explicit UniqueImageList(HIMAGELIST h) noexcept;
    UniqueImageList(UniqueImageList&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    UniqueImageList& operator=(UniqueImageList&& other) noexcept;
    UniqueImageList(const UniqueImageList&) = delete;
    UniqueImageList& operator=(const UniqueImageList&) = delete;
    ~UniqueImageList() { reset(); }

    HIMAGELIST get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != nullptr; }
    void reset(HIMAGELIST h = nullptr) noexcept;
    // Gives the list to an owner outside this type.
    [[nodiscard]] HIMAGELIST release() noexcept;

    // Lists taken into ownership and not yet destroyed or released.
    static long Live() noexcept;

private:
    HIMAGELIST FHandle = nullptr;
};

} // namespace ks

class TCustomImageList;

// A control's hold on the changes of an image list it shows: the list's OnChange is the
// application's, so each control that paints the list's images registers one of these.
class TChangeLink {
public:
    TChangeLink() noexcept = default;
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    // Leaves the list it is registered with.
    ~TChangeLink();

    TCustomImageList* Sender() const noexcept { return FSender; }
    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }

private:
    friend class TCustomImageList;
    TCustomImageList* FSender = nullptr;
    TNotifyEvent FOnChange;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    // ---- the system list
    // Made on first use (CreateHandle). Raises EOutOfResources when comctl32 refuses.
    HIMAGELIST Handle();
    bool HandleAllocated() const noexcept { return static_cast<bool>(FHandle); }
    // Adopts list (nullptr releases the current one). The previous list is destroyed unless it
    // was adopted and ShareImages is set, in which case its owner keeps it; a list made by
    // Handle() is always destroyed here. Notifies a change.
    void SetHandle(HIMAGELIST list);
    int Count() const noexcept;

    // ---- published properties
    int Width() const noexcept { return FWidth; }
    // A new size empties the system list (its images cannot keep their size) and notifies.
    void SetWidth(int width);
    int Height() const noexcept { return FHeight; }
    void SetHeight(int height);
    int AllocBy() const noexcept { return FAllocBy; }
    void SetAllocBy(int allocBy) noexcept { FAllocBy = allocBy; }
    // The list's background; clNone draws images transparently over whatever lies below.
    TColor BkColor() const noexcept { return FBkColor; }
    void SetBkColor(TColor color);
    TColor BlendColor() const noexcept { return FBlendColor; }
    void SetBlendColor(TColor color) noexcept { FBlendColor = color; }
    TDrawingStyle DrawingStyle() const noexcept { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle style) noexcept { FDrawingStyle = style; }
    TImageType ImageType() const noexcept { return FImageType; }
    void SetImageType(TImageType type) noexcept { FImageType = type; }
    bool Masked() const noexcept { return FMasked; }
    void SetMasked(bool masked) noexcept { FMasked = masked; }
    // The system list belongs to someone else and survives this component.
    bool ShareImages() const noexcept { return FShareImages; }
    void SetShareImages(bool share) noexcept { FShareImages = share; }
    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }
    // Every change is told to each registered link after OnChange. A link is registered with
    // one list at a time; registering it here takes it from the list it was with.
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link) noexcept;

    // ---- images
    // Appends image (and mask, which may be null) to the system list; the index of the first
    // new image, or -1 when the system refuses. Notifies a change.
    int Add(TBitmap& image, TBitmap* mask);
    // Image index at (x, y) of the canvas, in the list's drawing style; nothing without a
    // system list or for an index out of range. The disabled look is not drawn.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);

    // The change notification: OnChange. Descendants that keep data beside the system list
    // override it to stay in step and call the inherited one.
    virtual void Change();

protected:
    virtual void DoDraw(int index, TCanvas& canvas, int x, int y, UINT style, bool enabled);
    // The flags of ImageList_Create.
    virtual UINT CreationFlags() const noexcept;
    // The ILD_ style of DrawingStyle and ImageType.
    UINT DrawStyle() const noexcept;
    // CLR_NONE, CLR_DEFAULT or the RGB value of a colour.
    static COLORREF ToColorRef(TColor color) noexcept;

private:
    void CreateHandle();

    void ReleaseHandle() noexcept;

    ks::UniqueImageList FHandle;
    int FWidth = 16;
    int FHeight = 16;
    int FAllocBy = 4;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    TImageType FImageType = itImage;
    bool FMasked = true;
    bool FShareImages = false;
    // FHandle was made by CreateHandle, not adopted through SetHandle.
    bool FHandleMade = false;
    TNotifyEvent FOnChange;
    std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    using TCustomImageList::TCustomImageList;
};

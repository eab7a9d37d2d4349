#pragma once
// The skinned edit. Its frame always comes from the cache bitmap that holds its skin section's
// picture; while enabled the platform edit paints the client area itself, in the section's
// colours (the hot ones while focused or hovered), which the edit takes before each paint; while
// disabled the whole window, text included, is copied from the cache. Without an active skin it
// is the plain edit it derives from.

#include "skin/core/sConst.h"
#include "vcl/StdCtrls.h"

#include <memory>
#include <string>

class TsBoundLabel;
class TsCommonData;

class TsEdit : public TEdit {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsEdit(TComponent* owner);
    ~TsEdit() override;

    TsCommonData* SkinData() const noexcept { return FSkinData.get(); }
    // The caption beside the edit; it follows the edit's place, visibility, enabling and
    // reading order.
    TsBoundLabel* BoundLabel() const noexcept { return FBoundLabel.get(); }
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);

    // The single border's width: 2 with the 3-D look, 1 without; 0 with no border.
    int BorderEdge() const noexcept;
    // The frame copied from the cache: the single border, or without one a pixel for each
    // bevel that is not bvNone (whatever BevelKind says).
    int FrameWidth() const noexcept;
    // The width of the window's own non-client edge (border and bevels), 0 without a window.
    int NonClientEdge();
    // The band of the cache copied over the window's edge, on the screen and in print alike:
    // the frame, or the whole non-client edge and the flat border the platform edit draws
    // inside it where they are wider. Past the non-client edge the band covers the client's.
    int FrameBand();
    // How far the text lies inside the window when the edit paints it into its cache: the
    // border, plus the bevels' pixels only when BevelKind gives them room.
    int TextInset() const noexcept;
    // What the cache shows for the text: one PasswordChar per character when there is one.
    std::wstring DisplayText() const;

    void AfterConstruction() override;
    void Loaded() override;
    void WndProc(TMessage& message) override;

    // Rebuilds the cache: the section over the parent's background, the text, the disabled look.
    virtual void PrepareCache();
    virtual void PaintText();

protected:
    // WM_NCPAINT: the frame strips from the cache.
    void PaintBorder();
    // The whole window from the cache, onto dc, or onto the window's own DC for dc 0 (a real
    // WM_PAINT, whose update region is validated).
    void PaintDisabledFromCache(HDC dc);

private:
    bool SkinCommand(TMessage& m);
    void ApplySectionColours();
    void WMPaint(TMessage& m);
    void WMPrint(TMessage& m);
    void AfterPlatform(TMessage& m);
    void KeepLabelInStep(const TMessage& m);
    void PaintFrameOnce();
    // Marks the cache out of date when the look has changed since it was painted.
    void CompareLook();
    // What the cache shows of the edit's surroundings: the frame's corners show the parent's
    // picture at the edit's place, or the parent's colour, which no message reports.
    struct Look {
        TRect bounds;
        const TWinControl* parent = nullptr;
        TColor parentColour = clNone;
        bool operator==(const Look&) const = default;
    };

    std::unique_ptr<TsCommonData> FSkinData;
    TsDisabledKind FDisabledKind{dkBlended};
    bool FFrameDue = true;
    Look FPaintedLook;
    // Declared after the skin data it refers to, so that it goes first.
    std::unique_ptr<TsBoundLabel> FBoundLabel;
};

// Makes TsEdit known to the form reader.
void InitializeSEditUnit();

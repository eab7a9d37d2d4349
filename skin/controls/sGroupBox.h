#pragma once
// The skinned group box: the "GROUPBOX" section drawn below a caption band whose middle its frame
// runs through, the caption written on a section of its own ("CHECKBOX" unless CaptionSkin names
// another). The box rebuilds its image on every paint; the controls inside take their background
// from that image through the skin command message.

#include "skin/controls/ButtonLook.h"
#include "skin/core/sCommonData.h"
#include "vcl/StdCtrls.h"

#include <memory>
#include <string>

// Where a group box's caption sits.
enum TsGroupCaptionLayout { clTopLeft, clTopCenter, clTopRight };

class TsGroupBox : public TGroupBox {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsGroupBox(TComponent* owner);
    ~TsGroupBox() override;
    void AfterConstruction() override;

    TsGroupCaptionLayout CaptionLayout() const noexcept { return FCaptionLayout; }
    void SetCaptionLayout(TsGroupCaptionLayout value);
    // Extra height of the caption band, also added to the top of the client area; a negative
    // value lifts the band above the box's top edge.
    int CaptionYOffset() const noexcept { return FCaptionYOffset; }
    void SetCaptionYOffset(int value);
    TsCommonData* SkinData() const noexcept { return FSkinData.get(); }
    // The section behind the caption; empty means "CHECKBOX".
    const std::string& CaptionSkin() const noexcept { return FCaptionSkin; }
    void SetCaptionSkin(const std::string& value);

    // The caption band's rectangle in the box, for a caption textWidth pixels wide.
    TRect CaptionRect(int textWidth);
    int CaptionHeight();
    void PaintToDC(HDC dc);

protected:
    void Loaded() override;
    void AdjustClientRect(TRect& rect) const override;
    void Paint() override;
    void WndProc(TMessage& message) override;

private:
    // Rebuilds the cache image: band, section, caption.
    void PrepareCache();
    void DrawGroupCaption(const TRect& cr, const CacheInfo& ci);
    bool SkinActive() const noexcept { return FSkinData && FSkinData->IsSkinActive(true); }
    // Commands 1 to 3 and the ones every skinned control answers whatever its skin state; true
    // when the message was dealt with.
    bool SkinCommandAnyState(TMessage& message);
    void SkinnedWndProc(TMessage& message);
    // What the cache image shows besides the skin, the caption and the parent's background: a
    // change of any of it since the box was last painted rebuilds the cache.
    struct Look {
        bool focused = false, rightToLeft = false;
        TRect bounds;
        // The picture behind the control comes from its parent; a parent without a picture of
        // its own gives its colour instead.
        const TWinControl* parent = nullptr;
        TColor parentColour = clNone;
        TColor ownColour = clNone;
        int section = -1;
        // The font sets the caption band's height, with a caption or without one.
        TsFontLook font;
        std::wstring caption;
        TsGroupCaptionLayout captionLayout = clTopLeft;
        int captionYOffset = 0;
        std::string captionSkin;
        bool operator==(const Look&) const = default;
    };
    Look LookNow();

    std::unique_ptr<TsCommonData> FSkinData;
    TsGroupCaptionLayout FCaptionLayout = clTopLeft;
    int FCaptionYOffset = 0;
    std::string FCaptionSkin;
    Look FPaintedLook;
};

// Makes TsGroupBox known to the form reader.
void InitializeSGroupBoxUnit();

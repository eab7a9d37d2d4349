#pragma once
// TsFrameAdapter: a component owned by a frame that skins it. It takes over the frame's
// WindowProc for its whole life, paints the frame's background from its skin section (default
// "GROUPBOX") through its skin data's cache bitmap, answers the skin commands for the frame,
// gives the frame skinned scroll bars and makes the frame's popup menus owner-drawn. It is put
// on a frame in its form resource or made at run time by a form's control adapter.
//
// The frame's WindowProc is given back when the adapter goes, but only while it is still the
// adapter's: whoever took it over after the adapter keeps the chain.

#include "vcl/Classes.h"
#include "vcl/Controls.h"
#include "vcl/Forms.h"

#include <memory>

class TacMainWnd;
class TsCommonData;

class TsFrameAdapter : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // Raises Exception with the text of string 58950 when owner is not a frame.
    explicit TsFrameAdapter(TComponent* owner);
    ~TsFrameAdapter() override;
    void AfterConstruction() override;

    TsCommonData* SkinData() const noexcept { return FSkinData.get(); }
    TFrame* Frame() const noexcept { return FFrame; }
    // The adapter of the frame's scroll bars while the skin is on.
    TacMainWnd* ScrollHandler() const noexcept { return FScrollHandler; }

    // SKC_GET_BG_COLOR for the frame: its own colour without skin, no colour while children take
    // the background from its image, else the section's colour blended with the parent's by the
    // section's transparency.
    TColor BackgroundColor() const;

protected:
    void Loaded() override;

private:
    void NewWndProc(TMessage& m);
    // Skin commands answered in every state; true when handled.
    bool AnyStateCommand(TMessage& m);
    void SkinnedMessage(TMessage& m);
    void SkinnedCommand(TMessage& m);
    void PaintFrameWindow(TMessage& m);
    void PaintFrame(HDC dc);
    void RebuildCache();
    void OwnerDrawPopups();
    void InitScrollBars();
    void FreeScrollBars();
    void ToChildren(const TMessage& m);
    bool Skinned() const;

    std::unique_ptr<TsCommonData> FSkinData;
    TFrame* FFrame = nullptr;
    TWndMethod FOldWndProc;
    TacMainWnd* FScrollHandler = nullptr;
};

// The text of string 58950, raised for an adapter placed on anything but a frame.
extern const char* const FrameAdapterOwnerText;

// Unit start-up: lets form resources hold the adapter on their frames.
void InitializeSFrameAdapterUnit();

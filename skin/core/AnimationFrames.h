#pragma once
// The frame plan of the show animations (FormAnimation.h): how many frames a time gives, the
// constant opacity of each pass, where the captured image lies in the frame bitmap of each pass,
// and the weights of the cross-fade that the output-window path mixes. Portable, so the plan is
// tested without windows; the Windows side only draws and pushes what it says.
//
// One frame every 8 ms: n = time div 8 frames, n + 1 passes, the last two at full opacity (the
// opacity reaches its end at pass n - 1, the growing image its full size at pass n). n = 0 means
// no pass at all: the final image is shown at once. Opacities are rounded halves to even.

#include "skin/core/sConst.h"
#include "vcl/GraphicsTypes.h"

#include <cstdint>

namespace ks {

inline constexpr int AnimationFramePeriod = 8;

constexpr int AnimationFrameCount(uint16_t time) noexcept
{
    return time / AnimationFramePeriod;
}

// What a pass draws into the frame bitmap, which is never cleared between passes.
enum class FrameDraw { Nothing, Whole, Stretched };

struct FramePass {
    uint8_t Alpha = 0;
    FrameDraw Draw = FrameDraw::Nothing;
    // Where the whole captured image goes: stretched into it, or copied at its top-left corner.
    TRect Dest;
};

// The state the three frame steps of one animation share. atAero grows the image from half
// size, centred; atFading copies it once and lets the opacity do the rest.
class FrameSteps {
public:
    FrameSteps(uint16_t time, uint8_t maxAlpha, TacAnimType mode, int width, int height) noexcept;

    int Frames() const noexcept { return FFrames; }
    int Passes() const noexcept { return FFrames > 0 ? FFrames + 1 : 0; }
    // The opacity of the first layered update: 0 when frames follow, else the final one.
    uint8_t StartAlpha() const noexcept { return FFrames > 0 ? 0 : FMaxAlpha; }
    uint8_t MaxAlpha() const noexcept { return FMaxAlpha; }

    // The frame step of the next pass.
    FramePass Frame() noexcept;
    // The step after the pass was pushed: the aero rectangle grows by a quarter of the size
    // over the n steps on each side.
    void Step() noexcept;

private:
    int FFrames;
    uint8_t FMaxAlpha;
    TacAnimType FMode;
    int FWidth;
    int FHeight;
    double FAlpha = 0;
    double FAlphaStep = 0;
    double FDX = 0;
    double FDY = 0;
    double FLeft = 0;
    double FTop = 0;
    double FRight = 0;
    double FBottom = 0;
};

// The weight of the old screen in pass `pass` (0 .. frames) of the output-window cross-fade:
// 255 falling by 255 div frames each pass, never below 0. More than 255 frames keep the old
// screen to the end, and the final copy shows the new look at once.
uint8_t CrossFadeWeight(int frames, int pass) noexcept;

} // namespace ks

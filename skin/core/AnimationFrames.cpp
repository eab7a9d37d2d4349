// The frame plan of the show animations (see the header).

#include "skin/core/AnimationFrames.h"

#include "vcl/SysUtils.h"

#include <algorithm>

namespace ks {

FrameSteps::FrameSteps(uint16_t time, uint8_t maxAlpha, TacAnimType mode, int width, int height) noexcept
    : FFrames(AnimationFrameCount(time)), FMaxAlpha(maxAlpha), FMode(mode), FWidth(std::max(width, 0)),
      FHeight(std::max(height, 0))
{
    if (FFrames == 0)
        return;
    FAlphaStep = static_cast<double>(maxAlpha) / FFrames;
    if (FMode != atAero)
        return;
    const double w = FWidth;
    const double h = FHeight;
    FDX = w / (4.0 * FFrames);
    FDY = h / (4.0 * FFrames);
    FLeft = w / 4;
    FTop = h / 4;
    FRight = w / 2 + w / 4;
    FBottom = h / 2 + h / 4;
}

FramePass FrameSteps::Frame() noexcept
{
    FAlpha = std::min(FAlpha + FAlphaStep, static_cast<double>(FMaxAlpha));
    FramePass pass;
    pass.Alpha = static_cast<uint8_t>(RoundHalfEven(FAlpha));
    const TRect whole{0, 0, FWidth, FHeight};
    if (FMode == atAero) {
        if (FLeft >= 0 && FTop >= 0) {
            const int left = RoundHalfEven(FLeft);
            const int top = RoundHalfEven(FTop);
            pass.Draw = FrameDraw::Stretched;
            pass.Dest = {left, top, left + RoundHalfEven(FRight - FLeft), top + RoundHalfEven(FBottom - FTop)};
        } else {
            pass.Draw = FrameDraw::Whole;
            pass.Dest = whole;
        }
    } else if (FLeft == 0) {
        // Left doubles as the sign that the image has been copied once.
        pass.Draw = FrameDraw::Whole;
        pass.Dest = whole;
        FLeft = 1;
    }
    return pass;
}

void FrameSteps::Step() noexcept
{
    if (FMode != atAero)
        return;
    FLeft -= FDX;
    FTop -= FDY;
    FRight += FDX;
    FBottom += FDY;
}

uint8_t CrossFadeWeight(int frames, int pass) noexcept
{
    if (frames <= 0)
        return 0;
    const long long weight = 255LL - static_cast<long long>(pass) * (255 / frames);
    return static_cast<uint8_t>(std::clamp(weight, 0LL, 255LL));
}

} // namespace ks

#include "skin/core/AnimationFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ks::FrameDraw;
using ks::FramePass;
using ks::FrameSteps;

std::vector<FramePass> AllPasses(FrameSteps steps)
{
    std::vector<FramePass> passes;
    for (int i = 0; i < steps.Passes(); ++i) {
        passes.push_back(steps.Frame());
        steps.Step();
    }
    return passes;
}

TEST(AnimationFrames, BelowEightMillisecondsThereIsOnlyTheFinalImage)
{
    for (uint16_t time = 0; time < 8; ++time) {
        SCOPED_TRACE(time);
        const FrameSteps steps(time, 200, atAero, 400, 300);
        EXPECT_EQ(steps.Frames(), 0);
        EXPECT_EQ(steps.Passes(), 0);
        EXPECT_EQ(steps.StartAlpha(), 200);
    }
    const FrameSteps eight(8, 200, atFading, 10, 10);
    EXPECT_EQ(eight.Passes(), 2);
    EXPECT_EQ(eight.StartAlpha(), 0);
}

TEST(AnimationFrames, OpacityRisesInEqualStepsRoundedHalfToEven)
{
    struct Case {
        const char* name;
        uint16_t time;
        uint8_t maxAlpha;
        std::vector<int> alphas;
    } cases[] = {
        {"HundredMsOpaque", 100, 255, {21, 42, 64, 85, 106, 128, 149, 170, 191, 212, 234, 255, 255}},
        {"FourFramesHalfOpaque", 39, 128, {32, 64, 96, 128, 128}},
        {"OneFrame", 15, 255, {255, 255}},
        {"Transparent", 24, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (TacAnimType mode : {atFading, atAero}) {
            std::vector<int> alphas;
            for (const FramePass& p : AllPasses(FrameSteps(c.time, c.maxAlpha, mode, 40, 30)))
                alphas.push_back(p.Alpha);
            EXPECT_EQ(alphas, c.alphas);
        }
    }
}

TEST(AnimationFrames, AeroGrowsFromHalfSizeCentredToTheWholeImage)
{
    const std::vector<FramePass> passes = AllPasses(FrameSteps(100, 255, atAero, 400, 300));
    ASSERT_EQ(passes.size(), 13u);
    EXPECT_EQ(passes.front().Draw, FrameDraw::Stretched);
    EXPECT_EQ(passes.front().Dest, (TRect{100, 75, 300, 225}));
    EXPECT_EQ(passes[6].Dest, (TRect{50, 38, 350, 263})) << "half-way: the top 37.5 rounds to 38, the size stays 300 x 225";
    EXPECT_EQ(passes.back().Dest, (TRect{0, 0, 400, 300}));
    for (size_t i = 1; i < passes.size(); ++i) {
        SCOPED_TRACE(i);
        // Each pass covers the one before, so the uncleared frame never shows an older edge.
        EXPECT_LE(passes[i].Dest.Left, passes[i - 1].Dest.Left);
        EXPECT_GE(passes[i].Dest.Right, passes[i - 1].Dest.Right);
        EXPECT_LE(passes[i].Dest.Top, passes[i - 1].Dest.Top);
        EXPECT_GE(passes[i].Dest.Bottom, passes[i - 1].Dest.Bottom);
    }
}

TEST(AnimationFrames, FadingCopiesTheImageOnceAndAnEmptyImageGrowsToNothing)
{
    const std::vector<FramePass> fading = AllPasses(FrameSteps(40, 255, atFading, 64, 32));
    ASSERT_EQ(fading.size(), 6u);
    EXPECT_EQ(fading[0].Draw, FrameDraw::Whole);
    EXPECT_EQ(fading[0].Dest, (TRect{0, 0, 64, 32}));
    for (size_t i = 1; i < fading.size(); ++i)
        EXPECT_EQ(fading[i].Draw, FrameDraw::Nothing) << i;

    for (const FramePass& p : AllPasses(FrameSteps(40, 255, atAero, 0, -5)))
        EXPECT_TRUE(p.Dest.Width() <= 0 || p.Dest.Height() <= 0);
}

TEST(AnimationFrames, CrossFadeWeightsFallToZeroAndStayThere)
{
    struct Case {
        const char* name;
        int frames;
        std::vector<int> weights;
    } cases[] = {
        {"FourFrames", 4, {255, 192, 129, 66, 3}},
        {"HundredFrames", 100, {255, 253, 251}},
        {"ManyFramesKeepTheOldScreen", 300, {255, 255, 255}},
        {"ReachesZeroExactly", 3, {255, 170, 85, 0}},
        {"NoFrames", 0, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> weights;
        for (size_t pass = 0; pass < c.weights.size(); ++pass)
            weights.push_back(ks::CrossFadeWeight(c.frames, static_cast<int>(pass)));
        EXPECT_EQ(weights, c.weights);
    }
}

} // namespace

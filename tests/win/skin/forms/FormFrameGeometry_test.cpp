#include "skin/core/sMessages.h"
#include "win/skin/forms/FormFrameFixture.h"

#include <array>
#include <tuple>

namespace {

using namespace ks::test;

class FormFrameGeometryTest : public FormFrameFixture {};

// The buttons close, maximise, minimise as laid out now.
std::array<TRect, 3> Buttons(const TsSkinProvider& p)
{
    return {p.ButtonClose.Rect, p.ButtonMax.Rect, p.ButtonMin.Rect};
}

// A title height out of reason places the buttons of a maximised bordered form, and sizes the
// maximised window, as the held value does that the frame's own title takes.
TEST_F(FormFrameGeometryTest, HostileTitleHeightsPlaceButtonsAndMaximisedSizeAsTheFrameHoldsThem)
{
    struct Case {
        const char* name;
        int title, maxTitle, heldTitle, heldMaxTitle;
    };
    const Case cases[] = {
        {"title far past a frame's", 30000, 20, 256, 20},
        {"negative title", -300, 20, 0, 20},
        {"maximised title far past a frame's", 26, 30000, 26, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!MakeBorderedForm())
            GTEST_SKIP() << "no layered windows here";
        Form->SetWindowState(wsMaximized);
        auto placed = [&](int title, int maxTitle) {
            ChangeSkin(WithGlobalValue(WithGlobalValue(FrameSkinOptions(), "TITLEHEIGHT", title), "MAXHEIGHT", maxTitle));
            Paint();
            MINMAXINFO info{};
            SendMessageW(Form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
            return std::make_tuple(Buttons(*Provider), info.ptMaxPosition.y, info.ptMaxSize.y);
        };
        const auto hostile = placed(c.title, c.maxTitle);
        const auto held = placed(c.heldTitle, c.heldMaxTitle);
        ASSERT_GT(std::get<0>(held)[0].Width(), 0);
        EXPECT_TRUE(std::get<0>(hostile) == std::get<0>(held)) << "title buttons";
        EXPECT_EQ(std::get<1>(hostile), std::get<1>(held)) << "maximised top";
        EXPECT_EQ(std::get<2>(hostile), std::get<2>(held)) << "maximised height";
    }
}

// The new-skin broadcast looks the glyphs up before the skin is marked active; a layout within
// it places every button of the new skin, as the layout after it does.
TEST_F(FormFrameGeometryTest, TheNewSkinBroadcastPlacesEveryTitleButton)
{
    struct Spy {
        TsSkinProvider* Provider;
        TWndMethod Old;
        std::array<TRect, 3> During{};
        void Proc(TMessage& m)
        {
            Old(m);
            if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) == SKC_NEW_SKIN) {
                Provider->LayoutTitleButtons();
                During = Buttons(*Provider);
            }
        }
    } spy{Provider, Form->WindowProc()};
    Form->SetWindowProc(TWndMethod(&spy, &Spy::Proc));
    ChangeSkin(FrameSkinOptions());
    Form->SetWindowProc(spy.Old);
    Paint();
    ASSERT_GT(Provider->ButtonMin.Rect.Width(), 0);
    EXPECT_TRUE(spy.During == Buttons(*Provider));
}

int WINAPI TallCaptions(int index)
{
    return index == SM_CYCAPTION ? 40 : GetSystemMetrics(index);
}

// The system's caption height is read once, not at every paint, and anew after the system's
// settings change.
TEST_F(FormFrameGeometryTest, TheSystemCaptionHeightFollowsAChangeOfTheSystemsSettings)
{
    Paint();
    ks::Sys().GetSystemMetrics = &TallCaptions;
    ASSERT_NE(Provider->CaptionHeight(false), 40) << "the height read before the change";
    SendMessageW(Form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(Provider->CaptionHeight(false), 40);
}

} // namespace

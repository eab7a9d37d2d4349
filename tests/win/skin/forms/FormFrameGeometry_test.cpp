#include "skin/core/sMessages.h"
#include "win/skin/forms/FormFrameFixture.h"

namespace {

using namespace ks::test;

class FormFrameGeometryTest : public FormFrameFixture {
protected:
    void ChangeTitleHeights(int title, int maxTitle)
    {
        ChangeSkin(WithGlobalValue(WithGlobalValue(FrameSkinOptions(), "TITLEHEIGHT", title), "MAXHEIGHT", maxTitle));
    }

    struct Placement {
        TRect Close, Max, Min;
        POINT MaxPosition{}, MaxSize{};
    };
    Placement Placed()
    {
        Paint();
        MINMAXINFO info{};
        SendMessageW(Form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return {Provider->ButtonClose.Rect, Provider->ButtonMax.Rect, Provider->ButtonMin.Rect, info.ptMaxPosition,
                info.ptMaxSize};
    }
};

void ExpectSame(const TRect& a, const TRect& b, const char* what)
{
    EXPECT_TRUE(a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom)
        << what << ": (" << a.Left << "," << a.Top << ")-(" << a.Right << "," << a.Bottom << ") against (" << b.Left
        << "," << b.Top << ")-(" << b.Right << "," << b.Bottom << ")";
}

// A title height out of reason places the buttons of a maximised bordered form, and sizes the
// maximised window, as the held value does that the frame's own title takes.
TEST_F(FormFrameGeometryTest, HostileTitleHeightsPlaceButtonsAndMaximisedSizeAsTheFrameHoldsThem)
{
    struct Case {
        const char* name;
        int title, maxTitle;
        int heldTitle, heldMaxTitle;
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
        Pump();
        ASSERT_TRUE(IsZoomed(Form->Handle()));
        ChangeTitleHeights(c.title, c.maxTitle);
        const Placement hostile = Placed();
        ChangeTitleHeights(c.heldTitle, c.heldMaxTitle);
        const Placement held = Placed();
        ASSERT_GT(held.Close.Width(), 0);
        ExpectSame(hostile.Close, held.Close, "close");
        ExpectSame(hostile.Max, held.Max, "maximise");
        EXPECT_EQ(hostile.MaxPosition.y, held.MaxPosition.y);
        EXPECT_EQ(hostile.MaxSize.y, held.MaxSize.y);
    }
}

// The new-skin broadcast looks the glyphs up before the skin is marked active; a layout within
// it places every button of the new skin, as the layout after it does.
TEST_F(FormFrameGeometryTest, TheNewSkinBroadcastPlacesEveryTitleButton)
{
    struct Spy {
        TsSkinProvider* Provider = nullptr;
        TWndMethod Old;
        TRect Close, Max, Min;
        bool Seen = false;
        void Proc(TMessage& m)
        {
            Old(m);
            if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) == SKC_NEW_SKIN) {
                Provider->LayoutTitleButtons();
                Close = Provider->ButtonClose.Rect;
                Max = Provider->ButtonMax.Rect;
                Min = Provider->ButtonMin.Rect;
                Seen = true;
            }
        }
    } spy;
    spy.Provider = Provider;
    spy.Old = Form->WindowProc();
    Form->SetWindowProc(TWndMethod(&spy, &Spy::Proc));
    ChangeTitleHeights(26, 26);
    Form->SetWindowProc(spy.Old);
    ASSERT_TRUE(spy.Seen);
    Placed();
    ASSERT_GT(Provider->ButtonMin.Rect.Width(), 0);
    ExpectSame(spy.Close, Provider->ButtonClose.Rect, "close");
    ExpectSame(spy.Max, Provider->ButtonMax.Rect, "maximise");
    ExpectSame(spy.Min, Provider->ButtonMin.Rect, "minimise");
}

} // namespace

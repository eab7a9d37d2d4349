#include "skin/controls/sMemo.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/EditFrame.h"
#include "win/support/PrintedAgainstScreen.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ks::test;

struct Counter : TObject {
    int Count = 0;
    void Hit(TObject*) { ++Count; }
};

class MemoTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        Memo = Create<TsMemo>(Form);
        Memo->SetBounds(10, 10, 180, 60);
        Memo->SetScrollBars(ssVertical);
        Memo->SetParent(Form);
        std::wstring text;
        for (int i = 0; i < 30; ++i)
            text += L"line " + std::to_wstring(i) + L"\r\n";
        Memo->SetText(text);
        Pump();
    }
    TacEditWnd* Adapter() const { return dynamic_cast<TacEditWnd*>(Memo->ListSW()); }
    LRESULT Command(WORD command, TsSkinManager* manager)
    {
        return SendMessageW(Memo->Handle(), SM_SKINCMD, MAKEWPARAM(0, command), reinterpret_cast<LPARAM>(manager));
    }

    TsMemo* Memo = nullptr;
};

TEST_F(MemoTest, ASkinnedMemoHoldsItsEditAdapterWithTheSkinsColours)
{
    ASSERT_NE(Adapter(), nullptr);
    EXPECT_EQ(Memo->SkinData()->SkinSection(), "EDIT");
    EXPECT_EQ(Memo->SkinData()->ControlKind, ckMemo);
    EXPECT_EQ(GetScrollHandler(Memo->Handle()), Memo->ListSW());
    EXPECT_TRUE(Adapter()->VBar->ScrollVisible);
    EXPECT_EQ(Command(SKC_IS_SKINNED, nullptr), 1);
    EXPECT_EQ(WindowPixel(Memo->Handle(), 0, 0), SkinGreen) << "the frame is the EDIT section's";
}

TEST_F(MemoTest, VerticalScrollingRaisesOnVScrollOncePerMessage)
{
    Counter vscroll, caret;
    Memo->SetOnVScroll(TNotifyEvent(&vscroll, &Counter::Hit));
    Memo->SetOnScrollCaret(TNotifyEvent(&caret, &Counter::Hit));
    SendMessageW(Memo->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(Memo->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    SendMessageW(Memo->Handle(), WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(vscroll.Count, 2);
    SendMessageW(Memo->Handle(), EM_SCROLLCARET, 0, 0);
    EXPECT_EQ(caret.Count, 1);
}

TEST_F(MemoTest, ChangingTheTextUpdatesTheSkinnedBarsRange)
{
    ASSERT_NE(Adapter(), nullptr);
    const int before = Adapter()->VBar->ScrollInfo.nMax;
    std::wstring text;
    for (int i = 0; i < 90; ++i)
        text += L"more " + std::to_wstring(i) + L"\r\n";
    Memo->SetText(text);
    EXPECT_GT(Adapter()->VBar->ScrollInfo.nMax, before);
}

TEST_F(MemoTest, ScrollingByEditMessagesLeavesTheSkinnedBarOnTheScreen)
{
    ASSERT_NE(Adapter(), nullptr);
    RECT w{};
    GetWindowRect(Memo->Handle(), &w);
    TRect bar;
    GetVScrollRect(Adapter(), Memo->Handle(), bar);
    const int x = (bar.Left + bar.Right) / 2 - w.left;
    auto column = [&] {
        std::vector<TColor> v;
        for (int y = bar.Top - w.top; y < bar.Bottom - w.top; ++y)
            v.push_back(WindowPixel(Memo->Handle(), x, y));
        return v;
    };
    // The picture the skin gives at each place, against what the messages leave.
    struct Case {
        const char* name;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {"EM_LINESCROLL", EM_LINESCROLL, 0, 12},
        {"EM_SCROLL", EM_SCROLL, SB_PAGEDOWN, 0},
        {"EM_SETSEL and EM_SCROLLCARET", EM_SETSEL, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SendMessageW(Memo->Handle(), c.msg, c.wParam, c.lParam);
        if (c.msg == EM_SETSEL)
            SendMessageW(Memo->Handle(), EM_SCROLLCARET, 0, 0);
        const std::vector<TColor> left = column();
        SendMessageW(Memo->Handle(), WM_NCPAINT, 1, 0);
        EXPECT_EQ(left, column());
    }
}

TEST_F(MemoTest, RemovingTheSkinRecreatesThePlainMemoWithItsText)
{
    const HWND before = Memo->Handle();
    const std::wstring text = Memo->Text();
    Command(SKC_REMOVE_SKIN, Manager);
    Pump();
    EXPECT_EQ(Memo->ListSW(), nullptr);
    EXPECT_NE(Memo->Handle(), before) << "a new window without the adapter's frame";
    EXPECT_EQ(Memo->Text(), text);
    EXPECT_EQ(GetScrollHandler(Memo->Handle()), nullptr);
}

TEST_F(MemoTest, AMemoMadeWithoutASkinGetsItsAdapterOnItsManagersRefresh)
{
    Manager->SetActive(false);
    Pump();
    auto* late = Create<TsMemo>(Form);
    late->SetBounds(10, 80, 100, 40);
    late->SetParent(Form);
    Pump();
    EXPECT_EQ(late->ListSW(), nullptr);
    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    Manager->SetActive(true);
    Pump();
    EXPECT_NE(late->ListSW(), nullptr);
    late->Free();
}

// A printed memo is the memo as the screen shows it, with the skin's frame where the platform
// would draw its own border: a flat one, which the platform edit draws inside its client area,
// would show in print and on the screen alike, so its colour is looked for too.
TEST_F(MemoTest, APrintedMemoIsTheMemoOnTheScreen)
{
    const struct {
        const char* name;
        EditFrame look;
        TScrollStyle bars;
    } looks[] = {
        {"SunkenBorder", {bsSingle, true, bvRaised, bvLowered, bkNone}, ssNone},
        {"FlatBorder", {bsSingle, false, bvRaised, bvLowered, bkNone}, ssNone},
        {"FlatBorderAndABevel", {bsSingle, false, bvNone, bvLowered, bkFlat}, ssNone},
        {"FlatBorderAndABar", {bsSingle, false, bvRaised, bvLowered, bkNone}, ssVertical},
        {"FlatBorderBevelAndBars", {bsSingle, false, bvNone, bvLowered, bkFlat}, ssBoth},
    };
    for (const auto& l : looks) {
        SCOPED_TRACE(l.name);
        l.look.ApplyTo(*Memo);
        Memo->SetScrollBars(l.bars);
        Command(SKC_REFRESH, Manager);
        RedrawWindow(Memo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        Pump();
        ASSERT_NE(Adapter(), nullptr);
        const PrintedAgainstScreen seen = ComparePrintWithScreen(Memo->Handle());
        EXPECT_EQ(seen.differing, 0) << seen;
        EXPECT_EQ(seen.platformBorder, 0) << "the platform's own border shows";
        EXPECT_EQ(seen.screen->Canvas().Pixels(0, Memo->Height() / 2), SkinGreen) << "the section's frame";
        if (std::string(l.name) == "FlatBorder")
            WriteSheetPng(*seen.screen, std::string(KS_BUILD_DIR) + "/memo-flat-screen.png");
    }
}

} // namespace

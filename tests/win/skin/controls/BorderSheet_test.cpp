// Two sheets for people to look at, under the internal skin: the button, check box and speed
// button bound to an enabled and to a disabled action (<build>/action-sheet.png), and the edit
// and the memo in each border and bevel combination (<build>/border-sheet.png). Each cell is
// also checked, so a control that ignores its action or its frame fails here too.
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sMemo.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sMessages.h"
#include "vcl/ActnList.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/EditFrame.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace ks::test;

UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }

class BorderSheetTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        Form->SetBounds(40, 40, 420, 560);
        Pump();
    }
    template <class T>
    T* Placed(int x, int y, int w, int h)
    {
        auto* c = Create<T>(Form);
        c->SetBounds(x, y, w, h);
        c->SetParent(Form);
        return c;
    }
    static bool SamePicture(TBitmap& a, TBitmap& b)
    {
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.Canvas().Pixels(x, y) != b.Canvas().Pixels(x, y))
                    return false;
        return true;
    }
    // The form's picture of its top-left part, with names beside the rows.
    std::unique_ptr<TBitmap> Sheet(int width, int height)
    {
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        Pump();
        auto sheet = NewBitmap24(width, height);
        HDC dc = GetDC(Form->Handle());
        BitBlt(sheet->Canvas().Handle(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
        ReleaseDC(Form->Handle(), dc);
        GdiFlush();
        return sheet;
    }
};

TEST_F(BorderSheetTest, ControlsDisabledByTheirActionLookDisabled)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin did not load";
    auto* on = Create<TAction>(Form);
    on->SetCaption(L"Создать");
    auto* off = Create<TAction>(Form);
    off->SetCaption(L"Создать");
    off->SetEnabled(false);
    struct Row {
        const char* name;
        std::function<TControl*(int x, int y)> make;
    };
    const std::vector<Row> rows = {
        {"TsButton", [&](int x, int y) { return Placed<TsButton>(x, y, 100, 30); }},
        {"TsCheckBox", [&](int x, int y) { return Placed<TsCheckBox>(x, y, 100, 20); }},
        {"TsSpeedButton", [&](int x, int y) { return Placed<TsSpeedButton>(x, y, 100, 26); }},
    };
    std::vector<std::pair<TControl*, TControl*>> pairs;
    int y = 24;
    for (const Row& row : rows) {
        TControl* enabled = row.make(110, y);
        TControl* disabled = row.make(240, y);
        enabled->SetAction(on);
        disabled->SetAction(off);
        pairs.emplace_back(enabled, disabled);
        y += 44;
    }
    auto sheet = Sheet(360, y);
    DrawSheetLabel(*sheet, 110, 4, "action enabled", clBlack);
    DrawSheetLabel(*sheet, 240, 4, "action disabled", clBlack);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        DrawSheetLabel(*sheet, 6, pairs[i].first->Top() + 4, rows[i].name, clBlack);
        EXPECT_TRUE(pairs[i].first->Enabled());
        EXPECT_FALSE(pairs[i].second->Enabled());
        EXPECT_EQ(pairs[i].second->Caption(), L"Создать");
        auto a = Capture(pairs[i].first);
        auto b = Capture(pairs[i].second);
        EXPECT_FALSE(SamePicture(*a, *b)) << "the disabled one shows the disabled look";
    }
    WriteSheetPng(*sheet, std::string("Z:") + KS_BUILD_DIR + "/action-sheet.png");
}

TEST_F(BorderSheetTest, EditsAndMemosInEachBorderAndBevelCombination)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin did not load";
    struct Row {
        const char* name;
        EditFrame look;
        // The section's frame shows at the edit's corner wherever it has one: in the non-client
        // area, over the flat border the platform edit draws inside its client area, or over the
        // client's edge where bevels get no room. The memo's adapter frames only the window's
        // non-client edge and that flat border.
        bool editCorner, memoCorner;
    } const rows[] = {
        {"single 3-D", {bsSingle, true, bvRaised, bvLowered, bkNone}, true, true},
        {"single flat", {bsSingle, false, bvRaised, bvLowered, bkNone}, true, true},
        {"none, bevels", {bsNone, true, bvRaised, bvLowered, bkNone}, true, false},
        {"none, no bevels", {bsNone, true, bvNone, bvNone, bkNone}, false, false},
        {"none, bkFlat 2", {bsNone, true, bvRaised, bvLowered, bkFlat}, true, true},
        {"none, bkSoft 1", {bsNone, true, bvNone, bvRaised, bkSoft}, true, true},
        {"single, bkTile 2", {bsSingle, true, bvLowered, bvRaised, bkTile}, true, true},
        {"flat, bkFlat 1", {bsSingle, false, bvNone, bvLowered, bkFlat}, true, true},
    };
    std::vector<std::pair<TsEdit*, TsMemo*>> cells;
    int y = 24;
    for (const Row& row : rows) {
        auto* edit = Placed<TsEdit>(110, y, 120, 26);
        auto* memo = Placed<TsMemo>(250, y, 140, 50);
        edit->SetText(L"Пароль 123");
        memo->Lines().SetText(L"Строка один\r\nстрока два");
        row.look.ApplyTo(*edit);
        row.look.ApplyTo(*memo);
        memo->Perform(SM_SKINCMD, MAKELONG(0, SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
        cells.emplace_back(edit, memo);
        y += 60;
    }
    auto sheet = Sheet(400, y);
    DrawSheetLabel(*sheet, 110, 4, "TsEdit", clBlack);
    DrawSheetLabel(*sheet, 250, 4, "TsMemo", clBlack);
    for (size_t i = 0; i < cells.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        DrawSheetLabel(*sheet, 4, cells[i].first->Top() + 4, rows[i].name, clBlack);
        const std::pair<TWinControl*, bool> framed[] = {{cells[i].first, rows[i].editCorner},
                                                        {cells[i].second, rows[i].memoCorner}};
        for (const auto& [control, corner] : framed) {
            SCOPED_TRACE(control->ClassName());
            EXPECT_EQ(WindowPixel(control->Handle(), 0, 0) == SkinGreen, corner);
            // Inside the frame every combination shows the section's black, also where bevels
            // inside a single border take non-client room beyond the frame's width.
            for (const int at : {2, 3})
                EXPECT_EQ(WindowPixel(control->Handle(), at, control->Height() / 2), SkinBlack) << at;
        }
    }
    WriteSheetPng(*sheet, std::string("Z:") + KS_BUILD_DIR + "/border-sheet.png");
}

} // namespace

// The platform's own standard dialogs (font, colour, open) opened under the internal skin as a
// program opens them: each is skinned and closes cleanly; the lists of the font dialog's combo
// boxes carry their adapters, and its group boxes show the skin's frame and caption band, not
// the platform's. A picture of the font dialog is left under the build folder.
#include "skin/adapters/acButtonAdapters.h"
#include "skin/core/sCommonData.h"
#include "win/skin/forms/DialogSkinFixture.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace ks::test;

BOOL CALLBACK CollectChild(HWND child, LPARAM out)
{
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND box)
{
    std::vector<HWND> all;
    EnumChildWindows(box, &CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::wstring ClassOf(HWND wnd)
{
    wchar_t cls[64]{};
    GetClassNameW(wnd, cls, 64);
    return cls;
}

class StandardDialogsTest : public InternalSkinFixture {
protected:
    void TearDown() override
    {
        gBoxRun = nullptr;
        InternalSkinFixture::TearDown();
    }
    // Opens a dialog with open and runs inside from its own loop; inside closes it.
    static void WhileOpen(const std::function<void()>& open, std::function<void(HWND)> inside)
    {
        BoxRun run{std::move(inside)};
        gBoxRun = &run;
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, &BoxTimer);
        open();
        KillTimer(nullptr, timer);
        gBoxRun = nullptr;
        EXPECT_TRUE(run.Ran) << "the dialog never showed";
    }
    static void Cancel(HWND box) { PostMessageW(box, WM_COMMAND, IDCANCEL, 0); }
};

TEST_F(StandardDialogsTest, TheFontDialogsListsAndGroupBoxesAreTheSkins)
{
    int lists = 0, unadapted = 0, groups = 0;
    std::vector<std::wstring> platformFramed;
    TColor sampleEdge = clNone;
    WhileOpen(
        [] {
            LOGFONTW lf{};
            CHOOSEFONTW cf{};
            cf.lStructSize = sizeof(cf);
            cf.lpLogFont = &lf;
            cf.Flags = CF_SCREENFONTS | CF_EFFECTS;
            EXPECT_FALSE(ChooseFontW(&cf)) << "cancelled";
        },
        [&](HWND box) {
            EXPECT_NE(GetScrollHandler(box), nullptr) << "the dialog is skinned";
            RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            for (HWND child : Descendants(box)) {
                if (ClassOf(child) == L"ComboLBox") {
                    ++lists;
                    unadapted += GetScrollHandler(child) == nullptr;
                }
                // The hidden static the dialog frames as its sample, inside the "Sample" box.
                if (ClassOf(child) == L"Static" && !IsWindowVisible(child) && GetParent(child) == box) {
                    RECT r{};
                    GetWindowRect(child, &r);
                    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
                    if (r.right - r.left > 100) {
                        HDC dc = GetDC(box);
                        sampleEdge = static_cast<TColor>(GetPixel(dc, r.left, (r.top + r.bottom) / 2));
                        ReleaseDC(box, dc);
                    }
                }
                auto* group = dynamic_cast<TacGroupBoxWnd*>(GetScrollHandler(child));
                if (!group || !IsWindowVisible(child))
                    continue;
                ++groups;
                // The screen shows the group box's own picture along its left edge, below the
                // caption band.
                RECT r{};
                GetWindowRect(child, &r);
                TBitmap* cache = group->SkinData->CacheBitmap.get();
                ASSERT_NE(cache, nullptr);
                const int y = (r.bottom - r.top) * 2 / 3;
                if (ScreenPixel(child, 0, y) != static_cast<TColor>(GetPixel(cache->Canvas().Handle(), 0, y)) ||
                    ScreenPixel(child, 1, y) != static_cast<TColor>(GetPixel(cache->Canvas().Handle(), 1, y)))
                    platformFramed.push_back(group->WndText);
            }
            WriteSheetPng(*ScreenPicture(box), std::string(KS_BUILD_DIR) + "/font-dialog.png");
            Cancel(box);
        });
    EXPECT_EQ(lists, 3) << "the font, style and size lists";
    EXPECT_EQ(unadapted, 0);
    EXPECT_EQ(groups, 2) << "Effects and Sample";
    ASSERT_NE(sampleEdge, clNone) << "the sample's place";
    EXPECT_NE(sampleEdge, static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW))) << "the sample's sunken frame is the skin's";
    EXPECT_NE(sampleEdge, static_cast<TColor>(GetSysColor(COLOR_BTNHIGHLIGHT)));
    EXPECT_TRUE(platformFramed.empty()) << (platformFramed.empty() ? "" : std::string(platformFramed[0].begin(), platformFramed[0].end()));
}

TEST_F(StandardDialogsTest, TheColourAndOpenDialogsAreSkinnedAndCloseCleanly)
{
    WhileOpen(
        [] {
            static COLORREF custom[16]{};
            CHOOSECOLORW cc{};
            cc.lStructSize = sizeof(cc);
            cc.lpCustColors = custom;
            cc.Flags = CC_FULLOPEN;
            EXPECT_FALSE(ChooseColorW(&cc));
        },
        [](HWND box) {
            EXPECT_NE(GetScrollHandler(box), nullptr);
            Cancel(box);
        });
    WhileOpen(
        [] {
            wchar_t file[MAX_PATH]{};
            OPENFILENAMEW ofn{};
            ofn.lStructSize = sizeof(ofn);
            ofn.lpstrFile = file;
            ofn.nMaxFile = MAX_PATH;
            ofn.lpstrFilter = L"Skins\0*.asz\0";
            ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
            EXPECT_FALSE(GetOpenFileNameW(&ofn));
        },
        [](HWND box) {
            EXPECT_NE(GetScrollHandler(box), nullptr);
            Cancel(box);
        });
    EXPECT_EQ(FindVisibleDialog(), nullptr);
}

} // namespace

// The group box and the labels of the two real forms are drawn by the skin engine with the
// internal skin the main form loads; pictures of both forms are left in the test's folder to be
// looked at.
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "host/support/SmallPng.h"
#include "win/app/AppFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

uint32_t Pixel(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + 3 * x;
    return p[2] | p[1] << 8 | p[0] << 16; // as a colour value: red in the low byte
}

// The form's client area as the screen shows it, every child window included.
std::unique_ptr<TBitmap> Capture(TForm* form, const char* pngName)
{
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    auto picture = NewBitmap24(form->ClientWidth(), form->ClientHeight());
    POINT origin{0, 0};
    ClientToScreen(form->Handle(), &origin);
    {
        ks::WindowDC screen(nullptr);
        BitBlt(picture->Canvas().Handle(), 0, 0, picture->Width(), picture->Height(), screen.get(), origin.x, origin.y,
               SRCCOPY);
    }
    GdiFlush();
    std::vector<uint8_t> samples;
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x) {
            const uint32_t c = Pixel(*picture, x, y);
            samples.insert(samples.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                           static_cast<uint8_t>(c >> 16), 255});
        }
    const std::vector<uint8_t> png = ks::test::MakeSmallPng(picture->Width(), picture->Height(), 6, samples);
    std::ofstream(std::string(KS_BUILD_DIR) + "/" + pngName, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return picture;
}

class SkinnedCaptionsTest : public AppFixture {};

TEST_F(SkinnedCaptionsTest, TheOptionsGroupAndTheLabelsOfBothFormsAreSkinned)
{
    CreateForms();
    Form1->Show();
    Pump();
    ASSERT_NE(DefaultSkinManager, nullptr);
    const TColor skinText = DefaultSkinManager->GlobalSectionFontColor();

    auto* group = Get<TsGroupBox>(Form1, "sGroupBox1");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->SkinData()->SkinSection(), "GROUPBOX");
    EXPECT_TRUE(group->SkinData()->IsSkinActive());
    auto main = Capture(Form1, "keysmith_main.png");
    const int band = group->CaptionHeight();
    const TsGeneralData& section =
        DefaultSkinManager->GeneralDataArray[static_cast<size_t>(group->SkinData()->SkinIndex)];
    // The frame's top edge runs through the middle of the caption band, right of the caption,
    // in the skin's colours rather than the platform's etched grey.
    const uint32_t edge = Pixel(*main, group->Left() + group->Width() - 30, group->Top() + band / 2);
    EXPECT_EQ(edge & 0xFF, 0u);
    EXPECT_EQ(edge >> 16, 0u);
    EXPECT_GT(edge >> 8 & 0xFF, 0x60u) << "a green frame";
    EXPECT_EQ(Pixel(*main, group->Left() + group->Width() - 30, group->Top() + band + 20),
              static_cast<uint32_t>(ColorToRGB(section.Transparency >= 100 ? Form1->Color() : section.Color)));

    for (const char* name : {"sLabel1", "sLabel2", "sLabel3"}) {
        if (auto* label = Get<TsLabel>(Form1, name)) {
            EXPECT_EQ(label->Font()->Color(), skinText) << name;
        }
    }

    Form2->Show();
    Pump();
    Capture(Form2, "keysmith_about.png");
    for (const char* name : {"sLabel1", "sLabel2", "sLabel3", "sLabel4"}) {
        if (auto* label = Get<TsLabel>(Form2, name)) {
            EXPECT_EQ(label->Font()->Color(), skinText) << name;
        }
    }
}

} // namespace

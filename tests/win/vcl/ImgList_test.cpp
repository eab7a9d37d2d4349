#include "vcl/ImgList.h"

#include "vcl/Bitmap.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

namespace {

using ImgListTest = VclFixture;

struct Changes {
    int count = 0;
    void OnChange(TObject*) { ++count; }
};

// A bitmap drawn through its canvas goes into the 16 by 16 list as drawn; one narrower than an
// image adds nothing, and says so.
TEST_F(ImgListTest, AddKeepsTheImageAndAnswersWhereItWent)
{
    struct Case {
        const char* name;
        int size;
        int index;
    };
    const Case cases[] = {
        {"DrawnThroughItsCanvas", 16, 1},
        {"NarrowerThanOneImage", 5, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* list = Create<TImageList>(nullptr);
        TBitmap image;
        image.SetPixelFormat(pf24bit);
        image.SetSize(16, 16);
        ASSERT_EQ(list->Add(image, nullptr), 0);
        Changes changes;
        list->SetOnChange(TNotifyEvent(&changes, &Changes::OnChange));
        image.SetSize(c.size, c.size);
        image.Canvas().Brush().SetColor(clRed);
        image.Canvas().FillRect(TRect{0, 0, c.size, c.size});
        EXPECT_EQ(list->Add(image, nullptr), c.index);
        EXPECT_EQ(list->Count(), c.index < 0 ? 1 : 2);
        EXPECT_EQ(changes.count, c.index < 0 ? 0 : 1);
        if (c.index >= 0) {
            TBitmap shown;
            shown.SetPixelFormat(pf24bit);
            shown.SetSize(16, 16);
            list->Draw(shown.Canvas(), 0, 0, c.index);
            EXPECT_EQ(shown.Canvas().Pixels(8, 8), clRed);
        }
        list->Free();
    }
}

} // namespace

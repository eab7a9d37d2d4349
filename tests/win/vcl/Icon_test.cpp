#include "vcl/Icon.h"

#include "host/support/ImageBuilders.h"
#include "vcl/Bitmap.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using IconTest = VclFixture;
using ks::test::IcoBuilder;
using ks::test::IcoImage;

IcoImage Dib(int size, uint32_t bgra)
{
    IcoImage i;
    i.width = i.height = size;
    i.pixel = bgra;
    return i;
}

void Load(TIcon& icon, const std::vector<uint8_t>& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SetPosition(0);
    icon.LoadFromStream(s);
}

TEST_F(IconTest, LoadsTheImageOfTheSystemSizeAndDrawsIt)
{
    const int size = GetSystemMetrics(SM_CXICON);
    IcoBuilder b;
    // BGRA words: the image of the system size is opaque blue, the others opaque green.
    b.images = {Dib(16, 0xFF00FF00), Dib(size, 0xFF0000FF), Dib(size * 2, 0xFF00FF00)};
    TIcon icon;
    Load(icon, b.Build());
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Width(), size);
    EXPECT_EQ(icon.Height(), size);

    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(size, size);
    target.Canvas().Draw(0, 0, icon);
    const uint8_t* p = target.ScanLine(size / 2) + 3 * (size / 2);
    EXPECT_EQ(p[0] | p[1] << 8 | p[2] << 16, 0x0000FF) << "blue bytes: B 0xFF, G 0, R 0";
}

TEST_F(IconTest, DirectoryDefectsAreRefusedAndTheIconKept)
{
    IcoBuilder good;
    good.images = {Dib(16, 0xFF0000FF)};
    TIcon icon;
    Load(icon, good.Build());
    const HICON before = icon.Handle();

    IcoBuilder pastEnd = good;
    pastEnd.entryOverrides = {{0, {22, 100000}}};
    IcoBuilder inDirectory = good;
    inDirectory.entryOverrides = {{0, {4, 40}}};
    IcoBuilder none;
    std::vector<uint8_t> rowsMissing = good.Build();
    rowsMissing.resize(rowsMissing.size() - 64 - 16); // the mask and a colour row gone
    struct Case { const char* name; std::vector<uint8_t> data; } cases[] = {
        {"Empty", {}},
        {"NoImages", none.Build()},
        {"ImagePastEnd", pastEnd.Build()},
        {"ImageInsideDirectory", inDirectory.Build()},
        {"RowsMissing", rowsMissing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(Load(icon, c.data), EInvalidGraphic);
        EXPECT_EQ(icon.Handle(), before);
        EXPECT_EQ(icon.Width(), 16);
    }
}

TEST_F(IconTest, SavesItsFileImageAndCopiesOnAssign)
{
    IcoBuilder b;
    b.images = {Dib(16, 0xFF0000FF), Dib(32, 0xFF0000FF)};
    const std::vector<uint8_t> file = b.Build();
    TIcon icon;
    Load(icon, file);
    TMemoryStream out;
    icon.SaveToStream(out);
    EXPECT_EQ(std::vector<uint8_t>(out.Memory(), out.Memory() + out.Size()), file);

    TIcon copy;
    copy.Assign(&icon);
    EXPECT_NE(copy.Handle(), nullptr);
    EXPECT_NE(copy.Handle(), icon.Handle());
    EXPECT_EQ(copy.Width(), icon.Width());

    TIcon fromHandle;
    fromHandle.SetHandle(CopyIcon(icon.Handle()));
    EXPECT_EQ(fromHandle.Width(), icon.Width());
    TMemoryStream none;
    EXPECT_THROW(fromHandle.SaveToStream(none), EInvalidGraphicOperation);
    HICON released = fromHandle.ReleaseHandle();
    EXPECT_TRUE(fromHandle.Empty());
    DestroyIcon(released);
}

} // namespace

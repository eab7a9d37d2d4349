#include "vcl/ByteReader.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

TEST(ByteReader, ReadsBothByteOrders)
{
    const std::vector<uint8_t> data{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    ks::ByteReader le(data);
    EXPECT_EQ(le.U16LE(), 0x0201);
    EXPECT_EQ(le.U32LE(), 0x06050403u);
    ks::ByteReader be(data);
    EXPECT_EQ(be.U16BE(), 0x0102);
    EXPECT_EQ(be.U32BE(), 0x03040506u);
    EXPECT_EQ(be.Remaining(), 2u);
}

TEST(ByteReader, ShortReadThrowsAndConsumesNothing)
{
    const std::vector<uint8_t> data{1, 2, 3};
    ks::ByteReader r(data);
    EXPECT_THROW(r.U32LE(), EReadError);
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_THROW(r.Bytes(4), EReadError);
    EXPECT_THROW(r.Seek(4), EReadError);
}

TEST(ByteReader, SubCursorCannotReadPastItsLength)
{
    const std::vector<uint8_t> data{1, 2, 3, 4, 5};
    ks::ByteReader r(data);
    ks::ByteReader sub = r.Sub(2);
    EXPECT_EQ(r.Position(), 2u);
    EXPECT_EQ(sub.U16LE(), 0x0201);
    EXPECT_THROW(sub.U8(), EReadError);
    EXPECT_EQ(r.U8(), 3);
}

[[noreturn]] void ThrowCustom() { throw EInvalidGraphic("custom"); }

TEST(ByteReader, OwnerChoosesTheShortReadError)
{
    const std::vector<uint8_t> data{1};
    ks::ByteReader r(data, ThrowCustom);
    EXPECT_THROW(r.U16BE(), EInvalidGraphic);
    EXPECT_THROW(r.Sub(1).U16LE(), EInvalidGraphic);
}

TEST(CheckedArithmetic, RefusesWrapAround)
{
    const uint64_t max = std::numeric_limits<uint64_t>::max();
    uint64_t out = 7;
    EXPECT_FALSE(ks::CheckedMul(max / 2 + 1, 2, out));
    EXPECT_FALSE(ks::CheckedAdd(max, 1, out));
    EXPECT_EQ(out, 7u);
    EXPECT_TRUE(ks::CheckedMul(0, max, out));
    EXPECT_EQ(out, 0u);
    EXPECT_TRUE(ks::CheckedAdd(max - 1, 1, out));
    EXPECT_EQ(out, max);
}

TEST(Format, FillsPlaceholdersInOrder)
{
    EXPECT_EQ(Format("'%s' is not a valid integer value", {"x1"}), "'x1' is not a valid integer value");
    EXPECT_EQ(Format("%s and %s, 100%%", {"a", "b"}), "a and b, 100%");
    EXPECT_EQ(Format("%s %s", {"only"}), "only %s");
}

} // namespace

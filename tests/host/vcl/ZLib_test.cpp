#include "vcl/ZLib.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Sample(size_t n)
{
    // Mixed runs and noise, so the stream has several blocks and real back references.
    std::vector<uint8_t> data(n);
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        data[i] = (i / 700) % 2 ? static_cast<uint8_t>(x >> 24) : static_cast<uint8_t>(i / 50);
    }
    return data;
}

ks::ZLibReason InflateFailure(std::span<const uint8_t> in, size_t declared)
{
    std::vector<uint8_t> out(declared);
    try {
        ks::InflateExact(in, out);
    } catch (const EZLibError& e) {
        return static_cast<ks::ZLibReason>(e.Reason());
    }
    return ks::ZLibReason::None;
}

// What follows the stream (the next archive entry) is left for the caller.
TEST(ZLib, InflatesToExactlyTheDeclaredSizeAndLeavesTrailingBytes)
{
    for (size_t n : {size_t(0), size_t(1), size_t(9634), size_t(200000)}) {
        SCOPED_TRACE(n);
        auto data = Sample(n);
        auto packed = ks::Deflate(data, 9);
        const size_t streamSize = packed.size();
        packed.insert(packed.end(), {0x78, 0x9C, 0xDE, 0xAD});
        std::vector<uint8_t> out(n);
        EXPECT_EQ(ks::InflateExact(packed, out), streamSize);
        EXPECT_EQ(out, data);
    }
}

TEST(ZLib, MalformedStreamsAreRefusedWithTheirReason)
{
    const auto data = Sample(5000);
    const auto packed = ks::Deflate(data);
    auto cut = [&](size_t keep) { return std::vector<uint8_t>(packed.begin(), packed.begin() + keep); };
    auto flipped = [&](size_t at, uint8_t mask) {
        auto v = packed;
        v[at] ^= mask;
        return v;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> in;
        size_t declared;
        ks::ZLibReason reason;
    } cases[] = {
        {"DeclaredLarger", packed, data.size() + 1, ks::ZLibReason::ShorterThanDeclared},
        {"DeclaredSmaller", packed, data.size() - 1, ks::ZLibReason::LongerThanDeclared},
        {"DeclaredZero", packed, 0, ks::ZLibReason::LongerThanDeclared},
        {"TruncatedData", cut(packed.size() / 2), data.size(), ks::ZLibReason::Truncated},
        {"TruncatedCheckValue", cut(packed.size() - 1), data.size(), ks::ZLibReason::Truncated},
        {"Empty", {}, data.size(), ks::ZLibReason::Truncated},
        {"BadHeader", flipped(0, 0x01), data.size(), ks::ZLibReason::Corrupt},
        {"BadCheckValue", flipped(packed.size() - 1, 0x80), data.size(), ks::ZLibReason::Corrupt},
        {"RawDeflateWithoutHeader", std::vector<uint8_t>(packed.begin() + 2, packed.end()), data.size(),
         ks::ZLibReason::Corrupt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InflateFailure(c.in, c.declared), c.reason);
    }
}

// One byte per Feed splits the four-byte check value across four calls.
TEST(ZLib, FedInPiecesTheStreamEndsAtItsCheckValue)
{
    const auto data = Sample(20000);
    auto packed = ks::Deflate(data);
    const size_t streamSize = packed.size();
    packed.push_back(0x42);
    std::vector<uint8_t> out(data.size());
    ks::ExactInflater inflater(out);
    size_t consumed = 0;
    for (size_t i = 0; i < packed.size() && !inflater.Done(); ++i)
        consumed += inflater.Feed(std::span(packed).subspan(i, 1));
    EXPECT_TRUE(inflater.Done());
    EXPECT_EQ(consumed, streamSize);
    EXPECT_EQ(inflater.Feed(std::span(packed).subspan(streamSize)), 0u);
    EXPECT_NO_THROW(inflater.Finish());
    EXPECT_EQ(out, data);
}

TEST(ZLib, NoBitFlipEscapesAsAnythingButEZLibError)
{
    const auto data = Sample(300);
    const auto packed = ks::Deflate(data);
    for (size_t i = 0; i < packed.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            auto v = packed;
            v[i] ^= static_cast<uint8_t>(1u << bit);
            std::vector<uint8_t> out(data.size());
            try {
                ks::InflateExact(v, out);
                // Only the padding bits that end the last block can change without effect.
                EXPECT_EQ(out, data) << "byte " << i << " bit " << bit;
            } catch (const EZLibError&) {
            }
        }
    }
}

TEST(ZLib, Crc32MatchesTheStandardCheckValue)
{
    const std::string text = "123456789";
    std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    EXPECT_EQ(ks::Crc32(0, bytes), 0xCBF43926u);
    EXPECT_EQ(ks::Crc32(ks::Crc32(0, bytes.first(4)), bytes.subspan(4)), 0xCBF43926u);
}

} // namespace

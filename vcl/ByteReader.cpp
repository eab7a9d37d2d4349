#include "vcl/ByteReader.h"

#include "vcl/SysUtils.h"

#include <limits>

namespace ks {

bool CheckedMul(uint64_t a, uint64_t b, uint64_t& out) noexcept
{
    if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a)
        return false;
    out = a * b;
    return true;
}

bool CheckedAdd(uint64_t a, uint64_t b, uint64_t& out) noexcept
{
    if (b > std::numeric_limits<uint64_t>::max() - a)
        return false;
    out = a + b;
    return true;
}

void ByteReader::Need(size_t n)
{
    if (n <= Remaining())
        return;
    if (FOnShortRead)
        FOnShortRead();
    throw EReadError("Stream read error");
}

uint8_t ByteReader::U8()
{
    Need(1);
    return FData[FPos++];
}

uint16_t ByteReader::U16LE()
{
    Need(2);
    uint16_t v = static_cast<uint16_t>(FData[FPos] | (FData[FPos + 1] << 8));
    FPos += 2;
    return v;
}

uint32_t ByteReader::U32LE()
{
    Need(4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | FData[FPos + i];
    FPos += 4;
    return v;
}

uint64_t ByteReader::U64LE()
{
    uint64_t lo = U32LE();
    uint64_t hi = U32LE();
    return lo | (hi << 32);
}

uint16_t ByteReader::U16BE()
{
    Need(2);
    uint16_t v = static_cast<uint16_t>((FData[FPos] << 8) | FData[FPos + 1]);
    FPos += 2;
    return v;
}

uint32_t ByteReader::U32BE()
{
    Need(4);
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | FData[FPos + i];
    FPos += 4;
    return v;
}

std::span<const uint8_t> ByteReader::Bytes(size_t n)
{
    Need(n);
    auto s = FData.subspan(FPos, n);
    FPos += n;
    return s;
}

ByteReader ByteReader::Sub(size_t n)
{
    return ByteReader(Bytes(n), FOnShortRead);
}

void ByteReader::Seek(size_t pos)
{
    if (pos > FData.size()) {
        FPos = FData.size();
        Need(pos - FData.size());
    }
    FPos = pos;
}

} // namespace ks

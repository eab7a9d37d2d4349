// The AVX2 loops of the pixel core. Only the functions marked KS_AVX2 use the wider instructions,
// so nothing here may be inlined into, or shared with, code built for SSE2 alone.
#include "skin/pixels/PixelCoreAvx2.h"

#include "skin/pixels/PixelCore.h"
#include "skin/pixels/PixelCoreSse2.h"
#include "skin/pixels/RowPieces.h"

#include <immintrin.h>

#include <array>
#include <cstring>

#define KS_AVX2 __attribute__((target("avx2")))

namespace ks {
namespace {

// Byte shuffles act within each 128-bit half of a register, so every mask is one 16-byte pattern
// that both halves use; an index with its top bit set gives a zero byte.
using Pattern = std::array<int8_t, 16>;
constexpr int8_t Zero = -128;

// Four 24-bit pixels (twelve bytes) of a load that starts base bytes before them, spread to one
// pixel per 32-bit lane with a top byte of 0.
constexpr Pattern Spread(int base)
{
    Pattern m{};
    m.fill(Zero);
    for (int p = 0; p < 4; ++p)
        for (int c = 0; c < 3; ++c)
            m[4 * p + c] = static_cast<int8_t>(base + 3 * p + c);
    return m;
}

// The alpha of each of four 32-bit pixels in both 16-bit lanes of its pixel.
constexpr Pattern Alpha()
{
    Pattern m{};
    m.fill(Zero);
    for (int lane = 0; lane < 8; ++lane)
        m[2 * lane] = static_cast<int8_t>(4 * (lane / 2) + 3);
    return m;
}

// Sixteen 24-bit pixels come out of four registers of blended pixels, register g holding pixels
// 4g to 4g + 3 one per 32-bit lane: the bytes of 16-byte part `part` of the 48 destination bytes
// that register g holds, at their places.
constexpr Pattern Gather(int part, int g)
{
    Pattern m{};
    m.fill(Zero);
    for (int i = 0; i < 16; ++i) {
        const int n = 16 * part + i, pixel = n / 3, channel = n % 3;
        if (pixel / 4 == g)
            m[i] = static_cast<int8_t>(4 * (pixel % 4) + channel);
    }
    return m;
}

constexpr Pattern SpreadAt0 = Spread(0), SpreadAt4 = Spread(4), AlphaOfPixel = Alpha();
constexpr Pattern Gather00 = Gather(0, 0), Gather01 = Gather(0, 1), Gather11 = Gather(1, 1), Gather12 = Gather(1, 2),
                  Gather22 = Gather(2, 2), Gather23 = Gather(2, 3);

KS_AVX2 inline __m256i Mask(const Pattern& m) noexcept
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data())));
}

// How far ahead the keyed copies fetch, as the SSE2 ones do: they do too little per byte to hide a
// miss. A prefetch never faults, so it may reach past the row's end.
constexpr ptrdiff_t KeyedAhead = 384;

constexpr uint64_t AllKeyed = 0x249249249249ull;

inline void Fetch(const uint8_t* p) noexcept
{
    _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
}

KS_AVX2 inline __m256i Load(const uint8_t* p) noexcept
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

KS_AVX2 inline void Store(uint8_t* p, __m256i v) noexcept
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Sixteen bytes at low into the low half, sixteen at high into the high half, and back.
KS_AVX2 inline __m256i Load2(const uint8_t* low, const uint8_t* high) noexcept
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

KS_AVX2 inline void Store2(uint8_t* low, uint8_t* high, __m256i v) noexcept
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(low), _mm256_castsi256_si128(v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(high), _mm256_extracti128_si256(v, 1));
}

// Eight 32-bit source pixels blended into eight destination pixels held one per 32-bit lane; the
// fourth bytes come out undefined. Each 16-bit lane blends its even byte in its low half and its
// odd byte in its high half, as s * a + d * (256 - a), at most 255 * 256, whose high byte is the
// result: the pixels are never unpacked, which would take the byte shuffles that limit the loops.
KS_AVX2 inline __m256i Blend8(__m256i s, __m256i d, __m256i alphaOfPixel) noexcept
{
    const __m256i low = _mm256_set1_epi16(0x00FF);
    const __m256i a = _mm256_shuffle_epi8(s, alphaOfPixel);
    const __m256i na = _mm256_sub_epi16(_mm256_set1_epi16(256), a);
    const __m256i even = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, low), a),
                                          _mm256_mullo_epi16(_mm256_and_si256(d, low), na));
    const __m256i odd = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), a),
                                         _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), na));
    return _mm256_or_si256(_mm256_srli_epi16(even, 8), _mm256_andnot_si256(low, odd));
}

// Thirty-two MaskBlendBytes: ((d - s) * m + s * 256) >> 8 in 16-bit lanes, even bytes in the low
// halves and odd ones in the high halves as in Blend8; the sum, at most 255 * 256, comes out right
// modulo 2^16 whatever the sign of d - s.
KS_AVX2 inline __m256i MaskBlend32(__m256i s, __m256i d, __m256i m) noexcept
{
    const __m256i low = _mm256_set1_epi16(0x00FF);
    const __m256i even = _mm256_add_epi16(
        _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_and_si256(d, low), _mm256_and_si256(s, low)),
                           _mm256_and_si256(m, low)),
        _mm256_slli_epi16(s, 8));
    const __m256i odd = _mm256_add_epi16(
        _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_srli_epi16(d, 8), _mm256_srli_epi16(s, 8)), _mm256_srli_epi16(m, 8)),
        _mm256_andnot_si256(low, s));
    return _mm256_or_si256(_mm256_srli_epi16(even, 8), _mm256_andnot_si256(low, odd));
}

bool Overlap(const uint8_t* a, const uint8_t* b, size_t bytes) noexcept
{
    const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    return x < y + bytes && y < x + bytes;
}

// Thirty-two BlendFixedBytes, as BlendFixed16 of the SSE2 loops.
KS_AVX2 inline __m256i BlendFixed32(__m256i s, __m256i d, __m256i srcWeight, __m256i dstWeight) noexcept
{
    const __m256i low = _mm256_set1_epi16(0x00FF);
    const __m256i half = _mm256_set1_epi16(127);
    const __m256i even = _mm256_add_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, low), srcWeight),
                         _mm256_mullo_epi16(_mm256_and_si256(d, low), dstWeight)),
        half);
    const __m256i odd = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), srcWeight),
                                                          _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), dstWeight)),
                                         half);
    return _mm256_or_si256(_mm256_srli_epi16(even, 8), _mm256_andnot_si256(low, odd));
}

// Thirty-two pixels a step, as two blocks of sixteen side by side, one in each half of the
// registers (the byte shuffles stay within halves): a block's 48 destination bytes are read as four
// groups of four pixels, at 0, 12, 24 and, so as not to read past the block, 32. The same bytes of
// the next rows are fetched meanwhile: out of cache the blend would otherwise wait at the start of
// every row and page, since rows of bottom-up bitmaps run backwards through memory and the
// hardware's own prefetching stops at page ends.
KS_AVX2 void Row32To24(uint8_t* dst, const uint8_t* src, int count, const uint8_t* nextDst,
                       const uint8_t* nextSrc) noexcept
{
    const __m256i alphaBytes = _mm256_set1_epi32(static_cast<int>(0xFF000000));
    const __m256i alpha = Mask(AlphaOfPixel), spread = Mask(SpreadAt0), spreadAt4 = Mask(SpreadAt4);
    int x = 0;
    for (; x + 32 <= count; x += 32, dst += 96, src += 128, nextDst += 96, nextSrc += 128) {
        Fetch(nextSrc);
        Fetch(nextSrc + 64);
        Fetch(nextDst);
        Fetch(nextDst + 64);
        const __m256i s0 = Load2(src, src + 64), s1 = Load2(src + 16, src + 80);
        const __m256i s2 = Load2(src + 32, src + 96), s3 = Load2(src + 48, src + 112);
        // Thirty-two transparent source pixels leave the destination as it is.
        if (_mm256_testz_si256(_mm256_or_si256(_mm256_or_si256(s0, s1), _mm256_or_si256(s2, s3)), alphaBytes))
            continue;
        const __m256i r0 = Blend8(s0, _mm256_shuffle_epi8(Load2(dst, dst + 48), spread), alpha);
        const __m256i r1 = Blend8(s1, _mm256_shuffle_epi8(Load2(dst + 12, dst + 60), spread), alpha);
        const __m256i r2 = Blend8(s2, _mm256_shuffle_epi8(Load2(dst + 24, dst + 72), spread), alpha);
        const __m256i r3 = Blend8(s3, _mm256_shuffle_epi8(Load2(dst + 32, dst + 80), spreadAt4), alpha);
        Store2(dst, dst + 48,
               _mm256_or_si256(_mm256_shuffle_epi8(r0, Mask(Gather00)), _mm256_shuffle_epi8(r1, Mask(Gather01))));
        Store2(dst + 16, dst + 64,
               _mm256_or_si256(_mm256_shuffle_epi8(r1, Mask(Gather11)), _mm256_shuffle_epi8(r2, Mask(Gather12))));
        Store2(dst + 32, dst + 80,
               _mm256_or_si256(_mm256_shuffle_epi8(r2, Mask(Gather22)), _mm256_shuffle_epi8(r3, Mask(Gather23))));
    }
    AlphaBlendPixels32To24Sse2(dst, src, count - x);
}

KS_AVX2 void Row32To32(uint8_t* dst, const uint8_t* src, int count, const uint8_t* nextDst,
                       const uint8_t* nextSrc) noexcept
{
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000));
    const __m256i alpha = Mask(AlphaOfPixel);
    int x = 0;
    for (; x + 16 <= count; x += 16, dst += 64, src += 64, nextDst += 64, nextSrc += 64) {
        Fetch(nextSrc);
        Fetch(nextDst);
        Store(dst, _mm256_or_si256(Blend8(Load(src), Load(dst), alpha), opaque));
        Store(dst + 32, _mm256_or_si256(Blend8(Load(src + 32), Load(dst + 32), alpha), opaque));
    }
    AlphaBlendPixels32To32Sse2(dst, src, count - x);
}

using RowLoop = void (*)(uint8_t* dst, const uint8_t* src, int count, const uint8_t* nextDst,
                         const uint8_t* nextSrc) noexcept;

// The last row fetches itself again, which costs nothing.
template <RowLoop Row>
KS_AVX2 void EachRow(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count,
                     int rows) noexcept
{
    for (int y = 0; y < rows; ++y, dst += dstStride, src += srcStride) {
        const bool last = y + 1 == rows;
        Row(dst, src, count, last ? dst : dst + dstStride, last ? src : src + srcStride);
    }
}

} // namespace

KS_AVX2 void AlphaBlendRows32To24Avx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count,
                              int rows) noexcept
{
    EachRow<Row32To24>(dst, dstStride, src, srcStride, count, rows);
}

KS_AVX2 void AlphaBlendRows32To32Avx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count,
                              int rows) noexcept
{
    EachRow<Row32To32>(dst, dstStride, src, srcStride, count, rows);
}

// Thirty-two pixels a step; the key's bytes repeat every three, so over 96 bytes its pattern fills
// three registers. Most steps hold no byte of the key's at its place, which one test shows; the
// others are looked at as two halves of sixteen pixels, bit 3i of a half's byte matches standing
// for its pixel i.
KS_AVX2 void MaskBlendRowsAvx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                               const uint8_t* mask, ptrdiff_t maskStride, size_t rowBytes, int rows) noexcept
{
    for (int y = 0; y < rows; ++y, dst += dstStride, src += srcStride, mask += maskStride) {
        if (Overlap(dst, src, rowBytes) || Overlap(dst, mask, rowBytes)) {
            MaskBlendBytes(dst, src, mask, rowBytes);
            continue;
        }
        // The next rows are fetched while this one is blended, as in the alpha blends.
        const bool last = y + 1 == rows;
        const uint8_t* nextDst = last ? dst : dst + dstStride;
        const uint8_t* nextSrc = last ? src : src + srcStride;
        const uint8_t* nextMask = last ? mask : mask + maskStride;
        size_t i = 0;
        for (; i + 64 <= rowBytes; i += 64) {
            Fetch(nextDst + i);
            Fetch(nextSrc + i);
            Fetch(nextMask + i);
            Store(dst + i, MaskBlend32(Load(src + i), Load(dst + i), Load(mask + i)));
            Store(dst + i + 32, MaskBlend32(Load(src + i + 32), Load(dst + i + 32), Load(mask + i + 32)));
        }
        MaskBlendBytes(dst + i, src + i, mask + i, rowBytes - i);
    }
}

KS_AVX2 void CopyKeyedPixels24Avx2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    uint64_t w[3];
    KeyWords24(key, w);
    // Words of 8 bytes start at phases 0, 2, 1, 0, 2, 1, ... of the key.
    const auto word = [&w](int p) { return static_cast<int64_t>(w[p]); };
    const __m256i k0 = _mm256_set_epi64x(word(0), word(1), word(2), word(0));
    const __m256i k1 = _mm256_set_epi64x(word(2), word(0), word(1), word(2));
    const __m256i k2 = _mm256_set_epi64x(word(1), word(2), word(0), word(1));
    int x = 0;
    for (; x + 32 <= count; x += 32, dst += 96, src += 96) {
        Fetch(src + KeyedAhead);
        Fetch(src + KeyedAhead + 64);
        Fetch(dst + KeyedAhead);
        Fetch(dst + KeyedAhead + 64);
        const __m256i s0 = Load(src), s1 = Load(src + 32), s2 = Load(src + 64);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(s0, k0), _mm256_cmpeq_epi8(s1, k1)),
                                            _mm256_cmpeq_epi8(s2, k2));
        if (_mm256_testz_si256(any, any)) {
            Store(dst, s0);
            Store(dst + 32, s1);
            Store(dst + 64, s2);
        } else {
            const uint64_t e0 = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(s0, k0)));
            const uint64_t e1 = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(s1, k1)));
            const uint64_t e2 = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(s2, k2)));
            const uint64_t halves[2] = {(e0 | (e1 & 0xFFFF) << 32), (e1 >> 16 | e2 << 16)};
            for (int h = 0; h < 2; ++h) {
                const uint64_t keyed = halves[h] & halves[h] >> 1 & halves[h] >> 2 & AllKeyed;
                if (keyed == 0)
                    std::memcpy(dst + 48 * h, src + 48 * h, 48);
                else if (keyed != AllKeyed)
                    CopyKeyedPixels24(dst + 48 * h, src + 48 * h, 16, key);
            }
        }
    }
    CopyKeyedPixels24Sse2(dst, src, count - x, key);
}

KS_AVX2 void CopyKeyedPixels32Avx2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000));
    const __m256i k = _mm256_set1_epi32(key[0] | key[1] << 8 | key[2] << 16);
    int x = 0;
    for (; x + 8 <= count; x += 8, dst += 32, src += 32) {
        if ((x & 15) == 0) {
            Fetch(src + KeyedAhead);
            Fetch(dst + KeyedAhead);
        }
        const __m256i s = Load(src);
        const int keyed = _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(s, colour), k));
        if (keyed == 0)
            Store(dst, _mm256_or_si256(s, opaque));
        else if (keyed != -1)
            CopyKeyedPixels32(dst, src, 8, key);
    }
    CopyKeyedPixels32Sse2(dst, src, count - x, key);
}

KS_AVX2 void BlendFixedBytesAvx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                                 size_t rowBytes, int rows, uint8_t dstWeight) noexcept
{
    const __m256i dw = _mm256_set1_epi16(dstWeight);
    const __m256i sw = _mm256_set1_epi16(static_cast<int16_t>(255 - dstWeight));
    BlendRowsInPieces(
        dst, dstStride, src, srcStride, rowBytes, rows,
        [&](uint8_t* d, const uint8_t* s, size_t i) KS_AVX2 {
            Store(d + i, BlendFixed32(Load(s + i), Load(d + i), sw, dw));
            Store(d + i + 32, BlendFixed32(Load(s + i + 32), Load(d + i + 32), sw, dw));
        },
        [&](uint8_t* d, const uint8_t* s, size_t i) {
            if (i < rowBytes)
                BlendFixedBytesSse2(d + i, dstStride, s + i, srcStride, rowBytes - i, 1, dstWeight);
        });
}

} // namespace ks

// The SSE2 loops of the pixel core, sixteen bytes at a time, with the plain arithmetic for the
// bytes left at the end of each row.
#include "skin/pixels/PixelCoreSse2.h"

#include "skin/pixels/PixelCore.h"
#include "skin/pixels/RowPieces.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace ks {
namespace {

__m128i Load(const uint8_t* p) noexcept
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void Store(uint8_t* p, __m128i v) noexcept
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Sixteen BlendFixedBytes. Each 16-bit lane carries two bytes and blends the even one in its low
// half and the odd one in its high half, where the odd result comes out already in place as the
// high byte of its sum: nothing is unpacked or packed. The largest sum, 255 * 255 + 127, fits a
// lane.
__m128i BlendFixed16(__m128i s, __m128i d, __m128i srcWeight, __m128i dstWeight) noexcept
{
    const __m128i low = _mm_set1_epi16(0x00FF);
    const __m128i half = _mm_set1_epi16(127);
    const __m128i even = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(s, low), srcWeight),
                                                     _mm_mullo_epi16(_mm_and_si128(d, low), dstWeight)),
                                       half);
    const __m128i odd = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(s, 8), srcWeight),
                                                    _mm_mullo_epi16(_mm_srli_epi16(d, 8), dstWeight)),
                                      half);
    return _mm_or_si128(_mm_srli_epi16(even, 8), _mm_andnot_si128(low, odd));
}

// Two pixels widened to 16-bit lanes (blue, green, red, alpha each) blended by the source's alpha:
// (s * a + d * (256 - a)) >> 8, at most 255 * 256.
__m128i AlphaBlend2(__m128i s, __m128i d) noexcept
{
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(256), a)));
    return _mm_srli_epi16(sum, 8);
}

// Four 32-bit source pixels blended into four destination pixels held one per 32-bit lane; the
// destination's fourth bytes come out undefined.
__m128i AlphaBlend4(__m128i s, __m128i d) noexcept
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = AlphaBlend2(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    const __m128i high = AlphaBlend2(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
    return _mm_packus_epi16(low, high);
}

// Twelve bytes (four 24-bit pixels) spread to one pixel per 32-bit lane, top bytes 0, and back.
// SSE2 has no byte shuffle: the pixels move in two steps, six bytes per 64-bit half, then three
// bytes per 32-bit lane.
__m128i Spread24(__m128i x) noexcept
{
    const __m128i low6 = _mm_set_epi32(0, 0, 0x0000FFFF, static_cast<int>(0xFFFFFFFF));
    const __m128i high6 = _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFFFFFFFF), 0, 0);
    const __m128i halves = _mm_or_si128(_mm_and_si128(x, low6), _mm_and_si128(_mm_slli_si128(x, 2), high6));
    const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i second = _mm_set_epi32(0x00FFFFFF, 0, 0x00FFFFFF, 0);
    return _mm_or_si128(_mm_and_si128(halves, first), _mm_and_si128(_mm_slli_epi64(halves, 8), second));
}

__m128i Gather24(__m128i v) noexcept
{
    const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i second = _mm_set_epi32(0x00FFFFFF, 0, 0x00FFFFFF, 0);
    const __m128i halves = _mm_or_si128(_mm_and_si128(v, first), _mm_srli_epi64(_mm_and_si128(v, second), 8));
    const __m128i low6 = _mm_set_epi32(0, 0, 0x0000FFFF, static_cast<int>(0xFFFFFFFF));
    const __m128i high6 = _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFFFFFFFF), 0, 0);
    return _mm_or_si128(_mm_and_si128(halves, low6), _mm_srli_si128(_mm_and_si128(halves, high6), 2));
}

// Asks for the bytes a few blocks ahead of the keyed copies, which do too little per byte to
// hide a miss. A prefetch never faults, so it may reach past the row's end; out of cache the
// copies otherwise wait on every new line, since
// bottom-up bitmaps run backwards through memory a row at a time and the hardware's own
// prefetching follows them late.
constexpr ptrdiff_t PrefetchAhead = 384;

void Prefetch(const uint8_t* p) noexcept
{
    _mm_prefetch(reinterpret_cast<const char*>(p + PrefetchAhead), _MM_HINT_T0);
}

// Twelve bytes read and written without touching the four after them, which may lie past the row.
__m128i Load12(const uint8_t* p) noexcept
{
    int32_t last;
    std::memcpy(&last, p + 8, 4);
    return _mm_or_si128(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                        _mm_slli_si128(_mm_cvtsi32_si128(last), 8));
}

void Store12(uint8_t* p, __m128i v) noexcept
{
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    const int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
    std::memcpy(p + 8, &last, 4);
}

// The key's bytes repeated over sixteen 24-bit pixels (48 bytes, three registers) and the test of
// such a block: bit 3i of the answer stands for pixel i being key-coloured.
class Key24 {
public:
    explicit Key24(const uint8_t key[3]) noexcept
    {
        uint64_t w[3];
        KeyWords24(key, w);
        // Words of 8 bytes start at phases 0, 2, 1, 0, 2, 1 of the key.
        FK0 = _mm_set_epi64x(static_cast<int64_t>(w[2]), static_cast<int64_t>(w[0]));
        FK1 = _mm_set_epi64x(static_cast<int64_t>(w[0]), static_cast<int64_t>(w[1]));
        FK2 = _mm_set_epi64x(static_cast<int64_t>(w[1]), static_cast<int64_t>(w[2]));
    }

    static constexpr uint64_t All = 0x249249249249ull;

    uint64_t Keyed(__m128i s0, __m128i s1, __m128i s2) const noexcept
    {
        const __m128i e0 = _mm_cmpeq_epi8(s0, FK0), e1 = _mm_cmpeq_epi8(s1, FK1), e2 = _mm_cmpeq_epi8(s2, FK2);
        // Most blocks have no byte of the key's at its place, which one test shows.
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(e0, e1), e2)) == 0)
            return 0;
        const uint64_t equal = static_cast<uint64_t>(_mm_movemask_epi8(e0)) |
                               static_cast<uint64_t>(_mm_movemask_epi8(e1)) << 16 |
                               static_cast<uint64_t>(_mm_movemask_epi8(e2)) << 32;
        return equal & equal >> 1 & equal >> 2 & All;
    }

private:
    __m128i FK0, FK1, FK2;
};

// The 32-bit key (colour bytes only) and the test of four pixels: a nonzero nibble per keyed pixel.
struct Key32 {
    explicit Key32(const uint8_t key[3]) noexcept : k(_mm_set1_epi32(key[0] | key[1] << 8 | key[2] << 16)) {}
    int Keyed(__m128i s) const noexcept
    {
        return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, _mm_set1_epi32(0x00FFFFFF)), k));
    }
    __m128i k;
};

} // namespace

// Four pixels a time: both sources spread to one pixel per 32-bit lane, whose empty top bytes mix
// to 0 and so leave room for the destination's alpha. a * alpha + b * (256 - alpha) is at most
// 255 * 256 and fits a 16-bit lane.
void MixPixels24To32Sse2(uint8_t* dst, const uint8_t* a, const uint8_t* b, int count, uint8_t alpha) noexcept
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i aWeight = _mm_set1_epi16(alpha);
    const __m128i bWeight = _mm_set1_epi16(static_cast<short>(256 - alpha));
    const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const auto mix = [&](__m128i x, __m128i y) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(x, aWeight), _mm_mullo_epi16(y, bWeight)), 8);
    };
    int x = 0;
    for (; x + 4 <= count; x += 4, dst += 16, a += 12, b += 12) {
        const __m128i pa = Spread24(Load12(a)), pb = Spread24(Load12(b));
        const __m128i mixed = _mm_packus_epi16(mix(_mm_unpacklo_epi8(pa, zero), _mm_unpacklo_epi8(pb, zero)),
                                               mix(_mm_unpackhi_epi8(pa, zero), _mm_unpackhi_epi8(pb, zero)));
        Store(dst, _mm_or_si128(_mm_and_si128(Load(dst), alphaBytes), mixed));
    }
    MixPixels24To32(dst, a, b, count - x, alpha);
}

void AlphaBlendPixels32To24Sse2(uint8_t* dst, const uint8_t* src, int count) noexcept
{
    int x = 0;
    for (; x + 4 <= count; x += 4, dst += 12, src += 16) {
        const __m128i s = Load(src);
        // Four transparent source pixels leave the destination as it is.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(s, 24), _mm_setzero_si128())) == 0xFFFF)
            continue;
        Store12(dst, Gather24(AlphaBlend4(s, Spread24(Load12(dst)))));
    }
    AlphaBlendPixels32To24(dst, src, count - x);
}

void AlphaBlendPixels32To32Sse2(uint8_t* dst, const uint8_t* src, int count) noexcept
{
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000));
    int x = 0;
    for (; x + 4 <= count; x += 4, dst += 16, src += 16)
        Store(dst, _mm_or_si128(AlphaBlend4(Load(src), Load(dst)), opaque));
    AlphaBlendPixels32To32(dst, src, count - x);
}

void CopyKeyedPixels24Sse2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    const Key24 test(key);
    int x = 0;
    for (; x + 16 <= count; x += 16, dst += 48, src += 48) {
        Prefetch(src);
        Prefetch(dst);
        const __m128i s0 = Load(src), s1 = Load(src + 16), s2 = Load(src + 32);
        const uint64_t keyed = test.Keyed(s0, s1, s2);
        if (keyed == 0) {
            Store(dst, s0);
            Store(dst + 16, s1);
            Store(dst + 32, s2);
        } else if (keyed != Key24::All) {
            CopyKeyedPixels24(dst, src, 16, key);
        }
    }
    CopyKeyedPixels24(dst, src, count - x, key);
}

void CopyKeyedPixels32Sse2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const Key32 test(key);
    int x = 0;
    for (; x + 4 <= count; x += 4, dst += 16, src += 16) {
        if ((x & 15) == 0) {
            Prefetch(src);
            Prefetch(dst);
        }
        const __m128i s = Load(src);
        const int keyed = test.Keyed(s);
        if (keyed == 0)
            Store(dst, _mm_or_si128(s, opaque));
        else if (keyed != 0xFFFF)
            CopyKeyedPixels32(dst, src, 4, key);
    }
    CopyKeyedPixels32(dst, src, count - x, key);
}

// The streaming copies write whole blocks without a key pixel past the caches, which a cached
// write cannot: it first reads the destination's line from memory, a third stream that a copy
// does not otherwise need. Such writes need a destination on 16 bytes, reached here by a few
// plain pixels first, and are made visible in order by the fence at the end. Blocks with key
// pixels are read and written through the caches as in the other loops; the destination is not
// fetched ahead.
void CopyKeyedPixels24Sse2Streaming(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    int head = 0;
    while (head < count && (reinterpret_cast<uintptr_t>(dst + 3 * head) & 15) != 0)
        ++head;
    CopyKeyedPixels24(dst, src, head, key);
    dst += 3 * head;
    src += 3 * head;
    count -= head;
    const Key24 test(key);
    int x = 0;
    for (; x + 16 <= count; x += 16, dst += 48, src += 48) {
        Prefetch(src);
        const __m128i s0 = Load(src), s1 = Load(src + 16), s2 = Load(src + 32);
        const uint64_t keyed = test.Keyed(s0, s1, s2);
        if (keyed == 0) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst), s0);
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + 16), s1);
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + 32), s2);
        } else if (keyed != Key24::All) {
            CopyKeyedPixels24(dst, src, 16, key);
        }
    }
    _mm_sfence();
    CopyKeyedPixels24(dst, src, count - x, key);
}

void CopyKeyedPixels32Sse2Streaming(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    // Pixels off four bytes never reach sixteen.
    if ((reinterpret_cast<uintptr_t>(dst) & 3) != 0) {
        CopyKeyedPixels32Sse2(dst, src, count, key);
        return;
    }
    const int head = std::min(count, static_cast<int>((16 - (reinterpret_cast<uintptr_t>(dst) & 15)) & 15) / 4);
    CopyKeyedPixels32(dst, src, head, key);
    dst += 4 * head;
    src += 4 * head;
    count -= head;
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const Key32 test(key);
    int x = 0;
    for (; x + 4 <= count; x += 4, dst += 16, src += 16) {
        if ((x & 15) == 0)
            Prefetch(src);
        const __m128i s = Load(src);
        const int keyed = test.Keyed(s);
        if (keyed == 0)
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(s, opaque));
        else if (keyed != 0xFFFF)
            CopyKeyedPixels32(dst, src, 4, key);
    }
    _mm_sfence();
    CopyKeyedPixels32(dst, src, count - x, key);
}

void BlendFixedBytesSse2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                         size_t rowBytes, int rows, uint8_t dstWeight) noexcept
{
    const __m128i dw = _mm_set1_epi16(dstWeight);
    const __m128i sw = _mm_set1_epi16(static_cast<int16_t>(255 - dstWeight));
    BlendRowsInPieces(
        dst, dstStride, src, srcStride, rowBytes, rows,
        [&](uint8_t* d, const uint8_t* s, size_t i) {
            for (size_t k = i; k < i + 64; k += 16)
                Store(d + k, BlendFixed16(Load(s + k), Load(d + k), sw, dw));
        },
        [&](uint8_t* d, const uint8_t* s, size_t i) {
            for (; i + 16 <= rowBytes; i += 16)
                Store(d + i, BlendFixed16(Load(s + i), Load(d + i), sw, dw));
            for (; i < rowBytes; ++i)
                d[i] = BlendFixedByte(s[i], d[i], dstWeight);
        });
}

} // namespace ks

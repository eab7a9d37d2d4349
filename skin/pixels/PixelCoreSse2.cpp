// The SSE2 loops of the pixel core, sixteen bytes at a time, with the plain arithmetic for the
// bytes left at the end of each row.
#include "skin/pixels/PixelCoreSse2.h"

#include "skin/pixels/PixelCore.h"

#include <emmintrin.h>

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

} // namespace

void BlendFixedBytesSse2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                         size_t rowBytes, int rows, uint8_t dstWeight) noexcept
{
    const __m128i dw = _mm_set1_epi16(dstWeight);
    const __m128i sw = _mm_set1_epi16(static_cast<int16_t>(255 - dstWeight));
    for (int y = 0; y < rows; ++y, dst += dstStride, src += srcStride) {
        // The next rows are fetched while this one is blended. Out of cache the blend waits on two
        // streams, and bottom-up bitmaps run backwards through memory one row at a time, which
        // the hardware's own prefetching follows late.
        const bool last = y + 1 == rows;
        const uint8_t* nextDst = last ? dst : dst + dstStride;
        const uint8_t* nextSrc = last ? src : src + srcStride;
        size_t i = 0;
        for (; i + 64 <= rowBytes; i += 64) {
            _mm_prefetch(reinterpret_cast<const char*>(nextSrc + i), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(nextDst + i), _MM_HINT_T0);
            for (size_t k = i; k < i + 64; k += 16)
                Store(dst + k, BlendFixed16(Load(src + k), Load(dst + k), sw, dw));
        }
        for (; i + 16 <= rowBytes; i += 16)
            Store(dst + i, BlendFixed16(Load(src + i), Load(dst + i), sw, dw));
        for (; i < rowBytes; ++i)
            dst[i] = BlendFixedByte(src[i], dst[i], dstWeight);
    }
}

} // namespace ks

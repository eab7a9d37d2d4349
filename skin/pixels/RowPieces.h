#pragma once
// The walk over rows of bytes that the SSE2 and AVX2 fixed-weight blends share: each row in
// 64-byte pieces, with the same bytes of the next rows fetched while a piece is blended. Out of
// cache the blend waits on two streams, and bottom-up bitmaps run backwards through memory one row
// at a time, which the hardware's own prefetching follows late. The last row fetches itself again,
// which costs nothing.
//
// The walk has no instruction set of its own: it is always inlined, so it runs with its caller's
// target, and the blending comes from the caller's own steps. An AVX2 caller marks its steps
// KS_AVX2; nothing of them reaches code built for SSE2 alone.

#include <xmmintrin.h>

#include <cstddef>
#include <cstdint>

namespace ks {

// Rows of rowBytes bytes, the first ones at dst and src, each next one a stride further. For each
// row piece(dst, src, i) blends bytes i to i + 63, then rest(dst, src, i) the bytes from i on.
template <class Piece, class Rest>
[[gnu::always_inline]] inline void BlendRowsInPieces(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src,
                                                     ptrdiff_t srcStride, size_t rowBytes, int rows, Piece piece,
                                                     Rest rest) noexcept
{
    for (int y = 0; y < rows; ++y, dst += dstStride, src += srcStride) {
        const bool last = y + 1 == rows;
        const uint8_t* nextDst = last ? dst : dst + dstStride;
        const uint8_t* nextSrc = last ? src : src + srcStride;
        size_t i = 0;
        for (; i + 64 <= rowBytes; i += 64) {
            _mm_prefetch(reinterpret_cast<const char*>(nextSrc + i), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(nextDst + i), _MM_HINT_T0);
            piece(dst, src, i);
        }
        rest(dst, src, i);
    }
}

} // namespace ks

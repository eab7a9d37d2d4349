#pragma once
// The pixel core's loops written with SSE2, which every target of the engine has (the i686 build
// requires it). Each gives exactly the bytes of its plain loop in PixelCore.h, whose rounding rule
// it follows; the pixel core picks them from its table of specialised loops.

#include <cstddef>
#include <cstdint>

namespace ks {

// BlendFixedBytes for rows that share no memory, in any order: rows of rowBytes bytes, the first
// ones at dst and src, each next one a stride further.
void BlendFixedBytesSse2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                         size_t rowBytes, int rows, uint8_t dstWeight) noexcept;

// The row loops of the hot passes (PixelCore.h describes each beside its plain loop).
void AlphaBlendPixels32To24Sse2(uint8_t* dst, const uint8_t* src, int count) noexcept;
void AlphaBlendPixels32To32Sse2(uint8_t* dst, const uint8_t* src, int count) noexcept;
void MixPixels24To32Sse2(uint8_t* dst, const uint8_t* a, const uint8_t* b, int count, uint8_t alpha) noexcept;
// The 24-bit keyed copies compare blocks with the key's three bytes repeated. Such a pattern is
// made of three 8-byte words, the one that starts with key[p] being words[p]; built from them, a
// pattern costs little beside a short row.
inline void KeyWords24(const uint8_t key[3], uint64_t words[3]) noexcept
{
    for (int p = 0; p < 3; ++p) {
        const uint64_t three = key[p] | key[(p + 1) % 3] << 8 | key[(p + 2) % 3] << 16;
        words[p] = three | three << 24 | three << 48;
    }
}

void CopyKeyedPixels24Sse2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;
void CopyKeyedPixels32Sse2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;

// The keyed copies for destinations larger than the caches: the same bytes as the loops above,
// with the blocks that hold no key pixel written past the caches.
void CopyKeyedPixels24Sse2Streaming(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;
void CopyKeyedPixels32Sse2Streaming(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;

} // namespace ks

#pragma once
// The pixel core's loops written with AVX2, for processors that have it (CpuSimdLevel); the
// program itself is built for SSE2, so only these functions use the wider instructions, and the
// pixel core's tables pick them at run time. Each gives exactly the bytes of its plain loop in
// PixelCore.h, whose rounding rule it follows.

#include <cstddef>
#include <cstdint>

namespace ks {

// BlendFixedBytes for rows that share no memory, in any order (as BlendFixedBytesSse2).
void BlendFixedBytesAvx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                         size_t rowBytes, int rows, uint8_t dstWeight) noexcept;

// The alpha blends' row loops (PixelCore.h describes each beside its plain loop) run over whole
// pieces (PixelCore.h's AlphaBlendRows), fetching the next row while they blend one.
void AlphaBlendRows32To24Avx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count,
                              int rows) noexcept;
void AlphaBlendRows32To32Avx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count,
                              int rows) noexcept;

// The mask blend over whole pieces (PixelCore.h's MaskBlendRows), fetching the next rows while it
// blends one.
void MaskBlendRowsAvx2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, const uint8_t* mask,
                       ptrdiff_t maskStride, size_t rowBytes, int rows) noexcept;

// The keyed copies' row loops through the caches (PixelCore.h describes each beside its plain loop).
void CopyKeyedPixels24Avx2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;
void CopyKeyedPixels32Avx2(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;

} // namespace ks

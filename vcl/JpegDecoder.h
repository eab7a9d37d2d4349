#pragma once
// Decodes JPEG images through libjpeg into 24-bit rows, turning every libjpeg failure into
// EJPEG instead of its default exit() of the process.
//
// libjpeg's error manager must not return; on the host libjpeg is a C library built without
// unwind tables, so a C++ exception must not pass through it. The decoder therefore long-jumps
// out of libjpeg to a frame that owns nothing with a destructor, and the caller of that frame
// throws. jpeg_destroy_decompress runs on every path.
//
// Limits (JpegLimits):
// - MaxPixels, default 16M (4096 x 4096), checked before any pixel memory is reserved: the
//   largest texture a skin carries is a fraction of it.
// - MaxScans, default 256: a progressive file may declare thousands of tiny scans, each of which
//   costs a pass over the whole coefficient buffer; real encoders write about ten.
//
// Only one- and three-component images are decoded (grey, YCbCr, RGB), which also bounds
// libjpeg's own working memory: the coefficient buffer of a progressive file takes 2 bytes per
// pixel and component, at most 96 MB at the pixel limit.
//
// Warnings are refused as well: libjpeg warns about premature ends and corrupt entropy data and
// then makes up the missing pixels, which would load a damaged texture without a word.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ks {

enum class JpegError {
    Corrupt = 1, // libjpeg refused the data or warned about it; the text is libjpeg's
    TooLarge,    // more pixels than JpegLimits::MaxPixels, or more data than libjpeg can address
    TooManyScans,
    Unsupported, // a component count other than 1 or 3 (CMYK and the like)
};

struct JpegLimits {
    uint64_t MaxPixels = uint64_t{1} << 24;
    int MaxScans = 256;
};

// Rows top-down, each Stride() bytes (a multiple of 4), pixels blue, green, red: the layout of a
// 24-bit DIB.
struct JpegImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    size_t Stride() const noexcept { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }
};

// Throws EJPEG with a JpegError reason.
JpegImage DecodeJpeg(std::span<const uint8_t> data, const JpegLimits& limits = {});

} // namespace ks

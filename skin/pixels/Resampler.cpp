#include "skin/pixels/Resampler.h"

#include "vcl/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace ks {
namespace {

constexpr float Radius[LastResampleFilter + 1] = {0.51f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};

// The kernel at distance x (already scaled, 0 <= x < the filter's radius). The box filter
// needs the signed distance: it takes (-0.5, 0.5].
double Kernel(uint8_t filter, double x, double signedDistance)
{
    switch (filter) {
    case 0: return signedDistance > -0.5 && signedDistance <= 0.5 ? 1.0 : 0.0;
    case 1: return 1.0 - x;
    case 2: return (2.0 * x - 3.0) * x * x + 1.0;
    case 3: return x < 0.5 ? 0.75 - x * x : 0.5 * (x - 1.5) * (x - 1.5);
    case 4: return x < 1.0 ? x * x * (0.5 * x - 1.0) + 2.0 / 3.0 : (2.0 - x) * (2.0 - x) * (2.0 - x) / 6.0;
    case 5: return x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) * std::sin(x) / (std::numbers::pi * x * x);
    default:
        return x < 1.0 ? x * x * (7.0 / 6.0 * x - 2.0) + 8.0 / 9.0
                       : x * x * (-7.0 / 18.0 * x + 2.0) - 10.0 / 3.0 * x + 16.0 / 9.0;
    }
}

struct Contributor {
    ptrdiff_t offset; // source index times the step between pixels on the axis
    int weight;       // 16.16 fixed point
};

// The contributors of every destination coordinate, capacity entries reserved for each.
struct ContributorList {
    std::vector<Contributor> entries;
    std::vector<int> counts;
    size_t capacity = 0;

    const Contributor* Of(int i) const noexcept { return entries.data() + static_cast<size_t>(i) * capacity; }
};

ContributorList BuildContributors(int dstSize, int srcSize, uint8_t filter, ptrdiff_t step)
{
    const float scale = srcSize > dstSize ? static_cast<float>(dstSize) / static_cast<float>(srcSize) : 1.0f;
    const float radius = Radius[filter] / scale;
    ContributorList list;
    // One more than the support can hold either way round, whatever the rounding of its ends.
    list.capacity = static_cast<size_t>(std::ceil(2.0f * radius)) + 2;
    list.entries.resize(list.capacity * static_cast<size_t>(dstSize));
    list.counts.assign(static_cast<size_t>(dstSize), 0);
    for (int i = 0; i < dstSize; ++i) {
        const double center = static_cast<double>(i) * srcSize / dstSize;
        Contributor* out = list.entries.data() + static_cast<size_t>(i) * list.capacity;
        int& count = list.counts[static_cast<size_t>(i)];
        const int first = static_cast<int>(std::floor(center - radius));
        const int last = static_cast<int>(std::ceil(center + radius));
        for (int j = first; j <= last && static_cast<size_t>(count) < list.capacity; ++j) {
            const double signedDistance = (center - j) * scale;
            const double x = std::fabs(signedDistance);
            if (x >= Radius[filter])
                continue;
            const double w = Kernel(filter, x, signedDistance);
            if (w == 0.0)
                continue;
            // Mirrored at the edges, and held inside the image when the support is wider than
            // the image itself (two pixels shrunk to one).
            int index = j < 0 ? -j : j >= srcSize ? 2 * srcSize - j - 1 : j;
            index = std::clamp(index, 0, srcSize - 1);
            out[count++] = {index * step, RoundHalfEven(w * scale * 65536.0)};
        }
    }
    return list;
}

void FreeContributors(ContributorList& list) noexcept
{
    list = {};
}

// count destination pixels along one line, dstStep bytes apart.
template <int Bytes>
void ApplyContributorsOf(uint8_t* dst, ptrdiff_t dstStep, const uint8_t* src, const ContributorList& list,
                         int count) noexcept
{
    for (int i = 0; i < count; ++i, dst += dstStep) {
        int sums[Bytes] = {};
        const Contributor* c = list.Of(i);
        for (int n = 0; n < list.counts[static_cast<size_t>(i)]; ++n) {
            const uint8_t* p = src + c[n].offset;
            for (int k = 0; k < Bytes; ++k)
                sums[k] += p[k] * c[n].weight;
        }
        for (int k = 0; k < Bytes; ++k)
            dst[k] = sums[k] < 0 ? 0 : sums[k] > 0xFF0000 ? 255 : static_cast<uint8_t>(sums[k] >> 16);
    }
}

// Blue, green and red.
void ApplyContributors24(uint8_t* dst, ptrdiff_t dstStep, const uint8_t* src, const ContributorList& list,
                         int count) noexcept
{
    ApplyContributorsOf<3>(dst, dstStep, src, list, count);
}

// Blue, green, red and alpha.
void ApplyContributors32(uint8_t* dst, ptrdiff_t dstStep, const uint8_t* src, const ContributorList& list,
                         int count) noexcept
{
    ApplyContributorsOf<4>(dst, dstStep, src, list, count);
}

} // namespace

void Resample(const PixelView& dst, const PixelView& src, uint8_t filter)
{
    if (!dst.scan0 || !src.scan0 || dst.bpp != src.bpp || (dst.bpp != 24 && dst.bpp != 32) || src.width < 2 ||
        src.height < 2 || dst.width <= 0 || dst.height <= 0)
        return;
    filter = std::min(filter, LastResampleFilter);
    const int bytes = dst.bpp / 8;
    const int h = src.height;

    const auto apply = bytes == 4 ? ApplyContributors32 : ApplyContributors24;

    // The row pass, top-down in a buffer of its own.
    const ptrdiff_t passStride = static_cast<ptrdiff_t>(dst.width) * bytes;
    std::vector<uint8_t> pass(static_cast<size_t>(passStride) * static_cast<size_t>(h));
    ContributorList list = BuildContributors(dst.width, src.width, filter, bytes);
    const uint8_t* s = src.Row(0);
    uint8_t* t = pass.data();
    for (int y = 0; y < h; ++y, s += src.stride, t += passStride)
        apply(t, bytes, s, list, dst.width);
    FreeContributors(list);

    list = BuildContributors(dst.height, h, filter, passStride);
    for (int x = 0; x < dst.width; ++x)
        apply(dst.Row(0) + bytes * x, dst.stride, pass.data() + bytes * x, list, dst.height);
}

void StretchNearest(const PixelView& dst, const PixelView& src) noexcept
{
    if (!dst.scan0 || !src.scan0 || dst.bpp != src.bpp || dst.bpp % 8 != 0 || dst.width <= 0 || dst.height <= 0 ||
        src.width <= 0 || src.height <= 0)
        return;
    const int bytes = dst.bpp / 8;
    uint8_t* out = dst.Row(0);
    for (int y = 0; y < dst.height; ++y, out += dst.stride) {
        const uint8_t* row = src.Row(static_cast<int>(static_cast<int64_t>(y) * src.height / dst.height));
        for (int x = 0; x < dst.width; ++x)
            std::memcpy(out + bytes * x, row + bytes * (static_cast<int64_t>(x) * src.width / dst.width),
                        static_cast<size_t>(bytes));
    }
}

} // namespace ks

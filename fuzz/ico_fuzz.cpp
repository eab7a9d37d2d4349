// Fuzz target for the icon reader: any input is either refused with the project's exception or
// yields entries that lie inside the data and within the limits, whose images then decode as
// fuzz/IconImages.h says.
#include "fuzz/IconImages.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ks::IcoLimits limits;
    limits.MaxEntries = 16;
    limits.MaxPixels = 1u << 16;
    std::vector<ks::IcoEntry> entries;
    try {
        entries = ks::ReadIcoDirectory({data, size}, limits);
    } catch (const Exception&) {
        return 0;
    }
    if (entries.empty() || entries.size() > limits.MaxEntries)
        std::abort();
    for (const ks::IcoEntry& e : entries) {
        if (e.offset > size || e.size > size - e.offset || e.width <= 0 || e.height <= 0 ||
            static_cast<uint64_t>(e.width) * static_cast<uint64_t>(e.height) > limits.MaxPixels)
            std::abort();
    }
    if (ks::ChooseIconEntry(entries, 32) >= entries.size())
        std::abort();
    ks::fuzz::DecodeIconImages({data, size}, entries, limits.MaxPixels);
    return 0;
}

// Fuzz target for the icon directory reader: any input is either refused with the project's
// exception or yields entries that lie inside the data and within the limits.
#include "vcl/IcoReader.h"
#include "vcl/SysUtils.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ks::IcoLimits limits;
    limits.maxEntries = 16;
    limits.maxPixels = 1u << 16;
    std::vector<ks::IcoEntry> entries;
    try {
        entries = ks::ReadIcoDirectory({data, size}, limits);
    } catch (const Exception&) {
        return 0;
    }
    if (entries.empty() || entries.size() > limits.maxEntries)
        std::abort();
    for (const ks::IcoEntry& e : entries) {
        if (e.offset > size || e.size > size - e.offset || e.width <= 0 || e.height <= 0 ||
            static_cast<uint64_t>(e.width) * static_cast<uint64_t>(e.height) > limits.maxPixels)
            std::abort();
    }
    if (ks::ChooseIconEntry(entries, 32) >= entries.size())
        std::abort();
    return 0;
}

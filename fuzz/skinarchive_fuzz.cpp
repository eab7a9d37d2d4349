// Fuzz target for the packed skin archive reader: any input either unpacks within the limits
// into an options text and items whose sizes add up, or is refused with the project's exception.
#include "skin/core/acSkinPack.h"
#include "vcl/SysUtils.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TacSkinConvertor::Limits limits;
    limits.MaxEntries = 64;
    limits.MaxNameLength = 256;
    limits.MaxEntryBytes = 1u << 20;
    limits.MaxTotalBytes = 4u << 20;
    TMemoryStream packed;
    packed.WriteBuffer(data, size);
    TacSkinConvertor convertor(limits);
    convertor.SetPackedData(&packed);
    try {
        convertor.ExtractPackedEntries();
    } catch (const Exception&) {
        return 0;
    }
    if (!convertor.Options() || convertor.Items().size() > limits.MaxEntries ||
        convertor.ImageCount() != static_cast<int>(convertor.Items().size()))
        std::abort();
    uint64_t total = static_cast<uint64_t>(convertor.Options()->Size());
    for (const TacImageItem& item : convertor.Items()) {
        if (!item.Stream || item.Name.size() > limits.MaxNameLength || item.Stream->Position() != item.Stream->Size())
            std::abort();
        total += static_cast<uint64_t>(item.Stream->Size());
    }
    if (total > limits.MaxTotalBytes)
        std::abort();
    return 0;
}

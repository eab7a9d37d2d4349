#include "host/support/ArchiveBuilder.h"

#include "vcl/ZLib.h"

namespace ks::test {

namespace {

void PutI32(std::vector<uint8_t>& out, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

} // namespace

std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::vector<uint8_t> ArchiveEntry::Stream() const
{
    return stream ? *stream : ks::Deflate(data, level);
}

ArchiveBuilder& ArchiveBuilder::Add(std::string name, std::vector<uint8_t> data)
{
    ArchiveEntry e;
    e.name = std::move(name);
    e.data = std::move(data);
    entries.push_back(std::move(e));
    return *this;
}

std::vector<uint8_t> ArchiveBuilder::Build() const
{
    std::vector<uint8_t> out(magic.begin(), magic.end());
    PutI32(out, fileCount.value_or(static_cast<int32_t>(entries.size())));
    for (const ArchiveEntry& e : entries) {
        PutI32(out, e.nameLength.value_or(static_cast<int32_t>(e.name.size())));
        out.insert(out.end(), e.name.begin(), e.name.end());
        PutI32(out, e.size.value_or(static_cast<int32_t>(e.data.size())));
        const std::vector<uint8_t> s = e.Stream();
        out.insert(out.end(), s.begin(), s.end());
    }
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

ArchiveBuilder SmallSkinArchive()
{
    ArchiveBuilder b;
    b.Add("Options.dat",
        "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n"
        "[EDIT]\r\nCOLOR=0\r\nFONTCOLOR=32768\r\n");
    b.Add("Master.bmp", NoiseBytes(3000, 1));
    b.Add("Glyphs.png", NoiseBytes(500, 2));
    return b;
}

std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed)
{
    std::vector<uint8_t> out(size);
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return out;
}

} // namespace ks::test

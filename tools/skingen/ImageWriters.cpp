// PNG and icon writers of the skin generator. Both write only what the engine's readers and
// Windows itself need; nothing here reads untrusted data.
#include "tools/skingen/ImageWriters.h"

#include "vcl/SysUtils.h"
#include "vcl/ZLib.h"

#include <array>
#include <map>

namespace ks::skingen {

namespace {

constexpr const char* IconTooLarge = "Icon images are at most 256 pixels wide and high";
constexpr const char* IconDepth = "Icon images are stored at 4, 8 or 32 bits per pixel";
constexpr const char* IconColours = "An 8-bit icon image holds more than 256 colours";

void PutU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    PutU16(out, v);
    PutU16(out, v >> 16);
}

void PutU32BigEndian(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], std::span<const uint8_t> data)
{
    PutU32BigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    // The CRC covers the type and the data, not the length.
    const uint32_t crc = Crc32(0, std::span<const uint8_t>(out.data() + typeAt, 4 + data.size()));
    PutU32BigEndian(out, crc);
}

// The colours of the 16-colour VGA palette, which 4-bit icons are drawn with on every system.
constexpr std::array<std::array<uint8_t, 3>, 16> VgaColours{{
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

using Rgb = std::array<uint8_t, 3>;

bool Opaque(const uint8_t* px) { return px[3] >= 128; }

// The colour table and the index of every pixel; transparent pixels get index 0.
struct Indexed {
    std::vector<Rgb> Table;
    std::vector<uint8_t> Indexes;
};

Indexed IndexVga(const RgbaImage& image)
{
    Indexed result{std::vector<Rgb>(VgaColours.begin(), VgaColours.end()), {}};
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* px = image.At(x, y);
            int best = 0, bestDistance = 1 << 30;
            for (int i = 0; Opaque(px) && i < 16; ++i) {
                int distance = 0;
                for (int c = 0; c < 3; ++c)
                    distance += (px[c] - VgaColours[i][c]) * (px[c] - VgaColours[i][c]);
                if (distance < bestDistance) {
                    best = i;
                    bestDistance = distance;
                }
            }
            result.Indexes.push_back(static_cast<uint8_t>(best));
        }
    return result;
}

Indexed IndexOwnColours(const RgbaImage& image)
{
    Indexed result{{Rgb{0, 0, 0}}, {}};
    std::map<Rgb, uint8_t> known{{Rgb{0, 0, 0}, 0}};
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* px = image.At(x, y);
            const Rgb colour = Opaque(px) ? Rgb{px[0], px[1], px[2]} : Rgb{0, 0, 0};
            auto found = known.find(colour);
            if (found == known.end()) {
                if (result.Table.size() == 256)
                    throw Exception(IconColours);
                found = known.emplace(colour, static_cast<uint8_t>(result.Table.size())).first;
                result.Table.push_back(colour);
            }
            result.Indexes.push_back(found->second);
        }
    result.Table.resize(256, Rgb{0, 0, 0});
    return result;
}

size_t RowBytes(int width, int bpp) { return ((static_cast<size_t>(width) * bpp + 31) / 32) * 4; }

// BITMAPINFOHEADER, colour table, XOR rows and AND rows, both bottom-up: the layout Windows
// reads an icon image in. The header's height counts both bitmaps.
std::vector<uint8_t> IconDib(const IconImage& icon)
{
    const RgbaImage& image = icon.Image;
    Indexed indexed;
    if (icon.Bpp == 4)
        indexed = IndexVga(image);
    else if (icon.Bpp == 8)
        indexed = IndexOwnColours(image);
    else if (icon.Bpp != 32)
        throw Exception(IconDepth);

    const size_t xorRow = RowBytes(image.Width, icon.Bpp), andRow = RowBytes(image.Width, 1);
    std::vector<uint8_t> out;
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(image.Width));
    PutU32(out, static_cast<uint32_t>(image.Height * 2));
    PutU16(out, 1);
    PutU16(out, static_cast<uint32_t>(icon.Bpp));
    PutU32(out, 0); // BI_RGB
    PutU32(out, static_cast<uint32_t>((xorRow + andRow) * image.Height));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    for (const Rgb& c : indexed.Table) {
        out.push_back(c[2]);
        out.push_back(c[1]);
        out.push_back(c[0]);
        out.push_back(0);
    }
    for (int y = image.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(xorRow, 0);
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* px = image.At(x, y);
            const size_t at = static_cast<size_t>(y) * image.Width + x;
            const uint8_t index = indexed.Indexes.empty() ? 0 : indexed.Indexes[at];
            if (icon.Bpp == 32) {
                row[x * 4 + 0] = px[2];
                row[x * 4 + 1] = px[1];
                row[x * 4 + 2] = px[0];
                row[x * 4 + 3] = px[3];
            } else if (icon.Bpp == 8) {
                row[x] = index;
            } else {
                row[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = image.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(andRow, 0);
        for (int x = 0; x < image.Width; ++x)
            if (!Opaque(image.At(x, y)))
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

std::vector<uint8_t> WritePng(const RgbaImage& image)
{
    std::vector<uint8_t> raw;
    raw.reserve((static_cast<size_t>(image.Width) * 4 + 1) * image.Height);
    for (int y = 0; y < image.Height; ++y) {
        raw.push_back(0); // filter type None
        raw.insert(raw.end(), image.At(0, y), image.At(0, y) + static_cast<size_t>(image.Width) * 4);
    }

    std::vector<uint8_t> header;
    PutU32BigEndian(header, static_cast<uint32_t>(image.Width));
    PutU32BigEndian(header, static_cast<uint32_t>(image.Height));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // depth 8, RGBA, deflate, adaptive, no interlace

    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", Deflate(raw, 9));
    PutChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> WriteIco(std::span<const IconImage> images)
{
    std::vector<std::vector<uint8_t>> dibs;
    for (const IconImage& icon : images) {
        if (icon.Image.Width > 256 || icon.Image.Height > 256)
            throw Exception(IconTooLarge);
        dibs.push_back(icon.Png ? WritePng(icon.Image) : IconDib(icon));
    }

    std::vector<uint8_t> out;
    PutU16(out, 0);
    PutU16(out, 1); // icon, not cursor
    PutU16(out, static_cast<uint32_t>(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImage& icon = images[i];
        // A directory byte of 0 stands for 256.
        out.push_back(static_cast<uint8_t>(icon.Image.Width));
        out.push_back(static_cast<uint8_t>(icon.Image.Height));
        const int bpp = icon.Png ? 32 : icon.Bpp;
        out.push_back(bpp == 4 ? 16 : 0);
        out.push_back(0);
        PutU16(out, 1);
        PutU16(out, static_cast<uint32_t>(bpp));
        PutU32(out, static_cast<uint32_t>(dibs[i].size()));
        PutU32(out, static_cast<uint32_t>(offset));
        offset += dibs[i].size();
    }
    for (const auto& dib : dibs)
        out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

} // namespace ks::skingen

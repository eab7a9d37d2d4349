#pragma once
// Test skins for the skin manager's tests: packed archives made with zlib, 24-bit bitmaps
// given pixel by pixel, a temporary folder (under Wine it lies on drive C), and a manager under
// a skin written there.

#include "skin/core/sSkinManager.h"
#include "vcl/SysUtils.h"

#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ks::test {

inline void PutI32(std::vector<uint8_t>& v, int32_t x)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(static_cast<uint32_t>(x) >> (8 * i)));
}

inline std::vector<uint8_t> BytesOf(std::string_view text)
{
    return {text.begin(), text.end()};
}

// "ASzf", the count, then per entry its name, size and zlib stream.
inline std::vector<uint8_t> PackArchive(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries)
{
    std::vector<uint8_t> v{'A', 'S', 'z', 'f'};
    PutI32(v, static_cast<int32_t>(entries.size()));
    for (const auto& [name, data] : entries) {
        PutI32(v, static_cast<int32_t>(name.size()));
        v.insert(v.end(), name.begin(), name.end());
        PutI32(v, static_cast<int32_t>(data.size()));
        uLongf size = compressBound(static_cast<uLong>(data.size()));
        std::vector<uint8_t> packed(size);
        compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), 6);
        v.insert(v.end(), packed.begin(), packed.begin() + static_cast<ptrdiff_t>(size));
    }
    return v;
}

// A 24-bit .bmp of width x height whose pixel (x, y) from the top is colour(x, y) (0x00BBGGRR).
template <class Colour>
std::vector<uint8_t> Bmp24(int width, int height, Colour colour)
{
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> v{'B', 'M'};
    PutI32(v, static_cast<int32_t>(54 + stride * height));
    PutI32(v, 0);
    PutI32(v, 54);
    PutI32(v, 40);
    PutI32(v, width);
    PutI32(v, height);
    v.push_back(1), v.push_back(0), v.push_back(24), v.push_back(0);
    for (int i = 0; i < 6; ++i)
        PutI32(v, 0);
    for (int y = height - 1; y >= 0; --y) {
        const size_t start = v.size();
        for (int x = 0; x < width; ++x) {
            const uint32_t c = static_cast<uint32_t>(colour(x, y));
            v.push_back(static_cast<uint8_t>(c >> 16));
            v.push_back(static_cast<uint8_t>(c >> 8));
            v.push_back(static_cast<uint8_t>(c));
        }
        v.resize(start + stride, 0);
    }
    return v;
}

// The archive of a test skin: its options and its master picture (Master.bmp), in that order.
inline std::vector<uint8_t> SkinArchive(std::string_view options, std::vector<uint8_t> master)
{
    return PackArchive({{"Options.dat", BytesOf(options)}, {"Master.bmp", std::move(master)}});
}

// A master picture of one grey, for the skins whose sections take no image from it.
inline std::vector<uint8_t> GreyMaster(int width, int height)
{
    return Bmp24(width, height, [](int, int) { return TColor{0x808080}; });
}

// A skin option's value for a colour: the decimal number.
inline std::string OptionColour(TColor c)
{
    return std::to_string(static_cast<uint32_t>(c));
}

// A section's normal and hot colours, as option lines.
inline std::string ColorKeys(TColor normal, TColor hot)
{
    return "COLOR=" + OptionColour(normal) + "\r\nHOTCOLOR=" + OptionColour(hot) + "\r\n";
}

class TempFolder {
public:
    TempFolder()
    {
        static int counter = 0;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        FPath = std::filesystem::temp_directory_path() / ("ks-skin-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(FPath);
    }
    ~TempFolder()
    {
        std::error_code ignored; // a leftover folder is no reason to fail a test
        std::filesystem::remove_all(FPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::wstring Path() const { return FPath.wstring(); }
    void Write(const std::filesystem::path& relative, const std::vector<uint8_t>& bytes) const
    {
        const std::filesystem::path file = FPath / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path FPath;
};

// A new manager, owned by nobody, under the skin `name`, whose archive is written into the folder
// first.
inline TsSkinManager* NewSkinManager(const TempFolder& dir, const std::wstring& name,
                                     const std::vector<uint8_t>& archive)
{
    dir.Write(name + L".asz", archive);
    auto* manager = Create<TsSkinManager>(nullptr);
    manager->SetSkinDirectory(dir.Path());
    manager->SetSkinName(name);
    return manager;
}

} // namespace ks::test

#include "tools/skinpack/SkinPacker.h"

#include "skin/core/acSkinPack.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class SkinPacker : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
            ("SkinPacker_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::vector<uint8_t> Write(const std::string& name, std::vector<uint8_t> bytes)
    {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    static std::vector<uint8_t> Noise(size_t size, uint32_t x)
    {
        std::vector<uint8_t> out(size);
        for (uint8_t& b : out) {
            x = x * 1103515245 + 12345;
            b = static_cast<uint8_t>(x >> 16);
        }
        return out;
    }

    std::filesystem::path folder;
};

TEST_F(SkinPacker, WhatItPacksReadsBackByteForByte)
{
    const std::string text = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n";
    const auto options = Write("Options.dat", {text.begin(), text.end()});
    const auto master = Write("Master.bmp", Noise(70000, 1));
    const auto glyph = Write("a.png", Noise(10, 2));
    const auto empty = Write("Empty.bmp", {});
    std::filesystem::create_directories(folder / "nested");
    Write("nested/ignored.bmp", Noise(5, 3));

    const std::vector<uint8_t> archive = ks::PackSkinFolder(folder);
    ASSERT_GE(archive.size(), 29u);
    // The options entry comes first and its stream starts with zlib's default-level header.
    EXPECT_EQ(archive[27], 0x78);
    EXPECT_EQ(archive[28], 0x9C);

    TMemoryStream data;
    data.WriteBuffer(archive.data(), archive.size());
    TacSkinConvertor convertor;
    convertor.SetPackedData(&data);
    convertor.ExtractPackedEntries();

    auto bytes = [](const TMemoryStream& s) { return std::vector<uint8_t>(s.Bytes().begin(), s.Bytes().end()); };
    ASSERT_NE(convertor.Options(), nullptr);
    EXPECT_EQ(bytes(*convertor.Options()), options);
    const TacImageItems& items = convertor.Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].Name, "Empty.bmp");
    EXPECT_EQ(bytes(*items[0].Stream), empty);
    EXPECT_EQ(items[1].Name, "Master.bmp");
    EXPECT_EQ(bytes(*items[1].Stream), master);
    EXPECT_EQ(items[2].Name, "a.png");
    EXPECT_EQ(bytes(*items[2].Stream), glyph);
}

TEST_F(SkinPacker, OptionsInAnyCaseGoFirstAndPackingIsRepeatable)
{
    Write("Aaa.bmp", Noise(100, 4));
    Write("OPTIONS.DAT", {'[', 'A', ']'});
    const std::vector<uint8_t> first = ks::PackSkinFolder(folder);
    EXPECT_EQ(std::string(first.begin() + 12, first.begin() + 23), "OPTIONS.DAT");
    EXPECT_EQ(ks::PackSkinFolder(folder), first);
}

TEST_F(SkinPacker, AFolderWithoutOptionsIsRefused)
{
    Write("Master.bmp", Noise(100, 5));
    EXPECT_THROW(ks::PackSkinFolder(folder), Exception);
    std::filesystem::remove(folder / "Master.bmp");
    EXPECT_THROW(ks::PackSkinFolder(folder), Exception);
}

} // namespace

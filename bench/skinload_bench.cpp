// The portable half of loading a skin: unpack a packed archive, read its options text, turn
// every image value into a record, scan the values for pattern pictures, read the globals and
// the section table, resolve the sections' images and the common indexes; against the
// yardstick of only inflating the same archive. Two skins: the program's internal skin, packed
// here from the folder the skin generator writes, and a generated one about the size of a
// large skin (60 sections, 4 images each, a 168 x 135 master and a 288 x 192 own image).
// The load rows report x_inflate, their time over that of inflating the same archive (target for
// the internal skin: at most 3); reading the archive and its options reports x_zlib, its time over
// that of zlib alone inflating the same entries (target: at most 1.5). Each ratio's two sides are
// timed in turns.

#include "bench/Interleaved.h"
#include "skin/core/SkinImageValues.h"
#include "skin/core/SkinLookups.h"
#include "skin/core/acSkinPack.h"
#include "skin/core/sSkinOptions.h"
#include "tools/skinpack/SkinPacker.h"
#include "vcl/IniFiles.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/ZLib.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string Field(int v)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04d", v % 10000);
    return text;
}

std::string OptionsText()
{
    std::string t = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=0\r\nFONTCOLOR=32768\r\n"
                    "BOXCHECKED=@0054@0048@0102@0065@3@0\r\n";
    for (int s = 0; s < 60; ++s) {
        t += "[SECTION" + std::to_string(s) + "]\r\n";
        if (s % 3)
            t += "PARENTCLASS=SECTION" + std::to_string(s - 1) + "\r\n";
        t += "COLOR=" + std::to_string(s * 1000) + "\r\nFADINGITERATIONS=5\r\nGRADIENTDATA=0;32768;100;0;0\r\n";
        t += "BORDERSMASK=^" + Field(s) + "^0050^" + Field(s + 9) + "^0059^0003^0003^0003^0003^1^0^5^1\r\n";
        t += "GLYPHMASK=@" + Field(s) + "@0000@" + Field(s + 12) + "@0004@3@0\r\n";
        t += "PATTERN=~0001~0052~0005~0057~00~0\r\n";
        t += "GROUP=#A (10,20,40,26) (3,1,2)\r\n";
    }
    t += "[BUTTON_HUGE]\r\nBORDERSMASK=!BUTTONHUGE.BMP!3!1!0\r\n";
    return t;
}

std::vector<uint8_t> Bitmap8(int width, int height)
{
    std::vector<uint8_t> v(54 + 1024 + static_cast<size_t>(width) * height, 0);
    v[0] = 'B';
    v[1] = 'M';
    for (size_t i = 54 + 1024; i < v.size(); ++i)
        v[i] = static_cast<uint8_t>((i * 7) % 5);
    return v;
}

const std::vector<uint8_t>& GeneratedArchive()
{
    static const std::vector<uint8_t> bytes = [] {
        const std::string options = OptionsText();
        return ks::PackSkinEntries({
            {"Options.dat", std::vector<uint8_t>(options.begin(), options.end())},
            {"ButtonHuge.bmp", Bitmap8(288, 192)},
            {"Master.bmp", Bitmap8(168, 135)},
        }, "generated");
    }();
    return bytes;
}

// Packed the way the Windows build packs it into the main form.
const std::vector<uint8_t>& InternalArchive()
{
    static const std::vector<uint8_t> bytes = ks::PackSkinFolder(KS_INTERNAL_SKIN_FOLDER);
    return bytes;
}

TColor NoSystemColour(int index)
{
    return index;
}

void Unpack(TacSkinConvertor& conv, TMemoryStream& packed)
{
    conv.SetPackedData(&packed);
    conv.ExtractPackedEntries();
    conv.SetPackedData(nullptr);
}

// Everything of a load but decoding the pictures: the image records of the master bitmap's
// rectangles, the pattern scan, the globals, the section table and the indexes.
void LoadTables(TMemoryStream& packed)
{
    TacSkinConvertor conv;
    Unpack(conv, packed);
    TMemIniFile ini;
    const auto text = conv.Options()->Bytes();
    ini.SetText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    TsMaskArray masks;
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        if (value.empty())
            return;
        const TsImageValue v = ParseImageValue(value);
        if (v.Form != TsImageForm::None && v.Form != TsImageForm::OwnImage && v.Form != TsImageForm::BitmapFile)
            masks.push_back(MaskFromImageValue(v, section, key));
    });
    int pictures = 0;
    ks::ForEachValue(ini, [&](const std::string&, const std::string&, const std::string& value) {
        pictures += UpperCaseAscii(value).find(".JPG") != std::string::npos;
    });
    benchmark::DoNotOptimize(pictures);
    TsSkinData data;
    ReadSkinGlobals(ini, data);
    TsGeneralDataArray table;
    ReadSectionTable(ini, table, &NoSystemColour);
    ResolveSectionImages(table, masks);
    benchmark::DoNotOptimize(ComputeCommonIndexes(table, masks));
}

void BM_InflateArchive(benchmark::State& state, const std::vector<uint8_t>& (*archive)())
{
    TMemoryStream packed;
    packed.WriteBuffer(archive().data(), archive().size());
    for (auto _ : state) {
        TacSkinConvertor conv;
        Unpack(conv, packed);
        benchmark::DoNotOptimize(conv.Options());
    }
}

// atMost is the target of x_inflate; 0 when the row has none.
void BM_LoadSkinTables(benchmark::State& state, const std::vector<uint8_t>& (*archive)(), double atMost)
{
    TMemoryStream packed;
    packed.WriteBuffer(archive().data(), archive().size());
    for (auto _ : state)
        LoadTables(packed);
    const auto inflate = [&] {
        TacSkinConvertor conv;
        Unpack(conv, packed);
    };
    ks::bench::Count(state.counters, "x_inflate", ks::bench::Interleave([&] { LoadTables(packed); }, inflate));
    if (atMost > 0)
        state.counters["x_inflate_max"] = atMost;
}

// The entries of an archive deflated again on their own, with their sizes: what zlib alone
// inflates when it reads the same skin.
struct DeflatedEntries {
    std::vector<std::vector<uint8_t>> Streams;
    std::vector<size_t> Sizes;
};

DeflatedEntries Deflated(const std::vector<uint8_t>& archive)
{
    TMemoryStream packed;
    packed.WriteBuffer(archive.data(), archive.size());
    TacSkinConvertor conv;
    Unpack(conv, packed);
    DeflatedEntries d;
    d.Streams.push_back(ks::Deflate(conv.Options()->Bytes()));
    d.Sizes.push_back(conv.Options()->Bytes().size());
    for (const TacImageItem& item : conv.Items()) {
        d.Streams.push_back(ks::Deflate(item.Stream->Bytes()));
        d.Sizes.push_back(item.Stream->Bytes().size());
    }
    return d;
}

void InflateEntries(const DeflatedEntries& entries, std::vector<uint8_t>& out)
{
    for (size_t i = 0; i < entries.Streams.size(); ++i) {
        out.resize(entries.Sizes[i]);
        benchmark::DoNotOptimize(ks::InflateExact(entries.Streams[i], out));
    }
}

void BM_ZlibInflate(benchmark::State& state, const std::vector<uint8_t>& (*archive)())
{
    const DeflatedEntries entries = Deflated(archive());
    std::vector<uint8_t> out;
    for (auto _ : state)
        InflateEntries(entries, out);
}

// Unpacking the archive and reading its options: the globals and the section table.
void ReadArchiveAndOptions(TMemoryStream& packed)
{
    TacSkinConvertor conv;
    Unpack(conv, packed);
    TMemIniFile ini;
    const auto text = conv.Options()->Bytes();
    ini.SetText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    TsSkinData data;
    ReadSkinGlobals(ini, data);
    TsGeneralDataArray table;
    ReadSectionTable(ini, table, &NoSystemColour);
    benchmark::DoNotOptimize(table.data());
}

void BM_ReadArchiveAndOptions(benchmark::State& state, const std::vector<uint8_t>& (*archive)())
{
    TMemoryStream packed;
    packed.WriteBuffer(archive().data(), archive().size());
    for (auto _ : state)
        ReadArchiveAndOptions(packed);
    const DeflatedEntries entries = Deflated(archive());
    std::vector<uint8_t> out;
    ks::bench::Count(state.counters, "x_zlib",
                     ks::bench::Interleave([&] { ReadArchiveAndOptions(packed); }, [&] { InflateEntries(entries, out); }));
    state.counters["x_zlib_max"] = 1.5;
}

BENCHMARK_CAPTURE(BM_ZlibInflate, internal, &InternalArchive)->Name("ZlibInflate/entries/internal");
BENCHMARK_CAPTURE(BM_ReadArchiveAndOptions, internal, &InternalArchive)->Name("ReadArchiveAndOptions/asz/internal");
BENCHMARK_CAPTURE(BM_InflateArchive, internal, &InternalArchive)->Name("InflateArchive/asz/internal");
BENCHMARK_CAPTURE(BM_LoadSkinTables, internal, &InternalArchive, 3.0)->Name("LoadSkinTables/asz/internal");
BENCHMARK_CAPTURE(BM_InflateArchive, generated, &GeneratedArchive)->Name("InflateArchive/asz/60sections");
BENCHMARK_CAPTURE(BM_LoadSkinTables, generated, &GeneratedArchive, 0.0)->Name("LoadSkinTables/asz/60sections");

} // namespace

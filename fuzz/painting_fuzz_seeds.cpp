// Writes the painting fuzz target's seed corpus: border, glyph, tiled, fitted and frame records of the shapes
// stored skins give, spelled in the target's input encoding, and runs of random bytes, which the
// target reads as any other paints.
#include "fuzz/SeedCorpus.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

// The target's encoding of small values: a coordinate 0..60 and a record field -4..27.
void Coord(std::vector<uint8_t>& out, int v)
{
    out.push_back(60);
    out.push_back(static_cast<uint8_t>(v));
}

void Field(std::vector<uint8_t>& out, int v)
{
    out.push_back(static_cast<uint8_t>((v + 4) << 3 | 3));
}

void Rect(std::vector<uint8_t>& out, int l, int t, int r, int b)
{
    for (int v : {l, t, r, b})
        Coord(out, v);
}

// A 40 x 30 destination over a 64 x 64 skin image, 24- or 32-bit.
std::vector<uint8_t> Header(bool bpp32)
{
    return {7, 1, 39, 29, bpp32 ? uint8_t{1} : uint8_t{0}, 0, 63, 63, 0, 1, 15, 15, 0, 47, 47, 0, 0};
}

// Three cells with a mask row below, sides of 4, centre filled: painted over most of the
// destination in state 1.
void Border(std::vector<uint8_t>& out)
{
    out.push_back(0);
    Rect(out, 0, 0, 60, 40);
    for (int v : {3, 1, 0, 4})
        Field(out, v);
    out.push_back(0);
    for (int v : {4, 4, 4, 4})
        Field(out, v);
    Rect(out, 2, 2, 38, 28);
    out.push_back(2); // state 1
    out.push_back(1); // filling
    Coord(out, 0);
    Coord(out, 0);
    out.push_back(1);
    out.push_back(1);
    out.push_back(0); // no fill colour
    out.push_back(1); // key pixels take the backdrop
}

// Two cells of a glyph without mask rows, keyed at (5, 5).
void Glyph(std::vector<uint8_t>& out)
{
    out.push_back(1);
    Rect(out, 10, 44, 41, 59);
    for (int v : {2, 0, 0, 0})
        Field(out, v);
    out.push_back(0);
    for (int v : {0, 0, 0, 0})
        Field(out, v);
    Coord(out, 5);
    Coord(out, 5);
    out.push_back(2); // state 1
    out.push_back(1); // keyed copy
    for (int i = 0; i < 4; ++i)
        out.push_back(0xFF);
}

// A two-cell texture with its mask row tiled over the destination with a cut last column, then with
// the strips filled.
void Tiling(std::vector<uint8_t>& out, bool strips)
{
    out.push_back(2);
    Rect(out, 0, 0, 14, 18);
    for (int v : {2, 1, 0, 0})
        Field(out, v);
    out.push_back(1);
    for (int v : {0, 0, 0, 0})
        Field(out, v);
    Rect(out, 1, 2, 39, 27);
    Coord(out, 0);
    Coord(out, 0);
    out.push_back(1);
    out.push_back(strips ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        out.push_back(0x40);
}

// A push-button image of three cells with a mask row fitted over the destination in state 2,
// then a whole image file without cells restoring a frame's corners over the parent's colour.
void FitAndFrame(std::vector<uint8_t>& out)
{
    out.push_back(3);
    Rect(out, 0, 0, 60, 40);
    for (int v : {3, 1, 0, 4})
        Field(out, v);
    out.push_back(0);
    for (int v : {5, 5, 5, 5})
        Field(out, v);
    out.push_back(0); // in the master image
    out.push_back(3); // state 2
    out.push_back(1); // filling
    out.push_back(4);
    Rect(out, 0, 0, 0, 0);
    for (int v : {0, 0, 0, 0})
        Field(out, v);
    out.push_back(0);
    for (int v : {6, 6, 6, 6})
        Field(out, v);
    out.push_back(1); // its own image
    out.push_back(1); // state 0
    out.push_back(1); // the parent's colour
    Coord(out, 0);
    Coord(out, 0);
    for (int i = 0; i < 4; ++i)
        out.push_back(0x20);
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    for (bool bpp32 : {false, true}) {
        const std::string depth = bpp32 ? "32" : "24";
        std::vector<uint8_t> border = Header(bpp32), glyph = Header(bpp32), both = Header(bpp32);
        Border(border);
        Glyph(glyph);
        Border(both);
        Glyph(both);
        ks::fuzz::WriteSeed(dir / ("border-" + depth), border);
        ks::fuzz::WriteSeed(dir / ("glyph-" + depth), glyph);
        ks::fuzz::WriteSeed(dir / ("border-glyph-" + depth), both);
        std::vector<uint8_t> tiling = Header(bpp32);
        Tiling(tiling, false);
        Tiling(tiling, true);
        ks::fuzz::WriteSeed(dir / ("tiling-" + depth), tiling);
        std::vector<uint8_t> fit = Header(bpp32);
        FitAndFrame(fit);
        ks::fuzz::WriteSeed(dir / ("fit-frame-" + depth), fit);
    }
    std::mt19937 rng(12);
    for (int n = 0; n < 48; ++n) {
        std::vector<uint8_t> bytes(static_cast<size_t>(32 + rng() % 600));
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng());
        ks::fuzz::WriteSeed(dir / ("random-" + std::to_string(n)), bytes);
    }
    return 0;
}

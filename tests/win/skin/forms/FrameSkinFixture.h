#pragma once
// A skin of solid colours for the tests of the skinned frame: one colour per section, state and
// title-button cell, so that one pixel tells which look the frame shows; the title glyphs, their
// glow, a size grip, a user-button plate and an extended border with its shadow. Options can be
// left out to make the sparse skins the frame must survive.
#include "skin/core/sSkinManager.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/Pixels24.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace ks::test {

inline constexpr TColor FrameFormColour = 0x00402010;
inline constexpr TColor FrameFormHotColour = 0x00503020;
inline constexpr TColor FrameTitleColour = 0x00206020;
inline constexpr TColor FrameTitleHotColour = 0x00208040;
inline constexpr TColor FrameCaptionColour = 0x00602060;
inline constexpr TColor FrameCaptionHotColour = 0x00802080;
inline constexpr TColor FrameMenuLineColour = 0x00606000;
inline constexpr TColor FrameTitleFont = 0x00FFFFFF;
// Cells of the close, maximise and minimise glyphs: normal, hot, pressed.
inline constexpr TColor CloseCells[3] = {0x000000C0, 0x0000C000, 0x00C00000};
inline constexpr TColor MaxCells[3] = {0x000060C0, 0x0060C000, 0x00C06000};
inline constexpr TColor MinCells[3] = {0x00C0C000, 0x00C000C0, 0x0000C0C0};
inline constexpr TColor GlowColour = 0x00F0F0F0;
inline constexpr TColor ShadowColour = 0x00101010;
// The title section's "TITLEBAR" image, when the skin has one: active cell, inactive cell.
inline constexpr TColor TitleBarCells[2] = {0x00FF8000, 0x000080FF};
inline constexpr int TitleGlyph = 21;
inline constexpr int GlowSide = 31;

struct FrameSkinParts {
    bool form = true;
    bool title = true;
    bool caption = true;
    bool glyphs = true;
    // Title glyph cells of no size.
    bool emptyGlyphs = false;
    bool exBorder = true;
    bool titleBar = false;
};

inline std::string FrameSkinOptions(const FrameSkinParts& parts = {})
{
    std::string o = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=8421504\r\n"
                    "TITLEHEIGHT=26\r\nBORDERWIDTH=4\r\nBILEFT=2\r\nBIRIGHT=2\r\nBISPACE=1\r\nFORMOFFSET=2\r\n"
                    "BICONCLOSEGLOW=5\r\nBICONMAXGLOW=5\r\nBICONMINGLOW=5\r\n";
    if (parts.glyphs && !parts.emptyGlyphs)
        o += "BICONCLOSE=@0000@0000@0063@0021@3@0\r\nBICONMAX=@0000@0021@0063@0042@3@0\r\n"
             "BICONMIN=@0000@0042@0063@0063@3@0\r\nBICONCLOSEGLOW0=@0064@0000@0095@0031@1@0\r\n"
             "TITLEBUTTON=@0000@0063@0063@0084@3@0\r\nGRIPIMAGE=@0064@0032@0072@0040@1@0\r\n";
    if (parts.emptyGlyphs)
        o += "BICONCLOSE=@0000@0000@0000@0000@3@0\r\nBICONMAX=@0000@0021@0000@0021@3@0\r\n"
             "BICONMIN=@0000@0042@0000@0042@0@0\r\n";
    if (parts.exBorder)
        o += "EXBORDER=^0000^0088^0060^0118^0010^0010^0010^0010^2^0^0^0\r\n";
    if (parts.form)
        o += "[FORM]\r\n" + ColorKeys(FrameFormColour, FrameFormHotColour);
    if (parts.title)
        o += "[FORMTITLE]\r\n" + ColorKeys(FrameTitleColour, FrameTitleHotColour) + "FONTCOLOR=" +
             OptionColour(FrameTitleFont) + "\r\nHOTFONTCOLOR=" + OptionColour(FrameTitleFont) + "\r\n" +
             (parts.titleBar ? "TITLEBAR=^0096^0000^0120^0020^0002^0002^0002^0002^2^0^5^0\r\n" : "");
    if (parts.caption)
        o += "[CAPTION]\r\n" + ColorKeys(FrameCaptionColour, FrameCaptionHotColour) +
             "FONTCOLOR=16777215\r\nHOTFONTCOLOR=16777215\r\n";
    o += "[MENULINE]\r\nCOLOR=" + OptionColour(FrameMenuLineColour) + "\r\n";
    return o;
}

// Options with the GLOBALINFO value of key set anew (added when the options have none).
inline std::string WithGlobalValue(std::string options, const std::string& key, int value)
{
    const std::string line = key + "=" + std::to_string(value) + "\r\n";
    const size_t at = options.find("\r\n" + key + "=");
    if (at == std::string::npos) {
        const std::string section = "[GLOBALINFO]\r\n";
        options.insert(options.find(section) + section.size(), line);
    } else {
        options.replace(at + 2, options.find("\r\n", at + 2) + 2 - (at + 2), line);
    }
    return options;
}

inline TColor FrameMasterPixel(int x, int y)
{
    if (x < 63 && y < 21)
        return CloseCells[x / 21];
    if (x < 63 && y < 42)
        return MaxCells[x / 21];
    if (x < 63 && y < 63)
        return MinCells[x / 21];
    if (x >= 64 && x < 95 && y < 31)
        return GlowColour;
    if (x >= 64 && x < 72 && y >= 32 && y < 40)
        return 0x0000FFFF;
    if (x >= 96 && x < 120 && y < 20)
        return TitleBarCells[(x - 96) / 12];
    if (x < 60 && y >= 88 && y < 118)
        return ShadowColour;
    return 0x00808080;
}

inline std::vector<uint8_t> FrameSkinArchive(const FrameSkinParts& parts = {})
{
    return SkinArchive(FrameSkinOptions(parts), Bmp24(120, 120, FrameMasterPixel));
}

class FrameSkinFixture : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        LoadSkin({});
    }
    void TearDown() override
    {
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    void LoadSkin(const FrameSkinParts& parts, bool extendedBorders = false)
    {
        FreeAndNil(Manager);
        static int serial = 0;
        const std::wstring name = L"Frame" + std::to_wstring(++serial);
        Dir.Write(name + L".asz", FrameSkinArchive(parts));
        Manager = Create<TsSkinManager>(nullptr);
        Manager->SetExtendedBorders(extendedBorders);
        // The tests give their forms their own providers; the creation hook stays off them.
        Manager->SetSkinningRules({srStdDialogs, srThirdParty});
        Manager->SetSkinDirectory(Dir.Path());
        Manager->SetSkinName(name);
        ASSERT_TRUE(Manager->SkinData.SkinActive);
    }

    // The manager changes to the skin of these options over the frame test art: the new skin
    // reaches every form through the manager's broadcast.
    void ChangeSkin(const std::string& options)
    {
        static int serial = 0;
        const std::wstring name = L"Changed" + std::to_wstring(++serial);
        Dir.Write(name + L".asz", SkinArchive(options, Bmp24(120, 120, FrameMasterPixel)));
        Manager->SetSkinName(name);
        Pump();
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
};

} // namespace ks::test

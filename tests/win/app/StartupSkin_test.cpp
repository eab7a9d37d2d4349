// The main form loads its skin while it streams: the internal skin when the stored skin
// directory holds none of that name, and a skin folder placed there when it does.
#include "skin/core/acSkinPack.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "skin/forms/acDials.h"
#include "skin/images/acAlphaImageList.h"
#include "skin/images/acPNG.h"
#include "vcl/Streams.h"
#include "win/app/AppFixture.h"
#include "skin/core/LoadedSkin.h"
#include "win/support/ProcessCounters.h"
#include "win/support/ScreenPictures.h"
#include "vcl/PlatformSeams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The folder the main form's resource names as the skin directory.
const std::filesystem::path StoredSkinDirectory = L"C:\\Program Files\\Brevik 2007\\SkinPack\\Skins";

// Windows that heard the removal command, recorded by a hook on the thread's sent messages.
std::vector<HWND> gRemovalHeard;
HHOOK gRemovalHook = nullptr;

LRESULT CALLBACK RecordRemoval(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && cwp->message == SM_SKINCMD && HIWORD(cwp->wParam) == SKC_REMOVE_SKIN)
        gRemovalHeard.push_back(cwp->hwnd);
    return CallNextHookEx(gRemovalHook, code, wParam, lParam);
}

class StartupSkinTest : public AppFixture {
protected:
    void TearDown() override
    {
        FreeForms();
        std::error_code ignored; // a test that failed half-way may have left nothing to remove
        std::filesystem::remove_all(StoredSkinDirectory / L"Terminal4bit", ignored);
        AppFixture::TearDown();
    }

    TsSkinManager& CreateMainForm()
    {
        CreateForms(false);
        auto* manager = Form1 ? dynamic_cast<TsSkinManager*>(Form1->FindComponent("sSkinManager1")) : nullptr;
        if (!manager)
            throw Exception("the main form has no skin manager");
        return *manager;
    }
};

// The unit table's start-up loads the engine's embedded pictures from the program's resources.
TEST_F(StartupSkinTest, EmbeddedGlyphsAndShadowsAreLoaded)
{
    TsAlphaImageList* glyphs = EngineGlyphs();
    ASSERT_NE(glyphs, nullptr);
    EXPECT_EQ(glyphs->Width(), 48);
    EXPECT_EQ(glyphs->Height(), 16);
    EXPECT_EQ(glyphs->Count(), 5);
    for (TBitmap* shadow : {ShadowActiveImage(), ShadowInactiveImage()}) {
        ASSERT_NE(shadow, nullptr);
        EXPECT_GT(shadow->Width(), 22) << "room for the margins on both sides";
        EXPECT_GT(shadow->Height(), 18);
    }
}

TEST_F(StartupSkinTest, InternalSkinIsLoadedWhileTheFormStreams)
{
    TsSkinManager& manager = CreateMainForm();
    EXPECT_TRUE(manager.Active());
    EXPECT_TRUE(manager.SkinData.SkinActive);
    EXPECT_EQ(manager.SkinName(), L"Terminal4bit (internal)");
    EXPECT_DOUBLE_EQ(manager.SkinData.Version, 6.4);
    for (const char* section : {"EDIT", "BUTTON", "CHECKBOX", "GROUPBOX", "FORM", "HINT", "MENUITEM"})
        EXPECT_GE(manager.FindSection(section), 0) << section;
    EXPECT_GE(manager.FindMask(manager.FindSection("BUTTON"), "BUTTON", "BORDERSMASK"), 0);
}

TEST_F(StartupSkinTest, SkinFolderInTheStoredDirectoryIsTakenInstead)
{
    // The folder skin is the internal one unpacked, with a description of its own, so the test
    // can tell which of the two was loaded.
    std::filesystem::path folder = StoredSkinDirectory / L"Terminal4bit";
    {
        TsSkinManager& manager = CreateMainForm();
        TacSkinConvertor convertor;
        convertor.SetPackedData(&manager.InternalSkins()->Items(0)->Data());
        convertor.ExtractPackedEntries();
        std::filesystem::create_directories(folder);
        for (const TacImageItem& item : convertor.Items()) {
            std::ofstream out(folder / item.Name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(item.Stream->Memory()), static_cast<std::streamsize>(item.Stream->Size()));
        }
        std::string options(reinterpret_cast<const char*>(convertor.Options()->Memory()),
                            static_cast<size_t>(convertor.Options()->Size()));
        const size_t at = options.find("DESCRIPTION=");
        ASSERT_NE(at, std::string::npos);
        options.insert(at + 12, "From the skin folder. ");
        std::ofstream(folder / "Options.dat", std::ios::binary) << options;
        convertor.SetPackedData(nullptr);
        FreeForms();
    }

    TsSkinManager& manager = CreateMainForm();
    EXPECT_EQ(manager.SkinName(), L"Terminal4bit");
    EXPECT_TRUE(manager.SkinData.SkinActive);
    EXPECT_EQ(manager.SkinData.Description.rfind("From the skin folder. ", 0), 0u) << manager.SkinData.Description;
    EXPECT_GE(manager.FindSection("EDIT"), 0);
}

TEST_F(StartupSkinTest, ShutDownRemovesTheSkinAndTheCreationHook)
{
    CreateMainForm();
    ASSERT_NE(CreationHook.Handle(), nullptr) << "the manager's load completion installs the creation hook";
    // A form that outlives the main form, as the about box would if it were still there.
    TForm* witness = CreateNew<TForm>(Application);
    const HWND window = witness->Handle();
    gRemovalHeard.clear();
    gRemovalHook = SetWindowsHookExW(WH_CALLWNDPROC, &RecordRemoval, nullptr, GetCurrentThreadId());
    FreeForms();
    UnhookWindowsHookEx(gRemovalHook);
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    EXPECT_NE(std::find(gRemovalHeard.begin(), gRemovalHeard.end(), window), gRemovalHeard.end())
        << "the forms still there hear that the skin is removed";
    witness->Free();
}

// A stored skin in the skin folder whose options name pictures; the pictures are 1 x 1 bitmaps.
void WriteFolderSkin(const std::filesystem::path& folder, const std::string& values,
                     const std::vector<std::string>& pictures)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Options.dat", std::ios::binary) << "[GLOBALINFO]\r\nVERSION=6.4\r\n[BUTTON]\r\n" << values;
    // BITMAPFILEHEADER and BITMAPINFOHEADER of a 1 x 1 24-bit picture, then its padded row.
    const uint8_t dot[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                           1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           0x40, 0x80, 0xC0, 0};
    for (const std::string& name : pictures)
        std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(dot), sizeof dot);
}

int gStartupMessages = 0;
int WINAPI CountStartupMessage(HWND, const wchar_t*, const wchar_t*, UINT)
{
    ++gStartupMessages;
    return IDOK;
}

// The window shows more than one colour: it has been painted.
bool Painted(HWND wnd)
{
    const auto picture = ks::test::ScreenPicture(wnd);
    const TColor first = picture->Canvas().Pixels(0, 0);
    for (int y = 0; y < picture->Height(); y += 3)
        for (int x = 0; x < picture->Width(); x += 3)
            if (picture->Canvas().Pixels(x, y) != first)
                return true;
    return false;
}

// A stored skin naming one picture 70,000 times takes one bitmap for all of them: the program
// starts with it and its windows paint. One naming more pictures than a skin may have is
// refused with a message, and the program starts with its internal skin instead.
TEST_F(StartupSkinTest, AHostileStoredSkinCannotUseUpTheProgramsHandles)
{
    ks::Sys().MessageBoxW = &CountStartupMessage;
    const std::filesystem::path folder = StoredSkinDirectory / L"Terminal4bit";
    struct Case {
        const char* name;
        int values;
        bool distinct;
        const wchar_t* skin;
        int messages;
    } const cases[] = {
        {"OnePictureNamed70000Times", 70000, false, L"Terminal4bit", 0},
        {"MorePicturesThanASkinMayHave", static_cast<int>(ks::MaxSkinPictures) + 1, true, L"Terminal4bit (internal)", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string values;
        std::vector<std::string> pictures{"DOT.BMP"};
        for (int i = 0; i < c.values; ++i) {
            const std::string picture = c.distinct ? "P" + std::to_string(i) + ".BMP" : "DOT.BMP";
            values += "K" + std::to_string(i) + "=!" + picture + "!1!0!0\r\n";
            if (c.distinct)
                pictures.push_back(picture);
        }
        WriteFolderSkin(folder, values, pictures);
        gStartupMessages = 0;
        const long gdiBefore = ks::test::GdiObjectCount();
        TsSkinManager& manager = CreateMainForm();
        EXPECT_LT(ks::test::GdiObjectCount() - gdiBefore, 1000);
        EXPECT_EQ(manager.SkinName(), c.skin);
        EXPECT_TRUE(manager.SkinData.SkinActive);
        EXPECT_EQ(gStartupMessages, c.messages);
        Form1->Show();
        Pump();
        EXPECT_TRUE(Painted(Form1->Handle()));
        FreeForms();
        std::filesystem::remove_all(folder);
    }
}

// A stored skin one of whose pictures does not decode is refused as a whole: the program says so
// once and starts with the internal skin.
TEST_F(StartupSkinTest, AStoredSkinWithAPictureThatDoesNotDecodeGivesWayToTheInternalOne)
{
    ks::Sys().MessageBoxW = &CountStartupMessage;
    const std::filesystem::path folder = StoredSkinDirectory / L"Terminal4bit";
    WriteFolderSkin(folder, "BORDERSMASK=!BAD.BMP!1!0!0\r\nGLYPH=!DOT.BMP!1!0!0\r\n", {"DOT.BMP"});
    std::ofstream(folder / "BAD.BMP", std::ios::binary) << "BM and then nothing a bitmap has";
    gStartupMessages = 0;
    TsSkinManager& manager = CreateMainForm();
    EXPECT_EQ(manager.SkinName(), L"Terminal4bit (internal)");
    EXPECT_TRUE(manager.SkinData.SkinActive);
    EXPECT_EQ(gStartupMessages, 1);
    Form1->Show();
    Pump();
    EXPECT_TRUE(Painted(Form1->Handle()));
}

// The counters the test above and the skin-cycle benchmark trust see what is leaked on purpose,
// and see it go again.
TEST(ProcessCountersTest, SeeObjectsAndBlocksLeakedOnPurpose)
{
    const long gdi = ks::test::GdiObjectCount();
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 100; ++i)
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    EXPECT_GE(ks::test::GdiObjectCount() - gdi, 100);
    for (HBRUSH b : brushes)
        DeleteObject(b);
    EXPECT_EQ(ks::test::GdiObjectCount(), gdi);

    const long user = ks::test::UserObjectCount();
    std::vector<HMENU> menus;
    for (int i = 0; i < 50; ++i)
        menus.push_back(CreatePopupMenu());
    EXPECT_EQ(ks::test::UserObjectCount() - user, 50);
    for (HMENU m : menus)
        DestroyMenu(m);
    EXPECT_EQ(ks::test::UserObjectCount(), user);

    std::vector<std::unique_ptr<char[]>> blocks(10000);
    const uint64_t heap = ks::test::HeapBusyBytes();
    for (auto& b : blocks)
        b.reset(new char[100]);
    EXPECT_GE(ks::test::HeapBusyBytes() - heap, 10000u * 100u);
    blocks.clear();
    EXPECT_LT(ks::test::HeapBusyBytes(), heap + 10000u * 100u / 2);
}

} // namespace

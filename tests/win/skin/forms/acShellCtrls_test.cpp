#include "skin/forms/acShellCtrls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct OleLog {
    HRESULT initAnswer = S_OK;
    int inits = 0;
    int uninits = 0;
    bool refuseLocation = false;
    bool refuseDesktop = false;
};
OleLog gOle;

HRESULT WINAPI FakeOleInitialize(LPVOID)
{
    ++gOle.inits;
    return gOle.initAnswer;
}
void WINAPI FakeOleUninitialize()
{
    ++gOle.uninits;
}
HRESULT WINAPI FakeLocation(HWND wnd, int csidl, LPITEMIDLIST* list)
{
    if (gOle.refuseLocation)
        return E_FAIL;
    return ::SHGetSpecialFolderLocation(wnd, csidl, list);
}
HRESULT WINAPI FakeDesktop(IShellFolder** folder)
{
    if (gOle.refuseDesktop)
        return E_NOINTERFACE;
    return ::SHGetDesktopFolder(folder);
}

class ShellRootTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gOle = OleLog{};
        Saved = ShellCalling();
        ShellCalling().OleInitialize = FakeOleInitialize;
        ShellCalling().OleUninitialize = FakeOleUninitialize;
        ShellCalling().SHGetSpecialFolderLocation = FakeLocation;
        ShellCalling().SHGetDesktopFolder = FakeDesktop;
    }
    void TearDown() override { ShellCalling() = Saved; }

    ShellCalls Saved;
};

TEST_F(ShellRootTest, StartAndFinishPairOleOnceAndWrapTheDesktop)
{
    InitializeAcShellCtrlsUnit();
    InitializeAcShellCtrlsUnit(); // a second user of the unit changes nothing
    ASSERT_NE(RootFolder, nullptr);
    EXPECT_EQ(RootFolder->Parent, nullptr);
    EXPECT_EQ(RootFolder->Level, 0);
    EXPECT_NE(RootFolder->ShellFolder, nullptr);
    LPITEMIDLIST desktop = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop), S_OK);
    ASSERT_EQ(IDSize(RootFolder->AbsoluteID), IDSize(desktop));
    EXPECT_EQ(std::memcmp(RootFolder->AbsoluteID, desktop, static_cast<size_t>(IDSize(desktop))), 0);
    FreeID(desktop);

    FinalizeAcShellCtrlsUnit();
    EXPECT_NE(RootFolder, nullptr) << "the first user still holds the unit";
    FinalizeAcShellCtrlsUnit();
    EXPECT_EQ(RootFolder, nullptr);
    EXPECT_EQ(gOle.inits, 1);
    EXPECT_EQ(gOle.uninits, 1);
    FinalizeAcShellCtrlsUnit(); // one finish too many does nothing
    EXPECT_EQ(gOle.uninits, 1);
}

TEST_F(ShellRootTest, OleIsUninitialisedOnlyAsOftenAsTheStartUpInitialisedIt)
{
    struct Case {
        const char* name;
        HRESULT answer;
        int uninits;
    };
    const Case cases[] = {
        {"initialised here", S_OK, 1},
        {"already initialised by someone else", S_FALSE, 1},
        {"refused: another threading model", RPC_E_CHANGED_MODE, 0},
        {"refused: out of memory", E_OUTOFMEMORY, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gOle = OleLog{};
        gOle.initAnswer = c.answer;
        InitializeAcShellCtrlsUnit();
        FinalizeAcShellCtrlsUnit();
        EXPECT_EQ(gOle.inits, 1);
        EXPECT_EQ(gOle.uninits, c.uninits);
    }
}

TEST_F(ShellRootTest, AShellWithoutDesktopLeavesNoRootButStillPairsOle)
{
    for (int refuse = 0; refuse < 2; ++refuse) {
        gOle = OleLog{};
        gOle.refuseLocation = refuse == 0;
        gOle.refuseDesktop = refuse == 1;
        InitializeAcShellCtrlsUnit();
        EXPECT_EQ(RootFolder, nullptr);
        FinalizeAcShellCtrlsUnit();
        EXPECT_EQ(gOle.inits, 1);
        EXPECT_EQ(gOle.uninits, 1);
    }
}

// A list of items with the given payload sizes, made with the shell's allocator.
LPITEMIDLIST MakeList(const std::vector<int>& payloads)
{
    int size = 2;
    for (int p : payloads)
        size += 2 + p;
    auto* list = reinterpret_cast<BYTE*>(AllocID(size));
    BYTE* at = list;
    for (int p : payloads) {
        const uint16_t count = static_cast<uint16_t>(2 + p);
        std::memcpy(at, &count, 2);
        std::memset(at + 2, 0x40 + p, static_cast<size_t>(p));
        at += count;
    }
    return reinterpret_cast<LPITEMIDLIST>(list);
}

TEST(ItemIdLists, SizesCopiesAndJoinsKeepEveryItemAndOneTerminator)
{
    EXPECT_EQ(IDSize(nullptr), 0);
    EXPECT_EQ(CopyID(nullptr), nullptr);
    LPITEMIDLIST a = MakeList({3, 5});
    LPITEMIDLIST b = MakeList({1});
    EXPECT_EQ(IDSize(a), 2 + 5 + 7);
    EXPECT_EQ(reinterpret_cast<BYTE*>(NextID(a)) - reinterpret_cast<BYTE*>(a), 5);

    LPITEMIDLIST copy = CopyID(a);
    ASSERT_EQ(IDSize(copy), IDSize(a));
    EXPECT_EQ(std::memcmp(copy, a, static_cast<size_t>(IDSize(a))), 0);

    LPITEMIDLIST ab = ConcatIDs(a, b);
    ASSERT_EQ(IDSize(ab), IDSize(a) - 2 + IDSize(b));
    EXPECT_EQ(std::memcmp(ab, a, static_cast<size_t>(IDSize(a) - 2)), 0);
    EXPECT_EQ(std::memcmp(reinterpret_cast<BYTE*>(ab) + IDSize(a) - 2, b, static_cast<size_t>(IDSize(b))), 0);

    // A missing list on either side: the other whole, terminated.
    LPITEMIDLIST onlyB = ConcatIDs(nullptr, b);
    ASSERT_EQ(IDSize(onlyB), IDSize(b));
    EXPECT_EQ(std::memcmp(onlyB, b, static_cast<size_t>(IDSize(b))), 0);
    LPITEMIDLIST onlyA = ConcatIDs(a, nullptr);
    EXPECT_EQ(IDSize(onlyA), IDSize(a));
    LPITEMIDLIST none = ConcatIDs(nullptr, nullptr);
    EXPECT_EQ(IDSize(none), 2);

    for (LPITEMIDLIST l : {a, b, copy, ab, onlyB, onlyA, none})
        FreeID(l);
    FreeID(nullptr);
}

TEST(ShellFolders, AChildFolderJoinsItsParentsListAndCountsItsLevel)
{
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(::SHGetDesktopFolder(&desktop), S_OK);
    LPITEMIDLIST empty = MakeList({});
    LPITEMIDLIST one = MakeList({4});
    TacShellFolder root(nullptr, desktop, empty);
    TacShellFolder child(&root, desktop, one);
    TacShellFolder grandchild(&child, desktop, one);
    EXPECT_EQ(child.Parent, &root);
    EXPECT_EQ(child.Level, 0) << "its parent has no parent";
    EXPECT_EQ(grandchild.Level, 1);
    EXPECT_EQ(IDSize(grandchild.AbsoluteID), IDSize(root.AbsoluteID) + 2 * 6);
    EXPECT_NE(child.RelativeID, one) << "the folder keeps its own copy";
    EXPECT_EQ(child.Names->Count(), 0);
    FreeID(empty);
    FreeID(one);
    desktop->Release();
}

} // namespace

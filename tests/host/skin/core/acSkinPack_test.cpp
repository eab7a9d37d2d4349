#include "skin/core/acSkinPack.h"

#include "host/support/ArchiveBuilder.h"
#include "host/support/TempDir.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using ks::test::ArchiveBuilder;
using ks::test::Bytes;

std::vector<uint8_t> Content(const TMemoryStream& s)
{
    auto b = s.Bytes();
    return {b.begin(), b.end()};
}

// Runs the reader over a lent copy of the bytes, as the loader of an internal skin does.
struct Reader {
    explicit Reader(const std::vector<uint8_t>& bytes, TacSkinConvertor::Limits limits = {}, bool extract = true)
        : convertor(limits)
    {
        data.WriteBuffer(bytes.data(), bytes.size());
        convertor.SetPackedData(&data);
        if (extract)
            convertor.ExtractPackedEntries();
    }
    TMemoryStream data;
    TacSkinConvertor convertor;
};

TEST(acSkinPack, ExtractsOptionsAndItemsByteForByte)
{
    ArchiveBuilder b = ks::test::SmallSkinArchive();
    Reader r(b.Build());

    ASSERT_NE(r.convertor.Options(), nullptr);
    EXPECT_EQ(Content(*r.convertor.Options()), b.entries[0].data);
    const TacImageItems& items = r.convertor.Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(r.convertor.ImageCount(), 2);
    EXPECT_EQ(items[0].Name, "Master.bmp");
    EXPECT_TRUE(items[0].IsBitmap);
    EXPECT_EQ(Content(*items[0].Stream), b.entries[1].data);
    EXPECT_EQ(items[0].Stream->Position(), 3000);
    EXPECT_EQ(items[1].Name, "Glyphs.png");
    EXPECT_FALSE(items[1].IsBitmap);
    EXPECT_EQ(Content(*items[1].Stream), b.entries[2].data);
}

TEST(acSkinPack, BitmapFlagFollowsTheLastExtension)
{
    struct Case {
        const char* name;
        bool isBitmap;
    } cases[] = {
        {"a.b.Bmp", true}, {"x.png", false}, {"skin\\Frame.BMP", true}, {"c:frame.bmp", true},
        {"noext", false}, {"dir.bmp\\file", false}, {"frame.bmp.png", false}, {".bmp", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveBuilder b;
        b.Add("Options.dat", "[A]").Add(c.name, "x");
        Reader r(b.Build());
        ASSERT_EQ(r.convertor.Items().size(), 1u);
        EXPECT_EQ(r.convertor.Items()[0].IsBitmap, c.isBitmap);
    }
}

TEST(acSkinPack, OptionsEntryMatchesInAnyCaseAndTheLastOneWins)
{
    ArchiveBuilder b;
    b.Add("oPTIONS.dAT", "first").Add("Image.bmp", "img").Add("OPTIONS.DAT", "second");
    Reader r(b.Build());
    EXPECT_EQ(Content(*r.convertor.Options()), Bytes("second"));
    ASSERT_EQ(r.convertor.Items().size(), 1u);
    EXPECT_EQ(r.convertor.ImageCount(), 1);
}

TEST(acSkinPack, ToleratesWhatStoredArchivesCarry)
{
    ArchiveBuilder b;
    b.Add("Options.dat", "[A]");
    b.Add("../../outside.bmp", "x");
    b.Add("C:\\Windows\\evil.bmp", "y");
    b.Add("Empty.bmp", std::vector<uint8_t>{});
    b.Add("Big.bmp", ks::test::NoiseBytes(200000, 3));
    b.Add("After.png", "after the big one");
    b.trailer = Bytes("trailing bytes are ignored");
    Reader r(b.Build());

    const TacImageItems& items = r.convertor.Items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].Name, "../../outside.bmp");
    EXPECT_EQ(items[1].Name, "C:\\Windows\\evil.bmp");
    EXPECT_EQ(items[2].Stream->Size(), 0);
    EXPECT_EQ(Content(*items[3].Stream), b.entries[4].data);
    EXPECT_EQ(Content(*items[4].Stream), Bytes("after the big one"));
}

TEST(acSkinPack, FewerDeclaredEntriesLeaveTheRestUnread)
{
    ArchiveBuilder b = ks::test::SmallSkinArchive();
    b.fileCount = 2;
    Reader r(b.Build());
    ASSERT_EQ(r.convertor.Items().size(), 1u);
    EXPECT_EQ(r.convertor.Items()[0].Name, "Master.bmp");
}

using Limits = TacSkinConvertor::Limits;

// A defect is made in the builder (and limits) or in the built bytes.
struct CorruptCase {
    const char* name;
    void (*build)(ArchiveBuilder&, Limits&);
    void (*cut)(std::vector<uint8_t>&);
    SkinArchiveError reason;
};

const CorruptCase CorruptCases[] = {
    {"MagicInAnotherCase", [](ArchiveBuilder& b, Limits&) { b.magic = "aszf"; }, nullptr, SkinArchiveError::NotPacked},
    {"EmptyData", nullptr, [](std::vector<uint8_t>& v) { v.clear(); }, SkinArchiveError::NotPacked},
    {"CutInsideFileCount", nullptr, [](std::vector<uint8_t>& v) { v.resize(6); }, SkinArchiveError::Truncated},
    {"NegativeFileCount", [](ArchiveBuilder& b, Limits&) { b.fileCount = -1; }, nullptr, SkinArchiveError::BadFileCount},
    {"FileCountBeyondData", [](ArchiveBuilder& b, Limits&) { b.fileCount = 1000000; }, nullptr, SkinArchiveError::BadFileCount},
    {"FileCountAboveLimit", [](ArchiveBuilder&, Limits& l) { l.MaxEntries = 2; }, nullptr, SkinArchiveError::TooManyEntries},
    {"NegativeNameLength", [](ArchiveBuilder& b, Limits&) { b.entries[1].nameLength = -5; }, nullptr, SkinArchiveError::BadNameLength},
    {"NameLengthAboveLimit", [](ArchiveBuilder& b, Limits&) { b.entries[1].nameLength = 5000; }, nullptr, SkinArchiveError::BadNameLength},
    {"NameBeyondData", [](ArchiveBuilder& b, Limits&) { b.entries[2].nameLength = 1000; }, nullptr, SkinArchiveError::Truncated},
    {"CutInsideSize", [](ArchiveBuilder& b, Limits&) { b.fileCount = 1; },
        [](std::vector<uint8_t>& v) { v.resize(8 + 4 + 11 + 2); }, SkinArchiveError::Truncated},
    {"NegativeSize", [](ArchiveBuilder& b, Limits&) { b.entries[1].size = -1; }, nullptr, SkinArchiveError::BadEntrySize},
    {"SizeNoStreamCanReach", [](ArchiveBuilder& b, Limits&) { b.entries[2].size = 0x7FFFFFFF; }, nullptr, SkinArchiveError::BadEntrySize},
    {"EntryAboveLimit", [](ArchiveBuilder&, Limits& l) { l.MaxEntryBytes = 2999; }, nullptr, SkinArchiveError::EntryTooLarge},
    {"TotalAboveLimit", [](ArchiveBuilder&, Limits& l) { l.MaxTotalBytes = 3200; }, nullptr, SkinArchiveError::TotalTooLarge},
    {"StreamLongerThanSize", [](ArchiveBuilder& b, Limits&) { b.entries[1].size = 2999; }, nullptr, SkinArchiveError::CorruptEntry},
    {"StreamShorterThanSize", [](ArchiveBuilder& b, Limits&) { b.entries[1].size = 3001; }, nullptr, SkinArchiveError::CorruptEntry},
    {"CutInsideLastStream", nullptr, [](std::vector<uint8_t>& v) { v.resize(v.size() - 100); }, SkinArchiveError::CorruptEntry},
    {"CutInsideCheckValue", nullptr, [](std::vector<uint8_t>& v) { v.resize(v.size() - 2); }, SkinArchiveError::CorruptEntry},
    {"NotZlibData", [](ArchiveBuilder& b, Limits&) { b.entries[1].stream = Bytes("plain bytes, not zlib"); }, nullptr, SkinArchiveError::CorruptEntry},
    {"WrongCheckValue", [](ArchiveBuilder& b, Limits&) {
         auto s = b.entries[1].Stream();
         s.back() ^= 0x01;
         b.entries[1].stream = s;
     }, nullptr, SkinArchiveError::CorruptEntry},
    {"NoOptionsEntry", [](ArchiveBuilder& b, Limits&) { b.entries[0].name = "Options.txt"; }, nullptr, SkinArchiveError::NoOptions},
};

TEST(acSkinPack, RejectsDamagedArchivesWithTheirReason)
{
    for (const CorruptCase& c : CorruptCases) {
        SCOPED_TRACE(c.name);
        ArchiveBuilder b = ks::test::SmallSkinArchive();
        Limits limits;
        if (c.build)
            c.build(b, limits);
        std::vector<uint8_t> bytes = b.Build();
        if (c.cut)
            c.cut(bytes);
        Reader r(bytes, limits, false);
        try {
            r.convertor.ExtractPackedEntries();
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason)) << e.Message();
        }
    }
}

TEST(acSkinPack, WrongMagicClearsTheConvertorWithTheFixedText)
{
    ArchiveBuilder good = ks::test::SmallSkinArchive();
    Reader r(good.Build());

    TMemoryStream bad;
    bad.WriteBuffer("ASZF\0\0\0\0", 8);
    r.convertor.SetPackedData(&bad);
    try {
        r.convertor.ExtractPackedEntries();
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Loaded data is not packed skin file");
    }
    EXPECT_EQ(r.convertor.Options(), nullptr);
    EXPECT_TRUE(r.convertor.Items().empty());
    EXPECT_EQ(r.convertor.PackedData(), nullptr);
}

TEST(acSkinPack, EntriesBeforeADamagedOneStayUntilCleared)
{
    ArchiveBuilder b = ks::test::SmallSkinArchive();
    b.entries[2].size = 501;
    Reader r(b.Build(), {}, false);
    EXPECT_THROW(r.convertor.ExtractPackedEntries(), EZLibError);
    ASSERT_EQ(r.convertor.Items().size(), 1u);
    EXPECT_NE(r.convertor.Options(), nullptr);
    r.convertor.Clear();
    EXPECT_TRUE(r.convertor.Items().empty());
    EXPECT_EQ(r.convertor.Options(), nullptr);
}

std::wstring WriteFile(const ks::test::TempDir& dir, const wchar_t* name, const std::vector<uint8_t>& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SaveToFile(dir.File(name));
    return dir.File(name);
}

TEST(UnpackSkinFile, MissingFileChangesNothing)
{
    ks::test::TempDir dir;
    std::unique_ptr<TacSkinConvertor> none;
    UnpackSkinFile(dir.File(L"absent.asz"), none, true);
    EXPECT_EQ(none, nullptr);

    auto kept = std::make_unique<TacSkinConvertor>();
    Reader r(ks::test::SmallSkinArchive().Build(), {}, false);
    kept->SetPackedData(&r.data);
    kept->ExtractPackedEntries();
    UnpackSkinFile(dir.File(L"absent.asz"), kept, true);
    EXPECT_EQ(kept->Items().size(), 2u);
}

TEST(UnpackSkinFile, ReadsTheFileAndKeepsOrReleasesItsBytes)
{
    ks::test::TempDir dir;
    const std::vector<uint8_t> bytes = ks::test::SmallSkinArchive().Build();
    const std::wstring name = WriteFile(dir, L"Small.asz", bytes);

    std::unique_ptr<TacSkinConvertor> c;
    UnpackSkinFile(name, c, false);
    ASSERT_NE(c, nullptr);
    ASSERT_NE(c->PackedData(), nullptr);
    EXPECT_EQ(Content(*c->PackedData()), bytes);
    EXPECT_EQ(c->Items().size(), 2u);

    UnpackSkinFile(name, c, true);
    EXPECT_EQ(c->PackedData(), nullptr);
    EXPECT_EQ(c->Items().size(), 2u);
    EXPECT_NE(c->Options(), nullptr);
}

TEST(UnpackSkinFile, RefusesAFileAboveTheLimitBeforeReadingIt)
{
    ks::test::TempDir dir;
    const std::wstring name = WriteFile(dir, L"Small.asz", ks::test::SmallSkinArchive().Build());
    std::unique_ptr<TacSkinConvertor> c;
    TacSkinConvertor::Limits limits;
    limits.MaxArchiveBytes = 100;
    try {
        UnpackSkinFile(name, c, true, limits);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Reason(), static_cast<int>(SkinArchiveError::FileTooLarge));
    }
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->Items().empty());
}

} // namespace

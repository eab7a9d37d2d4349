#include "vcl/Streams.h"

#include "host/support/TempDir.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Content(const TMemoryStream& s)
{
    return std::string(reinterpret_cast<const char*>(s.Memory()), s.Bytes().size());
}

// Hands out at most one byte per Read, like a pipe under load; optionally fails after some
// bytes, like a disk error.
class TrickleStream : public TStream {
public:
    explicit TrickleStream(std::string data, size_t failAfter = SIZE_MAX) : FData(std::move(data)), FFailAfter(failAfter) {}

    size_t Read(void* buffer, size_t count) override
    {
        if (FPos >= FFailAfter)
            throw EReadError("Stream read error");
        if (count == 0 || FPos >= FData.size())
            return 0;
        std::memcpy(buffer, FData.data() + FPos, 1);
        ++FPos;
        return 1;
    }
    size_t Write(const void*, size_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        int64_t base = origin == soFromBeginning ? 0 : origin == soFromCurrent ? int64_t(FPos) : int64_t(FData.size());
        FPos = static_cast<size_t>(base + offset);
        return base + offset;
    }

private:
    std::string FData;
    size_t FFailAfter;
    size_t FPos = 0;
};

TEST(TMemoryStream, ReadsWritesAndSeeks)
{
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.Seek(-2, soFromCurrent), 3);
    s.WriteBuffer("LOWORLD", 7);
    EXPECT_EQ(Content(s), "helLOWORLD");
    EXPECT_EQ(s.Seek(-5, soFromEnd), 5);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, sizeof buf), 5u);
    EXPECT_EQ(std::string(buf, 5), "WORLD");
    EXPECT_EQ(s.Read(buf, sizeof buf), 0u);
    EXPECT_EQ(s.Remaining(), 0u);
}

TEST(TMemoryStream, PositionsOutsideTheData)
{
    TMemoryStream s;
    s.WriteBuffer("ab", 2);
    EXPECT_THROW(s.Seek(-1, soFromBeginning), EStreamError);
    EXPECT_THROW(s.Seek(-3, soFromEnd), EStreamError);
    EXPECT_THROW(s.Seek(INT64_MAX, soFromEnd), EStreamError);
    EXPECT_EQ(s.Position(), 2) << "a refused seek leaves the position";
    s.SetPosition(5);
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0u);
    s.WriteBuffer("z", 1);
    EXPECT_EQ(Content(s), std::string("ab\0\0\0z", 6)) << "a write past the end fills the gap with zeros";
    s.SetSize(1);
    EXPECT_EQ(s.Position(), 1);
    s.SetSize(3);
    EXPECT_EQ(Content(s), std::string("a\0\0", 3));
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(TMemoryStream, ShortTransfersRaise)
{
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    s.SetPosition(1);
    char buf[4];
    try {
        s.ReadBuffer(buf, 3);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    s.SetPosition(0);
    TrickleStream trickle("xyz");
    EXPECT_NO_THROW(trickle.ReadBuffer(buf, 3)) << "partial reads are not short reads";
    EXPECT_EQ(std::string(buf, 3), "xyz");
    EXPECT_THROW(trickle.ReadBuffer(buf, 1), EReadError);
    EXPECT_THROW(trickle.WriteBuffer("a", 1), EWriteError);

    s.SetPosition(1);
    ks::ByteSource& source = s;
    EXPECT_EQ(source.Remaining(), 2u);
    uint8_t two[2];
    source.ReadExact(two);
    EXPECT_EQ(two[1], 'c');
    EXPECT_THROW(source.ReadExact(two), EReadError);
}

TEST(TMemoryStream, CopyFromCopiesExactlyTheCount)
{
    TMemoryStream src;
    src.WriteBuffer("0123456789", 10);
    src.SetPosition(2);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 0u) << "a count of 0 copies nothing, not the whole source";
    EXPECT_EQ(dst.Size(), 0);
    EXPECT_EQ(src.Position(), 2);
    EXPECT_EQ(dst.CopyFrom(src, 5), 5u);
    EXPECT_EQ(Content(dst), "23456");
    EXPECT_THROW(dst.CopyFrom(src, 4), EReadError);

    std::string big(200000, 'q');
    big[199999] = 'e';
    TrickleStream slow(big);
    TMemoryStream large;
    large.CopyFrom(slow, big.size());
    EXPECT_EQ(Content(large), big);
}

TEST(TMemoryStream, FailedLoadKeepsTheOldContent)
{
    TMemoryStream s;
    s.WriteBuffer("keep", 4);
    TrickleStream failing("0123456789", 5);
    EXPECT_THROW(s.LoadFromStream(failing), EReadError);
    EXPECT_EQ(Content(s), "keep");

    TMemoryStream src;
    src.WriteBuffer("new!", 4);
    s.LoadFromStream(src);
    EXPECT_EQ(Content(s), "new!");
    EXPECT_EQ(s.Position(), 0);
}

TEST(TFileStream, WritesAndReadsFilesWithUnicodeNames)
{
    ks::test::TempDir dir;
    const std::wstring name = dir.File(L"\u041F\u0430\u0440\u043E\u043B\u044C.bin");
    {
        TFileStream out(name, fmCreate);
        out.WriteBuffer("0123456789", 10);
    }
    TFileStream in(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(in.Size(), 10);
    EXPECT_EQ(in.Seek(-3, soFromEnd), 7);
    char buf[3];
    in.ReadBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_THROW(in.ReadBuffer(buf, 1), EReadError);

    TMemoryStream m;
    m.LoadFromFile(name);
    EXPECT_EQ(Content(m), "0123456789");
    m.SaveToFile(dir.File(L"copy.bin"));
    EXPECT_TRUE(FileExists(dir.File(L"copy.bin")));
}

TEST(TFileStream, OpenFailuresNameTheFile)
{
    ks::test::TempDir dir;
    try {
        TFileStream in(dir.File(L"missing.asz"), fmOpenRead | fmShareDenyWrite);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("missing.asz"), std::string::npos);
    }
    EXPECT_THROW(TFileStream(dir.File(L"no\\such\\folder.bin"), fmCreate), EFCreateError);
}

} // namespace

#include "skin/controls/HintMarkup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

using ks::HintFont;
using ks::HintMarkup;

// A device of simple metrics: every character is as wide as the font's size, two more in bold;
// a line is size + 4 high.
class FakeDevice : public ks::HintTextDevice {
public:
    struct Piece {
        HintFont font;
        int x, y;
        std::wstring text;
    };
    int PieceWidth(const HintFont& f, std::wstring_view text) override
    {
        return static_cast<int>(text.size()) * (f.Size + (f.Bold ? 2 : 0));
    }
    int LetterHeight(const HintFont& f) override { return f.Size + 4; }
    void WritePiece(const HintFont& f, int x, int y, std::wstring_view text) override
    {
        pieces.push_back({f, x, y, std::wstring(text)});
    }
    std::vector<Piece> pieces;
};

const HintFont Base{L"Tahoma", 8, false, false, 0};

struct Laid {
    TRect size;
    std::vector<FakeDevice::Piece> pieces;
};

Laid Lay(std::wstring_view text, TRect rect = {0, 0, 200, 0})
{
    HintMarkup m;
    FakeDevice d;
    m.Init(text, rect, Base);
    TRect r = m.Render(d);
    // Pieces come grouped by font; the tests read them in reading order.
    std::stable_sort(d.pieces.begin(), d.pieces.end(),
                     [](const auto& a, const auto& b) { return std::tie(a.y, a.x) < std::tie(b.y, b.x); });
    return {r, d.pieces};
}

TEST(HintMarkup, SizesOfTaggedTexts)
{
    struct Case {
        const char* name;
        std::wstring text;
        int width, height;
    } cases[] = {
        {"Plain", L"Hello", 40, 12},
        {"Empty", L"", 0, 0},
        {"TwoLessThansWriteOne", L"a<<b", 24, 12},
        {"BoldRunThenNormalOnTheSameLine", L"a<b>bb</b>c", 8 + 20 + 8, 12},
        {"LowerAndUpperCaseTagsAlike", L"<B>a</B><i>b</I>", 10 + 8, 12},
        {"BreakGivesTwoLines", L"ab<br>cde", 24, 12 + 2 + 12},
        {"ParagraphBreaksTheLine", L"ab<p>cd", 16, 12 + 2 + 12},
        {"EmptyLineIsTwoPixels", L"a<br><br>b", 8, 12 + 2 + 2 + 12},
        {"LineBreakCharactersAreDropped", L"a\r\nb", 16, 12},
        {"UnknownTagIgnored", L"a<xyz>b", 16, 12},
        {"ClosingFontWithEmptyStack", L"a</font>b", 16, 12},
        {"SizeUpThenRestored", L"a<font size=+2>b</font>c", 8 + 10 + 8, 14},
        {"SizeDown", L"<font size=\"-3\">ab", 10, 9},
        {"SizeSet", L"<FONT SIZE=12>a", 12, 16},
        {"MalformedSizeIgnored", L"<font size=+x>a<font size=1e3>b", 16, 12},
        {"HugeSizeLimited", L"<font size=100000>a", 144, 148},
        {"NegativeSizeLimited", L"<font size=-100>a", 1, 5},
        {"UnclosedTagEndsTheTextButKeepsWhatCameBefore", L"ab<font size=20 c", 16, 12},
        {"LoneLessThanAtTheEnd", L"ab<", 16, 12},
        {"TagOnly", L"<b>", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Laid l = Lay(c.text);
        EXPECT_EQ(l.size.Right, c.width);
        EXPECT_EQ(l.size.Bottom, c.height);
        EXPECT_EQ(l.size.Left, 0);
        EXPECT_EQ(l.size.Top, 0);
    }
}

TEST(HintMarkup, SizeCountsFromTheRectanglesCorner)
{
    const Laid l = Lay(L"ab<br>c", {5, 7, 105, 7});
    EXPECT_EQ(l.size.Right, 5 + 16);
    EXPECT_EQ(l.size.Bottom, 7 + 12 + 2 + 12);
    ASSERT_EQ(l.pieces.size(), 2u);
    EXPECT_EQ(l.pieces[1].x, 5);
    EXPECT_EQ(l.pieces[1].y, 7 + 14);
}

TEST(HintMarkup, PiecesCarryTheirFonts)
{
    const Laid l = Lay(L"a<b>b<i>c</b>d</i>e");
    ASSERT_EQ(l.pieces.size(), 5u);
    const bool bold[] = {false, true, true, false, false};
    const bool italic[] = {false, false, true, true, false};
    int x = 0;
    for (size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(l.pieces[k].font.Bold, bold[k]);
        EXPECT_EQ(l.pieces[k].font.Italic, italic[k]);
        EXPECT_EQ(l.pieces[k].x, x);
        x += bold[k] ? 10 : 8;
    }
}

TEST(HintMarkup, ParagraphAlignmentPlacesEachLine)
{
    // The paragraph's first line is the empty one its tag closes; its lines follow.
    const Laid right = Lay(L"<p align=right>ab<br>abcd", {0, 0, 100, 0});
    ASSERT_EQ(right.pieces.size(), 2u);
    EXPECT_EQ(right.pieces[0].x, 100 - 16);
    EXPECT_EQ(right.pieces[0].y, 2);
    EXPECT_EQ(right.pieces[1].x, 100 - 32);
    EXPECT_EQ(right.pieces[1].y, 2 + 12 + 2);

    const Laid centre = Lay(L"x<P ALIGN=\"CENTER\">ab", {0, 0, 100, 0});
    ASSERT_EQ(centre.pieces.size(), 2u);
    EXPECT_EQ(centre.pieces[0].x, 0);
    EXPECT_EQ(centre.pieces[1].x, (100 - 16) / 2);

    // A rectangle narrower than the text aligns within the widest line.
    const Laid narrow = Lay(L"abcd<p align=right>ab", {0, 0, 10, 0});
    EXPECT_EQ(narrow.pieces[1].x, 16);
}

TEST(HintMarkup, FontTagColoursAndFaces)
{
    struct Case {
        const char* name;
        std::wstring tag;
        TColor colour;
        std::wstring face;
    } cases[] = {
        {"HashIsRedGreenBlue", L"<font color=#FF0000>", 0x0000FF, L"Tahoma"},
        {"Named", L"<font color=\"olive\">", 0x008080, L"Tahoma"},
        {"PlainHex", L"<font color=00FF80>", 0x80FF00, L"Tahoma"},
        {"LongHexKeepsSixDigits", L"<font color=#123456789>", 0x896745, L"Tahoma"},
        {"NotHexIsBlack", L"<font color=#zz>", 0, L"Tahoma"},
        {"FaceComesOutUpperCased", L"<font face=\"Courier New\">", 0, L"COURIER NEW"},
        {"EmptyFaceKeepsTheFont", L"<font face=\"\">", 0, L"Tahoma"},
        {"FaceWithoutQuotes", L"<font face=Arial>", 0, L"Tahoma"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Laid l = Lay(c.tag + L"a</font>b");
        ASSERT_EQ(l.pieces.size(), 2u);
        EXPECT_EQ(l.pieces[0].font.Color, c.colour);
        EXPECT_EQ(l.pieces[0].font.Name, c.face);
        EXPECT_EQ(l.pieces[1].font, Base);
    }
}

TEST(HintMarkup, DeepFontNestingIsBoundedAndBalanced)
{
    std::wstring text;
    for (int k = 0; k < 100; ++k)
        text += L"<font size=+1>";
    text += L"a";
    for (int k = 0; k < 99; ++k)
        text += L"</font>";
    text += L"b</font>c";
    const Laid l = Lay(text);
    ASSERT_EQ(l.pieces.size(), 3u);
    EXPECT_EQ(l.pieces[0].font.Size, 8 + static_cast<int>(ks::MaxSavedFonts));
    EXPECT_EQ(l.pieces[1].font.Size, 9);
    EXPECT_EQ(l.pieces[2].font.Size, 8);
}

} // namespace

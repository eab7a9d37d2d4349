#include "skin/core/SkinImageValues.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct Layout {
    TRect R;
    int ImageCount, MaskType, BorderWidth, StretchMode;
    TacImgType ImgType;
    int WL, WT, WR, WB;
};

void ExpectLayout(const TsMaskData& m, const Layout& e)
{
    EXPECT_EQ(m.R, e.R);
    EXPECT_EQ(m.ImageCount, e.ImageCount);
    EXPECT_EQ(m.MaskType, e.MaskType);
    EXPECT_EQ(m.BorderWidth, e.BorderWidth);
    EXPECT_EQ(m.StretchMode, e.StretchMode);
    EXPECT_EQ(m.ImgType, e.ImgType);
    EXPECT_EQ(m.WL, e.WL);
    EXPECT_EQ(m.WT, e.WT);
    EXPECT_EQ(m.WR, e.WR);
    EXPECT_EQ(m.WB, e.WB);
}

TEST(SkinImageValues, MasterBitmapFormsGiveTheirLayouts)
{
    struct Case {
        const char* name;
        const char* value;
        TsImageForm form;
        Layout layout;
    } const cases[] = {
        {"Glyph", "@0054@0048@0102@0065@3@0", TsImageForm::Glyph,
         {Rect(54, 48, 102, 65), 3, 0, 0, 0, itisaGlyph, 0, 0, 0, 0}},
        {"Border", "^0018^0050^0027^0059^0003^0003^0003^0003^1^0^5^1", TsImageForm::Border,
         {Rect(18, 50, 27, 59), 1, 0, 1, 5, itisaBorder, 3, 3, 3, 3}},
        {"BorderSidesFromCells", "^0000^0000^0030^0018^0000^0000^0000^0000^1^1^0^0", TsImageForm::Border,
         {Rect(0, 0, 30, 18), 1, 1, 0, 0, itisaBorder, 10, 3, 10, 3}},
        {"BorderSidesFromBorderWidth", "^0000^0000^0030^0018^0000^0000^0000^0000^3^1^0^7", TsImageForm::Border,
         {Rect(0, 0, 30, 18), 3, 1, 7, 0, itisaBorder, 7, 7, 7, 7}},
        {"TextureWithMaskRows", "~0001~0052~0005~0057~00~0", TsImageForm::Texture,
         {Rect(1, 52, 5, 57), 1, 0, 0, 0, itisaTexture, 0, 0, 0, 0}},
        {"TextureOf24CharactersHasNoMaskField", "~0001~0052~0005~0057~12~", TsImageForm::Texture,
         {Rect(1, 52, 5, 57), 1, 0, 0, 12, itisaTexture, 0, 0, 0, 0}},
        {"Grouped", "#A (10,20,40,26) (3,1,2)", TsImageForm::Grouped,
         {Rect(10, 20, 40, 26), 3, 1, 2, 1, itisaBorder, 2, 2, 2, 2}},
        {"GroupedRaisesLowCounts", "X# (0,0,60,30) (0,-4,-1,6)", TsImageForm::Grouped,
         {Rect(0, 0, 60, 30), 1, 0, 0, 6, itisaBorder, 20, 10, 20, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TsImageValue v = ParseImageValue(c.value);
        ASSERT_EQ(v.Form, c.form);
        ExpectLayout(MaskFromImageValue(v, "S", "K"), c.layout);
    }
}

TEST(SkinImageValues, ValuesOfNoFormMakeNoRecord)
{
    for (const char* value : {"", "#", "12", "0;32768;100;0;0", "TILE.JPG", "!ButtonHuge.bmp!3!1!0", "!NOEXT!3!1!0"}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ParseImageValue(value).Form, TsImageForm::None);
    }
}

TEST(SkinImageValues, OwnImagesTakeTheirLayoutFromThePicture)
{
    TsImageValue v = ParseImageValue("!BUTTONHUGE.BMP!3!1!0");
    ASSERT_EQ(v.Form, TsImageForm::OwnImage);
    EXPECT_EQ(v.FileName, "BUTTONHUGE.BMP");
    EXPECT_FALSE(v.IsPng);
    TsMaskData m;
    ApplyOwnImageLayout(m, v, 288, 192);
    ExpectLayout(m, {Rect(0, 0, 288, 192), 3, 1, 0, 4, itisaBorder, 32, 32, 32, 32});

    v = ParseImageValue("!!GLYPH.PNG!!2!0!9!1!2!3!4");
    ASSERT_EQ(v.Form, TsImageForm::OwnImage);
    EXPECT_TRUE(v.IsPng);
    ApplyOwnImageLayout(m, v, 20, 10);
    ExpectLayout(m, {Rect(0, 0, 20, 10), 2, 0, 0, 4, itisaPngGlyph, 1, 2, 3, 4});

    v = ParseImageValue("!X.BMP!1!0!-3");
    EXPECT_EQ(v.ImgType, itisaBorder);
}

TEST(SkinImageValues, BitmapFileValuesAreNamedUpperCased)
{
    const TsImageValue v = ParseImageValue("Panel.bmp");
    ASSERT_EQ(v.Form, TsImageForm::BitmapFile);
    EXPECT_EQ(v.FileName, "PANEL.BMP");
    TsMaskData m;
    ApplyBitmapFileLayout(m, 90, 60);
    ExpectLayout(m, {Rect(0, 0, 90, 60), 3, 1, 0, 0, itisaBorder, 10, 10, 10, 10});
}

TEST(SkinImageValues, MalformedNumberFieldsRaiseTheConversionError)
{
    struct Case {
        const char* name;
        const char* value;
    } const cases[] = {
        {"LetterInLeft", "@00A4@0048@0102@0065@3@0"},
        {"CutOffBeforeCells", "@0054@0048@0102@0065"},
        {"OwnImageWithFewerThanFourWords", "!A.BMP!3!1"},
        {"GroupedWithoutCounts", "#A (10,20,40,26)"},
        {"GroupedWithThreeCoordinates", "#A (10,20,40) (1,1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            (void)ParseImageValue(c.value);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_NE(e.Message().find("is not a valid integer value"), std::string::npos) << e.Message();
        }
    }
}

TEST(SkinImageValues, LayoutsWithoutCellsStopTheLoadInsteadOfDividingByZero)
{
    struct Case {
        const char* name;
        const char* value;
    } const cases[] = {
        {"BorderWithZeroCells", "^0000^0000^0030^0018^0000^0000^0000^0000^0^0^0^0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW((void)MaskFromImageValue(ParseImageValue(c.value), "EDIT", "BORDERSMASK"), EConvertError);
    }
    TsMaskData m;
    EXPECT_THROW(ApplyOwnImageLayout(m, ParseImageValue("!A.BMP!0!1!0"), 30, 30), EConvertError);
    EXPECT_THROW(ApplyOwnImageLayout(m, ParseImageValue("!A.BMP!1!-1!0"), 30, 30), EConvertError);
    // Given sides need no division.
    ApplyOwnImageLayout(m, ParseImageValue("!A.BMP!0!1!0!1!1!1!1"), 30, 30);
    EXPECT_EQ(m.WL, 1);
}

} // namespace

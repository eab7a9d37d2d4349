#include "skin/core/SkinImageValues.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <array>

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
    EXPECT_EQ(m.ImgType, e.ImgType);
    EXPECT_EQ((std::array<int, 8>{m.ImageCount, m.MaskType, m.BorderWidth, m.StretchMode, m.WL, m.WT, m.WR, m.WB}),
              (std::array<int, 8>{e.ImageCount, e.MaskType, e.BorderWidth, e.StretchMode, e.WL, e.WT, e.WR, e.WB}));
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

// "#" in a text that is no grouped image (a description, a caption) makes no record and stops
// nothing.
TEST(SkinImageValues, ValuesOfNoFormMakeNoRecord)
{
    for (const char* value : {"", "#", "12", "0;32768;100;0;0", "TILE.JPG", "!ButtonHuge.bmp!3!1!0", "!NOEXT!3!1!0",
                              "Skin #2", "#A (10,20,40,26)", "#A (10,20,40) (1,1)", "#A (1,2,3,4) (1,x)",
                              "#A (1,2,3,4) (1,1,2,z)"}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ParseImageValue(value).Form, TsImageForm::None);
    }
}

TEST(SkinImageValues, OwnImagesTakeTheirLayoutFromThePicture)
{
    struct Case {
        const char* value;
        const char* file;
        bool png;
        int width, height;
        Layout layout;
    } const cases[] = {
        {"!BUTTONHUGE.BMP!3!1!0", "BUTTONHUGE.BMP", false, 288, 192,
         {Rect(0, 0, 288, 192), 3, 1, 0, 4, itisaBorder, 32, 32, 32, 32}},
        {"!!GLYPH.PNG!!2!0!9!1!2!3!4", "GLYPH.PNG", true, 20, 10,
         {Rect(0, 0, 20, 10), 2, 0, 0, 4, itisaPngGlyph, 1, 2, 3, 4}},
        {"!X.BMP!1!0!-3", "X.BMP", false, 30, 30, {Rect(0, 0, 30, 30), 1, 0, 0, 4, itisaBorder, 10, 10, 10, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const TsImageValue v = ParseImageValue(c.value);
        ASSERT_EQ(v.Form, TsImageForm::OwnImage);
        EXPECT_EQ(v.FileName, c.file);
        EXPECT_EQ(v.IsPng, c.png);
        TsMaskData m;
        ApplyOwnImageLayout(m, v, c.width, c.height);
        ExpectLayout(m, c.layout);
    }
    // The numbers wait for the picture, which a skin may not have.
    EXPECT_EQ(ParseImageValue("!GONE.BMP!x!1").Form, TsImageForm::OwnImage);
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
        {"OwnImageWithALetter", "!A.BMP!x!1!0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            const TsImageValue v = ParseImageValue(c.value);
            TsMaskData m;
            ApplyOwnImageLayout(m, v, 30, 30);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_NE(e.Message().find("is not a valid integer value"), std::string::npos) << e.Message();
        }
    }
}

TEST(SkinImageValues, LayoutsWithoutCellsStopTheLoadInsteadOfDividingByZero)
{
    EXPECT_THROW((void)MaskFromImageValue(ParseImageValue("^0000^0000^0030^0018^0000^0000^0000^0000^0^0^0^0"), "EDIT",
                                          "BORDERSMASK"),
                 EConvertError);
    TsMaskData m;
    EXPECT_THROW(ApplyOwnImageLayout(m, ParseImageValue("!A.BMP!0!1!0"), 30, 30), EConvertError);
    EXPECT_THROW(ApplyOwnImageLayout(m, ParseImageValue("!A.BMP!1!-1!0"), 30, 30), EConvertError);
    // Given sides need no division.
    ApplyOwnImageLayout(m, ParseImageValue("!A.BMP!0!1!0!1!1!1!1"), 30, 30);
    EXPECT_EQ(m.WL, 1);
}

} // namespace

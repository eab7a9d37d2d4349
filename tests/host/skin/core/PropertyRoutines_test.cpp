#include "skin/core/PropertyRoutines.h"

#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum TPrStyle { psBold, psBoldItalic, psItalic, psStrike };
enum TPrKind { pkPlain, pkFancy, pkOdd };

} // namespace

template <>
struct ks::EnumTraits<TPrStyle> {
    static constexpr const char* Names[] = {"psBold", "psBoldItalic", "psItalic", "psStrike"};
};
template <>
struct ks::EnumTraits<TPrKind> {
    static constexpr const char* Names[] = {"pkPlain", "pkFancy", "pkOdd"};
};

namespace {

using TPrStyles = ks::Set<TPrStyle>;

class TPrPart : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
};

class TPrWidget : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;

    int Color() const { return FColor; }
    void SetColor(int v) { FColor = v; }
    TPrKind Kind() const { return FKind; }
    void SetKind(TPrKind v) { FKind = v; }
    TPrStyles Styles() const { return FStyles; }
    void SetStyles(TPrStyles v)
    {
        FStyles = v;
        ++FStyleWrites;
    }
    bool Flat() const { return FFlat; }
    void SetFlat(bool v) { FFlat = v; }
    std::wstring Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { FCaption = v; }
    TPrPart* Part() const { return const_cast<TPrPart*>(&FPart); }
    TPrWidget* Buddy() const { return FBuddy; }
    void SetBuddy(TPrWidget* v) { FBuddy = v; }

    int StyleWrites() const { return FStyleWrites; }

private:
    int FColor = 0;
    TPrKind FKind = pkPlain;
    TPrStyles FStyles;
    bool FFlat = false;
    std::wstring FCaption;
    TPrPart FPart;
    TPrWidget* FBuddy = nullptr;
    int FStyleWrites = 0;
};

const ks::ClassInfo TPrPart::StaticClassInfo{"TPrPart", &TPersistent::StaticClassInfo, {}, {}};

constexpr ks::PropertyInfo WidgetProps[] = {
    ks::Prop<&TPrWidget::Color, &TPrWidget::SetColor>("Color"),
    ks::Prop<&TPrWidget::Kind, &TPrWidget::SetKind>("Kind"),
    ks::Prop<&TPrWidget::Styles, &TPrWidget::SetStyles>("Styles"),
    ks::Prop<&TPrWidget::Flat, &TPrWidget::SetFlat>("Flat"),
    ks::Prop<&TPrWidget::Caption, &TPrWidget::SetCaption>("Caption"),
    ks::Prop<&TPrWidget::Part>("Part"),
    ks::Prop<&TPrWidget::Buddy, &TPrWidget::SetBuddy>("Buddy"),
};
const ks::ClassInfo TPrWidget::StaticClassInfo{"TPrWidget", &TComponent::StaticClassInfo, WidgetProps, {}};

class PropertyRoutines : public ::testing::Test {
protected:
    void SetUp() override
    {
        W = Create<TPrWidget>(nullptr);
        Other = Create<TPrWidget>(nullptr);
    }
    void TearDown() override
    {
        Other->Free();
        W->Free();
    }

    TPrWidget* W = nullptr;
    TPrWidget* Other = nullptr;
};

TEST_F(PropertyRoutines, ExistenceFollowsTheTablesIncludingInheritedOnes)
{
    const TObject plain;
    EXPECT_TRUE(PropertyExists(W, "Styles"));
    EXPECT_TRUE(PropertyExists(W, "sTyLeS"));
    EXPECT_TRUE(PropertyExists(W, "Name")); // TComponent's
    EXPECT_FALSE(PropertyExists(W, "Style"));
    EXPECT_FALSE(PropertyExists(&plain, "Name"));
    EXPECT_FALSE(PropertyExists(nullptr, "Name"));
}

TEST_F(PropertyRoutines, OrdinalsReadAsIntegersAndOthersAsMinusOne)
{
    W->SetColor(static_cast<int>(0xFF000005));
    W->SetKind(pkOdd);
    W->SetStyles({psBoldItalic, psStrike});
    W->SetFlat(true);
    struct Case {
        const char* name;
        int expected;
    } const cases[] = {
        {"Color", static_cast<int>(0xFF000005)}, {"Kind", 2}, {"Styles", 0b1010}, {"Flat", 1},
        {"Caption", -1}, {"Part", -1}, {"Missing", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadIntProperty(W, c.name), c.expected);
    }
    EXPECT_EQ(ReadIntProperty(nullptr, "Color"), -1);
}

TEST_F(PropertyRoutines, WritesReachTheSettersOfOrdinalsOnly)
{
    WriteIntProperty(W, "color", 0x123456);
    WriteIntProperty(W, "Kind", pkFancy);
    WriteIntProperty(W, "Styles", 0b0101);
    WriteIntProperty(W, "Missing", 7);
    WriteIntProperty(W, "Caption", 7);
    EXPECT_EQ(W->Color(), 0x123456);
    EXPECT_EQ(W->Kind(), pkFancy);
    EXPECT_EQ(W->Styles(), (TPrStyles{psBold, psItalic}));
    EXPECT_EQ(W->Caption(), L"");
    EXPECT_THROW(WriteIntProperty(W, "Kind", 3), EPropertyError);
    EXPECT_EQ(W->Kind(), pkFancy);
}

TEST_F(PropertyRoutines, ObjectPropertiesGiveSubObjectsAndReferences)
{
    W->SetBuddy(Other);
    EXPECT_EQ(ReadObjectProperty(W, "Part"), W->Part());
    EXPECT_EQ(ReadObjectProperty(W, "Buddy"), Other);
    EXPECT_EQ(ReadObjectProperty(Other, "Buddy"), nullptr);
    EXPECT_EQ(ReadObjectProperty(W, "Color"), nullptr);
    EXPECT_EQ(ReadObjectProperty(W, "Missing"), nullptr);
}

TEST_F(PropertyRoutines, SetMembershipMatchesWholeExactNames)
{
    W->SetStyles({psBoldItalic});
    struct Case {
        const char* property;
        const char* element;
        bool expected;
    } const cases[] = {
        {"Styles", "psBoldItalic", true}, {"Styles", "psBold", false}, {"Styles", "psbolditalic", false},
        {"Styles", "psItalic", false},    {"Styles", "psNone", false}, {"Kind", "pkPlain", false},
        {"Missing", "psBold", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.property) + "/" + c.element);
        EXPECT_EQ(TestSetProperty(W, c.property, c.element), c.expected);
    }
}

TEST_F(PropertyRoutines, ToggleAddsAndRemovesWholeElements)
{
    struct Case {
        const char* name;
        TPrStyles before;
        const char* element;
        bool include;
        TPrStyles after;
        bool written;
    } const cases[] = {
        {"IncludeIntoEmptySet", {}, "psItalic", true, {psItalic}, true},
        {"IncludeBesideLongerNamesake", {psBoldItalic}, "psBold", true, {psBold, psBoldItalic}, true},
        {"IncludePresent", {psStrike}, "psStrike", true, {psStrike}, false},
        {"ExcludeLast", {psStrike}, "psStrike", false, {}, true},
        {"ExcludeMiddle", {psBold, psItalic, psStrike}, "psItalic", false, {psBold, psStrike}, true},
        {"ExcludeKeepsLongerNamesake", {psBoldItalic}, "psBold", false, {psBoldItalic}, false},
        {"UnknownElement", {psBold}, "psUnder", true, {psBold}, false},
        {"ElementCaseDiffers", {psBold}, "psbold", false, {psBold}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        W->SetStyles(c.before);
        const int writes = W->StyleWrites();
        ToggleSetProperty(W, "Styles", c.element, c.include);
        EXPECT_EQ(W->Styles(), c.after);
        EXPECT_EQ(W->StyleWrites() - writes, c.written ? 1 : 0);
    }
    W->SetKind(pkFancy);
    ToggleSetProperty(W, "Kind", "pkOdd", true);
    EXPECT_EQ(W->Kind(), pkFancy);
}

} // namespace

#include "vcl/TypInfo.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum TShade { shLight, shDark };

} // namespace

template <>
struct ks::EnumTraits<TShade> {
    static constexpr const char* Names[] = {"shLight", "shDark"};
};

namespace {

class TSub : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
};

class TBase : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;

    uint16_t Size() const { return FSize; }
    void SetSize(uint16_t v) { FSize = v; }
    TShade Shade() const { return FShade; }
    void SetShade(TShade v) { FShade = v; }
    ks::Set<TShade> Shades() const { return FShades; }
    void SetShades(ks::Set<TShade> v) { FShades = v; }
    TSub* Sub() const { return const_cast<TSub*>(&FSub); }
    TBase* Peer() const { return FPeer; }
    void SetPeer(TBase* v) { FPeer = v; }
    TNotifyEvent OnPing() const { return FOnPing; }
    void SetOnPing(TNotifyEvent v) { FOnPing = v; }
    uint32_t Mask() const { return FMask; }
    void SetMask(uint32_t v) { FMask = v; }
    bool Flag() const { return FFlag; }
    void SetFlag(bool v) { FFlag = v; }

    void Ping(TObject*) {}
    void Pong(TObject*) {}

private:
    uint16_t FSize = 0;
    TShade FShade = shLight;
    ks::Set<TShade> FShades;
    TSub FSub;
    TBase* FPeer = nullptr;
    TNotifyEvent FOnPing;
    bool FFlag = false;
    uint32_t FMask = 0;
};

class TDerived : public TBase {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TBase::TBase;

    std::wstring Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { FCaption = v; }
    void Pang(TObject*) {}

private:
    std::wstring FCaption;
};

const ks::ClassInfo TSub::StaticClassInfo{"TSub", &TPersistent::StaticClassInfo, {}, {}};

constexpr ks::PropertyInfo BaseProps[] = {
    ks::Prop<&TBase::Size, &TBase::SetSize>("Size").DefaultIs(0),
    ks::Prop<&TBase::Shade, &TBase::SetShade>("Shade").DefaultIs(shLight),
    ks::Prop<&TBase::Shades, &TBase::SetShades>("Shades"),
    ks::Prop<&TBase::Sub>("Sub"),
    ks::Prop<&TBase::Peer, &TBase::SetPeer>("Peer"),
    ks::Prop<&TBase::OnPing, &TBase::SetOnPing>("OnPing"),
    ks::Prop<&TBase::Mask, &TBase::SetMask>("Mask"),
};
constexpr ks::MethodInfo BaseMethods[] = {ks::Handler<&TBase::Ping>("Ping")};
const ks::ClassInfo TBase::StaticClassInfo{"TBase", &TComponent::StaticClassInfo, BaseProps, BaseMethods};

// Redeclares Size with another default: it keeps its place among the ancestor's properties.
constexpr ks::PropertyInfo DerivedProps[] = {
    ks::Prop<&TDerived::Caption, &TDerived::SetCaption>("Caption"),
    ks::Prop<&TBase::Size, &TBase::SetSize>("Size").DefaultIs(100),
};
constexpr ks::MethodInfo DerivedMethods[] = {ks::Handler<&TBase::Pong>("Pong"), ks::Handler<&TDerived::Pang>("Pang")};
const ks::ClassInfo TDerived::StaticClassInfo{"TDerived", &TBase::StaticClassInfo, DerivedProps, DerivedMethods};

TEST(TypInfo, KindsFollowTheGettersTypesInPublishedOrder)
{
    struct Case {
        const char* name;
        ks::PropKind kind;
    };
    const Case cases[] = {
        {"Size", ks::PropKind::Integer}, {"Shade", ks::PropKind::Enum}, {"Shades", ks::PropKind::Set},
        {"Sub", ks::PropKind::Class},    {"Peer", ks::PropKind::Component}, {"OnPing", ks::PropKind::Method},
        {"Caption", ks::PropKind::WideString}, {"Tag", ks::PropKind::Integer}, {"Name", ks::PropKind::String},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ks::PropertyInfo* p = ks::FindProperty(TDerived::StaticClassInfo, c.name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Kind, c.kind);
    }
    EXPECT_EQ(ks::FindProperty(TDerived::StaticClassInfo, "shades"), &BaseProps[2]);
    EXPECT_EQ(ks::FindProperty(TBase::StaticClassInfo, "Caption"), nullptr);

    std::vector<std::string> names;
    for (const ks::PropertyInfo* p : ks::PublishedProperties(TDerived::StaticClassInfo))
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Size", "Shade", "Shades", "Sub", "Peer", "OnPing", "Mask", "Caption"}));
    EXPECT_EQ(ks::FindProperty(TDerived::StaticClassInfo, "Size")->Default, 100);
    EXPECT_TRUE(TDerived::StaticClassInfo.InheritsFrom(TComponent::StaticClassInfo));
    EXPECT_FALSE(TBase::StaticClassInfo.InheritsFrom(TDerived::StaticClassInfo));
}

TEST(TypInfo, SettersRefuseValuesTheirTypeCannotHold)
{
    TDerived* d = Create<TDerived>(nullptr);
    TBase* other = Create<TBase>(nullptr);
    struct TOther : TObject {
        void Go() {}
    } o;
    struct Case {
        const char* name;
        const char* prop;
        ks::PropValue value;
    };
    const Case cases[] = {
        {"WordTooBig", "Size", int64_t{65536}},
        {"WordNegative", "Size", int64_t{-1}},
        {"EnumPastTheEnd", "Shade", int64_t{2}},
        {"SetBitPastTheEnd", "Shades", int64_t{4}},
        {"StringForInteger", "Size", std::string("1")},
        {"ComponentOfAnotherClass", "Peer", static_cast<TComponent*>(Create<TComponent>(d))},
        {"MethodOfAnotherSignature", "OnPing", TDelegate<void()>(&o, &TOther::Go).Method()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(ks::FindProperty(d->ClassInfo(), c.prop)->Set(*d, c.value), EPropertyError);
    }
    ks::FindProperty(d->ClassInfo(), "Peer")->Set(*d, static_cast<TComponent*>(other));
    EXPECT_EQ(d->Peer(), other);
    ks::FindProperty(d->ClassInfo(), "Shades")->Set(*d, int64_t{3});
    EXPECT_EQ(d->Shades(), (ks::Set<TShade>{shLight, shDark}));
    d->Free();
    other->Free();
}

TEST(TypInfo, ThirtyTwoBitPropertiesTakeHexPatterns)
{
    TBase* b = Create<TBase>(nullptr);
    const ks::ClassInfo& info = b->ClassInfo();
    ks::FindProperty(info, "Mask")->Set(*b, int64_t{0xFF000007});
    EXPECT_EQ(b->Mask(), 0xFF000007u);
    EXPECT_EQ(std::get<int64_t>(ks::FindProperty(info, "Mask")->Get(*b)), int64_t{0xFF000007});
    EXPECT_THROW(ks::FindProperty(info, "Mask")->Set(*b, int64_t{-1}), EPropertyError);
    b->Free();
}

TEST(TypInfo, HandlersAreFoundByNameAndByValue)
{
    TDerived* d = Create<TDerived>(nullptr);
    const ks::MethodInfo* ping = ks::FindMethod(d->ClassInfo(), "PING");
    ASSERT_NE(ping, nullptr);
    TMethod bound = ping->Bind(*d);
    EXPECT_EQ(bound, TNotifyEvent(d, &TBase::Ping).Method());
    EXPECT_STREQ(ks::MethodName(*d, bound), "Ping");
    EXPECT_STREQ(ks::MethodName(*d, TNotifyEvent(d, &TBase::Pong).Method()), "Pong");
    TBase* other = Create<TBase>(nullptr);
    EXPECT_EQ(ks::MethodName(*d, TNotifyEvent(other, &TBase::Ping).Method()), nullptr);
    // A root of another class offers none of these handlers.
    EXPECT_FALSE(ks::FindMethod(TDerived::StaticClassInfo, "Pang")->Bind(*other).Assigned());
    d->Free();
    other->Free();
}

bool NameToNumber(std::string_view ident, int32_t& value)
{
    value = ident == "One" ? 1 : 0;
    return ident == "One";
}

TEST(TypInfo, IntegerIdentifiersAreRegisteredByTypeName)
{
    EXPECT_EQ(ks::FindIdentToInt("TNumberForTest"), nullptr);
    ks::RegisterIntegerConsts("TNumberForTest", &NameToNumber, nullptr);
    ks::TIdentToInt toInt = ks::FindIdentToInt("tnumberfortest");
    ASSERT_NE(toInt, nullptr);
    int32_t v = 0;
    EXPECT_TRUE(toInt("One", v));
    EXPECT_EQ(v, 1);
    EXPECT_EQ(ks::FindIntToIdent("TNumberForTest"), nullptr);
}

TEST(TypInfo, ClassRegistryFindsByNameAndRefusesAnImpostor)
{
    RegisterClasses<TBase, TDerived>();
    RegisterClasses<TBase>();
    ASSERT_NE(GetClass("tderived"), nullptr);
    EXPECT_EQ(GetClass("TDerived")->Info, &TDerived::StaticClassInfo);
    TComponent* made = GetClass("TDerived")->Factory(nullptr);
    EXPECT_STREQ(made->ClassName(), "TDerived");
    made->Free();
    static const ks::ClassInfo impostor{"TBase", &TComponent::StaticClassInfo, {}, {}};
    EXPECT_THROW(ks::RegisterComponentClass(impostor, nullptr), EStreamError);
    try {
        (void)FindClass("TNoSuchThing");
        ADD_FAILURE();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNoSuchThing not found");
    }
}

TEST(TypInfo, IdentifiersAreWordsOptionallyJoinedByDots)
{
    struct Case {
        const char* text;
        bool plain;
        bool dotted;
    };
    const Case cases[] = {
        {"Font", true, true},   {"_x9", true, true},     {"Font.Name", false, true}, {"9x", false, false},
        {"", false, false},     {"a..b", false, false},  {"a.", false, false},       {".a", false, false},
        {"a-b", false, false},  {"\xD0\x9A", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ks::IsValidIdent(c.text), c.plain);
        EXPECT_EQ(ks::IsValidIdent(c.text, true), c.dotted);
    }
}

} // namespace

#include "vcl/FormText.h"

#include "vcl/Streams.h"
#include "vcl/TypInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

enum TTestAlign { taNone, taTop, taClient };
enum TTestOption { toA, toB, toC };

} // namespace

template <>
struct ks::EnumTraits<TTestAlign> {
    static constexpr const char* Names[] = {"taNone", "taTop", "taClient"};
};
template <>
struct ks::EnumTraits<TTestOption> {
    static constexpr const char* Names[] = {"toA", "toB", "toC"};
};

namespace {

using namespace std::literals;

std::vector<std::string> Log; // "<object>.<setter or Loaded>", in call order
int LiveControls = 0;

bool TestIdentToColor(std::string_view ident, int32_t& value)
{
    if (SameTextAscii(ident, "clTestRed")) {
        value = 0xFF;
        return true;
    }
    return false;
}

bool TestColorToIdent(int32_t value, std::string& ident)
{
    if (value != 0xFF)
        return false;
    ident = "clTestRed";
    return true;
}

std::vector<uint8_t> StreamBytes(TStream& s)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(s.Size()));
    s.SetPosition(0);
    s.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

class TTestFont : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }

    std::wstring Name() const { return FName; }
    void SetName(const std::wstring& v) { Log.push_back("Font.Name"); FName = v; }
    std::vector<uint8_t> Data;

protected:
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty(
            "Data", [this](TStream& s) { Data = StreamBytes(s); },
            [this](TStream& s) { s.WriteBuffer(Data.data(), Data.size()); }, !Data.empty());
    }

private:
    std::wstring FName;
};

class TTestControl;

class TTestItem : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }

    std::wstring Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { FCaption = v; }
    int Value() const { return FValue; }
    void SetValue(int v) { FValue = v; }
    TTestControl* Link() const { return FLink; }
    void SetLink(TTestControl* v) { Log.push_back("Item.Link"); FLink = v; }
    TNotifyEvent OnPick() const { return FOnPick; }
    void SetOnPick(TNotifyEvent v) { FOnPick = v; }
    std::vector<uint8_t> Data;

protected:
    // Always written, even when empty, as image-list items write their image bytes.
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty(
            "Data", [this](TStream& s) { Data = StreamBytes(s); },
            [this](TStream& s) { s.WriteBuffer(Data.data(), Data.size()); }, true);
    }

private:
    std::wstring FCaption;
    int FValue = 0;
    TTestControl* FLink = nullptr;
    TNotifyEvent FOnPick;
};

class TTestControl : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }

    explicit TTestControl(TComponent* owner)
        : TComponent(owner), FItems(std::make_unique<TOwnedCollection>(this, &NewCollectionItem<TTestItem>))
    {
        ++LiveControls;
    }
    ~TTestControl() override { --LiveControls; }

    int Left() const { return FLeft; }
    void SetLeft(int v) { Note("Left"); FLeft = v; }
    int Top() const { return FTop; }
    void SetTop(int v) { Note("Top"); FTop = v; }
    uint16_t Width() const { return FWidth; }
    void SetWidth(uint16_t v) { Note("Width"); FWidth = v; }
    std::wstring Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { Note("Caption"); FCaption = v; }
    std::string Hint() const { return FHint; }
    void SetHint(const std::string& v) { FHint = v; }
    int Color() const { return FColor; }
    void SetColor(int v) { FColor = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    TTestAlign Align() const { return FAlign; }
    void SetAlign(TTestAlign v) { FAlign = v; }
    ks::Set<TTestOption> Options() const { return FOptions; }
    void SetOptions(ks::Set<TTestOption> v) { FOptions = v; }
    double Ratio() const { return FRatio; }
    void SetRatio(double v) { FRatio = v; }
    int64_t Big() const { return FBig; }
    void SetBig(int64_t v) { FBig = v; }
    wchar_t Accel() const { return FAccel; }
    void SetAccel(wchar_t v) { FAccel = v; }
    TTestFont* Font() const { return FFont.get(); }
    std::vector<std::wstring> Lines() const { return FLines; }
    void SetLines(const std::vector<std::wstring>& v) { FLines = v; }
    TOwnedCollection* Items() const { return FItems.get(); }
    TTestControl* Buddy() const { return FBuddy; }
    void SetBuddy(TTestControl* v) { Note("Buddy"); FBuddy = v; }
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent v) { FOnClick = v; }
    int Secret() const { return FSecret; }
    void SetSecret(int v) { FSecret = v; }
    bool IsSecretStored() const { return false; }
    std::vector<uint8_t> Blob;

    TComponent* ParentSeen = nullptr;
    TComponentState StateAtFirstSetter;
    TComponentState StateAtLoaded;
    bool SawSetter = false;

    TComponent* GetParentComponent() const override { return FParent; }
    bool HasParent() const override { return FParent != nullptr; }
    void SetParentComponent(TComponent* parent) override
    {
        ParentSeen = parent;
        FParent = dynamic_cast<TTestControl*>(parent);
    }
    void GetChildren(const TGetChildProc& proc, TComponent* root) override
    {
        for (int i = 0; i < root->ComponentCount(); ++i)
            if (root->Components(i)->GetParentComponent() == this)
                proc(root->Components(i));
    }

protected:
    void Loaded() override
    {
        StateAtLoaded = ComponentState();
        Log.push_back(Name() + ".Loaded");
        TComponent::Loaded();
    }
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty(
            "Blob", [this](TStream& s) { Blob = StreamBytes(s); },
            [this](TStream& s) { s.WriteBuffer(Blob.data(), Blob.size()); }, !Blob.empty());
    }

private:
    void Note(const char* what)
    {
        if (!SawSetter)
            StateAtFirstSetter = ComponentState();
        SawSetter = true;
        Log.push_back(Name() + "." + what);
    }

    int FLeft = 0;
    int FTop = 0;
    uint16_t FWidth = 0;
    std::wstring FCaption;
    std::string FHint;
    int FColor = 0x1F;
    bool FEnabled = true;
    TTestAlign FAlign = taNone;
    ks::Set<TTestOption> FOptions{toA};
    double FRatio = 0;
    int64_t FBig = 0;
    wchar_t FAccel = 0;
    std::unique_ptr<TTestFont> FFont = std::make_unique<TTestFont>();
    std::vector<std::wstring> FLines;
    std::unique_ptr<TOwnedCollection> FItems;
    TTestControl* FBuddy = nullptr;
    TNotifyEvent FOnClick;
    int FSecret = 0;
    TTestControl* FParent = nullptr;
};

class TTestForm : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;

    std::wstring Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { Log.push_back("Form.Caption"); FCaption = v; }
    TNotifyEvent OnCreate() const { return FOnCreate; }
    void SetOnCreate(TNotifyEvent v) { FOnCreate = v; }

    void ButtonClick(TObject* sender) { Clicks.push_back(sender); }
    void OtherClick(TObject*) {}
    void Resized(TObject*, int) {}
    std::vector<TObject*> Clicks;

protected:
    void Loaded() override
    {
        Log.push_back("Form.Loaded");
        TComponent::Loaded();
    }

private:
    std::wstring FCaption;
    TNotifyEvent FOnCreate;
};

constexpr ks::PropertyInfo FontProps[] = {
    ks::Prop<&TTestFont::Name, &TTestFont::SetName>("Name"),
};
const ks::ClassInfo TTestFont::StaticClassInfo{"TTestFont", &TPersistent::StaticClassInfo, FontProps, {}};

constexpr ks::PropertyInfo ItemProps[] = {
    ks::Prop<&TTestItem::Caption, &TTestItem::SetCaption>("Caption"),
    ks::Prop<&TTestItem::Value, &TTestItem::SetValue>("Value").DefaultIs(0),
    ks::Prop<&TTestItem::Link, &TTestItem::SetLink>("Link"),
    ks::Prop<&TTestItem::OnPick, &TTestItem::SetOnPick>("OnPick"),
};
const ks::ClassInfo TTestItem::StaticClassInfo{"TTestItem", &TCollectionItem::StaticClassInfo, ItemProps, {}};

constexpr ks::PropertyInfo ControlProps[] = {
    ks::Prop<&TTestControl::Left, &TTestControl::SetLeft>("Left"),
    ks::Prop<&TTestControl::Top, &TTestControl::SetTop>("Top").DefaultIs(0),
    ks::Prop<&TTestControl::Width, &TTestControl::SetWidth>("Width").DefaultIs(0),
    ks::Prop<&TTestControl::Caption, &TTestControl::SetCaption>("Caption"),
    ks::Prop<&TTestControl::Hint, &TTestControl::SetHint>("Hint"),
    ks::Prop<&TTestControl::Color, &TTestControl::SetColor>("Color").Idents("TTestColor").DefaultIs(0x1F),
    ks::Prop<&TTestControl::Enabled, &TTestControl::SetEnabled>("Enabled").DefaultIs(true),
    ks::Prop<&TTestControl::Align, &TTestControl::SetAlign>("Align").DefaultIs(taNone),
    ks::Prop<&TTestControl::Options, &TTestControl::SetOptions>("Options").DefaultIs(ks::Set<TTestOption>{toA}),
    ks::Prop<&TTestControl::Ratio, &TTestControl::SetRatio>("Ratio"),
    ks::Prop<&TTestControl::Big, &TTestControl::SetBig>("Big").DefaultIs(0),
    ks::Prop<&TTestControl::Accel, &TTestControl::SetAccel>("Accel").DefaultIs(0),
    ks::Prop<&TTestControl::Font>("Font"),
    ks::Prop<&TTestControl::Lines, &TTestControl::SetLines>("Lines"),
    ks::Prop<&TTestControl::Items>("Items"),
    ks::Prop<&TTestControl::Buddy, &TTestControl::SetBuddy>("Buddy"),
    ks::Prop<&TTestControl::OnClick, &TTestControl::SetOnClick>("OnClick"),
    ks::Prop<&TTestControl::Secret, &TTestControl::SetSecret>("Secret").StoredIf<&TTestControl::IsSecretStored>(),
};
const ks::ClassInfo TTestControl::StaticClassInfo{"TTestControl", &TComponent::StaticClassInfo, ControlProps, {}};

constexpr ks::PropertyInfo FormProps[] = {
    ks::Prop<&TTestForm::Caption, &TTestForm::SetCaption>("Caption"),
    ks::Prop<&TTestForm::OnCreate, &TTestForm::SetOnCreate>("OnCreate"),
};
constexpr ks::MethodInfo FormMethods[] = {
    ks::Handler<&TTestForm::ButtonClick>("ButtonClick"),
    ks::Handler<&TTestForm::OtherClick>("OtherClick"),
    ks::Handler<&TTestForm::Resized>("Resized"),
};
const ks::ClassInfo TTestForm::StaticClassInfo{"TTestForm", &TComponent::StaticClassInfo, FormProps, FormMethods};

class FormStreaming : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterClasses<TTestControl>();
        ks::RegisterIntegerConsts("TTestColor", &TestIdentToColor, &TestColorToIdent);
        Log.clear();
        Form = Create<TTestForm>(nullptr);
    }
    void TearDown() override
    {
        Form->Free();
        EXPECT_EQ(LiveControls, 0);
    }

    TTestControl* Control(const char* name) const { return dynamic_cast<TTestControl*>(Form->FindComponent(name)); }
    void Read(std::string_view text, const ks::FormLimits& limits = {})
    {
        ReadRootComponent(CompileFormText(text), *Form, limits);
    }

    TTestForm* Form = nullptr;
};

// Written the way the writer writes: published order, defaults left out, integers that fit
// 32 bits as such.
constexpr const char* CanonicalForm = R"(object Form1: TTestForm
  Caption = 'Ключ '#9'tab'
  OnCreate = ButtonClick
  object Panel: TTestControl
    Left = 10
    Top = -3
    Width = 65535
    Caption = 'It''s '#55357#56832
    Hint = 'hint'
    Color = clTestRed
    Enabled = False
    Align = taClient
    Options = [toB, toC]
    Ratio = 0.25
    Big = 8589934592
    Accel = '&'
    Font.Name = 'Tahoma'
    Font.Data = {CAFE}
    Lines.Strings = (
      'one'
      '')
    Items = <
      item
        Caption = 'first'
        Link = Later
        Data = {}
      end
      item
        Value = 7
        OnPick = OtherClick
        Data = {00FF}
      end>
    Buddy = Later
    OnClick = ButtonClick
    Blob = {0102030405}
    object Inner: TTestControl
      Tag = 5
      Left = 1
    end
  end
  object Later: TTestControl
    Left = 2
  end
end
)";

TEST_F(FormStreaming, RoundTripGivesTheSameBytes)
{
    const std::vector<uint8_t> compiled = CompileFormText(CanonicalForm);
    ReadRootComponent(compiled, *Form);
    EXPECT_EQ(WriteRootComponent(*Form), compiled);
    EXPECT_EQ(CompileFormText(FormBinaryToText(compiled)), compiled);
}

TEST_F(FormStreaming, ReadsEveryKindOfValueIntoComponentsOwnedByTheRoot)
{
    Read(CanonicalForm);
    TTestControl* panel = Control("Panel");
    TTestControl* later = Control("Later");
    ASSERT_TRUE(panel && later);
    EXPECT_EQ(Form->Caption(), L"Ключ \ttab");
    EXPECT_EQ(panel->Left(), 10);
    EXPECT_EQ(panel->Top(), -3);
    EXPECT_EQ(panel->Width(), 65535);
    EXPECT_EQ(WideToUTF8(panel->Caption()), "It's \xF0\x9F\x98\x80");
    EXPECT_EQ(panel->Hint(), "hint");
    EXPECT_EQ(panel->Color(), 0xFF);
    EXPECT_FALSE(panel->Enabled());
    EXPECT_EQ(panel->Align(), taClient);
    EXPECT_EQ(panel->Options(), (ks::Set<TTestOption>{toB, toC}));
    EXPECT_EQ(panel->Ratio(), 0.25);
    EXPECT_EQ(panel->Big(), int64_t{1} << 33);
    EXPECT_EQ(panel->Accel(), L'&');
    EXPECT_EQ(panel->Font()->Name(), L"Tahoma");
    EXPECT_EQ(panel->Font()->Data, (std::vector<uint8_t>{0xCA, 0xFE}));
    EXPECT_EQ(panel->Lines(), (std::vector<std::wstring>{L"one", L""}));
    EXPECT_EQ(panel->Blob, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    ASSERT_EQ(panel->Items()->Count(), 2);
    auto* first = static_cast<TTestItem*>(panel->Items()->Items(0));
    auto* second = static_cast<TTestItem*>(panel->Items()->Items(1));
    EXPECT_EQ(first->Caption(), L"first");
    EXPECT_EQ(first->Link(), later);
    EXPECT_EQ(second->Value(), 7);
    EXPECT_EQ(second->Data, (std::vector<uint8_t>{0x00, 0xFF}));
    EXPECT_EQ(second->OnPick(), TNotifyEvent(Form, &TTestForm::OtherClick));
    EXPECT_EQ(Control("Inner")->Tag(), 5);
    // An absent property keeps the constructor's value.
    EXPECT_EQ(later->Width(), 0);
    EXPECT_TRUE(later->Enabled());
    EXPECT_EQ(later->Options(), ks::Set<TTestOption>{toA});
    EXPECT_EQ(Form->OnCreate(), TNotifyEvent(Form, &TTestForm::ButtonClick));
    ASSERT_TRUE(panel->OnClick().Assigned());
    panel->OnClick()(panel);
    EXPECT_EQ(Form->Clicks, std::vector<TObject*>{panel});
    // The root owns every component, in stream order; each is parented by the object that encloses it.
    ASSERT_EQ(Form->ComponentCount(), 3);
    EXPECT_EQ(Form->Components(1), Control("Inner"));
    EXPECT_EQ(Control("Panel")->ParentSeen, Form);
    EXPECT_EQ(Control("Inner")->ParentSeen, Control("Panel"));
    EXPECT_EQ(Control("Later")->ParentSeen, Form);
}

TEST_F(FormStreaming, PropertiesApplyInStreamOrderThenReferencesThenLoadedChildrenFirst)
{
    Read(R"(object Form1: TTestForm
  Caption = 'early'
  object A: TTestControl
    Buddy = B
    Width = 3
    Left = 1
    Caption = 'x'
    object A1: TTestControl
      Left = 1
    end
    object A2: TTestControl
      Left = 1
    end
  end
  object B: TTestControl
    Top = 2
    Left = 4
  end
end
)");
    const std::vector<std::string> expected{"Form.Caption", "A.Width",  "A.Left",    "A.Caption", "A1.Left",
                                            "A2.Left",      "B.Top",    "B.Left",    "A.Buddy",   "A1.Loaded",
                                            "A2.Loaded",    "A.Loaded", "B.Loaded", "Form.Loaded"};
    EXPECT_EQ(Log, expected);
    EXPECT_EQ(Control("A")->Buddy(), Control("B"));
    for (const char* name : {"A", "A1", "A2", "B"}) {
        SCOPED_TRACE(name);
        TTestControl* c = Control(name);
        EXPECT_TRUE(c->StateAtFirstSetter.Contains(csLoading));
        EXPECT_TRUE(c->StateAtFirstSetter.Contains(csReading));
        EXPECT_TRUE(c->StateAtLoaded.Contains(csLoading));
        EXPECT_FALSE(c->StateAtLoaded.Contains(csReading));
        EXPECT_FALSE(c->ComponentState().Contains(csLoading));
    }
    EXPECT_FALSE(Form->ComponentState().Contains(csLoading));
    EXPECT_FALSE(Form->ComponentState().Contains(csReading));
}

TEST_F(FormStreaming, LenientFormsAndNilClearing)
{
    Read(R"(object Form1: TTestForm
  object A: TTestControl
    Color = $FF000007
    Ratio = 6
    Lines = ('a' + 'b')
    BUDDY = a
    onclick = buttonclick
  end
  object B: TTestControl
    Buddy = A
    OnClick = ButtonClick
    Buddy = nil
    OnClick = nil
  end
end
)");
    TTestControl* a = Control("A");
    EXPECT_EQ(a->Color(), static_cast<int>(0xFF000007u));
    EXPECT_EQ(a->Ratio(), 6.0);
    EXPECT_EQ(a->Lines(), std::vector<std::wstring>{L"ab"});
    EXPECT_EQ(a->Buddy(), a);
    EXPECT_TRUE(a->OnClick().Assigned());
    EXPECT_EQ(Control("B")->Buddy(), nullptr);
    EXPECT_FALSE(Control("B")->OnClick().Assigned());
}

TEST_F(FormStreaming, WriterLeavesOutDefaultsAndUnstoredProperties)
{
    TTestControl* c = Create<TTestControl>(Form);
    c->SetName("C");
    c->SetSecret(9);
    c->SetWidth(0);
    c->SetEnabled(true);
    c->SetBuddy(Create<TTestControl>(nullptr)); // not the form's: cannot be named
    const std::string text = FormBinaryToText(WriteRootComponent(*Form));
    EXPECT_EQ(text, "object TTestForm\n  object C: TTestControl\n    Left = 0\n  end\nend\n");
    c->Buddy()->Free();
}

TEST_F(FormStreaming, ReferenceInACollectionReadTwiceIsNotFollowedToFreedItems)
{
    Read(R"(object Form1: TTestForm
  object A: TTestControl
    Items = <item Link = A end item Link = A end>
    Items = <item Caption = 'only' end>
  end
end
)");
    TTestControl* a = Control("A");
    ASSERT_EQ(a->Items()->Count(), 1);
    EXPECT_EQ(static_cast<TTestItem*>(a->Items()->Items(0))->Link(), nullptr);
}

struct BadForm {
    const char* name;
    std::string text;
    ks::FormError reason;
    enum { Read, Class, Property, Component } kind;
};

TEST_F(FormStreaming, BadFormsAreRefusedAndLeaveNothingBehind)
{
    const std::string head = "object Form1: TTestForm\n  object A: TTestControl\n    Left = 1\n  end\n";
    const BadForm cases[] = {
        {"UnknownClass", head + "  object B: TNoSuchClass\n  end\nend\n", ks::FormError::UnknownClass, BadForm::Class},
        {"UnknownProperty", head + "  object B: TTestControl\n    Nope = 1\n  end\nend\n", ks::FormError::UnknownProperty, BadForm::Property},
        {"StringForInteger", head + "  object B: TTestControl\n    Left = 'x'\n  end\nend\n", ks::FormError::WrongValueKind, BadForm::Property},
        {"WordOutOfRange", head + "  object B: TTestControl\n    Width = 65536\n  end\nend\n", ks::FormError::ValueOutOfRange, BadForm::Property},
        {"IntegerBeyond32Bits", head + "  object B: TTestControl\n    Left = $100000000\n  end\nend\n", ks::FormError::ValueOutOfRange, BadForm::Property},
        {"UnknownEnumElement", head + "  object B: TTestControl\n    Align = taLeft\n  end\nend\n", ks::FormError::UnknownIdent, BadForm::Property},
        {"UnknownSetElement", head + "  object B: TTestControl\n    Options = [toA, toZ]\n  end\nend\n", ks::FormError::UnknownIdent, BadForm::Property},
        {"UnknownColourName", head + "  object B: TTestControl\n    Color = clNoSuch\n  end\nend\n", ks::FormError::UnknownIdent, BadForm::Property},
        {"UnknownHandler", head + "  object B: TTestControl\n    OnClick = NoSuchClick\n  end\nend\n", ks::FormError::UnknownIdent, BadForm::Property},
        {"HandlerOfAnotherSignature", head + "  object B: TTestControl\n    OnClick = Resized\n  end\nend\n", ks::FormError::UnknownIdent, BadForm::Property},
        {"DottedThroughAnInteger", head + "  object B: TTestControl\n    Left.X = 1\n  end\nend\n", ks::FormError::NotAnObject, BadForm::Property},
        {"ValueForASubObject", head + "  object B: TTestControl\n    Font = 1\n  end\nend\n", ks::FormError::WrongValueKind, BadForm::Property},
        {"TwoCharacters", head + "  object B: TTestControl\n    Accel = 'ab'\n  end\nend\n", ks::FormError::WrongValueKind, BadForm::Property},
        {"BinaryForAPublishedProperty", head + "  object B: TTestControl\n    Caption = {00}\n  end\nend\n", ks::FormError::WrongValueKind, BadForm::Property},
        {"StringForABinaryProperty", head + "  object B: TTestControl\n    Blob = 'x'\n  end\nend\n", ks::FormError::WrongValueKind, BadForm::Property},
        {"UnresolvedReference", head + "  object B: TTestControl\n    Buddy = Nobody\n  end\nend\n", ks::FormError::UnresolvedReference, BadForm::Read},
        {"RootClassMismatch", "object F: TOtherForm\nend\n", ks::FormError::RootClassMismatch, BadForm::Read},
        {"DuplicateName", head + "  object a: TTestControl\n  end\nend\n", ks::FormError{}, BadForm::Component},
    };
    for (const BadForm& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = CompileFormText(c.text);
        try {
            ReadRootComponent(bytes, *Form);
            ADD_FAILURE() << "accepted";
        } catch (const EClassNotFound& e) {
            EXPECT_EQ(c.kind, BadForm::Class);
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason));
        } catch (const EPropertyError& e) {
            EXPECT_EQ(c.kind, BadForm::Property) << e.Message();
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason)) << e.Message();
            EXPECT_NE(e.Message().find("Error reading B."), std::string::npos) << e.Message();
        } catch (const EReadError& e) {
            EXPECT_EQ(c.kind, BadForm::Read);
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason)) << e.Message();
        } catch (const EComponentError& e) {
            EXPECT_EQ(c.kind, BadForm::Component);
            EXPECT_EQ(e.Message(), "A component named a already exists");
        }
        EXPECT_EQ(Form->ComponentCount(), 0);
        EXPECT_EQ(LiveControls, 0);
        EXPECT_FALSE(Form->ComponentState().Contains(csLoading));
    }
}

// The reason of the E that f raises, as a FormError; 0 when f raises nothing.
template <typename E, typename F>
int ReasonOf(F f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Reason();
    }
    return 0;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, std::string_view find, std::vector<uint8_t> with)
{
    auto it = std::search(bytes.begin(), bytes.end(), find.begin(), find.end(),
                          [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
    EXPECT_NE(it, bytes.end());
    if (it == bytes.end())
        return bytes;
    it = bytes.erase(it, it + static_cast<ptrdiff_t>(find.size()));
    bytes.insert(it, with.begin(), with.end());
    return bytes;
}

TEST_F(FormStreaming, CorruptStreamsAreRefused)
{
    const std::vector<uint8_t> good = CompileFormText(
        "object Form1: TTestForm\n  object A: TTestControl\n    Caption = 'xy'\n    Ratio = 1.5\n"
        "    Big = 8589934592\n    Blob = {0102}\n  end\nend\n");
    ReadRootComponent(good, *Form);
    Control("A")->Free();
    const double value = 1.5, quietNaN = std::nan("");
    std::vector<uint8_t> nanBytes(8);
    std::memcpy(nanBytes.data(), &quietNaN, 8);
    std::vector<uint8_t> trailing = good;
    trailing.push_back(0);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        ks::FormError reason;
    };
    const Case cases[] = {
        {"BadSignature", Patched(good, "KSF1", {'K', 'S', 'F', '2'}), ks::FormError::BadSignature},
        {"BinaryLengthBeyondData", Patched(good, "\x0b\x02\0\0\0"sv, {0x0B, 0x03, 0, 0, 0}), ks::FormError::Truncated},
        {"HugeStringLength", Patched(good, "\x04\x02\0\0\0"sv, {0x04, 0xFF, 0xFF, 0xFF, 0xFF}), ks::FormError::Truncated},
        {"UnknownValueTag", Patched(good, "\x04\x02\0\0\0"sv, {0x0D, 0x02, 0, 0, 0}), ks::FormError::BadTag},
        {"InvalidUtf8", Patched(good, "xy", {0xC3, 0x28}), ks::FormError::BadUtf8},
        {"NotAnIdentifier", Patched(good, "Caption", {'C', 'a', 'p', '-', 'i', 'o', 'n'}), ks::FormError::BadIdent},
        {"NotAFloat", Patched(good, std::string_view(reinterpret_cast<const char*>(&value), 8), nanBytes), ks::FormError::BadFloat},
        {"SmallIntegerAs64Bits", Patched(good, std::string_view("\x02\0\0\0\0\x02\0\0\0", 9), {0x02, 5, 0, 0, 0, 0, 0, 0, 0}), ks::FormError::BadNumber},
        {"TrailingData", trailing, ks::FormError::TrailingData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReasonOf<EReadError>([&] { ReadRootComponent(c.bytes, *Form); }), static_cast<int>(c.reason));
        EXPECT_EQ(Form->ComponentCount(), 0);
        EXPECT_THROW(FormBinaryToText(c.bytes), EReadError);
    }
}

TEST_F(FormStreaming, EveryTruncationIsRefused)
{
    const std::vector<uint8_t> good = CompileFormText(CanonicalForm);
    for (size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        std::span<const uint8_t> prefix(good.data(), n);
        EXPECT_THROW(ReadRootComponent(prefix, *Form), EReadError);
        EXPECT_EQ(Form->ComponentCount(), 0);
        EXPECT_THROW(FormBinaryToText(prefix), EReadError);
    }
}

TEST_F(FormStreaming, LimitsAreEnforcedByReaderCompilerAndPrinter)
{
    const std::string deep = "object F: TTestForm\n object A: TTestControl\n  object B: TTestControl\n"
                             "   object C: TTestControl\n   end\n  end\n end\nend\n";
    const std::string many = "object F: TTestForm\n object A: TTestControl\n end\n object B: TTestControl\n end\n"
                             " object C: TTestControl\n end\nend\n";
    const std::string items = "object F: TTestForm\n object A: TTestControl\n  Items = <item end item end item end>\n end\nend\n";
    const std::string path = "object F: TTestForm\n object A: TTestControl\n  Font.Name = 'x'\n end\nend\n";
    struct Case {
        const char* name;
        const std::string& text;
        ks::FormLimits limits;
        ks::FormError reason;
    };
    const Case cases[] = {
        {"TooDeep", deep, {.MaxDepth = 3}, ks::FormError::TooDeep},
        {"TooManyComponents", many, {.MaxComponents = 2}, ks::FormError::TooManyComponents},
        {"TooManyItems", items, {.MaxCollectionItems = 2}, ks::FormError::TooManyItems},
        {"PathTooLong", path, {.MaxPathNames = 1}, ks::FormError::PathTooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = CompileFormText(c.text);
        EXPECT_EQ(ReasonOf<EReadError>([&] { ReadRootComponent(bytes, *Form, c.limits); }), static_cast<int>(c.reason)) << "reader";
        EXPECT_EQ(Form->ComponentCount(), 0);
        EXPECT_EQ(ReasonOf<EParserError>([&] { (void)CompileFormText(c.text, c.limits); }), static_cast<int>(c.reason)) << "compiler";
        EXPECT_EQ(ReasonOf<EReadError>([&] { (void)FormBinaryToText(bytes, c.limits); }), static_cast<int>(c.reason)) << "printer";
    }
}

} // namespace

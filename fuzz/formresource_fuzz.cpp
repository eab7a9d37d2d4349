// Form resources: the binary reader, the printer and the text compiler. The last input byte
// picks the path: 0 reads the stream into components, 1 prints it and compiles the text back,
// 2 compiles the input as text and reads the result. A successful read must write a stream
// that reads and writes again to the same bytes; a printed stream must compile to itself.
#include "vcl/FormText.h"
#include "vcl/Streams.h"
#include "vcl/TypInfo.h"

#include <cstdlib>
#include <memory>

namespace {

enum TFuzzAlign { faNone, faTop, faClient };

} // namespace

template <>
struct ks::EnumTraits<TFuzzAlign> {
    static constexpr const char* Names[] = {"faNone", "faTop", "faClient"};
};

namespace {

std::vector<uint8_t> StreamBytes(TStream& s)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(s.Size()));
    s.SetPosition(0);
    s.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

class TFuzzFont : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    std::wstring Name() const { return FName; }
    void SetName(const std::wstring& v) { FName = v; }
    std::wstring FName;
};

class TFuzzControl;

class TFuzzItem : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    int Value() const { return FValue; }
    void SetValue(int v) { FValue = v; }
    TFuzzControl* Link() const { return FLink; }
    void SetLink(TFuzzControl* v) { FLink = v; }
    int FValue = 0;
    TFuzzControl* FLink = nullptr;
    std::vector<uint8_t> Data;

protected:
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty("Data", [this](TStream& s) { Data = StreamBytes(s); },
                                   [this](TStream& s) { s.WriteBuffer(Data.data(), Data.size()); }, true);
    }
};

class TFuzzControl : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit TFuzzControl(TComponent* owner) : TComponent(owner) {}

    int Left() const { return FLeft; }
    void SetLeft(int v) { FLeft = v; }
    uint16_t Width() const { return FWidth; }
    void SetWidth(uint16_t v) { FWidth = v; }
    std::wstring Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { FCaption = v; }
    std::string Section() const { return FSection; }
    void SetSection(const std::string& v) { FSection = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    TFuzzAlign Align() const { return FAlign; }
    void SetAlign(TFuzzAlign v) { FAlign = v; }
    ks::Set<TFuzzAlign> Anchors() const { return FAnchors; }
    void SetAnchors(ks::Set<TFuzzAlign> v) { FAnchors = v; }
    double Ratio() const { return FRatio; }
    void SetRatio(double v) { FRatio = v; }
    int64_t Big() const { return FBig; }
    void SetBig(int64_t v) { FBig = v; }
    wchar_t Accel() const { return FAccel; }
    void SetAccel(wchar_t v) { FAccel = v; }
    TFuzzFont* Font() const { return FFont.get(); }
    std::vector<std::wstring> Lines() const { return FLines; }
    void SetLines(const std::vector<std::wstring>& v) { FLines = v; }
    TOwnedCollection* Items() const { return FItems.get(); }
    TFuzzControl* Buddy() const { return FBuddy; }
    void SetBuddy(TFuzzControl* v) { FBuddy = v; }
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent v) { FOnClick = v; }

    TComponent* GetParentComponent() const override { return FParent; }
    bool HasParent() const override { return FParent != nullptr; }
    void SetParentComponent(TComponent* parent) override { FParent = dynamic_cast<TFuzzControl*>(parent); }
    void GetChildren(const TGetChildProc& proc, TComponent* root) override
    {
        for (int i = 0; i < root->ComponentCount(); ++i)
            if (root->Components(i)->GetParentComponent() == this)
                proc(root->Components(i));
    }

    std::vector<uint8_t> Blob;

protected:
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty("Blob", [this](TStream& s) { Blob = StreamBytes(s); },
                                   [this](TStream& s) { s.WriteBuffer(Blob.data(), Blob.size()); }, !Blob.empty());
    }

private:
    int FLeft = 0;
    uint16_t FWidth = 0;
    std::wstring FCaption;
    std::string FSection;
    bool FVisible = true;
    TFuzzAlign FAlign = faNone;
    ks::Set<TFuzzAlign> FAnchors;
    double FRatio = 0;
    int64_t FBig = 0;
    wchar_t FAccel = 0;
    std::unique_ptr<TFuzzFont> FFont = std::make_unique<TFuzzFont>();
    std::vector<std::wstring> FLines;
    std::unique_ptr<TOwnedCollection> FItems = std::make_unique<TOwnedCollection>(this, &NewCollectionItem<TFuzzItem>);
    TFuzzControl* FBuddy = nullptr;
    TNotifyEvent FOnClick;
    TFuzzControl* FParent = nullptr;
};

class TFuzzForm : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;
    std::wstring Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { FCaption = v; }
    void Click(TObject*) {}
    std::wstring FCaption;
};

constexpr ks::PropertyInfo FontProps[] = {ks::Prop<&TFuzzFont::Name, &TFuzzFont::SetName>("Name")};
const ks::ClassInfo TFuzzFont::StaticClassInfo{"TFuzzFont", &TPersistent::StaticClassInfo, FontProps, {}};
constexpr ks::PropertyInfo ItemProps[] = {
    ks::Prop<&TFuzzItem::Value, &TFuzzItem::SetValue>("Value").DefaultIs(0),
    ks::Prop<&TFuzzItem::Link, &TFuzzItem::SetLink>("Link"),
};
const ks::ClassInfo TFuzzItem::StaticClassInfo{"TFuzzItem", &TCollectionItem::StaticClassInfo, ItemProps, {}};
constexpr ks::PropertyInfo ControlProps[] = {
    ks::Prop<&TFuzzControl::Left, &TFuzzControl::SetLeft>("Left"),
    ks::Prop<&TFuzzControl::Width, &TFuzzControl::SetWidth>("Width").DefaultIs(0),
    ks::Prop<&TFuzzControl::Caption, &TFuzzControl::SetCaption>("Caption"),
    ks::Prop<&TFuzzControl::Section, &TFuzzControl::SetSection>("Section"),
    ks::Prop<&TFuzzControl::Visible, &TFuzzControl::SetVisible>("Visible").DefaultIs(true),
    ks::Prop<&TFuzzControl::Align, &TFuzzControl::SetAlign>("Align").DefaultIs(faNone),
    ks::Prop<&TFuzzControl::Anchors, &TFuzzControl::SetAnchors>("Anchors").DefaultIs(0),
    ks::Prop<&TFuzzControl::Ratio, &TFuzzControl::SetRatio>("Ratio"),
    ks::Prop<&TFuzzControl::Big, &TFuzzControl::SetBig>("Big").DefaultIs(0),
    ks::Prop<&TFuzzControl::Accel, &TFuzzControl::SetAccel>("Accel").DefaultIs(0),
    ks::Prop<&TFuzzControl::Font>("Font"),
    ks::Prop<&TFuzzControl::Lines, &TFuzzControl::SetLines>("Lines"),
    ks::Prop<&TFuzzControl::Items>("Items"),
    ks::Prop<&TFuzzControl::Buddy, &TFuzzControl::SetBuddy>("Buddy"),
    ks::Prop<&TFuzzControl::OnClick, &TFuzzControl::SetOnClick>("OnClick"),
};
const ks::ClassInfo TFuzzControl::StaticClassInfo{"TFuzzControl", &TComponent::StaticClassInfo, ControlProps, {}};
constexpr ks::PropertyInfo FormProps[] = {ks::Prop<&TFuzzForm::Caption, &TFuzzForm::SetCaption>("Caption")};
constexpr ks::MethodInfo FormMethods[] = {ks::Handler<&TFuzzForm::Click>("Click")};
const ks::ClassInfo TFuzzForm::StaticClassInfo{"TFuzzForm", &TComponent::StaticClassInfo, FormProps, FormMethods};

constexpr ks::FormLimits Limits{.MaxComponents = 64, .MaxDepth = 8, .MaxCollectionItems = 64, .MaxPathNames = 4};

// Reads the stream into a fresh form; empty when the reader refuses it.
std::vector<uint8_t> ReadAndWrite(std::span<const uint8_t> bytes)
{
    TFuzzForm* form = Create<TFuzzForm>(nullptr);
    try {
        ReadRootComponent(bytes, *form, Limits);
    } catch (const Exception&) {
        if (form->ComponentCount() != 0)
            std::abort();
        form->Free();
        return {};
    }
    std::vector<uint8_t> written = WriteRootComponent(*form);
    form->Free();
    return written;
}

void CheckRead(std::span<const uint8_t> bytes)
{
    std::vector<uint8_t> first = ReadAndWrite(bytes);
    if (first.empty())
        return;
    if (ReadAndWrite(first) != first)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    RegisterClasses<TFuzzControl>();
    const std::span<const uint8_t> input(data, size - 1);
    switch (data[size - 1] % 3) {
    case 0:
        CheckRead(input);
        break;
    case 1: {
        std::string text;
        try {
            text = FormBinaryToText(input, Limits);
        } catch (const Exception&) {
            break;
        }
        if (CompileFormText(text, Limits) != std::vector<uint8_t>(input.begin(), input.end()))
            std::abort();
        break;
    }
    case 2:
        try {
            std::vector<uint8_t> bytes = CompileFormText(
                std::string_view(reinterpret_cast<const char*>(input.data()), input.size()), Limits);
            CheckRead(bytes);
        } catch (const Exception&) {
        }
        break;
    }
    return 0;
}

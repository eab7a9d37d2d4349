#include "vcl/FormStreaming.h"

#include "vcl/ByteReader.h"
#include "vcl/FormCodec.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cmath>
#include <limits>

using ks::FormError;
using ks::PropKind;
using ks::PropertyInfo;
using namespace ks::form;

namespace {

constexpr const char* RootMismatchText = "Form resource is for class %s, not %s";
constexpr const char* UnknownPropertyText = "Property %s does not exist";
constexpr const char* NotAnObjectText = "Property %s holds no object";
constexpr const char* InvalidValueText = "Invalid property value";
constexpr const char* OutOfRangeText = "Property value out of range";
constexpr const char* UnknownIdentText = "Unknown identifier %s";
constexpr const char* UnknownHandlerText = "Event handler %s not found";
constexpr const char* UnresolvedText = "Component %s not found";
constexpr const char* ClassNotFoundText = "Class %s not found";
constexpr const char* ErrorReadingText = "Error reading %s: %s";
constexpr const char* NotUtf8Text = "Property %s does not hold UTF-8 text";
constexpr const char* NameTooLongText = "Name %s is too long for a form resource";

// A read-only stream over the bytes of one binary property.
class SpanStream final : public TCustomMemoryStream {
public:
    explicit SpanStream(std::span<const uint8_t> bytes) { SetPointer(bytes); }
    size_t Write(const void*, size_t) override { return 0; }
};

// One step from a streamed component to the object a property belongs to: through a
// class-typed property, or to item Item of a collection property.
struct Step {
    const PropertyInfo* Prop = nullptr;
    int Item = -1;
    friend bool operator==(const Step&, const Step&) = default;
};

// A component reference waiting for the end of the stream. The object is found again by its
// path when the reference is resolved, because setters run in between may have replaced it
// (a collection read twice frees its first items).
struct Fixup {
    TComponent* Component = nullptr;
    std::vector<Step> Path;
    const PropertyInfo* Prop = nullptr;
    std::string Name;
    std::string Where;
};

bool OwnedBy(const TComponent* root, const TComponent* c)
{
    if (c == root)
        return true;
    for (int i = 0; i < root->ComponentCount(); ++i)
        if (root->Components(i) == c)
            return true;
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------
struct TReader::Impl {
    Impl(std::span<const uint8_t> data, const ks::FormLimits& limits) : In(data), Limits(limits) {}

    ks::form::Decoder In;
    ks::FormLimits Limits;
    TReader* Self = nullptr;
    TComponent* Root = nullptr;
    std::vector<TComponent*> Created;
    std::vector<TComponent*> LoadOrder;
    std::vector<Fixup> Fixups;

    // The defined property DefineProperties is asked about, and whether it was found.
    std::string_view DefinedName;
    bool DefinedFound = false;
    std::string DefinedWhere;

    template <class E>
    [[noreturn]] static void Fail(const std::string& where, FormError reason, const std::string& text)
    {
        throw E(where.empty() ? text : Format(ErrorReadingText, {where, text}), reason);
    }

    void ReadRoot(TComponent& root);
    void ReadComponent(TComponent* parent, uint32_t depth);
    void ReadProperties(TPersistent& object, TComponent* component, std::vector<Step>& path,
                        const std::string& where, uint32_t depth);
    void ReadProperty(TPersistent& object, TComponent* component, std::vector<Step>& path,
                      std::string_view name, const std::string& where, uint32_t depth);
    void ReadValue(TPersistent& object, const PropertyInfo& prop, TComponent* component,
                   std::vector<Step>& path, const std::string& where, uint32_t depth);
    void ReadCollection(TPersistent& object, const PropertyInfo& prop, TComponent* component,
                        std::vector<Step>& path, const std::string& where, uint32_t depth);
    int64_t ReadInteger(Tag tag, const PropertyInfo& prop, const std::string& where);
    void ResolveFixups();
    TPersistent* Walk(TComponent* component, const std::vector<Step>& path);
    void Rollback() noexcept;
};

void TReader::Impl::ReadRoot(TComponent& root)
{
    Root = &root;
    In.Signature();
    std::string_view className = In.ClassName();
    std::string name(In.Name());
    if (!SameTextAscii(className, root.ClassName()))
        Fail<EReadError>({}, FormError::RootClassMismatch,
                         Format(RootMismatchText, {className, root.ClassName()}));
    root.FComponentState.Include(csLoading).Include(csReading);
    try {
        root.SetName(name);
        std::vector<Step> path;
        ReadProperties(root, &root, path, name.empty() ? root.ClassName() : name, 1);
        while (In.PeekU8() != ks::form::EndMarker)
            ReadComponent(&root, 2);
        In.U8();
        In.End();
        root.FComponentState.Exclude(csReading);
        LoadOrder.push_back(&root);
        ResolveFixups();
        for (TComponent* c : LoadOrder) {
            if (!OwnedBy(Root, c))
                continue;
            c->Loaded();
            c->FComponentState.Exclude(csLoading);
        }
    } catch (...) {
        Rollback();
        throw;
    }
}

void TReader::Impl::Rollback() noexcept
{
    for (auto it = Created.rbegin(); it != Created.rend(); ++it) {
        if (!OwnedBy(Root, *it))
            continue;
        try {
            (*it)->Free();
        } catch (...) {
            // The read's own exception is the one to report; a component that fails to go
            // quietly is already out of the root's list.
        }
    }
    Root->FComponentState.Exclude(csLoading).Exclude(csReading);
}

void TReader::Impl::ReadComponent(TComponent* parent, uint32_t depth)
{
    std::string_view className = In.ClassName();
    std::string name(In.Name());
    if (depth > Limits.MaxDepth)
        Fail<EReadError>({}, FormError::TooDeep, TooDeepText);
    if (Created.size() >= Limits.MaxComponents)
        Fail<EReadError>({}, FormError::TooManyComponents, TooManyComponentsText);
    const ks::RegisteredClass* registered = GetClass(className);
    if (!registered)
        Fail<EClassNotFound>({}, FormError::UnknownClass, Format(ClassNotFoundText, {className}));

    TComponent* c = registered->Factory(Root);
    Created.push_back(c);
    c->FComponentState.Include(csLoading).Include(csReading);
    c->SetName(name);
    c->SetParentComponent(parent);
    std::vector<Step> path;
    ReadProperties(*c, c, path, name.empty() ? std::string(c->ClassName()) : name, depth);
    while (In.PeekU8() != ks::form::EndMarker)
        ReadComponent(c, depth + 1);
    In.U8();
    c->FComponentState.Exclude(csReading);
    LoadOrder.push_back(c);
}

void TReader::Impl::ReadProperties(TPersistent& object, TComponent* component, std::vector<Step>& path,
                                   const std::string& where, uint32_t depth)
{
    for (;;) {
        std::string_view name = In.PathOrEnd();
        if (name.empty())
            return;
        ReadProperty(object, component, path, name, where, depth);
    }
}

void TReader::Impl::ReadProperty(TPersistent& object, TComponent* component, std::vector<Step>& path,
                                 std::string_view name, const std::string& where, uint32_t depth)
{
    const std::string here = where + "." + std::string(name);
    std::vector<std::string_view> names = SplitPath(name);
    if (names.size() > Limits.MaxPathNames)
        Fail<EReadError>({}, FormError::PathTooLong, Format(PathTooLongText, {name}));

    TPersistent* target = &object;
    const size_t pathSize = path.size();
    for (size_t i = 0; i < names.size(); ++i) {
        const PropertyInfo* prop = ks::FindProperty(target->ClassInfo(), names[i]);
        const bool last = i + 1 == names.size();
        if (prop && last) {
            ReadValue(*target, *prop, component, path, here, depth);
            path.resize(pathSize);
            return;
        }
        if (prop && prop->Kind == PropKind::Strings && i + 2 == names.size() &&
            SameTextAscii(names[i + 1], "Strings")) {
            ReadValue(*target, *prop, component, path, here, depth);
            path.resize(pathSize);
            return;
        }
        if (!prop && last) {
            // Not published: perhaps a binary property the object defines itself.
            DefinedName = names[i];
            DefinedFound = false;
            DefinedWhere = here;
            target->DefineProperties(*Self);
            DefinedName = {};
            if (!DefinedFound)
                Fail<EPropertyError>(here, FormError::UnknownProperty,
                                     Format(UnknownPropertyText, {names[i]}));
            path.resize(pathSize);
            return;
        }
        if (!prop)
            Fail<EPropertyError>(here, FormError::UnknownProperty, Format(UnknownPropertyText, {names[i]}));
        if (prop->Kind != PropKind::Class)
            Fail<EPropertyError>(here, FormError::NotAnObject, Format(NotAnObjectText, {names[i]}));
        auto* sub = std::get<TPersistent*>(prop->Get(*target));
        if (!sub)
            Fail<EPropertyError>(here, FormError::NotAnObject, Format(NotAnObjectText, {names[i]}));
        path.push_back({prop, -1});
        target = sub;
    }
}

int64_t TReader::Impl::ReadInteger(Tag tag, const PropertyInfo& prop, const std::string& where)
{
    // The setter's type decides the range (vcl/TypInfo.h).
    if (tag == Tag::Int32)
        return In.I32();
    if (tag == Tag::Int64)
        return In.I64();
    if (tag == Tag::Ident && prop.Kind == PropKind::Integer && prop.IntType) {
        std::string_view ident = In.ValueIdent();
        int32_t value = 0;
        ks::TIdentToInt toInt = ks::FindIdentToInt(prop.IntType);
        if (!toInt || !toInt(ident, value))
            Fail<EPropertyError>(where, FormError::UnknownIdent, Format(UnknownIdentText, {ident}));
        return value;
    }
    Fail<EPropertyError>(where, FormError::WrongValueKind, InvalidValueText);
}

void TReader::Impl::ReadValue(TPersistent& object, const PropertyInfo& prop, TComponent* component,
                              std::vector<Step>& path, const std::string& where, uint32_t depth)
{
    const Tag tag = In.ValueTag();
    auto wrongKind = [&]() { Fail<EPropertyError>(where, FormError::WrongValueKind, InvalidValueText); };
    auto set = [&](const ks::PropValue& value) {
        if (!prop.Set)
            wrongKind();
        try {
            prop.Set(object, value);
        } catch (const EPropertyError& e) {
            // The setter's own range check: say which property it was.
            Fail<EPropertyError>(where, FormError::ValueOutOfRange, e.Message());
        }
    };

    switch (prop.Kind) {
    case PropKind::Integer:
    case PropKind::Int64:
        set(ReadInteger(tag, prop, where));
        return;
    case PropKind::Float: {
        double v = 0;
        if (tag == Tag::Double)
            v = In.F64();
        else if (tag == Tag::Int32)
            v = In.I32();
        else if (tag == Tag::Int64)
            v = static_cast<double>(In.I64());
        else
            wrongKind();
        set(v);
        return;
    }
    case PropKind::Bool:
        if (tag != Tag::False && tag != Tag::True)
            wrongKind();
        set(int64_t{tag == Tag::True});
        return;
    case PropKind::Enum: {
        if (tag != Tag::Ident)
            wrongKind();
        std::string_view ident = In.ValueIdent();
        int v = ks::GetEnumValue(prop.Elements, ident);
        if (v < 0)
            Fail<EPropertyError>(where, FormError::UnknownIdent, Format(UnknownIdentText, {ident}));
        set(int64_t{v});
        return;
    }
    case PropKind::Set: {
        if (tag != Tag::Set)
            wrongKind();
        uint32_t bits = 0;
        for (uint16_t n = In.U16(); n > 0; --n) {
            std::string_view ident = In.SetIdent();
            int v = ks::GetEnumValue(prop.Elements, ident);
            if (v < 0 || v > 31)
                Fail<EPropertyError>(where, FormError::UnknownIdent, Format(UnknownIdentText, {ident}));
            bits |= uint32_t{1} << v;
        }
        set(int64_t{bits});
        return;
    }
    case PropKind::String:
        if (tag != Tag::String)
            wrongKind();
        set(std::string(In.Utf8()));
        return;
    case PropKind::WideString:
        if (tag != Tag::String)
            wrongKind();
        set(UTF8ToWide(In.Utf8()));
        return;
    case PropKind::Char: {
        if (tag != Tag::String)
            wrongKind();
        std::wstring s = UTF8ToWide(In.Utf8());
        if (s.size() != 1)
            wrongKind();
        set(int64_t{static_cast<std::make_unsigned_t<wchar_t>>(s[0])});
        return;
    }
    case PropKind::Strings: {
        if (tag != Tag::List)
            wrongKind();
        std::vector<std::wstring> lines;
        while (In.PeekU8() != ks::form::EndMarker) {
            if (In.ValueTag() != Tag::String)
                wrongKind();
            lines.push_back(UTF8ToWide(In.Utf8()));
        }
        In.U8();
        set(std::move(lines));
        return;
    }
    case PropKind::Component: {
        if (tag != Tag::Nil && tag != Tag::Ident)
            wrongKind();
        // A later value for the same property replaces an earlier one still waiting.
        std::erase_if(Fixups, [&](const Fixup& o) {
            return o.Component == component && o.Path == path && o.Prop == &prop;
        });
        if (tag == Tag::Nil)
            set(static_cast<TComponent*>(nullptr));
        else
            Fixups.push_back({component, path, &prop, std::string(In.ValueIdent()), where});
        return;
    }
    case PropKind::Method: {
        if (tag == Tag::Nil) {
            set(TMethod{});
            return;
        }
        if (tag != Tag::Ident)
            wrongKind();
        std::string_view name = In.ValueIdent();
        const ks::MethodInfo* m = ks::FindMethod(Root->ClassInfo(), name);
        TMethod method;
        if (m && m->Signature == prop.Signature)
            method = m->Bind(*Root);
        if (!method.Assigned())
            Fail<EPropertyError>(where, FormError::UnknownIdent, Format(UnknownHandlerText, {name}));
        set(method);
        return;
    }
    case PropKind::Collection:
        if (tag != Tag::Collection)
            wrongKind();
        ReadCollection(object, prop, component, path, where, depth);
        return;
    case PropKind::Class:
        wrongKind();
    }
}

void TReader::Impl::ReadCollection(TPersistent& object, const PropertyInfo& prop, TComponent* component,
                                   std::vector<Step>& path, const std::string& where, uint32_t depth)
{
    if (depth + 1 > Limits.MaxDepth)
        Fail<EReadError>({}, FormError::TooDeep, TooDeepText);
    auto* collection = dynamic_cast<TCollection*>(std::get<TPersistent*>(prop.Get(object)));
    if (!collection)
        Fail<EPropertyError>(where, FormError::NotAnObject, Format(NotAnObjectText, {prop.Name}));
    // References waiting in the items about to be freed go with them.
    std::erase_if(Fixups, [&](const Fixup& f) {
        return f.Component == component && f.Path.size() > path.size() &&
               std::equal(path.begin(), path.end(), f.Path.begin()) && f.Path[path.size()].Prop == &prop;
    });
    collection->BeginUpdate();
    try {
        collection->Clear();
        for (uint32_t count = 0; In.ItemOrEnd(); ++count) {
            if (count >= Limits.MaxCollectionItems)
                Fail<EReadError>(where, FormError::TooManyItems, TooManyItemsText);
            TCollectionItem* item = collection->Add();
            const int index = item->Index();
            path.push_back({&prop, index});
            ReadProperties(*item, component, path, where + "[" + std::to_string(index) + "]", depth + 1);
            path.pop_back();
        }
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
    collection->EndUpdate();
}

TPersistent* TReader::Impl::Walk(TComponent* component, const std::vector<Step>& path)
{
    if (!OwnedBy(Root, component))
        return nullptr;
    TPersistent* object = component;
    for (const Step& step : path) {
        // The object at each step must still be one the property belongs to.
        if (ks::FindProperty(object->ClassInfo(), step.Prop->Name) != step.Prop)
            return nullptr;
        TPersistent* sub = std::get<TPersistent*>(step.Prop->Get(*object));
        if (!sub)
            return nullptr;
        if (step.Item >= 0) {
            auto* collection = dynamic_cast<TCollection*>(sub);
            if (!collection || step.Item >= collection->Count())
                return nullptr;
            sub = collection->Items(step.Item);
        }
        object = sub;
    }
    return object;
}

void TReader::Impl::ResolveFixups()
{
    for (const Fixup& f : Fixups) {
        TPersistent* object = Walk(f.Component, f.Path);
        if (!object || ks::FindProperty(object->ClassInfo(), f.Prop->Name) != f.Prop)
            continue;
        TComponent* target = SameTextAscii(f.Name, Root->Name()) ? Root : Root->FindComponent(f.Name);
        if (!target)
            Fail<EReadError>(f.Where, FormError::UnresolvedReference, Format(UnresolvedText, {f.Name}));
        try {
            f.Prop->Set(*object, target);
        } catch (const EPropertyError& e) {
            Fail<EPropertyError>(f.Where, FormError::WrongValueKind, e.Message());
        }
    }
}

TReader::TReader(std::span<const uint8_t> data, const ks::FormLimits& limits)
    : F(std::make_unique<Impl>(data, limits))
{
    F->Self = this;
}

TReader::~TReader() = default;

void TReader::ReadRootComponent(TComponent& root)
{
    FRoot = &root;
    F->ReadRoot(root);
}

void TReader::DefineBinaryProperty(std::string_view name, const TStreamProc& readData, const TStreamProc&, bool)
{
    if (F->DefinedFound || F->DefinedName.empty() || !SameTextAscii(name, F->DefinedName))
        return;
    F->DefinedFound = true;
    if (F->In.ValueTag() != Tag::Binary)
        Impl::Fail<EPropertyError>(F->DefinedWhere, FormError::WrongValueKind, InvalidValueText);
    std::span<const uint8_t> bytes = F->In.Binary();
    if (readData) {
        SpanStream stream(bytes);
        readData(stream);
    }
}

// ---------------------------------------------------------------------------------------------
struct TWriter::Impl {
    ks::form::Encoder Out;
    TWriter* Self = nullptr;
    TComponent* Root = nullptr;
    std::string Prefix; // the dotted path of the sub-object whose defined properties are asked for
    uint32_t Depth = 0;
    ks::FormLimits Limits;

    void WriteComponent(TComponent& c);
    void WriteProperties(TPersistent& object, const std::string& prefix);
    void WriteProperty(TPersistent& object, const PropertyInfo& prop, const std::string& prefix);
    void Path(const std::string& path);
};

void TWriter::Impl::Path(const std::string& path)
{
    if (path.size() > ks::form::MaxIdentLength)
        throw EWriteError(Format(NameTooLongText, {path}), FormError::BadIdent);
    Out.Ident(path);
}

void TWriter::Impl::WriteComponent(TComponent& c)
{
    c.FComponentState.Include(csWriting);
    ks::ScopeExit written{[&c] { c.FComponentState.Exclude(csWriting); }};
    Path(c.ClassName());
    Path(c.Name());
    WriteProperties(c, {});
    Out.U8(ks::form::EndMarker);
    c.GetChildren([this](TComponent* child) { WriteComponent(*child); }, Root);
    Out.U8(ks::form::EndMarker);
}

void TWriter::Impl::WriteProperties(TPersistent& object, const std::string& prefix)
{
    if (++Depth > Limits.MaxDepth)
        throw EWriteError(TooDeepText, FormError::TooDeep);
    for (const PropertyInfo* prop : ks::PublishedProperties(object.ClassInfo())) {
        if (prop->IsStored && !prop->IsStored(object))
            continue;
        WriteProperty(object, *prop, prefix);
    }
    std::string saved = std::move(Prefix);
    Prefix = prefix;
    object.DefineProperties(*Self);
    Prefix = std::move(saved);
    --Depth;
}

void TWriter::Impl::WriteProperty(TPersistent& object, const PropertyInfo& prop, const std::string& prefix)
{
    const std::string path = prefix + prop.Name;
    const ks::PropValue value = prop.Get(object);
    switch (prop.Kind) {
    case PropKind::Integer:
    case PropKind::Int64: {
        int64_t v = std::get<int64_t>(value);
        if (prop.HasDefault && v == prop.Default)
            return;
        Path(path);
        std::string ident;
        ks::TIntToIdent toIdent = prop.IntType ? ks::FindIntToIdent(prop.IntType) : nullptr;
        if (toIdent && toIdent(static_cast<int32_t>(v), ident) && ks::form::IsValueIdent(ident)) {
            Out.U8(static_cast<uint8_t>(Tag::Ident));
            Out.Ident(ident);
        } else {
            Out.Integer(v);
        }
        return;
    }
    case PropKind::Bool: {
        int64_t v = std::get<int64_t>(value);
        if (prop.HasDefault && v == prop.Default)
            return;
        Path(path);
        Out.U8(static_cast<uint8_t>(v ? Tag::True : Tag::False));
        return;
    }
    case PropKind::Enum: {
        int64_t v = std::get<int64_t>(value);
        if (prop.HasDefault && v == prop.Default)
            return;
        if (v < 0 || static_cast<uint64_t>(v) >= prop.Elements.size())
            throw EWriteError(OutOfRangeText, FormError::ValueOutOfRange);
        Path(path);
        Out.U8(static_cast<uint8_t>(Tag::Ident));
        Out.Ident(prop.Elements[static_cast<size_t>(v)]);
        return;
    }
    case PropKind::Set: {
        int64_t v = std::get<int64_t>(value);
        if (prop.HasDefault && v == prop.Default)
            return;
        Path(path);
        std::vector<std::string_view> names;
        for (size_t i = 0; i < prop.Elements.size() && i < 32; ++i)
            if (v & (int64_t{1} << i))
                names.push_back(prop.Elements[i]);
        Out.U8(static_cast<uint8_t>(Tag::Set));
        Out.U16(static_cast<uint16_t>(names.size()));
        for (std::string_view n : names)
            Out.Ident(n);
        return;
    }
    case PropKind::Char: {
        int64_t v = std::get<int64_t>(value);
        if (prop.HasDefault && v == prop.Default)
            return;
        Path(path);
        Out.String(WideToUTF8(std::wstring(1, static_cast<wchar_t>(v))));
        return;
    }
    case PropKind::Float: {
        double v = std::get<double>(value);
        if (v == 0.0)
            return;
        if (!std::isfinite(v))
            throw EWriteError(OutOfRangeText, FormError::BadFloat);
        Path(path);
        Out.Double(v);
        return;
    }
    case PropKind::String: {
        const auto& s = std::get<std::string>(value);
        if (s.empty())
            return;
        if (!IsUTF8(s))
            throw EWriteError(Format(NotUtf8Text, {path}), FormError::NotUtf8Writable);
        Path(path);
        Out.String(s);
        return;
    }
    case PropKind::WideString: {
        const auto& s = std::get<std::wstring>(value);
        if (s.empty())
            return;
        Path(path);
        Out.String(WideToUTF8(s));
        return;
    }
    case PropKind::Strings: {
        const auto& lines = std::get<std::vector<std::wstring>>(value);
        if (lines.empty())
            return;
        Path(path + ".Strings");
        Out.U8(static_cast<uint8_t>(Tag::List));
        for (const std::wstring& line : lines)
            Out.String(WideToUTF8(line));
        Out.U8(ks::form::EndMarker);
        return;
    }
    case PropKind::Component: {
        TComponent* c = std::get<TComponent*>(value);
        // Only the form and what it owns can be named in its stream.
        if (!c || c->Name().empty() || (c != Root && c->Owner() != Root))
            return;
        Path(path);
        Out.U8(static_cast<uint8_t>(Tag::Ident));
        Out.Ident(c->Name());
        return;
    }
    case PropKind::Method: {
        const char* name = ks::MethodName(*Root, std::get<TMethod>(value));
        if (!name)
            return;
        Path(path);
        Out.U8(static_cast<uint8_t>(Tag::Ident));
        Out.Ident(name);
        return;
    }
    case PropKind::Collection: {
        auto* collection = dynamic_cast<TCollection*>(std::get<TPersistent*>(value));
        if (!collection || collection->Count() == 0)
            return;
        Path(path);
        Out.U8(static_cast<uint8_t>(Tag::Collection));
        for (int i = 0; i < collection->Count(); ++i) {
            Out.U8(ks::form::ItemMarker);
            WriteProperties(*collection->Items(i), {});
            Out.U8(ks::form::EndMarker);
        }
        Out.U8(ks::form::EndMarker);
        return;
    }
    case PropKind::Class:
        if (TPersistent* sub = std::get<TPersistent*>(value))
            WriteProperties(*sub, path + ".");
        return;
    }
}

TWriter::TWriter() : F(std::make_unique<Impl>())
{
    F->Self = this;
}

TWriter::~TWriter() = default;

std::vector<uint8_t> TWriter::WriteRootComponent(TComponent& root)
{
    FRoot = &root;
    F->Root = &root;
    F->Out = {};
    F->Depth = 0;
    F->Out.Signature();
    F->WriteComponent(root);
    return std::move(F->Out).Take();
}

void TWriter::DefineBinaryProperty(std::string_view name, const TStreamProc&, const TStreamProc& writeData,
                                   bool hasData)
{
    if (!hasData || !writeData)
        return;
    TMemoryStream stream;
    writeData(stream);
    std::span<const uint8_t> bytes = stream.Bytes();
    if (bytes.size() > std::numeric_limits<uint32_t>::max())
        throw EWriteError(OutOfRangeText, FormError::ValueOutOfRange);
    F->Path(F->Prefix + std::string(name));
    F->Out.Binary(bytes);
}

// ---------------------------------------------------------------------------------------------
void ReadRootComponent(std::span<const uint8_t> data, TComponent& root, const ks::FormLimits& limits)
{
    TReader(data, limits).ReadRootComponent(root);
}

std::vector<uint8_t> WriteRootComponent(TComponent& root)
{
    return TWriter().WriteRootComponent(root);
}

#include "vcl/TypInfo.h"

#include "vcl/SysUtils.h"

#include <algorithm>

namespace {

constexpr const char* InvalidValueText = "Invalid property value";
constexpr const char* DuplicateClassText = "A class named %s already exists";
constexpr const char* ClassNotFoundText = "Class %s not found";

bool IsIdentStart(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentChar(char c) noexcept
{
    return IsIdentStart(c) || (c >= '0' && c <= '9');
}

struct IntegerConsts {
    std::string TypeName;
    ks::TIdentToInt IdentToInt;
    ks::TIntToIdent IntToIdent;
};

std::vector<IntegerConsts>& IntegerConstsRegistry()
{
    static std::vector<IntegerConsts> registry;
    return registry;
}

std::vector<ks::RegisteredClass>& ClassRegistry()
{
    static std::vector<ks::RegisteredClass> registry;
    return registry;
}

const IntegerConsts* FindIntegerConsts(std::string_view typeName) noexcept
{
    for (const IntegerConsts& c : IntegerConstsRegistry())
        if (SameTextAscii(c.TypeName, typeName))
            return &c;
    return nullptr;
}

} // namespace

namespace ks {

bool IsValidIdent(std::string_view ident, bool allowDots) noexcept
{
    bool wordStart = true;
    for (char c : ident) {
        if (wordStart) {
            if (!IsIdentStart(c))
                return false;
            wordStart = false;
        } else if (c == '.' && allowDots) {
            wordStart = true;
        } else if (!IsIdentChar(c)) {
            return false;
        }
    }
    return !wordStart;
}

bool ClassInfo::InheritsFrom(const ClassInfo& ancestor) const noexcept
{
    for (const ClassInfo* c = this; c; c = c->Parent)
        if (c == &ancestor)
            return true;
    return false;
}

const PropertyInfo* FindProperty(const ClassInfo& info, std::string_view name) noexcept
{
    for (const ClassInfo* c = &info; c; c = c->Parent)
        for (const PropertyInfo& p : c->Properties)
            if (SameTextAscii(p.Name, name))
                return &p;
    return nullptr;
}

std::vector<const PropertyInfo*> PublishedProperties(const ClassInfo& info)
{
    std::vector<const ClassInfo*> chain;
    for (const ClassInfo* c = &info; c; c = c->Parent)
        chain.push_back(c);
    std::vector<const PropertyInfo*> result;
    for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
        for (const PropertyInfo& p : (*c)->Properties) {
            // A redeclaration takes its ancestor's place and is not listed again.
            const PropertyInfo* effective = FindProperty(info, p.Name);
            if (std::find(result.begin(), result.end(), effective) == result.end())
                result.push_back(effective);
        }
    }
    return result;
}

const MethodInfo* FindMethod(const ClassInfo& info, std::string_view name) noexcept
{
    for (const ClassInfo* c = &info; c; c = c->Parent)
        for (const MethodInfo& m : c->Methods)
            if (SameTextAscii(m.Name, name))
                return &m;
    return nullptr;
}

const char* MethodName(TPersistent& root, const TMethod& method)
{
    if (!method.Assigned())
        return nullptr;
    for (const ClassInfo* c = &root.ClassInfo(); c; c = c->Parent)
        for (const MethodInfo& m : c->Methods)
            if (m.Signature == method.Signature && m.Bind(root) == method)
                return m.Name;
    return nullptr;
}

int GetEnumValue(std::span<const char* const> names, std::string_view name) noexcept
{
    for (size_t i = 0; i < names.size(); ++i)
        if (SameTextAscii(names[i], name))
            return static_cast<int>(i);
    return -1;
}

void RegisterIntegerConsts(std::string_view typeName, TIdentToInt identToInt, TIntToIdent intToIdent)
{
    auto& registry = IntegerConstsRegistry();
    for (IntegerConsts& c : registry) {
        if (SameTextAscii(c.TypeName, typeName)) {
            c.IdentToInt = identToInt;
            c.IntToIdent = intToIdent;
            return;
        }
    }
    registry.push_back({std::string(typeName), identToInt, intToIdent});
}

TIdentToInt FindIdentToInt(std::string_view typeName) noexcept
{
    const IntegerConsts* c = FindIntegerConsts(typeName);
    return c ? c->IdentToInt : nullptr;
}

TIntToIdent FindIntToIdent(std::string_view typeName) noexcept
{
    const IntegerConsts* c = FindIntegerConsts(typeName);
    return c ? c->IntToIdent : nullptr;
}

void RegisterComponentClass(const ClassInfo& info, ComponentFactory factory)
{
    if (const RegisteredClass* existing = ::GetClass(info.Name)) {
        if (existing->Info == &info)
            return;
        throw EStreamError(Format(DuplicateClassText, {info.Name}));
    }
    ClassRegistry().push_back({&info, factory});
}

namespace detail {

void ThrowInvalidValue()
{
    throw EPropertyError(InvalidValueText);
}

} // namespace detail

} // namespace ks

const ks::RegisteredClass* GetClass(std::string_view name) noexcept
{
    for (const ks::RegisteredClass& c : ClassRegistry())
        if (SameTextAscii(c.Info->Name, name))
            return &c;
    return nullptr;
}

const ks::RegisteredClass& FindClass(std::string_view name)
{
    if (const ks::RegisteredClass* c = GetClass(name))
        return *c;
    throw EClassNotFound(Format(ClassNotFoundText, {name}));
}

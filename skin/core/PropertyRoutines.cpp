#include "skin/core/PropertyRoutines.h"

#include "vcl/TypInfo.h"

#include <variant>

namespace {

const ks::PropertyInfo* Find(const TObject* object, std::string_view name) noexcept
{
    const auto* persistent = dynamic_cast<const TPersistent*>(object);
    return persistent ? ks::FindProperty(persistent->ClassInfo(), name) : nullptr;
}

bool IsOrdinal(ks::PropKind kind) noexcept
{
    switch (kind) {
    case ks::PropKind::Integer:
    case ks::PropKind::Int64:
    case ks::PropKind::Bool:
    case ks::PropKind::Enum:
    case ks::PropKind::Set:
    case ks::PropKind::Char:
        return true;
    default:
        return false;
    }
}

// The set property of that name, or nullptr.
const ks::PropertyInfo* FindSet(const TObject* object, std::string_view name) noexcept
{
    const ks::PropertyInfo* p = Find(object, name);
    return p && p->Kind == ks::PropKind::Set ? p : nullptr;
}

// Ordinal of the element with exactly that name, or -1. Sets hold elements 0 to 31 only.
int ElementIndex(const ks::PropertyInfo& set, std::string_view element) noexcept
{
    for (size_t i = 0; i < set.Elements.size() && i < 32; ++i)
        if (set.Elements[i] == element)
            return static_cast<int>(i);
    return -1;
}

uint32_t SetBits(const ks::PropertyInfo& set, const TObject* object)
{
    return static_cast<uint32_t>(std::get<int64_t>(set.Get(dynamic_cast<const TPersistent&>(*object))));
}

} // namespace

bool PropertyExists(const TObject* object, std::string_view name) noexcept
{
    return Find(object, name) != nullptr;
}

TPersistent* ReadObjectProperty(const TObject* object, std::string_view name)
{
    const ks::PropertyInfo* p = Find(object, name);
    if (!p)
        return nullptr;
    const ks::PropValue value = p->Get(dynamic_cast<const TPersistent&>(*object));
    if (const auto* sub = std::get_if<TPersistent*>(&value))
        return *sub;
    if (const auto* component = std::get_if<TComponent*>(&value))
        return *component;
    return nullptr;
}

int ReadIntProperty(const TObject* object, std::string_view name)
{
    const ks::PropertyInfo* p = Find(object, name);
    if (!p || !IsOrdinal(p->Kind))
        return -1;
    return static_cast<int>(std::get<int64_t>(p->Get(dynamic_cast<const TPersistent&>(*object))));
}

void WriteIntProperty(TObject* object, std::string_view name, int value)
{
    const ks::PropertyInfo* p = Find(object, name);
    if (p && IsOrdinal(p->Kind))
        p->Set(dynamic_cast<TPersistent&>(*object), int64_t{value});
}

bool TestSetProperty(const TObject* object, std::string_view property, std::string_view element)
{
    const ks::PropertyInfo* p = FindSet(object, property);
    if (!p)
        return false;
    const int index = ElementIndex(*p, element);
    return index >= 0 && (SetBits(*p, object) >> index & 1) != 0;
}

// Elements are matched as whole names, so an element whose name is part of another's ("Bold"
// in "BoldItalic") is neither taken as present nor cut out of the longer one.
void ToggleSetProperty(TObject* object, std::string_view property, std::string_view element, bool include)
{
    const ks::PropertyInfo* p = FindSet(object, property);
    const int index = p ? ElementIndex(*p, element) : -1;
    if (index < 0)
        return;
    const uint32_t bits = SetBits(*p, object);
    const uint32_t bit = uint32_t{1} << index;
    const uint32_t changed = include ? bits | bit : bits & ~bit;
    if (changed != bits)
        p->Set(dynamic_cast<TPersistent&>(*object), int64_t{changed});
}

#pragma once
// Published-property tables (the class library's run-time type information), the registry of
// streamable component classes, and the registry of integer identifiers (colour names).
//
// Each persistent class keeps one constant table of its published properties, built from its
// getters and setters; the form reader, the form writer and the by-name property routines are
// its only users. A property's kind follows from its getter's type:
//   int, short, Word ...          Integer      int64_t         Int64
//   double                        Float        bool            Bool
//   an enumeration E              Enum         ks::Set<E>      Set (elements 0..31)
//   std::string (bytes)           String       std::wstring    WideString (UTF-8 in streams)
//   wchar_t                       Char         TDelegate<...>  Method (bound by handler name)
//   TPersistent-derived pointer   Class (read and filled in place through the getter)
//   TCollection-derived pointer   Collection (filled in place)
//   TComponent-derived pointer    Component (a reference, resolved by name)
//   std::vector<std::wstring>     Strings
// Enumerations used by properties name their elements with a ks::EnumTraits specialisation.
//
//   const ks::PropertyInfo MyProps[] = {
//       ks::Prop<&TMy::Left, &TMy::SetLeft>("Left"),
//       ks::Prop<&TMy::Color, &TMy::SetColor>("Color").Idents("TColor").DefaultIs(clWindow),
//       ks::Prop<&TMy::Font>("Font"),
//       ks::Prop<&TMy::Caption, &TMy::SetCaption>("Caption").StoredIf<&TMy::IsCaptionStored>(),
//   };
//   const ks::ClassInfo TMy::StaticClassInfo{"TMy", &TComponent::StaticClassInfo, MyProps, {}};
// with, in the class, "static const ks::ClassInfo StaticClassInfo;" and an override of
// ClassInfo() returning it; RegisterClasses<TMy>() lets the form reader create it.
// A form names the handlers its streamed events may bind to in its own table:
//   const ks::MethodInfo Form1Methods[] = {ks::Handler<&TForm1::sButton1Click>("sButton1Click")};
//   const ks::ClassInfo TForm1::StaticClassInfo{"TForm1", &TForm::StaticClassInfo, Form1Props, Form1Methods};
//
// Names are matched ASCII case-insensitively, as the platform does.

#include "vcl/Classes.h"
#include "vcl/Collections.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace ks {

// A letter or '_' followed by letters, digits and '_'; with allowDots, such words joined by '.'.
[[nodiscard]] bool IsValidIdent(std::string_view ident, bool allowDots = false) noexcept;

enum class PropKind : uint8_t {
    Integer, Int64, Float, Bool, Enum, Set, String, WideString, Char,
    Class, Component, Method, Strings, Collection
};

// Specialise for every enumeration a property uses:
//   template <> struct ks::EnumTraits<TAlign> { static constexpr const char* Names[] = {"alNone", ...}; };
// Element i of Names is the name of ordinal i.
template <class E>
struct EnumTraits;

// The value of a property in its streamable form. Integer, Int64, Bool (0/1), Enum (ordinal),
// Set (bits) and Char (code unit) travel as int64_t; Class and Collection as the sub-object.
using PropValue = std::variant<int64_t, double, std::string, std::wstring, TPersistent*, TComponent*,
                               TMethod, std::vector<std::wstring>>;

struct PropertyInfo {
    const char* Name = nullptr;
    PropKind Kind = PropKind::Integer;
    PropValue (*Get)(const TPersistent&) = nullptr;
    // Null for sub-objects that are only filled in place. Raises EPropertyError for a value of
    // the wrong kind or out of the setter's range.
    void (*Set)(TPersistent&, const PropValue&) = nullptr;
    // Null: always stored.
    bool (*IsStored)(const TPersistent&) = nullptr;
    std::span<const char* const> Elements; // Enum and Set element names
    const char* IntType = nullptr;         // Integer: type whose registered identifiers apply
    const void* Signature = nullptr;       // Method: ks::SignatureTag of the delegate type
    // Ordinal kinds without a default are always written; others are written when not empty.
    bool HasDefault = false;
    int64_t Default = 0;

    template <class V>
    constexpr PropertyInfo DefaultIs(V value) const noexcept;
    constexpr PropertyInfo Idents(const char* typeName) const noexcept
    {
        PropertyInfo p = *this;
        p.IntType = typeName;
        return p;
    }
    template <auto Predicate>
    constexpr PropertyInfo StoredIf() const noexcept;
    constexpr PropertyInfo NotStored() const noexcept
    {
        PropertyInfo p = *this;
        p.IsStored = [](const TPersistent&) { return false; };
        return p;
    }
};

// A handler a root component (a form) offers to the events of its streamed components.
struct MethodInfo {
    const char* Name = nullptr;
    const void* Signature = nullptr;
    // The handler bound to root; unassigned when root is not of the handler's class.
    TMethod (*Bind)(TPersistent& root) = nullptr;
};

// A class's table extends its parent's: properties are inherited in their place, and a class
// that declares a property of an ancestor's name replaces it there.
struct ClassInfo {
    const char* Name = nullptr;
    const ClassInfo* Parent = nullptr;
    std::span<const PropertyInfo> Properties;
    std::span<const MethodInfo> Methods;

    [[nodiscard]] bool InheritsFrom(const ClassInfo& ancestor) const noexcept;
};

// The property of that name, the most derived declaration first; nullptr when none.
[[nodiscard]] const PropertyInfo* FindProperty(const ClassInfo& info, std::string_view name) noexcept;
// Every published property in stream order: ancestors' first, in declaration order.
[[nodiscard]] std::vector<const PropertyInfo*> PublishedProperties(const ClassInfo& info);
[[nodiscard]] const MethodInfo* FindMethod(const ClassInfo& info, std::string_view name) noexcept;
// The name under which root offers method, or nullptr when it is not one of root's handlers.
[[nodiscard]] const char* MethodName(TPersistent& root, const TMethod& method);

// Ordinal of the element called name (case-insensitive), or -1.
[[nodiscard]] int GetEnumValue(std::span<const char* const> names, std::string_view name) noexcept;

// ---- integer identifiers: lets an Integer property accept names ("clBlack") for values.
using TIdentToInt = bool (*)(std::string_view ident, int32_t& value);
using TIntToIdent = bool (*)(int32_t value, std::string& ident);
// Registering a type again replaces its mappers.
void RegisterIntegerConsts(std::string_view typeName, TIdentToInt identToInt, TIntToIdent intToIdent);
[[nodiscard]] TIdentToInt FindIdentToInt(std::string_view typeName) noexcept;
[[nodiscard]] TIntToIdent FindIntToIdent(std::string_view typeName) noexcept;

// ---- the class registry the form reader creates components from.
using ComponentFactory = TComponent* (*)(TComponent* owner);
struct RegisteredClass {
    const ClassInfo* Info = nullptr;
    ComponentFactory Factory = nullptr;
};
// Registering the same class again does nothing; another class of a registered name raises
// EStreamError "A class named %s already exists".
void RegisterComponentClass(const ClassInfo& info, ComponentFactory factory);

// ---------------------------------------------------------------------------------------------
// Table builders. Everything below is machinery for Prop<>() and Handler<>().
namespace detail {

template <class F> struct Getter;
template <class C, class R> struct Getter<R (C::*)() const> { using Class = C; using Result = R; };
template <class C, class R> struct Getter<R (C::*)() const noexcept> { using Class = C; using Result = R; };

template <class F> struct Setter;
template <class C, class P> struct Setter<void (C::*)(P)> { using Class = C; using Param = P; };
template <class C, class P> struct Setter<void (C::*)(P) noexcept> { using Class = C; using Param = P; };

template <class F> struct Handler;
template <class C, class R, class... A> struct Handler<R (C::*)(A...)> { using Class = C; using Sig = R(A...); };

template <class T> struct IsSet : std::false_type {};
template <class E> struct IsSet<ks::Set<E>> : std::true_type { using Element = E; };
template <class T> struct IsDelegate : std::false_type {};
template <class S> struct IsDelegate<TDelegate<S>> : std::true_type { using Sig = S; };

template <class V>
constexpr PropKind KindOf()
{
    if constexpr (IsSet<V>::value) return PropKind::Set;
    else if constexpr (IsDelegate<V>::value) return PropKind::Method;
    else if constexpr (std::is_same_v<V, std::wstring>) return PropKind::WideString;
    else if constexpr (std::is_same_v<V, std::string>) return PropKind::String;
    else if constexpr (std::is_same_v<V, std::vector<std::wstring>>) return PropKind::Strings;
    else if constexpr (std::is_same_v<V, bool>) return PropKind::Bool;
    else if constexpr (std::is_same_v<V, wchar_t>) return PropKind::Char;
    else if constexpr (std::is_enum_v<V>) return PropKind::Enum;
    else if constexpr (std::is_integral_v<V>) {
        static_assert(sizeof(V) <= 4 || std::is_signed_v<V>, "unsigned 64-bit properties do not stream");
        return sizeof(V) <= 4 ? PropKind::Integer : PropKind::Int64;
    } else if constexpr (std::is_floating_point_v<V>) return PropKind::Float;
    else if constexpr (std::is_pointer_v<V>) {
        using T = std::remove_cv_t<std::remove_pointer_t<V>>;
        if constexpr (std::is_base_of_v<TCollection, T>) return PropKind::Collection;
        else if constexpr (std::is_base_of_v<TComponent, T>) return PropKind::Component;
        else {
            static_assert(std::is_base_of_v<TPersistent, T>, "unsupported property type");
            return PropKind::Class;
        }
    } else {
        static_assert(sizeof(V) == 0, "unsupported property type");
        return PropKind::Integer;
    }
}

template <class E>
constexpr std::span<const char* const> ElementNames()
{
    return std::span<const char* const>(EnumTraits<E>::Names);
}

[[noreturn]] void ThrowInvalidValue();

template <class V>
PropValue ToValue(const V& v)
{
    if constexpr (IsSet<V>::value) return int64_t{v.Bits()};
    else if constexpr (IsDelegate<V>::value) return v.Method();
    else if constexpr (std::is_same_v<V, std::wstring> || std::is_same_v<V, std::string> ||
                       std::is_same_v<V, std::vector<std::wstring>>) return v;
    else if constexpr (std::is_enum_v<V>) return static_cast<int64_t>(v);
    else if constexpr (std::is_integral_v<V>) return static_cast<int64_t>(v);
    else if constexpr (std::is_floating_point_v<V>) return static_cast<double>(v);
    else {
        using T = std::remove_cv_t<std::remove_pointer_t<V>>;
        if constexpr (KindOf<V>() == PropKind::Component)
            return static_cast<TComponent*>(const_cast<T*>(v));
        else
            return static_cast<TPersistent*>(const_cast<T*>(v));
    }
}

template <class V>
V FromValue(const PropValue& value)
{
    if constexpr (IsSet<V>::value) {
        using E = typename IsSet<V>::Element;
        const auto* bits = std::get_if<int64_t>(&value);
        constexpr size_t count = std::size(EnumTraits<E>::Names);
        static_assert(count <= 32, "sets hold elements 0..31");
        constexpr uint64_t all = (uint64_t{1} << count) - 1;
        if (!bits || *bits < 0 || (static_cast<uint64_t>(*bits) & ~all) != 0)
            ThrowInvalidValue();
        return V::FromBits(static_cast<uint32_t>(*bits));
    } else if constexpr (IsDelegate<V>::value) {
        const auto* m = std::get_if<TMethod>(&value);
        if (!m)
            ThrowInvalidValue();
        V d = V::FromMethod(*m);
        if (m->Assigned() && !d.Assigned())
            ThrowInvalidValue();
        return d;
    } else if constexpr (std::is_same_v<V, std::wstring> || std::is_same_v<V, std::string> ||
                         std::is_same_v<V, std::vector<std::wstring>>) {
        const auto* s = std::get_if<V>(&value);
        if (!s)
            ThrowInvalidValue();
        return *s;
    } else if constexpr (std::is_same_v<V, bool>) {
        const auto* i = std::get_if<int64_t>(&value);
        if (!i || (*i != 0 && *i != 1))
            ThrowInvalidValue();
        return *i == 1;
    } else if constexpr (std::is_same_v<V, wchar_t>) {
        constexpr int64_t maxUnit = sizeof(wchar_t) == 2 ? 0xFFFF : 0x10FFFF;
        const auto* i = std::get_if<int64_t>(&value);
        if (!i || *i < 0 || *i > maxUnit)
            ThrowInvalidValue();
        return static_cast<wchar_t>(*i);
    } else if constexpr (std::is_enum_v<V>) {
        const auto* i = std::get_if<int64_t>(&value);
        if (!i || *i < 0 || *i >= static_cast<int64_t>(std::size(EnumTraits<V>::Names)))
            ThrowInvalidValue();
        return static_cast<V>(*i);
    } else if constexpr (std::is_integral_v<V>) {
        const auto* i = std::get_if<int64_t>(&value);
        if (!i)
            ThrowInvalidValue();
        // A 32-bit signed property takes 2^31 .. 2^32-1 as its bit pattern: colours are
        // written in hex ($FF000007).
        if constexpr (std::is_same_v<V, int32_t>) {
            if (*i > INT32_MAX && *i <= int64_t{UINT32_MAX})
                return static_cast<V>(static_cast<uint32_t>(*i));
        }
        if (!std::in_range<V>(*i))
            ThrowInvalidValue();
        return static_cast<V>(*i);
    } else if constexpr (std::is_floating_point_v<V>) {
        const auto* d = std::get_if<double>(&value);
        if (!d)
            ThrowInvalidValue();
        return static_cast<V>(*d);
    } else {
        using T = std::remove_cv_t<std::remove_pointer_t<V>>;
        if constexpr (KindOf<V>() == PropKind::Component) {
            const auto* c = std::get_if<TComponent*>(&value);
            if (!c)
                ThrowInvalidValue();
            if (!*c)
                return nullptr;
            T* typed = dynamic_cast<T*>(*c);
            if (!typed)
                ThrowInvalidValue();
            return typed;
        } else {
            const auto* p = std::get_if<TPersistent*>(&value);
            if (!p)
                ThrowInvalidValue();
            if (!*p)
                return nullptr;
            T* typed = dynamic_cast<T*>(*p);
            if (!typed)
                ThrowInvalidValue();
            return typed;
        }
    }
}

template <auto Get>
PropValue GetThunk(const TPersistent& object)
{
    using G = Getter<decltype(Get)>;
    return ToValue<std::remove_cvref_t<typename G::Result>>((static_cast<const typename G::Class&>(object).*Get)());
}

template <auto Set>
void SetThunk(TPersistent& object, const PropValue& value)
{
    using S = Setter<decltype(Set)>;
    (static_cast<typename S::Class&>(object).*Set)(FromValue<std::remove_cvref_t<typename S::Param>>(value));
}

template <auto Predicate>
bool StoredThunk(const TPersistent& object)
{
    using G = Getter<decltype(Predicate)>;
    return (static_cast<const typename G::Class&>(object).*Predicate)();
}

template <auto Fn>
TMethod BindThunk(TPersistent& root)
{
    using H = Handler<decltype(Fn)>;
    auto* object = dynamic_cast<typename H::Class*>(&root);
    return TDelegate<typename H::Sig>(object, Fn).Method();
}

} // namespace detail

template <auto Get, auto Set = nullptr>
constexpr PropertyInfo Prop(const char* name) noexcept
{
    using V = std::remove_cvref_t<typename detail::Getter<decltype(Get)>::Result>;
    constexpr PropKind kind = detail::KindOf<V>();
    PropertyInfo p;
    p.Name = name;
    p.Kind = kind;
    p.Get = &detail::GetThunk<Get>;
    if constexpr (!std::is_same_v<decltype(Set), std::nullptr_t>) {
        using P = std::remove_cvref_t<typename detail::Setter<decltype(Set)>::Param>;
        static_assert(std::is_same_v<P, V>, "getter and setter disagree on the type");
        p.Set = &detail::SetThunk<Set>;
    } else {
        static_assert(kind == PropKind::Class || kind == PropKind::Collection,
                      "only sub-objects may lack a setter");
    }
    if constexpr (kind == PropKind::Enum)
        p.Elements = detail::ElementNames<V>();
    if constexpr (kind == PropKind::Set)
        p.Elements = detail::ElementNames<typename detail::IsSet<V>::Element>();
    if constexpr (kind == PropKind::Method)
        p.Signature = &SignatureTag<typename detail::IsDelegate<V>::Sig>;
    return p;
}

template <auto Fn>
constexpr MethodInfo Handler(const char* name) noexcept
{
    return MethodInfo{name, &SignatureTag<typename detail::Handler<decltype(Fn)>::Sig>, &detail::BindThunk<Fn>};
}

template <class V>
constexpr PropertyInfo PropertyInfo::DefaultIs(V value) const noexcept
{
    static_assert(std::is_integral_v<V> || std::is_enum_v<V> || detail::IsSet<V>::value,
                  "only ordinal properties declare defaults; floats and strings default to empty");
    PropertyInfo p = *this;
    p.HasDefault = true;
    if constexpr (detail::IsSet<V>::value)
        p.Default = value.Bits();
    else
        p.Default = static_cast<int64_t>(value);
    return p;
}

template <auto Predicate>
constexpr PropertyInfo PropertyInfo::StoredIf() const noexcept
{
    PropertyInfo p = *this;
    p.IsStored = &detail::StoredThunk<Predicate>;
    return p;
}

} // namespace ks

// The registered class of that name (case-insensitive), or nullptr.
[[nodiscard]] const ks::RegisteredClass* GetClass(std::string_view name) noexcept;
// As GetClass, but raises EClassNotFound "Class %s not found".
const ks::RegisteredClass& FindClass(std::string_view name);

// Makes component classes known to the form reader under their ClassInfo names.
template <class... T>
void RegisterClasses()
{
    (ks::RegisterComponentClass(T::StaticClassInfo, [](TComponent* owner) -> TComponent* { return Create<T>(owner); }),
     ...);
}

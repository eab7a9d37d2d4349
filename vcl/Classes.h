#pragma once
// The object model: TObject (platform-style class names), TPersistent (assignment, published
// properties, the streaming hook for binary properties), comparable method delegates
// (TMethod, TDelegate, TNotifyEvent), bit-flag sets, and TComponent (ownership, names, free
// notification, the loading protocol the form reader drives). Lists and collections are in
// vcl/Collections.h, property tables in vcl/TypInfo.h, form resources in vcl/FormStreaming.h.

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

class TFiler;
class TReader;
class TWriter;
namespace ks {
struct ClassInfo;
}

// ---------------------------------------------------------------------------------------------
// Sets of up to 32 enumeration elements, one bit per ordinal (element 0 is bit 0x1), as the
// platform stores them and as the form streams name them.
namespace ks {

template <class E>
class Set {
public:
    constexpr Set() noexcept = default;
    constexpr Set(std::initializer_list<E> elements) noexcept
    {
        for (E e : elements)
            FBits |= Bit(e);
    }
    static constexpr Set FromBits(uint32_t bits) noexcept
    {
        Set s;
        s.FBits = bits;
        return s;
    }

    constexpr uint32_t Bits() const noexcept { return FBits; }
    constexpr bool Contains(E e) const noexcept { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const noexcept { return FBits == 0; }
    constexpr Set& Include(E e) noexcept { FBits |= Bit(e); return *this; }
    constexpr Set& Exclude(E e) noexcept { FBits &= ~Bit(e); return *this; }

    friend constexpr Set operator|(Set a, Set b) noexcept { return FromBits(a.FBits | b.FBits); }
    friend constexpr Set operator&(Set a, Set b) noexcept { return FromBits(a.FBits & b.FBits); }
    friend constexpr Set operator-(Set a, Set b) noexcept { return FromBits(a.FBits & ~b.FBits); }
    friend constexpr bool operator==(Set a, Set b) noexcept = default;

private:
    static constexpr uint32_t Bit(E e) noexcept { return uint32_t{1} << static_cast<unsigned>(e); }
    uint32_t FBits = 0;
};

// A member-function pointer kept as bytes, so delegates of any class compare with ==.
// Itanium-ABI compilers (g++, clang, mingw-w64) make every member-function pointer two words.
struct MethodCode {
    alignas(void*) unsigned char Bytes[2 * sizeof(void*)] = {};
};

// Identifies a delegate signature; method tables and method properties match on its address.
template <class Sig>
inline constexpr char SignatureTag = 0;

} // namespace ks

// ---------------------------------------------------------------------------------------------
// The type-erased form of every delegate: which object, which member function, and the
// signature it was made for. Two methods are equal when all of these are.
struct TMethod {
    void* Data = nullptr;
    ks::MethodCode Code;
    void (*Invoker)() = nullptr;
    const void* Signature = nullptr;

    bool Assigned() const noexcept { return Data != nullptr; }
    friend bool operator==(const TMethod& a, const TMethod& b) noexcept
    {
        return a.Data == b.Data && a.Invoker == b.Invoker && a.Signature == b.Signature &&
               std::memcmp(a.Code.Bytes, b.Code.Bytes, sizeof a.Code.Bytes) == 0;
    }
};

// An event or window-procedure delegate: object + member function, comparable with == so that
// code can tell whether a handler is still exactly the one it installed.
template <class Sig>
class TDelegate;

template <class R, class... A>
class TDelegate<R(A...)> {
public:
    TDelegate() noexcept = default;
    TDelegate(std::nullptr_t) noexcept {}

    template <class O, class C>
    TDelegate(O* object, R (C::*method)(A...)) noexcept
    {
        static_assert(std::is_base_of_v<C, O>, "the method must belong to the object's class");
        static_assert(sizeof method <= sizeof(ks::MethodCode), "member pointer does not fit");
        if (!object || !method)
            return;
        FMethod.Data = static_cast<C*>(object);
        std::memcpy(FMethod.Code.Bytes, &method, sizeof method);
        FMethod.Invoker = reinterpret_cast<void (*)()>(&Invoke<C>);
        FMethod.Signature = &ks::SignatureTag<R(A...)>;
    }

    // The delegate a type-erased method stands for; an unassigned one when the method was made
    // for another signature.
    static TDelegate FromMethod(const TMethod& method) noexcept
    {
        TDelegate d;
        if (method.Assigned() && method.Signature == &ks::SignatureTag<R(A...)>)
            d.FMethod = method;
        return d;
    }

    bool Assigned() const noexcept { return FMethod.Assigned(); }
    explicit operator bool() const noexcept { return Assigned(); }
    const TMethod& Method() const noexcept { return FMethod; }

    // Calling an unassigned delegate is a program error; callers test Assigned() first.
    R operator()(A... args) const
    {
        auto invoker = reinterpret_cast<R (*)(void*, const ks::MethodCode&, A...)>(FMethod.Invoker);
        return invoker(FMethod.Data, FMethod.Code, std::forward<A>(args)...);
    }

    friend bool operator==(const TDelegate& a, const TDelegate& b) noexcept { return a.FMethod == b.FMethod; }

private:
    template <class C>
    static R Invoke(void* object, const ks::MethodCode& code, A... args)
    {
        R (C::*method)(A...);
        std::memcpy(&method, code.Bytes, sizeof method);
        return (static_cast<C*>(object)->*method)(std::forward<A>(args)...);
    }

    TMethod FMethod;
};

class TObject;
using TNotifyEvent = TDelegate<void(TObject*)>;

// ---------------------------------------------------------------------------------------------
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The platform-style class name ("TButton", "TsEdit"): foreign-control lists and default
    // skin sections match on it exactly.
    virtual const char* ClassName() const noexcept { return "TObject"; }
};

class TPersistent : public TObject {
public:
    // The published-property table of this object's class (vcl/TypInfo.h). Every persistent
    // class names itself there: ClassName() answers the table's name, so a class overrides
    // ClassInfo() rather than ClassName().
    static const ks::ClassInfo StaticClassInfo;
    virtual const ks::ClassInfo& ClassInfo() const noexcept;
    const char* ClassName() const noexcept override;

    // Copies source into this object; a source that cannot be assigned raises EConvertError
    // "Cannot assign a <source class> to a <this class>".
    virtual void Assign(const TPersistent* source);
    // The dotted path the form streams and diagnostics name this object by.
    virtual std::string GetNamePath() const;

protected:
    friend class TReader;
    friend class TWriter;
    virtual void AssignTo(TPersistent* dest) const;
    // Declares binary properties to the form reader and writer (TFiler::DefineBinaryProperty).
    virtual void DefineProperties(TFiler& filer);
    virtual TPersistent* GetOwner() const { return nullptr; }
};

// ---------------------------------------------------------------------------------------------
enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning, // never set: there is no designer
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = ks::Set<TComponentStateItem>;

class TComponent;

// Creates a component in two phases: the C++ constructor, then (with the component whole and
// inserted into its owner) the virtual AfterConstruction(). If AfterConstruction throws, the
// component is freed and the exception passes on. This and the form reader are the only ways
// components come into being; Free() is the only way they go.
template <class T, class... Args>
T* Create(TComponent* owner, Args&&... args);

class TComponent : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // The owner is recorded at once (constructors may read Owner()) but the component enters
    // the owner's list only when construction has finished: see Create().
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    // ---- overridable life cycle
    virtual void AfterConstruction() {}
    // Marks the component and everything it owns csDestroying, clears every free-notification
    // link, frees the owned components last-created-first (while this component is still
    // whole) and leaves the owner's list. Overrides call the inherited one last.
    virtual void BeforeDestruction();
    // BeforeDestruction() then delete. Safe while the owner is itself being destroyed. A class
    // whose objects run code that may free them defers its own deletion here, whatever pointer
    // it is freed through.
    virtual void Free();

    // ---- name and owner
    const std::string& Name() const noexcept { return FName; }
    // Raises EComponentError for a name that is not an identifier or is already used by a
    // sibling (ASCII case-insensitive). An empty name is allowed and never clashes.
    virtual void SetName(const std::string& name);
    TComponent* Owner() const noexcept { return FOwner; }
    int ComponentCount() const noexcept { return static_cast<int>(FComponents.size()); }
    // Raises EListError outside 0 .. ComponentCount()-1.
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(std::string_view name) const;
    // Takes component from its current owner, if any; notifies opInsert.
    void InsertComponent(TComponent* component);
    // Notifies opRemove, then forgets component; nothing happens unless this owns it.
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    void Destroying();
    std::string GetNamePath() const override;

    int Tag() const noexcept { return FTag; }
    void SetTag(int tag) { FTag = tag; }
    TComponentState ComponentState() const noexcept { return FComponentState; }

    // component is told (Notification opRemove) when this one is freed, and the other way
    // round. Siblings are told through their owner anyway, so no link is kept between them.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // ---- the form streams' view of the tree (visual classes override these)
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual bool HasParent() const { return false; }
    // Called by the form reader with the enclosing component before this component's
    // properties are read (controls take it as their parent).
    virtual void SetParentComponent(TComponent*) {}
    using TGetChildProc = std::function<void(TComponent*)>;
    // Calls proc for each component the form writer nests inside this one, in stream order.
    // The base class lists, for the root, its owned components that have no parent.
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root);

protected:
    // Called once the whole form has been read, children before parents; clears csLoading.
    virtual void Loaded();
    // Told of every component inserted into or removed from this one's owner family, and of
    // the destruction of components linked by FreeNotification. Overrides call the inherited
    // one, which forwards the news to every owned component.
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void ValidateRename(TComponent* component, std::string_view curName, std::string_view newName);
    // The setter of a reference to another component: points field at value and moves the free
    // notification along, so that Notification hears when the one field names is freed. False,
    // with nothing done, when field already is value.
    template <class T>
    bool ReplaceReference(T*& field, std::type_identity_t<T>* value)
    {
        if (field == value)
            return false;
        if (field)
            field->RemoveFreeNotification(this);
        field = value;
        if (value)
            value->FreeNotification(this);
        return true;
    }

private:
    template <class T, class... Args>
    friend T* Create(TComponent* owner, Args&&... args);
    friend class TReader;
    friend class TWriter;

    static void CompleteCreation(TComponent* component);
    void Release();
    void RemoveFreeNotifications();

    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    std::string FName;
    int FTag = 0;
    TComponentState FComponentState;
    bool FReleased = false;
};

template <class T, class... Args>
T* Create(TComponent* owner, Args&&... args)
{
    static_assert(std::is_base_of_v<TComponent, T>, "Create<T> makes components");
    T* component = new T(owner, std::forward<Args>(args)...);
    TComponent::CompleteCreation(component);
    return component;
}

// Frees the component the pointer refers to (if any) and clears the pointer first, so that
// notifications sent while it goes do not see it.
template <class T>
void FreeAndNil(T*& component)
{
    T* c = component;
    component = nullptr;
    if (c)
        c->Free();
}

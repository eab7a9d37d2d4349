#pragma once
// Form resources: TFiler and its two sides, TReader (binary stream -> components) and TWriter
// (components -> binary stream), the reader's limits and its failure reasons. The text form
// that build tools compile into these streams is in vcl/FormText.h.
//
// A form fills itself from its resource once constructed, e.g. in its AfterConstruction():
//   ReadRootComponent(resourceBytes, *this);
// Its components' classes must be registered (RegisterClasses<...>, vcl/TypInfo.h) and its
// handlers listed in its ClassInfo. A class with data of its own format declares it as a
// binary property:
//   void TsStoredSkin::DefineProperties(TFiler& filer)
//   {
//       filer.DefineBinaryProperty("Data", [this](TStream& s) { FData->LoadFromStream(s); },
//                                  [this](TStream& s) { FData->SaveToStream(s); }, true);
//   }
//
// Binary stream (little-endian):
//   Stream    = "KSF1" Object
//   Object    = Ident(class) Ident(name, may be empty) Property* 0x00 Object* 0x00
//   Property  = Ident(dotted path) Value
//   Ident     = u8 length, ASCII identifier
//   Value     = 0x01 i32 | 0x02 i64 (only when i32 cannot hold it) | 0x03 f64 (finite)
//             | 0x04 u32 length, UTF-8 | 0x05 Ident | 0x06 False | 0x07 True
//             | 0x08 u16 count, Ident* | 0x09 (0x04 string)* 0x00
//             | 0x0A (0x01 Property* 0x00)* 0x00 | 0x0B u32 length, bytes | 0x0C nil
//
// Reading is strict: a truncated or overlong stream, an unknown tag, class or property, a value
// of the wrong kind, an unknown element, handler or component name, invalid UTF-8, a non-finite
// float and anything beyond FormLimits are refused with an exception that carries a
// ks::FormError reason. What it tolerates, and why:
//   - an Integer property takes 2^31 .. 2^32-1 as the 32-bit pattern, because colours are
//     written in hex ($FF000007);
//   - a Float property takes an integer, because "Version = 6" is how a person writes it;
//   - a string list may be named "Lines" or, as the platform writes it, "Lines.Strings";
//   - names of classes, properties, elements, handlers and components match ignoring ASCII
//     case, as on the platform.

#include "vcl/Classes.h"
#include "vcl/SysUtils.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TStream;

namespace ks {

// The reader's and compiler's bounds. Every default is far above what the application's forms
// need and far below what would exhaust memory or stack.
struct FormLimits {
    // Components one resource may create. The main form has 24; each component may own
    // windows, bitmaps and timers, so thousands are refused before any exist.
    uint32_t MaxComponents = 1024;
    // Nesting of objects, sub-objects and collections. The forms nest three deep; the reader
    // and compiler recurse once per level.
    uint32_t MaxDepth = 32;
    // Items per collection. Stored skins and image lists hold a few dozen; an item costs far
    // more memory than the two bytes that declare it.
    uint32_t MaxCollectionItems = 4096;
    // Names in one dotted property path ("AnimEffects.SkinChanging.Time" has three).
    uint32_t MaxPathNames = 8;
};

enum class FormError {
    Truncated = 1,     // the stream ends inside a value
    BadSignature,      // not "KSF1"
    BadTag,            // an unknown value or item tag
    BadIdent,          // an identifier that is empty, too long or not an identifier
    BadUtf8,           // a string that is not UTF-8
    BadFloat,          // a NaN or infinite float
    TrailingData,      // bytes after the root object
    RootClassMismatch, // the resource is for another form class
    UnknownClass,      // no registered class of that name
    UnknownProperty,   // no published or defined property of that name
    NotAnObject,       // a dotted name walks through a property that holds no object
    WrongValueKind,    // e.g. a string for an Integer property
    ValueOutOfRange,   // an integer the property cannot hold
    UnknownIdent,      // no element, registered integer or handler of that name
    UnresolvedReference, // no component of that name in the form
    TooManyComponents,
    TooDeep,
    TooManyItems,
    PathTooLong,
    // Text compiler only.
    Syntax,            // an unexpected token
    BadNumber,         // an integer beyond 64 bits, or a malformed float
    BadString,         // an unterminated string or a bad #character code
    BadBinary,         // an odd number or a non-hex digit inside { }
    NotUtf8Writable,   // writer: a byte-string property that does not hold UTF-8 text
};

} // namespace ks

// What DefineProperties sees: a reader or a writer. A persistent class declares each binary
// property once; the filer reads it when the stream names it, or writes it when hasData.
class TFiler {
public:
    // The reader hands over a stream positioned at the property's first byte and ending with
    // it; the writer hands over an empty stream to fill.
    using TStreamProc = std::function<void(TStream&)>;

    virtual ~TFiler() = default;
    // A null readData reads and ignores the property; a null writeData never writes it.
    virtual void DefineBinaryProperty(std::string_view name, const TStreamProc& readData,
                                      const TStreamProc& writeData, bool hasData) = 0;
    TComponent* Root() const noexcept { return FRoot; }

protected:
    TComponent* FRoot = nullptr;
};

class TReader final : public TFiler {
public:
    explicit TReader(std::span<const uint8_t> data, const ks::FormLimits& limits = {});
    ~TReader() override;

    // Fills root (created by the caller, usually the form itself) from the stream: root's
    // properties, then its components, created through the class registry with root as
    // owner, in stream order. Every component is csLoading|csReading while its properties are
    // read and gets SetParentComponent(the enclosing object) first. Properties are applied in
    // stream order; events are bound to root's handlers by name; component references are
    // resolved once the whole stream has been read. Then Loaded() runs children before
    // parents, siblings in stream order, root last.
    // On failure every component this read created is freed and the exception passes on;
    // properties of root set before the failure keep their new values.
    void ReadRootComponent(TComponent& root);

    void DefineBinaryProperty(std::string_view name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

private:
    struct Impl;
    std::unique_ptr<Impl> F;
};

class TWriter final : public TFiler {
public:
    TWriter();
    ~TWriter() override;

    // Root, its properties and the children it and they list (GetChildren), as a binary
    // stream. Properties go in published order, then the defined ones; stored-false
    // properties, ordinals equal to their default, empty strings, lists and collections,
    // unassigned events and references that cannot be named are left out.
    std::vector<uint8_t> WriteRootComponent(TComponent& root);

    void DefineBinaryProperty(std::string_view name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

private:
    struct Impl;
    std::unique_ptr<Impl> F;
};

// TReader(data, limits).ReadRootComponent(root).
void ReadRootComponent(std::span<const uint8_t> data, TComponent& root, const ks::FormLimits& limits = {});
// TWriter().WriteRootComponent(root).
std::vector<uint8_t> WriteRootComponent(TComponent& root);

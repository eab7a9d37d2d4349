#pragma once
// The binary form-resource layout (described in vcl/FormStreaming.h) at the level of bytes:
// the Decoder every reader of a form stream reads through, so that each check of an
// identifier, string, number or tag is made in one place, and the Encoder the writer and the
// form-text compiler share. Internal to the form streaming unit.

#include "vcl/ByteReader.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ks::form {

enum class Tag : uint8_t {
    Int32 = 1, Int64, Double, String, Ident, False, True, Set, List, Collection, Binary, Nil
};
constexpr uint8_t EndMarker = 0;
constexpr uint8_t ItemMarker = 1;
constexpr size_t MaxIdentLength = 255;

// What the reader, the compiler and the printer say when a stream or text exceeds FormLimits.
constexpr const char* TooManyComponentsText = "Form resource creates too many components";
constexpr const char* TooDeepText = "Form resource nests too deeply";
constexpr const char* TooManyItemsText = "Collection has too many items";
constexpr const char* PathTooLongText = "Property path %s is too long";

// The names of a dotted property path.
[[nodiscard]] std::vector<std::string_view> SplitPath(std::string_view path);

// An identifier value: dotted words, but not True, False or nil, which are values of their own.
[[nodiscard]] bool IsValueIdent(std::string_view s) noexcept;
// A property path: dotted words, but not the words that open and close objects and items.
[[nodiscard]] bool IsPropertyPath(std::string_view s) noexcept;

// Every read raises EReadError with a ks::FormError reason; a short read is
// FormError::Truncated.
class Decoder {
public:
    explicit Decoder(std::span<const uint8_t> data);

    void Signature();
    std::string_view ClassName(); // a plain identifier
    std::string_view Name();      // a plain identifier, or empty
    std::string_view PathOrEnd(); // a property path, or empty at the end marker
    std::string_view ValueIdent();
    std::string_view SetIdent();  // a plain identifier
    Tag ValueTag();
    // True at an item marker, false at the end marker.
    bool ItemOrEnd();

    uint8_t PeekU8();
    uint8_t U8() { return FIn.U8(); }
    uint16_t U16() { return FIn.U16LE(); }
    int32_t I32() { return FIn.I32LE(); }
    int64_t I64();                    // never a value that fits 32 bits
    double F64();                     // finite
    std::string_view Utf8();          // u32 length + UTF-8 text
    std::span<const uint8_t> Binary(); // u32 length + bytes
    void End();                       // nothing may follow

private:
    std::string_view RawIdent();
    ks::ByteReader FIn;
};

class Encoder {
public:
    void Signature();
    void U8(uint8_t v) { FOut.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    // The caller has checked the identifier; only the length is enforced here.
    void Ident(std::string_view s);
    // Int32 when it fits, else Int64.
    void Integer(int64_t v);
    void Double(double v);
    void String(std::string_view utf8);
    void Binary(std::span<const uint8_t> bytes);
    std::vector<uint8_t> Take() && { return std::move(FOut); }

private:
    void Length(size_t n);
    std::vector<uint8_t> FOut;
};

} // namespace ks::form

#include "vcl/FormCodec.h"

#include "vcl/FormStreaming.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

using ks::FormError;

namespace {

constexpr uint8_t Signature[4] = {'K', 'S', 'F', '1'};

constexpr const char* TruncatedText = "Form resource is truncated";
constexpr const char* BadSignatureText = "Not a form resource";
constexpr const char* BadTagText = "Invalid value type in form resource";
constexpr const char* BadIdentText = "Invalid identifier in form resource";
constexpr const char* BadUtf8Text = "String in form resource is not UTF-8";
constexpr const char* BadFloatText = "Floating-point value in form resource is not finite";
constexpr const char* LongIntegerText = "32-bit integer stored as 64-bit in form resource";
constexpr const char* TrailingText = "Unexpected data after the form";
constexpr const char* TooLongText = "Value too long for a form resource";

[[noreturn]] void ThrowTruncated()
{
    throw EReadError(TruncatedText, FormError::Truncated);
}

[[noreturn]] void Fail(FormError reason, const char* text)
{
    throw EReadError(text, reason);
}

bool IsInt32(int64_t v) noexcept
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

} // namespace

namespace ks::form {

std::vector<std::string_view> SplitPath(std::string_view path)
{
    std::vector<std::string_view> names;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '.') {
            names.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return names;
}

bool IsValueIdent(std::string_view s) noexcept
{
    return IsValidIdent(s, true) && !SameTextAscii(s, "True") && !SameTextAscii(s, "False") &&
           !SameTextAscii(s, "nil");
}

bool IsPropertyPath(std::string_view s) noexcept
{
    return IsValidIdent(s, true) && !SameTextAscii(s, "object") && !SameTextAscii(s, "end") &&
           !SameTextAscii(s, "item");
}

// ---------------------------------------------------------------------------------------------
Decoder::Decoder(std::span<const uint8_t> data) : FIn(data, &ThrowTruncated)
{
}

void Decoder::Signature()
{
    auto bytes = FIn.Bytes(sizeof ::Signature);
    if (std::memcmp(bytes.data(), ::Signature, sizeof ::Signature) != 0)
        Fail(FormError::BadSignature, BadSignatureText);
}

std::string_view Decoder::RawIdent()
{
    auto bytes = FIn.Bytes(FIn.U8());
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view Decoder::ClassName()
{
    std::string_view s = RawIdent();
    if (!IsValidIdent(s))
        Fail(FormError::BadIdent, BadIdentText);
    return s;
}

std::string_view Decoder::Name()
{
    std::string_view s = RawIdent();
    if (!s.empty() && !IsValidIdent(s))
        Fail(FormError::BadIdent, BadIdentText);
    return s;
}

std::string_view Decoder::PathOrEnd()
{
    std::string_view s = RawIdent();
    if (!s.empty() && !IsPropertyPath(s))
        Fail(FormError::BadIdent, BadIdentText);
    return s;
}

std::string_view Decoder::ValueIdent()
{
    std::string_view s = RawIdent();
    if (!IsValueIdent(s))
        Fail(FormError::BadIdent, BadIdentText);
    return s;
}

std::string_view Decoder::SetIdent()
{
    return ClassName();
}

Tag Decoder::ValueTag()
{
    uint8_t t = FIn.U8();
    if (t < static_cast<uint8_t>(Tag::Int32) || t > static_cast<uint8_t>(Tag::Nil))
        Fail(FormError::BadTag, BadTagText);
    return static_cast<Tag>(t);
}

bool Decoder::ItemOrEnd()
{
    uint8_t t = FIn.U8();
    if (t != ItemMarker && t != EndMarker)
        Fail(FormError::BadTag, BadTagText);
    return t == ItemMarker;
}

uint8_t Decoder::PeekU8()
{
    uint8_t v = FIn.U8();
    FIn.Seek(FIn.Position() - 1);
    return v;
}

int64_t Decoder::I64()
{
    auto v = static_cast<int64_t>(FIn.U64LE());
    if (IsInt32(v))
        Fail(FormError::BadNumber, LongIntegerText);
    return v;
}

double Decoder::F64()
{
    double v = std::bit_cast<double>(FIn.U64LE());
    if (!std::isfinite(v))
        Fail(FormError::BadFloat, BadFloatText);
    return v;
}

std::string_view Decoder::Utf8()
{
    auto bytes = FIn.Bytes(FIn.U32LE());
    std::string_view s(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!IsUTF8(s))
        Fail(FormError::BadUtf8, BadUtf8Text);
    return s;
}

std::span<const uint8_t> Decoder::Binary()
{
    return FIn.Bytes(FIn.U32LE());
}

void Decoder::End()
{
    if (!FIn.AtEnd())
        Fail(FormError::TrailingData, TrailingText);
}

// ---------------------------------------------------------------------------------------------
void Encoder::Signature()
{
    FOut.insert(FOut.end(), std::begin(::Signature), std::end(::Signature));
}

void Encoder::U16(uint16_t v)
{
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
}

void Encoder::U32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        U8(static_cast<uint8_t>(v >> (8 * i)));
}

void Encoder::Length(size_t n)
{
    if (n > std::numeric_limits<uint32_t>::max())
        throw EWriteError(TooLongText, FormError::ValueOutOfRange);
    U32(static_cast<uint32_t>(n));
}

void Encoder::Ident(std::string_view s)
{
    if (s.size() > MaxIdentLength)
        throw EWriteError(TooLongText, FormError::BadIdent);
    U8(static_cast<uint8_t>(s.size()));
    FOut.insert(FOut.end(), s.begin(), s.end());
}

void Encoder::Integer(int64_t v)
{
    if (IsInt32(v)) {
        U8(static_cast<uint8_t>(Tag::Int32));
        U32(static_cast<uint32_t>(static_cast<int32_t>(v)));
        return;
    }
    U8(static_cast<uint8_t>(Tag::Int64));
    auto u = static_cast<uint64_t>(v);
    U32(static_cast<uint32_t>(u));
    U32(static_cast<uint32_t>(u >> 32));
}

void Encoder::Double(double v)
{
    U8(static_cast<uint8_t>(Tag::Double));
    auto u = std::bit_cast<uint64_t>(v);
    U32(static_cast<uint32_t>(u));
    U32(static_cast<uint32_t>(u >> 32));
}

void Encoder::String(std::string_view utf8)
{
    U8(static_cast<uint8_t>(Tag::String));
    Length(utf8.size());
    FOut.insert(FOut.end(), utf8.begin(), utf8.end());
}

void Encoder::Binary(std::span<const uint8_t> bytes)
{
    U8(static_cast<uint8_t>(Tag::Binary));
    Length(bytes.size());
    FOut.insert(FOut.end(), bytes.begin(), bytes.end());
}

} // namespace ks::form

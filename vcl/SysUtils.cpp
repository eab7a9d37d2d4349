#include "vcl/SysUtils.h"

#include "vcl/SysUtilsPlatform.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr const char* NotAnInteger = "'%s' is not a valid integer value";
constexpr const char* NotAFloatText = "'%s' is not a valid floating point value";

template <class Char>
char AsciiByte(Char c) noexcept
{
    // Anything outside ASCII can never be part of a number; map it to a byte no parser accepts.
    return (c >= 0 && c < 128) ? static_cast<char>(c) : '\x7f';
}

template <class Char>
bool ParseInt(std::basic_string_view<Char> s, int& value) noexcept
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    }
    // Narrow the digits first: from_chars reads bytes, and a wide digit string must not be
    // truncated into one that happens to parse.
    constexpr size_t MaxDigits = 64;
    if (i == s.size() || s.size() - i > MaxDigits)
        return false;
    char digits[MaxDigits];
    size_t n = 0;
    for (; i < s.size(); ++i)
        digits[n++] = AsciiByte(s[i]);
    // from_chars into an unsigned type refuses a second sign, so "--1" and "+-1" fail here.
    uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(digits, digits + n, magnitude, hex ? 16 : 10);
    if (ec != std::errc() || end != digits + n)
        return false;
    if (hex) {
        if (magnitude > 0xFFFFFFFFu)
            return false;
        uint32_t bits = static_cast<uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        value = static_cast<int>(static_cast<int32_t>(bits));
        return true;
    }
    if (magnitude > (negative ? 2147483648u : 2147483647u))
        return false;
    value = negative ? static_cast<int>(-static_cast<int64_t>(magnitude)) : static_cast<int>(magnitude);
    return true;
}

template <class Char>
std::basic_string<Char> Fold(std::basic_string_view<Char> s, bool upper)
{
    std::basic_string<Char> out(s);
    for (auto& c : out) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<Char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<Char>(c - 'A' + 'a');
    }
    return out;
}

template <class Char>
auto LowerAscii(Char c) noexcept
{
    using U = std::make_unsigned_t<Char>;
    U u = static_cast<U>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<U>(u + ('a' - 'A')) : u;
}

template <class Char>
int CompareFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b) noexcept
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto x = LowerAscii(a[i]);
        auto y = LowerAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <class Char>
std::basic_string<Char> TrimBlanks(std::basic_string_view<Char> s)
{
    auto blank = [](Char c) { return static_cast<std::make_unsigned_t<Char>>(c) <= ' '; };
    size_t first = 0;
    size_t last = s.size();
    while (first < last && blank(s[first]))
        ++first;
    while (last > first && blank(s[last - 1]))
        --last;
    return std::basic_string<Char>(s.substr(first, last - first));
}

template <class Char>
bool IsDelimiter(Char c) noexcept
{
    return c == '\\' || c == '/' || c == ':';
}

template <class Char>
size_t LastDelimiterEnd(std::basic_string_view<Char> name) noexcept
{
    for (size_t i = name.size(); i > 0; --i) {
        if (IsDelimiter(name[i - 1]))
            return i;
    }
    return 0;
}

template <class Char>
std::optional<size_t> ExtensionDot(std::basic_string_view<Char> name) noexcept
{
    size_t start = LastDelimiterEnd(name);
    for (size_t i = name.size(); i > start; --i) {
        if (name[i - 1] == '.')
            return i - 1;
    }
    return std::nullopt;
}

template <class Char>
std::basic_string<Char> ExtensionOf(std::basic_string_view<Char> name)
{
    auto dot = ExtensionDot(name);
    return dot ? std::basic_string<Char>(name.substr(*dot)) : std::basic_string<Char>();
}

constexpr char32_t Replacement = 0xFFFD;

// Decodes one UTF-8 sequence at s[i], advancing i past it. An ill-formed sequence consumes
// its maximal valid prefix (at least one byte) and yields U+FFFD, as Unicode recommends.
char32_t DecodeUtf8(std::string_view s, size_t& i) noexcept
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i++);
    if (b0 < 0x80)
        return b0;
    int extra;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0; // overlong
        else if (b0 == 0xED)
            hi = 0x9F; // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90; // overlong
        else if (b0 == 0xF4)
            hi = 0x8F; // above U+10FFFF
    } else {
        return Replacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size())
            return Replacement;
        unsigned char b = byte(i);
        if (b < lo || b > hi)
            return Replacement;
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsSurrogate(char32_t cp) noexcept
{
    return cp >= 0xD800 && cp <= 0xDFFF;
}

std::optional<std::vector<std::wstring>>& ParamsOverride()
{
    static std::optional<std::vector<std::wstring>> args;
    return args;
}

const std::vector<std::wstring>& Params()
{
    auto& over = ParamsOverride();
    if (over)
        return *over;
    static const std::vector<std::wstring> system = ks::os::CommandLineArgs();
    return system;
}

} // namespace

std::string Format(std::string_view fmt, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(fmt.size());
    auto next = args.begin();
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] == '%' && i + 1 < fmt.size()) {
            if (fmt[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (fmt[i + 1] == 's' && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        out += fmt[i];
    }
    return out;
}

bool TryStrToInt(std::string_view s, int& value) noexcept { return ParseInt(s, value); }
bool TryStrToInt(std::wstring_view s, int& value) noexcept { return ParseInt(s, value); }

int StrToInt(std::string_view s)
{
    int value = 0;
    if (!ParseInt(s, value))
        throw EConvertError(Format(NotAnInteger, {s}));
    return value;
}

int StrToInt(std::wstring_view s)
{
    int value = 0;
    if (!ParseInt(s, value))
        throw EConvertError(Format(NotAnInteger, {WideToUTF8(s)}));
    return value;
}

int StrToIntDef(std::string_view s, int def) noexcept
{
    int value = 0;
    return ParseInt(s, value) ? value : def;
}

int StrToIntDef(std::wstring_view s, int def) noexcept
{
    int value = 0;
    return ParseInt(s, value) ? value : def;
}

std::string IntToStr(int64_t value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, end);
}

std::wstring IntToStrW(int64_t value)
{
    std::string s = IntToStr(value);
    return std::wstring(s.begin(), s.end());
}

int IniInt(std::string_view s, int def) noexcept
{
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        constexpr size_t MaxChars = 66;
        if (s.size() > MaxChars)
            return def;
        char buf[MaxChars];
        buf[0] = '$';
        s.substr(2).copy(buf + 1, s.size() - 2);
        return StrToIntDef(std::string_view(buf, s.size() - 1), def);
    }
    return StrToIntDef(s, def);
}

bool TryStrToFloatDot(std::string_view s, double& value) noexcept
{
    // from_chars takes no "+"; the runtime always did.
    if (!s.empty() && s[0] == '+' && (s.size() < 2 || s[1] != '-'))
        s.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

double StrToFloatDot(std::string_view s)
{
    double value = 0;
    if (!TryStrToFloatDot(s, value))
        throw EConvertError(Format(NotAFloatText, {s}));
    return value;
}

std::string FloatToStrDot(double value)
{
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, end);
}

namespace {

int SaturateToInt(double v) noexcept
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

} // namespace

int RoundHalfEven(double value) noexcept
{
    // Below 2^52 in magnitude, adding 2^52 (of the value's sign) leaves no bits for a fraction, so
    // the sum rounds as nearbyint does, to nearest with ties to even, and taking 2^52 away again
    // is exact. The painters round per row and per pixel, and the Windows runtime's nearbyint
    // costs a floating-point environment save and restore per call.
    constexpr double noFraction = 4503599627370496.0;
    if (std::fabs(value) < noFraction) {
        const double shift = std::copysign(noFraction, value);
        return SaturateToInt((value + shift) - shift);
    }
    // Already whole, infinite or not a number.
    return SaturateToInt(value);
}
int Trunc(double value) noexcept { return SaturateToInt(std::trunc(value)); }

std::string UpperCaseAscii(std::string_view s) { return Fold(s, true); }
std::string LowerCaseAscii(std::string_view s) { return Fold(s, false); }
int CompareTextAscii(std::string_view a, std::string_view b) noexcept { return CompareFolded(a, b); }
int CompareTextAscii(std::wstring_view a, std::wstring_view b) noexcept { return CompareFolded(a, b); }
bool SameTextAscii(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}
bool SameTextAscii(std::wstring_view a, std::wstring_view b) noexcept
{
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}

std::string Trim(std::string_view s) { return TrimBlanks(s); }
std::wstring Trim(std::wstring_view s) { return TrimBlanks(s); }

std::wstring UTF8ToWide(std::string_view s)
{
    std::wstring out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t cp = DecodeUtf8(s, i);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (cp >> 10));
                out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
                continue;
            }
        }
        out += static_cast<wchar_t>(cp);
    }
    return out;
}

bool IsUTF8(std::string_view s)
{
    // The lenient decoder replaces every malformed sequence, so only well-formed text survives
    // the round trip unchanged.
    return WideToUTF8(UTF8ToWide(s)) == s;
}

std::string WideToUTF8(std::wstring_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(s[i]));
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size()) {
                char32_t low = static_cast<char16_t>(s[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if (IsSurrogate(cp) || cp > 0x10FFFF)
            cp = Replacement;
        AppendUtf8(out, cp);
    }
    return out;
}

std::string ExtractFileExt(std::string_view name) { return ExtensionOf(name); }
std::wstring ExtractFileExt(std::wstring_view name) { return ExtensionOf(name); }

std::wstring ExtractFilePath(std::wstring_view name)
{
    return std::wstring(name.substr(0, LastDelimiterEnd(name)));
}

std::wstring ExtractFileName(std::wstring_view name)
{
    return std::wstring(name.substr(LastDelimiterEnd(name)));
}

std::wstring IncludeTrailingPathDelimiter(std::wstring_view path)
{
    std::wstring out(path);
    if (!out.empty() && out.back() != L'\\' && out.back() != L'/')
        out += L'\\';
    return out;
}

std::wstring ChangeFileExt(std::wstring_view name, std::wstring_view ext)
{
    auto dot = ExtensionDot(name);
    std::wstring out(name.substr(0, dot.value_or(name.size())));
    out += ext;
    return out;
}

int ParamCount()
{
    return static_cast<int>(Params().size());
}

std::wstring ParamStr(int index)
{
    if (index == 0)
        return ks::os::ModuleFileName();
    const auto& args = Params();
    if (index < 0 || static_cast<size_t>(index) > args.size())
        return {};
    return args[static_cast<size_t>(index) - 1];
}

std::wstring ApplicationDir()
{
    return ExtractFilePath(ks::os::ModuleFileName());
}

namespace ks {

void SetParamsForTesting(std::vector<std::wstring> args)
{
    ParamsOverride() = std::move(args);
}

void ResetParamsForTesting()
{
    ParamsOverride().reset();
}

} // namespace ks

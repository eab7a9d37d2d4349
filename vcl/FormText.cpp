#include "vcl/FormText.h"

#include "vcl/FormCodec.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <charconv>
#include <cmath>
#include <limits>

using ks::FormError;
using namespace ks::form;

namespace {

constexpr const char* ExpectedText = "%s expected";
constexpr const char* InvalidCharText = "Invalid character";
constexpr const char* InvalidNumberText = "Invalid number";
constexpr const char* NumberRangeText = "Number out of range";
constexpr const char* UnterminatedText = "Unterminated string";
constexpr const char* CharCodeText = "Invalid character code";
constexpr const char* TextNotUtf8Text = "String is not UTF-8";
constexpr const char* BinaryText = "Invalid binary value";
constexpr const char* IdentText = "Invalid identifier %s";
constexpr const char* TooManyElementsText = "Set has too many elements";

enum class TokenKind { End, Ident, Integer, Float, String, Binary, Symbol };

struct Token {
    TokenKind Kind = TokenKind::End;
    int Line = 1;
    std::string Text; // identifier; string as UTF-8
    int64_t Int = 0;
    double Float = 0;
    std::vector<uint8_t> Bytes;
    char Symbol = 0;
};

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) noexcept { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsIdentStart(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsIdentChar(char c) noexcept { return IsIdentStart(c) || IsDigit(c); }

int HexValue(char c) noexcept
{
    if (IsDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

void AppendCodePoint(std::string& out, char32_t cp)
{
    std::wstring w;
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            w += static_cast<wchar_t>(0xD800 + (cp >> 10));
            w += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            w += static_cast<wchar_t>(cp);
        }
    } else {
        w += static_cast<wchar_t>(cp);
    }
    out += WideToUTF8(w);
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : FText(text) { Advance(); }

    const Token& Cur() const noexcept { return FTok; }
    void Advance();
    [[noreturn]] void Fail(FormError reason, const std::string& text) const
    {
        throw EParserError(text, reason, FTok.Line);
    }

private:
    [[noreturn]] void FailHere(FormError reason, const std::string& text) const
    {
        throw EParserError(text, reason, FLine);
    }
    char At(size_t i) const noexcept { return i < FText.size() ? FText[i] : '\0'; }
    void Number();
    void String();
    void Binary();

    std::string_view FText;
    size_t FPos = 0;
    int FLine = 1;
    Token FTok;
};

void Lexer::Advance()
{
    while (FPos < FText.size()) {
        char c = FText[FPos];
        if (c == '\n')
            ++FLine;
        else if (c != ' ' && c != '\t' && c != '\r')
            break;
        ++FPos;
    }
    FTok = Token{};
    FTok.Line = FLine;
    if (FPos >= FText.size())
        return;
    const char c = FText[FPos];
    if (IsIdentStart(c)) {
        size_t start = FPos;
        while (IsIdentChar(At(FPos)) || At(FPos) == '.')
            ++FPos;
        FTok.Kind = TokenKind::Ident;
        FTok.Text = std::string(FText.substr(start, FPos - start));
        if (!ks::IsValidIdent(FTok.Text, true))
            Fail(FormError::BadIdent, Format(IdentText, {FTok.Text}));
    } else if (IsDigit(c) || c == '$' || (c == '-' && (IsDigit(At(FPos + 1)) || At(FPos + 1) == '$'))) {
        Number();
    } else if (c == '\'' || c == '#') {
        String();
    } else if (c == '{') {
        Binary();
    } else if (std::string_view("=:[](),<>+").find(c) != std::string_view::npos) {
        FTok.Kind = TokenKind::Symbol;
        FTok.Symbol = c;
        ++FPos;
    } else {
        FailHere(FormError::Syntax, InvalidCharText);
    }
}

void Lexer::Number()
{
    const size_t start = FPos;
    const bool negative = At(FPos) == '-';
    if (negative)
        ++FPos;
    if (At(FPos) == '$') {
        ++FPos;
        uint64_t v = 0;
        size_t digits = 0;
        for (; IsHexDigit(At(FPos)); ++FPos, ++digits) {
            if (digits == 16)
                FailHere(FormError::BadNumber, NumberRangeText);
            v = (v << 4) | static_cast<uint64_t>(HexValue(At(FPos)));
        }
        if (digits == 0)
            FailHere(FormError::BadNumber, InvalidNumberText);
        // Up to 64 bits as written; a negative hex number negates that pattern.
        FTok.Kind = TokenKind::Integer;
        FTok.Int = static_cast<int64_t>(negative ? 0 - v : v);
    } else {
        while (IsDigit(At(FPos)))
            ++FPos;
        bool isFloat = false;
        if (At(FPos) == '.' && IsDigit(At(FPos + 1))) {
            isFloat = true;
            for (++FPos; IsDigit(At(FPos)); ++FPos) {
            }
        }
        if (At(FPos) == 'e' || At(FPos) == 'E') {
            isFloat = true;
            ++FPos;
            if (At(FPos) == '+' || At(FPos) == '-')
                ++FPos;
            if (!IsDigit(At(FPos)))
                FailHere(FormError::BadNumber, InvalidNumberText);
            while (IsDigit(At(FPos)))
                ++FPos;
        }
        const char* first = FText.data() + start;
        const char* last = FText.data() + FPos;
        if (isFloat) {
            auto [end, ec] = std::from_chars(first, last, FTok.Float);
            if (ec != std::errc() || end != last || !std::isfinite(FTok.Float))
                FailHere(FormError::BadNumber, NumberRangeText);
            FTok.Kind = TokenKind::Float;
        } else {
            auto [end, ec] = std::from_chars(first, last, FTok.Int);
            if (ec != std::errc() || end != last)
                FailHere(FormError::BadNumber, NumberRangeText);
            FTok.Kind = TokenKind::Integer;
        }
    }
    if (IsIdentChar(At(FPos)) || At(FPos) == '.')
        FailHere(FormError::BadNumber, InvalidNumberText);
}

void Lexer::String()
{
    std::string out;
    char32_t high = 0; // a high surrogate waiting for its low half
    for (;;) {
        const char c = At(FPos);
        if (c == '\'') {
            if (high)
                FailHere(FormError::BadString, CharCodeText);
            for (++FPos;;) {
                if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r')
                    FailHere(FormError::BadString, UnterminatedText);
                if (FText[FPos] == '\'') {
                    if (At(FPos + 1) != '\'')
                        break;
                    ++FPos;
                }
                out += FText[FPos++];
            }
            ++FPos;
        } else if (c == '#') {
            ++FPos;
            uint32_t code = 0;
            size_t digits = 0;
            const bool hex = At(FPos) == '$';
            if (hex)
                ++FPos;
            for (; hex ? IsHexDigit(At(FPos)) : IsDigit(At(FPos)); ++FPos, ++digits) {
                code = code * (hex ? 16 : 10) + static_cast<uint32_t>(hex ? HexValue(At(FPos)) : At(FPos) - '0');
                if (code > 0xFFFF)
                    FailHere(FormError::BadString, CharCodeText);
            }
            if (digits == 0)
                FailHere(FormError::BadString, CharCodeText);
            if (code >= 0xD800 && code <= 0xDBFF) {
                if (high)
                    FailHere(FormError::BadString, CharCodeText);
                high = code;
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                if (!high)
                    FailHere(FormError::BadString, CharCodeText);
                AppendCodePoint(out, 0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00));
                high = 0;
            } else {
                if (high)
                    FailHere(FormError::BadString, CharCodeText);
                AppendCodePoint(out, code);
            }
        } else {
            break;
        }
    }
    if (high)
        FailHere(FormError::BadString, CharCodeText);
    if (!IsUTF8(out))
        FailHere(FormError::BadString, TextNotUtf8Text);
    FTok.Kind = TokenKind::String;
    FTok.Text = std::move(out);
}

void Lexer::Binary()
{
    ++FPos;
    int pending = -1;
    for (;;) {
        if (FPos >= FText.size())
            FailHere(FormError::BadBinary, BinaryText);
        const char c = FText[FPos++];
        if (c == '}')
            break;
        if (c == '\n')
            ++FLine;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (!IsHexDigit(c))
            FailHere(FormError::BadBinary, BinaryText);
        if (pending < 0) {
            pending = HexValue(c);
        } else {
            FTok.Bytes.push_back(static_cast<uint8_t>(pending << 4 | HexValue(c)));
            pending = -1;
        }
    }
    if (pending >= 0)
        FailHere(FormError::BadBinary, BinaryText);
    FTok.Kind = TokenKind::Binary;
}

class Compiler {
public:
    Compiler(std::string_view text, const ks::FormLimits& limits) : FLex(text), FLimits(limits) {}

    std::vector<uint8_t> Run()
    {
        FOut.Signature();
        Object(1);
        if (FLex.Cur().Kind != TokenKind::End)
            FLex.Fail(FormError::Syntax, Format(ExpectedText, {"End of text"}));
        return std::move(FOut).Take();
    }

private:
    bool IsWord(const char* word) const
    {
        return FLex.Cur().Kind == TokenKind::Ident && SameTextAscii(FLex.Cur().Text, word);
    }
    bool IsSymbol(char c) const { return FLex.Cur().Kind == TokenKind::Symbol && FLex.Cur().Symbol == c; }
    void Expect(char c)
    {
        if (!IsSymbol(c))
            FLex.Fail(FormError::Syntax, Format(ExpectedText, {std::string("'") + c + "'"}));
        FLex.Advance();
    }
    void ExpectWord(const char* word)
    {
        if (!IsWord(word))
            FLex.Fail(FormError::Syntax, Format(ExpectedText, {std::string("'") + word + "'"}));
        FLex.Advance();
    }
    std::string PlainIdent()
    {
        if (FLex.Cur().Kind != TokenKind::Ident)
            FLex.Fail(FormError::Syntax, Format(ExpectedText, {"Identifier"}));
        std::string s = FLex.Cur().Text;
        if (!ks::IsValidIdent(s) || s.size() > ks::form::MaxIdentLength)
            FLex.Fail(FormError::BadIdent, Format(IdentText, {s}));
        FLex.Advance();
        return s;
    }
    void Object(uint32_t depth);
    void Property(uint32_t depth);
    void Value(uint32_t depth);
    std::string StringExpr();

    Lexer FLex;
    ks::FormLimits FLimits;
    ks::form::Encoder FOut;
    uint32_t FObjects = 0;
};

void Compiler::Object(uint32_t depth)
{
    ExpectWord("object");
    if (depth > FLimits.MaxDepth)
        FLex.Fail(FormError::TooDeep, TooDeepText);
    if (depth > 1 && ++FObjects > FLimits.MaxComponents)
        FLex.Fail(FormError::TooManyComponents, TooManyComponentsText);
    std::string first = PlainIdent();
    std::string name;
    std::string className = first;
    if (IsSymbol(':')) {
        FLex.Advance();
        name = first;
        className = PlainIdent();
    }
    FOut.Ident(className);
    FOut.Ident(name);
    while (!IsWord("object") && !IsWord("end"))
        Property(depth);
    FOut.U8(ks::form::EndMarker);
    while (IsWord("object"))
        Object(depth + 1);
    ExpectWord("end");
    FOut.U8(ks::form::EndMarker);
}

void Compiler::Property(uint32_t depth)
{
    if (FLex.Cur().Kind != TokenKind::Ident)
        FLex.Fail(FormError::Syntax, Format(ExpectedText, {"Property name"}));
    const std::string path = FLex.Cur().Text;
    if (!ks::form::IsPropertyPath(path) || path.size() > ks::form::MaxIdentLength)
        FLex.Fail(FormError::BadIdent, Format(IdentText, {path}));
    if (SplitPath(path).size() > FLimits.MaxPathNames)
        FLex.Fail(FormError::PathTooLong, Format(PathTooLongText, {path}));
    FLex.Advance();
    Expect('=');
    FOut.Ident(path);
    Value(depth);
}

std::string Compiler::StringExpr()
{
    std::string s = FLex.Cur().Text;
    FLex.Advance();
    while (IsSymbol('+')) {
        FLex.Advance();
        if (FLex.Cur().Kind != TokenKind::String)
            FLex.Fail(FormError::Syntax, Format(ExpectedText, {"String"}));
        s += FLex.Cur().Text;
        FLex.Advance();
    }
    return s;
}

void Compiler::Value(uint32_t depth)
{
    const Token& t = FLex.Cur();
    switch (t.Kind) {
    case TokenKind::Integer:
        FOut.Integer(t.Int);
        FLex.Advance();
        return;
    case TokenKind::Float:
        FOut.Double(t.Float);
        FLex.Advance();
        return;
    case TokenKind::String:
        FOut.String(StringExpr());
        return;
    case TokenKind::Binary:
        FOut.Binary(t.Bytes);
        FLex.Advance();
        return;
    case TokenKind::Ident:
        if (SameTextAscii(t.Text, "True")) {
            FOut.U8(static_cast<uint8_t>(Tag::True));
        } else if (SameTextAscii(t.Text, "False")) {
            FOut.U8(static_cast<uint8_t>(Tag::False));
        } else if (SameTextAscii(t.Text, "nil")) {
            FOut.U8(static_cast<uint8_t>(Tag::Nil));
        } else {
            if (t.Text.size() > ks::form::MaxIdentLength)
                FLex.Fail(FormError::BadIdent, Format(IdentText, {t.Text}));
            FOut.U8(static_cast<uint8_t>(Tag::Ident));
            FOut.Ident(t.Text);
        }
        FLex.Advance();
        return;
    case TokenKind::Symbol:
        break;
    case TokenKind::End:
        FLex.Fail(FormError::Syntax, Format(ExpectedText, {"Value"}));
    }

    if (IsSymbol('[')) {
        FLex.Advance();
        std::vector<std::string> names;
        if (!IsSymbol(']')) {
            for (;;) {
                names.push_back(PlainIdent());
                if (names.size() > std::numeric_limits<uint16_t>::max())
                    FLex.Fail(FormError::TooManyItems, TooManyElementsText);
                if (!IsSymbol(','))
                    break;
                FLex.Advance();
            }
        }
        Expect(']');
        FOut.U8(static_cast<uint8_t>(Tag::Set));
        FOut.U16(static_cast<uint16_t>(names.size()));
        for (const std::string& n : names)
            FOut.Ident(n);
    } else if (IsSymbol('(')) {
        FLex.Advance();
        FOut.U8(static_cast<uint8_t>(Tag::List));
        while (FLex.Cur().Kind == TokenKind::String)
            FOut.String(StringExpr());
        Expect(')');
        FOut.U8(ks::form::EndMarker);
    } else if (IsSymbol('<')) {
        if (depth + 1 > FLimits.MaxDepth)
            FLex.Fail(FormError::TooDeep, TooDeepText);
        FLex.Advance();
        FOut.U8(static_cast<uint8_t>(Tag::Collection));
        for (uint32_t count = 0; IsWord("item"); ++count) {
            if (count >= FLimits.MaxCollectionItems)
                FLex.Fail(FormError::TooManyItems, TooManyItemsText);
            FLex.Advance();
            FOut.U8(ks::form::ItemMarker);
            while (!IsWord("end"))
                Property(depth + 1);
            FLex.Advance();
            FOut.U8(ks::form::EndMarker);
        }
        Expect('>');
        FOut.U8(ks::form::EndMarker);
    } else {
        FLex.Fail(FormError::Syntax, Format(ExpectedText, {"Value"}));
    }
}

// Prints what the decoder reads, checking the structure as the reader does.
class Printer {
public:
    Printer(std::span<const uint8_t> data, const ks::FormLimits& limits) : FIn(data), FLimits(limits) {}

    std::string Run()
    {
        FIn.Signature();
        Object(0, 1);
        FIn.End();
        return std::move(FOut);
    }

private:
    void Indent(int n) { FOut.append(static_cast<size_t>(n), ' '); }
    void Object(int indent, uint32_t depth);
    void Properties(int indent, uint32_t depth);
    void Value(int indent, uint32_t depth);
    void String(std::string_view utf8);

    ks::form::Decoder FIn;
    ks::FormLimits FLimits;
    std::string FOut;
    uint32_t FObjects = 0;
};

void Printer::Object(int indent, uint32_t depth)
{
    std::string_view className = FIn.ClassName();
    std::string_view name = FIn.Name();
    if (depth > FLimits.MaxDepth)
        throw EReadError(TooDeepText, FormError::TooDeep);
    if (depth > 1 && ++FObjects > FLimits.MaxComponents)
        throw EReadError(TooManyComponentsText, FormError::TooManyComponents);
    Indent(indent);
    FOut += "object ";
    if (!name.empty()) {
        FOut += name;
        FOut += ": ";
    }
    FOut += className;
    FOut += '\n';
    Properties(indent + 2, depth);
    while (FIn.PeekU8() != ks::form::EndMarker)
        Object(indent + 2, depth + 1);
    FIn.U8();
    Indent(indent);
    FOut += "end\n";
}

void Printer::Properties(int indent, uint32_t depth)
{
    for (;;) {
        std::string_view path = FIn.PathOrEnd();
        if (path.empty())
            return;
        if (SplitPath(path).size() > FLimits.MaxPathNames)
            throw EReadError(Format(PathTooLongText, {path}), FormError::PathTooLong);
        Indent(indent);
        FOut += path;
        FOut += " = ";
        Value(indent, depth);
        FOut += '\n';
    }
}

void Printer::String(std::string_view utf8)
{
    bool quoted = false;
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            if (quoted)
                FOut += '\'';
            quoted = false;
            FOut += '#';
            FOut += std::to_string(c);
            continue;
        }
        if (!quoted)
            FOut += '\'';
        quoted = true;
        if (ch == '\'')
            FOut += '\'';
        FOut += ch;
    }
    if (quoted)
        FOut += '\'';
    if (utf8.empty())
        FOut += "''";
}

void Printer::Value(int indent, uint32_t depth)
{
    switch (FIn.ValueTag()) {
    case Tag::Int32:
        FOut += std::to_string(FIn.I32());
        return;
    case Tag::Int64:
        FOut += std::to_string(FIn.I64());
        return;
    case Tag::Double: {
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, FIn.F64());
        std::string_view text(buf, static_cast<size_t>(end - buf));
        FOut += text;
        // Without a point or an exponent the text would read back as an integer.
        if (text.find_first_of(".e") == std::string_view::npos)
            FOut += ".0";
        return;
    }
    case Tag::String:
        String(FIn.Utf8());
        return;
    case Tag::Ident:
        FOut += FIn.ValueIdent();
        return;
    case Tag::False:
        FOut += "False";
        return;
    case Tag::True:
        FOut += "True";
        return;
    case Tag::Nil:
        FOut += "nil";
        return;
    case Tag::Set: {
        FOut += '[';
        for (uint16_t n = FIn.U16(), i = 0; i < n; ++i) {
            if (i > 0)
                FOut += ", ";
            FOut += FIn.SetIdent();
        }
        FOut += ']';
        return;
    }
    case Tag::List:
        FOut += '(';
        while (FIn.PeekU8() != ks::form::EndMarker) {
            if (FIn.ValueTag() != Tag::String)
                throw EReadError("Invalid value type in form resource", FormError::BadTag);
            FOut += '\n';
            Indent(indent + 2);
            String(FIn.Utf8());
        }
        FIn.U8();
        FOut += ')';
        return;
    case Tag::Collection: {
        if (depth + 1 > FLimits.MaxDepth)
            throw EReadError(TooDeepText, FormError::TooDeep);
        FOut += '<';
        for (uint32_t count = 0; FIn.ItemOrEnd(); ++count) {
            if (count >= FLimits.MaxCollectionItems)
                throw EReadError(TooManyItemsText, FormError::TooManyItems);
            FOut += '\n';
            Indent(indent + 2);
            FOut += "item\n";
            Properties(indent + 4, depth + 1);
            Indent(indent + 2);
            FOut += "end";
        }
        FOut += '>';
        return;
    }
    case Tag::Binary: {
        static constexpr char Hex[] = "0123456789ABCDEF";
        std::span<const uint8_t> bytes = FIn.Binary();
        FOut += '{';
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (i % 32 == 0 && bytes.size() > 32) {
                FOut += '\n';
                Indent(indent + 2);
            }
            FOut += Hex[bytes[i] >> 4];
            FOut += Hex[bytes[i] & 15];
        }
        FOut += '}';
        return;
    }
    }
}

} // namespace

std::vector<uint8_t> CompileFormText(std::string_view text, const ks::FormLimits& limits)
{
    return Compiler(text, limits).Run();
}

std::string FormBinaryToText(std::span<const uint8_t> data, const ks::FormLimits& limits)
{
    return Printer(data, limits).Run();
}

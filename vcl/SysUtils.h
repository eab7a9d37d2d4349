#pragma once
// Runtime basics: the exception hierarchy every unit reports failures with, number and text
// conversions, file names, files, the command line, and the guard that undoes a change when a
// scope ends.
// Messages are UTF-8; the texts the platform and the engine fix are used as they stand.
//
// Strings: text a user reads is std::wstring (UTF-16 on Windows; on the Linux host wchar_t is
// 32 bits wide and holds code points, so nothing here assumes 16-bit units). Option text,
// archive names and password pools are byte strings (std::string) compared with ASCII case
// folding. File names are wide, so that Cyrillic names reach the W APIs intact.

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Base of every exception the project raises. A reader attaches a reason code of its own
// enumeration beside the fixed text, so tests can tell one failure from another.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    template <class ReasonEnum>
    Exception(std::string message, ReasonEnum reason)
        : FMessage(std::move(message)), FReason(static_cast<int>(reason)) {}

    const std::string& Message() const noexcept { return FMessage; }
    int Reason() const noexcept { return FReason; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
    int FReason = 0;
};

class EAbort : public Exception { public: using Exception::Exception; };
class EConvertError : public Exception { public: using Exception::Exception; };
class EInvalidOperation : public Exception { public: using Exception::Exception; };
class EInvalidPointer : public Exception { public: using Exception::Exception; };
class EListError : public Exception { public: using Exception::Exception; };
class EStringListError : public Exception { public: using Exception::Exception; };
class EComponentError : public Exception { public: using Exception::Exception; };
class EClassNotFound : public Exception { public: using Exception::Exception; };
class EPropertyError : public Exception { public: using Exception::Exception; };
class EStreamError : public Exception { public: using Exception::Exception; };
class EReadError : public EStreamError { public: using EStreamError::EStreamError; };
class EWriteError : public EStreamError { public: using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { public: using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { public: using EStreamError::EStreamError; };
class EResNotFound : public Exception { public: using Exception::Exception; };
class EOutOfResources : public Exception { public: using Exception::Exception; };
class EZLibError : public Exception { public: using Exception::Exception; };
class EIniFileException : public Exception { public: using Exception::Exception; };
class EInvalidGraphic : public Exception { public: using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { public: using Exception::Exception; };
class EGraphicCompression : public EInvalidGraphic { public: using EInvalidGraphic::EInvalidGraphic; };
class EColorConversionError : public EInvalidGraphic { public: using EInvalidGraphic::EInvalidGraphic; };
class EJPEG : public EInvalidGraphic { public: using EInvalidGraphic::EInvalidGraphic; };
class EOSError : public Exception { public: using Exception::Exception; };

// Replaces each "%s" of fmt, in order, with the next argument; "%%" gives "%".
// Surplus "%s" stay as they are, surplus arguments are ignored.
std::string Format(std::string_view fmt, std::initializer_list<std::string_view> args);

// ---- Integers -------------------------------------------------------------------------------
// The integer syntax: optional blanks, an optional sign, then decimal digits or "$" and
// hexadecimal digits; nothing may follow. Decimal values must lie in the 32-bit signed range;
// hexadecimal values may use all 32 bits and are taken as their two's-complement value
// ("$FFFFFFFF" is -1, "$FF00000F" a system colour), because stored skins and form resources
// write colours that way. Any longer digit string is not a number. Leading blanks are accepted
// as the runtime always accepted them; trailing ones are not.

// Raises EConvertError "'%s' is not a valid integer value".
int StrToInt(std::string_view s);
int StrToInt(std::wstring_view s);
int StrToIntDef(std::string_view s, int def) noexcept;
int StrToIntDef(std::wstring_view s, int def) noexcept;
[[nodiscard]] bool TryStrToInt(std::string_view s, int& value) noexcept;
[[nodiscard]] bool TryStrToInt(std::wstring_view s, int& value) noexcept;
std::string IntToStr(int64_t value);
std::wstring IntToStrW(int64_t value);

// The lenient integer of option text: "0x" or "0X" at the start reads as "$"; an unparsable
// value gives def.
int IniInt(std::string_view s, int def) noexcept;

// ---- Floating point -------------------------------------------------------------------------
// Always "." as the decimal separator, whatever the user's locale; no process-wide setting is
// read or changed. Only finite values convert; "inf" and "nan" are not numbers.

// Raises EConvertError "'%s' is not a valid floating point value".
double StrToFloatDot(std::string_view s);
[[nodiscard]] bool TryStrToFloatDot(std::string_view s, double& value) noexcept;
// The shortest text that reads back as the same double.
std::string FloatToStrDot(double value);

// Nearest integer, halves to the even neighbour (the engine's one rounding rule). Both
// saturate at the int range and give 0 for NaN, so no input is undefined behaviour.
int RoundHalfEven(double value) noexcept;
// Rounds toward zero.
int Trunc(double value) noexcept;

// ---- Text -----------------------------------------------------------------------------------
// ASCII case folding only: bytes above 127 are left alone, so option text in any code page
// compares the same on every machine.
std::string UpperCaseAscii(std::string_view s);
std::string LowerCaseAscii(std::string_view s);
// <0, 0, >0 like strcmp, after folding 'A'..'Z' to lower case.
int CompareTextAscii(std::string_view a, std::string_view b) noexcept;
int CompareTextAscii(std::wstring_view a, std::wstring_view b) noexcept;
bool SameTextAscii(std::string_view a, std::string_view b) noexcept;
bool SameTextAscii(std::wstring_view a, std::wstring_view b) noexcept;

// Removes every character <= ' ' (blanks and control characters) from both ends.
std::string Trim(std::string_view s);
std::wstring Trim(std::wstring_view s);

// Malformed UTF-8 (stray continuation bytes, overlong forms, surrogates, truncated sequences)
// becomes U+FFFD, one per maximal ill-formed subpart; a lone surrogate in wide text becomes
// U+FFFD too. Neither ever throws on bad input.
std::wstring UTF8ToWide(std::string_view s);
std::string WideToUTF8(std::wstring_view s);
// True when s is well-formed UTF-8 (plain ASCII is).
bool IsUTF8(std::string_view s);

// ---- File names -----------------------------------------------------------------------------
// "\", "/" and ":" all end a folder or drive part, so names written for Windows and names made
// on the host split the same way.

// The extension with its dot ("x.Bmp" gives ".Bmp"): from the last "." after the last
// delimiter; empty when there is none.
std::string ExtractFileExt(std::string_view name);
std::wstring ExtractFileExt(std::wstring_view name);
// Everything up to and including the last delimiter.
std::wstring ExtractFilePath(std::wstring_view name);
// Everything after the last delimiter.
std::wstring ExtractFileName(std::wstring_view name);
// Appends "\" unless the path already ends in "\" or "/". An empty path stays empty.
std::wstring IncludeTrailingPathDelimiter(std::wstring_view path);
// Replaces the extension (as ExtractFileExt finds it) by ext, or appends ext.
std::wstring ChangeFileExt(std::wstring_view name, std::wstring_view ext);

// ---- Files, folders and the command line ----------------------------------------------------
// Paths are built with "\" by portable code; the host's file layer reads "\" as "/" so that the
// same code runs under the host tests.

bool FileExists(const std::wstring& name);
bool DirectoryExists(const std::wstring& name);

// File attributes as the search reports them.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

struct TSearchState;

// One entry of a folder search. Move-only: it owns the open search until FindClose or its end.
struct TSearchRec {
    std::wstring Name;
    int Attr = 0;
    int64_t Size = 0;

    TSearchRec();
    TSearchRec(TSearchRec&&) noexcept;
    TSearchRec& operator=(TSearchRec&&) noexcept;
    ~TSearchRec();

    std::unique_ptr<TSearchState> FindHandle;
};

// Folder search: path is a folder and a mask ("C:\Skins\*.*"; "*" and "?" wildcards). Entries
// carrying faHidden, faSysFile or faDirectory are returned only when attr includes those bits;
// "." and ".." are returned like other folders. Each returns 0 for an entry found, non-zero
// when there is none (left). The search is closed by FindClose or when rec is destroyed.
int FindFirst(const std::wstring& path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec) noexcept;

// The program's arguments, not counting the program itself; ParamStr(0) is the full name of
// the program file, and an index beyond the last argument gives an empty text.
int ParamCount();
std::wstring ParamStr(int index);
// The folder of the program file, with its trailing delimiter.
std::wstring ApplicationDir();

namespace ks {

// Runs its action when the scope ends, however it ends: by return, by break or by an exception
// passing. The actions put back a flag, a state bit, a handler or a borrowed handle: plain
// assignments and calls that do not throw. The destructor is noexcept, so an action that threw
// would end the program (during unwinding it would anyway); an undo that can fail (one that
// notifies, frees or calls an event) stays in a catch block of its own.
template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F action) noexcept : FAction(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() noexcept { FAction(); }

private:
    F FAction;
};
template <class F>
ScopeExit(F) -> ScopeExit<F>;

// Replaces the arguments that ParamCount and ParamStr report (the program name excluded), so
// tests can run command-line paths; resetting goes back to the real command line.
void SetParamsForTesting(std::vector<std::wstring> args);
void ResetParamsForTesting();
} // namespace ks

#pragma once
// Form text: the compiler that turns a form's text file into the binary stream TReader loads
// (vcl/FormStreaming.h), and the printer that turns a stream back into text for diagnostics.
// Classes and properties are not looked up here: the compiler knows only the syntax.
//
//   object Form1: TForm1                  an object: name and class (or just the class)
//     Caption = 'Ke' + 'ysmith'#13#10     strings: '' escapes a quote, #nnn or #$hhhh is a
//                                         UTF-16 code unit (a surrogate pair makes one
//                                         character), UTF-8 may stand inside quotes, + joins
//     Left = -12                          integers: decimal, or $hex of up to 64 bits
//     Version = 6.4                       floats: a '.' followed by digits, or an exponent
//     Color = clBlack                     identifiers: enum elements, True/False, nil,
//                                         registered integer names, handler and component names
//     Font.Name = 'Tahoma'                dotted names fill sub-objects in place
//     Options = [beMouseEnter, beMouseUp] sets
//     Lines.Strings = ('a' 'b')           string lists
//     Items = <item Name = 'x' end>       collections
//     Data = {4153 7A66}                  binary data, hex digits with blanks between them
//     object Child: TChild ... end        child objects, after the properties
//   end
//
// The compiler writes an integer as i32 whenever it fits, as the writer does, so compiling the
// printer's text gives back the same bytes. The compiler and the printer enforce the same
// FormLimits as the reader.

#include "vcl/FormStreaming.h"
#include "vcl/SysUtils.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A form-text error: Line() is the 1-based line of the offending token.
class EParserError : public Exception {
public:
    EParserError(std::string message, ks::FormError reason, int line)
        : Exception(std::move(message), reason), FLine(line) {}
    int Line() const noexcept { return FLine; }

private:
    int FLine;
};

// Form text to binary stream; raises EParserError with the line of the fault.
std::vector<uint8_t> CompileFormText(std::string_view text, const ks::FormLimits& limits = {});
// Binary stream to form text that compiles back to the same bytes; raises EReadError for a
// stream the reader would refuse on its structure alone.
std::string FormBinaryToText(std::span<const uint8_t> data, const ks::FormLimits& limits = {});

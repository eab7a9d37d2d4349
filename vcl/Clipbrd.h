#pragma once
// The system clipboard as the program uses it: text in and out as CF_UNICODETEXT, so Cyrillic
// survives whatever the ANSI code page is.

#include "vcl/SysUtils.h"
#include "vcl/Win.h"

#include <string>

class EClipboardException : public Exception {
public:
    using Exception::Exception;
};

class TClipboard {
public:
    // The clipboard's text, up to its first NUL; empty when it holds no text. Raises
    // EClipboardException "Cannot open clipboard" while another program keeps it open.
    std::wstring AsText() const;
    // Replaces everything the clipboard held with text (an empty text included). Raises
    // EClipboardException when the clipboard cannot be opened or the system refuses the data.
    void SetAsText(const std::wstring& text);
    bool HasFormat(UINT format) const;
    // Empties the clipboard.
    void Clear();
};

TClipboard& Clipboard();

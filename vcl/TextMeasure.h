#pragma once
// The one rule by which text that sizes its control (an auto-sized label, the message of a
// message box) is measured: in the font it is drawn with, by GDI's measure widened until the
// drawing itself fits. GDI's measures are not always what it draws: under Wine a substituted face
// draws a line some pixels wider than its extent, and a control sized by the extent loses its
// last letters.
#include "vcl/Graphics.h"

#include <string>

namespace ks {

// The size text needs when drawn with flags (DrawText's, without DT_CALCRECT) in font: with
// DT_WORDBREAK wrapped at width, otherwise one line per paragraph.
TSize DrawnTextSize(const std::wstring& text, const TFont& font, UINT flags, int width);

} // namespace ks

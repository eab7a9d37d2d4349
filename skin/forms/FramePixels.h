#pragma once
// The alpha fix-ups of a skinned form's 32-bit frame images: GDI writes leave alpha 0 in a
// 32-bit bitmap, so after the painters have drawn, these make opaque what is meant to be. Used
// for the layered border window's image, the title drawn into it, and the title-button frames.

#include "skin/pixels/PixelCore.h"

namespace ks {

// Every pixel of dst whose colour bytes differ from the pixel at the same place of before gets
// alpha 255; the others keep theirs. Both 32-bit views; only pixels inside both are compared.
void OpaqueWhereChanged32(const PixelView& dst, const PixelView& before) noexcept;

} // namespace ks

#pragma once
// The last step of painting a control into its cache bitmap: where the corners of its section's
// border image are key-coloured (rounded corners), the cache takes what lies behind the control,
// the parent's image at the control's place or the parent's colour. Skinned controls call it
// after painting their cache and before showing it.
//
// Nothing raises. A missing manager, border image, cache or owner, a control smaller than
// 2 x 2, an image with no cells or rows, and a parent image of another depth than 24 or 32 bits
// leave the cache as it was; nothing is read or written outside a bitmap.

class TsCommonData;

// Corner bits of PaintControlFrameSides.
inline constexpr int FrameTopLeft = 1;
inline constexpr int FrameBottomLeft = 2;
inline constexpr int FrameTopRight = 4;
inline constexpr int FrameBottomRight = 8;

// All four corners for the border image's cell of state (the last cell for a state past it).
void PaintControlFrame(TsCommonData& skinData, int state);
// The corners named by the bits of corners.
void PaintControlFrameSides(TsCommonData& skinData, int state, int corners);

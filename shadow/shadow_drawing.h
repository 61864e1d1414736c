// The shadow's picture: a ring of one colour whose alpha rises toward the
// window, on an otherwise fully transparent 32-bit picture. The two standard
// looks come from the ring pictures the program carries, drawn as nine
// slices; every other look is drawn ring by ring in code.
#pragma once

#include <windows.h>

#include "base/gdiplus_owners.h"
#include "shadow/shadow_geometry.h"

class ShadowPicture;

// 32-bit premultiplied pixels, as a layered window takes them: the top row
// at `top`, each next row `stride` bytes on (negative in a bottom-up DIB).
struct ShadowPixels {
    BYTE* top;
    int stride;
    int width;
    int height;
};

// The pixels of a bottom-up 32-bit DIB section of the given size.
ShadowPixels bottomUpPixels(void* bits, int width, int height);

// Draws the ring of the given colour and width (in 96-dpi units) for a
// display scale over the whole picture, which is fully transparent where
// nothing is drawn. The ring is toPixels(ringWidth, dpi) pixels wide; a
// standard look comes from its picture for that width: the 1x picture at 96
// dpi, the 2x one at 192, and in between the 2x one resized once with the
// program's own area averaging (the 1x one below 96 dpi), made once per
// width and kept.
void drawShadowPicture(const ShadowPixels& pixels, COLORREF colour, int ringWidth,
                       int dpi = 96);

// The standard ring's picture for a ring `ringPixels` wide; null when it
// cannot be decoded.
ShadowPicture* standardRingPicture(StandardRing ring, int ringPixels);

enum class SliceCentre { Draw, Skip };

// Draws a picture cut into nine slices over the rectangle `into`: corners
// unscaled, edges and (unless skipped) the centre stretched, in pixel units.
// The margin is nineSliceMargin's unless one is given.
void drawNineSlice(Gdiplus::GpGraphics* graphics, ShadowPicture& picture, SliceRect into,
                   SliceCentre centre = SliceCentre::Draw, int margin = 0);

// The outline of a rectangle with rounded corners of radius r (clamped to
// 1..100), as four quarter arcs clockwise from the top left; a plain
// rectangle when r is 0 or less. Empty when GDI+ cannot make the path.
GdipPath RoundRectPath(float x, float y, float w, float h, int r);

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

// Draws the ring of the given colour and width over the whole picture,
// which is fully transparent where nothing is drawn.
void drawShadowPicture(const ShadowPixels& pixels, COLORREF colour, int ringWidth);

enum class SliceCentre { Draw, Skip };

// Draws a picture cut into nine slices over the rectangle `into`: corners
// unscaled, edges and (unless skipped) the centre stretched, in pixel units.
void drawNineSlice(Gdiplus::GpGraphics* graphics, ShadowPicture& picture, SliceRect into,
                   SliceCentre centre = SliceCentre::Draw);

// The outline of a rectangle with rounded corners of radius r (clamped to
// 1..100), as four quarter arcs clockwise from the top left; a plain
// rectangle when r is 0 or less. Empty when GDI+ cannot make the path.
GdipPath RoundRectPath(float x, float y, float w, float h, int r);

// The pictures of the window framework: a form's background, decoded with
// GDI+, the slider strips with their masks, and the masked drawing they need.
#pragma once

#include <windows.h>

#include <memory>

#include "base/gdi_owners.h"

// A colour strip and its 1-bit mask: white in the mask is transparent, and
// the colour image is pure black there.
struct MaskedStrip {
    GdiBitmap image;
    GdiBitmap mask;
};

// The four strips a slider is drawn from.
struct SliderSkin {
    MaskedStrip lightBar;  // the track
    MaskedStrip darkBar;   // the fill from the left arrow to the thumb
    MaskedStrip arrows;    // 8 images: left arrow looks 0..3, right arrow looks 4..7
    MaskedStrip thumb;     // 16 images: look * 4 + piece
};

constexpr int kBarImageWidth = 60;
constexpr int kBarImageHeight = 13;
constexpr int kBarFixedColumns = 6;  // kept unscaled at each end of a bar
constexpr int kArrowImageWidth = 15;
constexpr int kThumbImageWidth = 10;
constexpr int kStripHeight = 13;

// A picture the executable carries as an RCDATA resource (a JPEG, say),
// decoded as a GDI bitmap; null if it is missing or GDI+ cannot decode it.
GdiBitmap loadPicture(int resourceId);

// The slider strips, loaded at the first call and shared by every caller
// that still holds them: all sliders look alike, so one set of bitmaps
// serves them all, and it is freed with the last holder.
std::shared_ptr<const SliderSkin> sharedSliderSkin(HINSTANCE instance);

// Draws the part (sx, sy, sw, sh) of a strip into (x, y, w, h), stretching
// it, and leaves the destination alone where the mask is white.
void drawMasked(HDC dc, int x, int y, int w, int h, const MaskedStrip& strip, int sx, int sy,
                int sw, int sh);

// Draws a bar strip into (x, y, w, h): its first and last kBarFixedColumns
// columns endWidth pixels wide each, the middle stretched to fill the rest.
// A bar too short for both ends shows the outer half of each.
void drawBar(HDC dc, int x, int y, int w, int h, int endWidth, const MaskedStrip& bar);

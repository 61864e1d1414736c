// The pictures of the window framework: a form's background, decoded with
// GDI+, the slider strips with their masks, and the masked drawing they need.
#pragma once

#include <windows.h>

#include <memory>

#include "base/gdi_owners.h"

// A colour strip and its mask: white in the mask is transparent, black
// opaque, and the colour image is pure black where it is transparent.
struct MaskedStrip {
    GdiBitmap image;
    GdiBitmap mask;
};

// The four strips a slider is drawn from, made for one display scale: an
// image of the design's width w (in 96-dpi units) is toPixels(w, dpi) pixels
// wide in them and toPixels(kStripHeight, dpi) high, side by side.
struct SliderSkin {
    MaskedStrip lightBar;  // the track
    MaskedStrip darkBar;   // the fill from the left arrow to the thumb
    MaskedStrip arrows;    // 8 images: left arrow looks 0..3, right arrow looks 4..7
    MaskedStrip thumb;     // 16 images: look * 4 + piece
    int dpi;
};

// The strips' design, in 96-dpi units.
constexpr int kBarImageWidth = 60;
constexpr int kBarFixedColumns = 6;  // kept unstretched at each end of a bar
constexpr int kArrowImageWidth = 15;
constexpr int kThumbImageWidth = 10;
constexpr int kStripHeight = 13;

// A picture the executable carries as an RCDATA resource (a JPEG, say),
// decoded as a GDI bitmap; null if it is missing or GDI+ cannot decode it.
GdiBitmap loadPicture(int resourceId);

// A picture made for one display scale, selected into a memory device
// context of its own, so that everyone who holds it can draw from it.
struct ScaledPicture {
    GdiBitmap bitmap;
    MemoryDc dc;
    std::unique_ptr<SelectedObject> selection;
    SIZE size{};
};

// A picture of the design size (96-dpi units) for a scale: the 1x picture
// at 96 dpi, the 2x one at 192; for every other scale the 2x one (the 1x
// below 96 dpi) resized once to the scale's size with the program's own
// area averaging, never the 1x picture enlarged. Made once per picture and
// scale and shared while anyone holds it; null when the picture cannot be
// decoded. Without a 2x picture (0) the 1x one serves every scale.
std::shared_ptr<const ScaledPicture> sharedPictureAt(int picture, int picture2x, SIZE designSize,
                                                     int dpi);

// The slider strips for a scale, made at the first call and shared by every
// caller that still holds them: all sliders look alike, so one set of
// bitmaps serves all those at a scale, and it is freed with the last holder.
// At 96 dpi they are the 1x strips, at 192 the 2x ones, and at every other
// scale the 2x ones resized image by image with the program's own area
// averaging (the mask's coverage cut at one half).
std::shared_ptr<const SliderSkin> sharedSliderSkin(HINSTANCE instance, int dpi);

// Where the design's columns [from, to) of image `image` lie in a strip of
// images `imageWidth` design units wide, in the skin's pixels: x and width.
POINT stripColumns(const SliderSkin& skin, int imageWidth, int image, int from, int to);

// Draws the part (sx, sy, sw, sh) of a strip into (x, y, w, h), stretching
// it, and leaves the destination alone where the mask is white.
void drawMasked(HDC dc, int x, int y, int w, int h, const MaskedStrip& strip, int sx, int sy,
                int sw, int sh);

// Draws a bar strip of the skin into (x, y, w, h), w and h in pixels at the
// skin's scale: its first and last kBarFixedColumns columns as they are, the
// middle stretched to fill the rest. A bar too short for both ends shows the
// outer half of each.
void drawBar(HDC dc, int x, int y, int w, int h, const SliderSkin& skin, const MaskedStrip& bar);

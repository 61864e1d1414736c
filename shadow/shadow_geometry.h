// The drop shadow as plain arithmetic: where the shadow window lies, which
// alpha each ring drawn in code gets, which standard picture serves a look,
// and how a picture is cut into nine slices. No window handles here.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

struct ShadowBox {
    int left;
    int top;
    int width;
    int height;
};

// The target's window rectangle grown by the ring width on every side. Far
// outside the screen's range the box saturates instead of wrapping around.
ShadowBox shadowBoxAround(const RECT& target, int ringWidth);

// The alpha step between rings drawn in code: trunc(100 / S) for S up to 8,
// trunc(150 / S) from 9 on, so a thin ring ends at most at 100 and a wide
// one at most at 150.
int ringAlphaStep(int ringWidth);

// The alpha of ring i = 1..S, counted from the outermost: step * i.
uint8_t ringAlpha(int ringWidth, int ring);

// A GDI colour value 0x00BBGGRR and an alpha as GDI+'s 0xAARRGGBB.
uint32_t ColorToArgb(COLORREF colour, uint8_t alpha);

// The two looks that come from a ring picture the program carries; every
// other look is drawn in code.
enum class StandardRing { None, FivePixels, TenPixels };

StandardRing standardRingFor(int ringWidth, COLORREF colour);

// The side of the standard ring pictures at 1x.
constexpr int kRingPictureSide = 100;

// The side of a standard ring's picture for a ring `ringPixels` wide on the
// screen: the picture is scaled as the ring is, so that its ramp ends just
// where the shadow window meets the window it lies around. 100 for the ring
// at its own width; 0 for no ring.
int ringPictureSide(StandardRing ring, int ringPixels);

// The unscaled margin of a nine-slice picture: 20 when both sides exceed 80
// pixels, 10 when both exceed 50, else 5.
int nineSliceMargin(int pictureWidth, int pictureHeight);

struct SliceRect {
    int x;
    int y;
    int width;
    int height;
};

struct Slice {
    SliceRect source;       // in the picture
    SliceRect destination;  // in the drawing
};

// The nine pieces of a (pictureWidth x pictureHeight) picture drawn into
// `into`: the four corners unscaled, the four edge strips stretched along
// their edge, the centre stretched both ways. Row by row from the top left.
// The margin is nineSliceMargin's unless given (above 0): a picture
// resized for a display scale keeps the margin its 1x picture has, resized.
std::array<Slice, 9> nineSlices(int pictureWidth, int pictureHeight, SliceRect into,
                                int margin = 0);

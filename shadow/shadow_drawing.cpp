#include "shadow/shadow_drawing.h"

#include <algorithm>

#include "app/program_state.h"
#include "base/embedded_data.h"
#include "base/gdi_owners.h"
#include "shadow/shadow_picture.h"
#include "shadow/shadow_resources.h"
#include "ui/area_resample.h"
#include "ui/display_scale.h"

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

constexpr int kRingCornerRadius = 4;
constexpr int kLargestCornerRadius = 100;
constexpr REAL kRingPenWidth = 1.0f;

// A picture the executable carries, decoded into the holder if it has none.
bool loadRing(ShadowPicture& picture, int resourceId) {
    if (!picture.image()) {
        const EmbeddedBlock block = lockEmbeddedBlock(resourceId);
        picture.loadFromBytes(block.data, block.size);
    }
    return picture.image() != nullptr;
}

// S rounded outlines one pixel apart, from the faintest at the picture's
// edge to the darkest next to the window. The window's own rectangle is cut
// out of the drawing, so the rounded corners of the inner rings cannot
// reach into it.
void drawRings(GpGraphics* graphics, int width, int height, COLORREF colour, int ringWidth) {
    const int s = ringWidth;
    GdiRegion window(CreateRectRgn(s, s, width - s, height - s));
    if (window) GdipSetClipHrgn(graphics, window.get(), CombineModeExclude);
    GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
    GdipSetCompositingQuality(graphics, CompositingQualityAssumeLinear);
    for (int i = 1; i <= s; ++i) {
        const int ringW = width - 2 * i + 1;
        const int ringH = height - 2 * i + 1;
        if (ringW < 1 || ringH < 1) break;  // the rings have met in the middle
        GdipPen pen;
        GdipCreatePen1(ColorToArgb(colour, ringAlpha(s, i)), kRingPenWidth, UnitPixel, pen.put());
        const GdipPath path = RoundRectPath(static_cast<REAL>(i - 1), static_cast<REAL>(i - 1),
                                            static_cast<REAL>(ringW), static_cast<REAL>(ringH),
                                            kRingCornerRadius);
        if (pen && path) GdipDrawPath(graphics, pen.get(), path.get());
    }
    GdipResetClip(graphics);
}

}  // namespace

ShadowPicture* standardRingPicture(StandardRing ring, int ringPixels) {
    // A picture that fails to load draws nothing, and the load is tried
    // again next time.
    ProgramState& state = programState();
    const bool five = ring == StandardRing::FivePixels;
    const int side = ringPictureSide(ring, ringPixels);
    if (side <= 0) return nullptr;
    ShadowPicture& once = five ? state.shadowRing5 : state.shadowRing10;
    if (side == kRingPictureSide)
        return loadRing(once, five ? IDR_SHADOW_RING5 : IDR_SHADOW_RING10) ? &once : nullptr;
    ShadowPicture& made = state.scaledShadowRings[{five ? 5 : 10, side}];
    if (made.image()) return &made;
    ShadowPicture twice;
    const bool larger = side > kRingPictureSide;
    if (larger && !loadRing(twice, five ? IDR_SHADOW_RING5_2X : IDR_SHADOW_RING10_2X))
        return nullptr;
    if (!larger && !loadRing(once, five ? IDR_SHADOW_RING5 : IDR_SHADOW_RING10)) return nullptr;
    ShadowPicture& source = larger ? twice : once;
    if (static_cast<int>(source.width()) == side) {
        if (!made.loadFromPixels(source.pixels())) return nullptr;
    } else if (!made.loadFromPixels(resampleByArea(source.pixels(), side, side))) {
        return nullptr;
    }
    return &made;
}

ShadowPixels bottomUpPixels(void* bits, int width, int height) {
    const int stride = width * 4;
    BYTE* first = static_cast<BYTE*>(bits);
    return ShadowPixels{first + static_cast<ptrdiff_t>(height - 1) * stride, -stride, width,
                        height};
}

void drawShadowPicture(const ShadowPixels& pixels, COLORREF colour, int ringWidth, int dpi) {
    const int width = pixels.width;
    const int height = pixels.height;
    if (!pixels.top || width <= 0 || height <= 0 || ringWidth < 1) return;
    // GDI+ draws straight into the pixels, premultiplied: the alpha is
    // written as drawn, and nothing takes a detour through a GDI device
    // context, which costs several times as long.
    GdipBitmap canvas;
    if (GdipCreateBitmapFromScan0(width, height, pixels.stride, PixelFormat32bppPARGB, pixels.top,
                                  canvas.put()) != Ok)
        return;
    GdipGraphics context;
    if (GdipGetImageGraphicsContext(canvas.get(), context.put()) != Ok) return;
    GpGraphics* graphics = context.get();
    const int ringPixels = toPixels(ringWidth, dpi);
    if (ringPixels < 1) return;
    const StandardRing standard = standardRingFor(ringWidth, colour);
    if (standard != StandardRing::None) {
        ShadowPicture* picture = standardRingPicture(standard, ringPixels);
        if (!picture) return;
        // The slices' margin grows with the picture.
        const int side = static_cast<int>(picture->width());
        const int margin = MulDiv(nineSliceMargin(kRingPictureSide, kRingPictureSide), side,
                                  kRingPictureSide);
        // A ring's edges are the same all along, so the nearest pixel is the
        // exact one, and the cheapest. Its centre is empty and lies over the
        // window, where the shadow stays fully transparent: stretching it
        // would change no pixel and cost most of an update.
        GdipSetInterpolationMode(graphics, InterpolationModeNearestNeighbor);
        drawNineSlice(graphics, *picture, SliceRect{0, 0, width, height}, SliceCentre::Skip,
                      margin);
        return;
    }
    drawRings(graphics, width, height, colour, ringPixels);
}

void drawNineSlice(GpGraphics* graphics, ShadowPicture& picture, SliceRect into,
                   SliceCentre centre, int margin) {
    constexpr size_t kCentre = 4;
    const int pictureWidth = static_cast<int>(picture.width());
    const int pictureHeight = static_cast<int>(picture.height());
    const auto slices = nineSlices(pictureWidth, pictureHeight, into, margin);
    for (size_t piece = 0; piece < slices.size(); ++piece) {
        if (piece == kCentre && centre == SliceCentre::Skip) continue;
        const Slice& slice = slices[piece];
        const SliceRect& from = slice.source;
        const SliceRect& to = slice.destination;
        if (from.width <= 0 || from.height <= 0 || to.width <= 0 || to.height <= 0) continue;
        GdipDrawImageRectRect(graphics, picture.image(), static_cast<REAL>(to.x),
                              static_cast<REAL>(to.y), static_cast<REAL>(to.width),
                              static_cast<REAL>(to.height), static_cast<REAL>(from.x),
                              static_cast<REAL>(from.y), static_cast<REAL>(from.width),
                              static_cast<REAL>(from.height), UnitPixel, nullptr, nullptr,
                              nullptr);
    }
}

GdipPath RoundRectPath(float x, float y, float w, float h, int r) {
    GdipPath path;
    if (GdipCreatePath(FillModeAlternate, path.put()) != Ok) return {};
    if (r <= 0) {
        GdipAddPathRectangle(path.get(), x, y, w, h);
        return path;
    }
    const REAL d = static_cast<REAL>(2 * std::clamp(r, 1, kLargestCornerRadius));
    GdipAddPathArc(path.get(), x, y, d, d, 180, 90);                  // top left
    GdipAddPathArc(path.get(), x + w - d, y, d, d, 270, 90);          // top right
    GdipAddPathArc(path.get(), x + w - d, y + h - d, d, d, 0, 90);    // bottom right
    GdipAddPathArc(path.get(), x, y + h - d, d, d, 90, 90);           // bottom left
    GdipClosePathFigure(path.get());
    return path;
}

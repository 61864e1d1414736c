#include "overlay/blur.h"

#include "app/gdiplus_api.h"

#include <memory>
#include <type_traits>

#include "ui/gdi.h"

namespace {

namespace gdip = Gdiplus::DllExports;

constexpr double kDefaultRadius = 2;
constexpr int kFallbackDivisor = 6;

struct ImageDisposer {
    void operator()(Gdiplus::GpImage* image) const { gdip::GdipDisposeImage(image); }
};
struct GraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* graphics) const { gdip::GdipDeleteGraphics(graphics); }
};
struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using Image = std::unique_ptr<Gdiplus::GpBitmap, ImageDisposer>;
using Graphics = std::unique_ptr<Gdiplus::GpGraphics, GraphicsDeleter>;
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// 32 bits a pixel, top row first, so a row is width * 4 bytes.
BITMAPINFOHEADER topDownHeader(int width, int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}

// Draws the whole of one image over the whole of another with the softest
// filtering GDI+ offers. False when GDI+ fails.
bool drawScaled(Gdiplus::GpBitmap* from, SIZE fromSize, Gdiplus::GpBitmap* onto, SIZE ontoSize) {
    Gdiplus::GpGraphics* raw = nullptr;
    if (gdip::GdipGetImageGraphicsContext(onto, &raw) != Gdiplus::Ok) return false;
    Graphics graphics(raw);
    gdip::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    gdip::GdipSetCompositingQuality(graphics.get(), Gdiplus::CompositingQualityGammaCorrected);
    gdip::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBilinear);
    gdip::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeDefault);
    return gdip::GdipDrawImageRectRect(
               graphics.get(), from, 0, 0, static_cast<Gdiplus::REAL>(ontoSize.cx),
               static_cast<Gdiplus::REAL>(ontoSize.cy), 0, 0,
               static_cast<Gdiplus::REAL>(fromSize.cx), static_cast<Gdiplus::REAL>(fromSize.cy),
               Gdiplus::UnitPixel, nullptr, nullptr, nullptr) == Gdiplus::Ok;
}

}  // namespace

SIZE blurShrunkSize(int width, int height, double radius) {
    if (radius < 1) radius = kDefaultRadius;
    const int factor = static_cast<int>(radius * 2);
    return SIZE{width / factor, height / factor};
}

HBITMAP createPictureBitmap(int width, int height, void** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader = topDownHeader(width, height);
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool blurPixels(void* bits, int width, int height, int stride, double radius) {
    const SIZE full{width, height};
    const SIZE shrunk = blurShrunkSize(width, height, radius);
    if (!bits || width <= 0 || height <= 0 || shrunk.cx == 0 || shrunk.cy == 0) return false;
    // GDI+ works on the pixels where they are: no copy in, no copy out.
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppRGB,
                                        static_cast<BYTE*>(bits), &raw) != Gdiplus::Ok)
        return false;
    Image picture(raw);
    raw = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(shrunk.cx, shrunk.cy, 0, PixelFormat32bppRGB, nullptr,
                                        &raw) != Gdiplus::Ok)
        return false;
    Image small(raw);
    // The picture is written only by the second drawing, as a whole.
    return drawScaled(picture.get(), full, small.get(), shrunk) &&
           drawScaled(small.get(), shrunk, picture.get(), full);
}

HBITMAP BlurBitmap(HBITMAP picture, double radius) {
    if (!picture) return nullptr;
    BITMAP info{};
    if (!GetObjectW(picture, sizeof(info), &info)) return nullptr;
    void* bits = nullptr;
    OwnedBitmap copy(createPictureBitmap(info.bmWidth, info.bmHeight, &bits));
    if (!copy) return nullptr;
    BITMAPINFO format{};
    format.bmiHeader = topDownHeader(info.bmWidth, info.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, picture, 0, static_cast<UINT>(info.bmHeight), bits, &format,
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight || !blurPixels(bits, info.bmWidth, info.bmHeight, info.bmWidth * 4,
                                            radius))
        return nullptr;
    return copy.release();
}

bool halftoneBlur(HDC picture, int width, int height) {
    const int smallWidth = width / kFallbackDivisor;
    const int smallHeight = height / kFallbackDivisor;
    // Stretching to nothing and back would leave the picture undefined.
    if (smallWidth == 0 || smallHeight == 0) return false;
    MemoryDc small(picture);
    GdiBitmap smallBitmap(CreateCompatibleBitmap(picture, smallWidth, smallHeight));
    if (!small.get() || !smallBitmap) return false;
    SelectedObject selected(small.get(), smallBitmap.get());
    // Halftone stretching reads the brush origin; it is set as the mode asks.
    SetStretchBltMode(small.get(), HALFTONE);
    SetBrushOrgEx(small.get(), 0, 0, nullptr);
    StretchBlt(small.get(), 0, 0, smallWidth, smallHeight, picture, 0, 0, width, height, SRCCOPY);
    const int oldMode = SetStretchBltMode(picture, HALFTONE);
    SetBrushOrgEx(picture, 0, 0, nullptr);
    StretchBlt(picture, 0, 0, width, height, small.get(), 0, 0, smallWidth, smallHeight, SRCCOPY);
    SetStretchBltMode(picture, oldMode);
    return true;
}

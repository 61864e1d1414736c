#include "ui/pictures.h"

#include <cstring>
#include <map>
#include <utility>

#include "base/embedded_data.h"
#include "base/gdiplus_owners.h"
#include "base/unique_handle.h"
#include "ui/area_resample.h"
#include "ui/display_scale.h"
#include "ui/resources.h"

namespace {

GdiBitmap loadBitmapResource(HINSTANCE instance, int id) {
    return GdiBitmap(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
}

MaskedStrip loadStrip(HINSTANCE instance, int imageId, int maskId) {
    return MaskedStrip{loadBitmapResource(instance, imageId),
                       loadBitmapResource(instance, maskId)};
}

// A 32-bit bitmap info header for pixels top row first.
BITMAPINFO topDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

Pixels pixelsOf(HBITMAP bitmap) {
    BITMAP shape{};
    Pixels pixels;
    if (!GetObjectW(bitmap, sizeof(shape), &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0)
        return pixels;
    pixels.width = shape.bmWidth;
    pixels.height = shape.bmHeight;
    pixels.data.resize(static_cast<size_t>(pixels.width) * pixels.height);
    BITMAPINFO info = topDownInfo(pixels.width, pixels.height);
    const WindowDc screen = windowDc(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, pixels.height, pixels.data.data(), &info,
                  DIB_RGB_COLORS) != pixels.height)
        return Pixels{};
    return pixels;
}

GdiBitmap bitmapOf(const Pixels& pixels) {
    BITMAPINFO info = topDownInfo(pixels.width, pixels.height);
    void* bits = nullptr;
    GdiBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits) std::memcpy(bits, pixels.data.data(), pixels.data.size() * 4);
    return bitmap;
}

// One image of a 2x strip at a scale. The colour strip is black where the
// mask is transparent, so the mean colour over an area is the opaque part's
// colour times its coverage: divided by that, the edge keeps its colour.
void resizeImage(const Pixels& colour, const Pixels& mask, int x2x, int width2x, Pixels& colourOut,
                 Pixels& maskOut, int xOut, int widthOut) {
    Pixels image{width2x, colour.height, {}};
    image.data.reserve(static_cast<size_t>(width2x) * colour.height);
    for (int y = 0; y < colour.height; ++y) {
        for (int x = x2x; x < x2x + width2x; ++x) {
            const size_t at = static_cast<size_t>(y) * colour.width + x;
            const bool opaque = (mask.data[at] & 0xFFFFFF) == 0;
            image.data.push_back((colour.data[at] & 0xFFFFFF) | (opaque ? 0xFF000000u : 0));
        }
    }
    const Pixels resized = resampleByArea(image, widthOut, colourOut.height);
    for (int y = 0; y < resized.height; ++y) {
        for (int x = 0; x < resized.width; ++x) {
            const uint32_t pixel = resized.data[static_cast<size_t>(y) * resized.width + x];
            const uint32_t coverage = pixel >> 24;
            const size_t at = static_cast<size_t>(y) * colourOut.width + xOut + x;
            if (coverage < 128) {
                colourOut.data[at] = 0;
                maskOut.data[at] = 0xFFFFFF;
                continue;
            }
            uint32_t opaque = 0;
            for (int c = 0; c < 3; ++c) {
                const uint32_t value = (((pixel >> (8 * c)) & 0xFF) * 255 + coverage / 2) / coverage;
                opaque |= (value > 255 ? 255 : value) << (8 * c);
            }
            colourOut.data[at] = opaque;
            maskOut.data[at] = 0;
        }
    }
}

// A 2x strip of `count` images, each `imageWidth` design units wide, at a
// scale.
MaskedStrip stripAt(const MaskedStrip& strip2x, int imageWidth, int count, int dpi) {
    const Pixels colour = pixelsOf(strip2x.image.get());
    const Pixels mask = pixelsOf(strip2x.mask.get());
    const int width = toPixels(imageWidth, dpi);
    const int height = toPixels(kStripHeight, dpi);
    if (colour.data.empty() || mask.width != colour.width || mask.height != colour.height ||
        width <= 0 || height <= 0)
        return {};
    Pixels colourOut{width * count, height, {}};
    colourOut.data.resize(static_cast<size_t>(colourOut.width) * height);
    Pixels maskOut = colourOut;
    for (int image = 0; image < count; ++image)
        resizeImage(colour, mask, image * 2 * imageWidth, 2 * imageWidth, colourOut, maskOut,
                    image * width, width);
    return MaskedStrip{bitmapOf(colourOut), bitmapOf(maskOut)};
}

GdiBitmap pictureAt(int picture, int picture2x, SIZE designSize, int dpi) {
    const SIZE size{toPixels(designSize.cx, dpi), toPixels(designSize.cy, dpi)};
    const SIZE size2x{2 * designSize.cx, 2 * designSize.cy};
    if (dpi == kDesignDpi || !picture2x) return loadPicture(picture);
    if (size.cx == size2x.cx && size.cy == size2x.cy) return loadPicture(picture2x);
    GdiBitmap original = loadPicture(dpi < kDesignDpi ? picture : picture2x);
    if (!original) return {};
    return bitmapOf(resampleByArea(pixelsOf(original.get()), size.cx, size.cy));
}

}  // namespace

GdiBitmap loadPicture(int resourceId) {
    if (resourceId == 0) return {};
    const EmbeddedBlock block = lockEmbeddedBlock(resourceId);
    if (!block || block.size == 0) return {};
    const size_t size = block.size;

    // GDI+ decodes from a stream; the stream owns a movable copy of the bytes
    // and frees it when released.
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return {};
    void* target = GlobalLock(memory.get());
    if (!target) return {};
    std::memcpy(target, block.data, size);
    GlobalUnlock(memory.get());
    ComPointer<IStream> stream;
    if (CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()) != S_OK) return {};
    (void)memory.release();  // the stream's now
    GdipBitmap image;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), image.put()) !=
        Gdiplus::Ok)
        return {};
    HBITMAP bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image.get(), &bitmap, 0) !=
        Gdiplus::Ok)
        return {};
    return GdiBitmap(bitmap);
}

std::shared_ptr<const ScaledPicture> sharedPictureAt(int picture, int picture2x, SIZE designSize,
                                                     int dpi) {
    // Only the GUI thread draws, so the cache needs no lock.
    static std::map<std::pair<int, int>, std::weak_ptr<const ScaledPicture>> made;
    std::weak_ptr<const ScaledPicture>& slot = made[{picture, dpi}];
    std::shared_ptr<const ScaledPicture> shared = slot.lock();
    if (shared) return shared;
    auto scaledPicture = std::make_shared<ScaledPicture>();
    scaledPicture->bitmap = pictureAt(picture, picture2x, designSize, dpi);
    if (!scaledPicture->bitmap) return nullptr;
    BITMAP shape{};
    GetObjectW(scaledPicture->bitmap.get(), sizeof(shape), &shape);
    scaledPicture->size = SIZE{shape.bmWidth, shape.bmHeight};
    scaledPicture->dc = MemoryDc(nullptr);
    scaledPicture->selection = std::make_unique<SelectedObject>(scaledPicture->dc.get(),
                                                                scaledPicture->bitmap.get());
    slot = scaledPicture;
    return scaledPicture;
}

std::shared_ptr<const SliderSkin> sharedSliderSkin(HINSTANCE instance, int dpi) {
    // Only the GUI thread makes sliders, so the cache needs no lock.
    static std::map<int, std::weak_ptr<const SliderSkin>> made;
    std::weak_ptr<const SliderSkin>& slot = made[dpi];
    std::shared_ptr<const SliderSkin> skin = slot.lock();
    if (skin) return skin;
    if (dpi == kDesignDpi) {
        skin = std::make_shared<const SliderSkin>(
            SliderSkin{loadStrip(instance, IDB_BAR_LIGHT, IDB_BAR_LIGHT_MASK),
                       loadStrip(instance, IDB_BAR_DARK, IDB_BAR_DARK_MASK),
                       loadStrip(instance, IDB_ARROWS, IDB_ARROWS_MASK),
                       loadStrip(instance, IDB_THUMB, IDB_THUMB_MASK), dpi});
    } else if (dpi == 2 * kDesignDpi) {
        skin = std::make_shared<const SliderSkin>(
            SliderSkin{loadStrip(instance, IDB_BAR_LIGHT_2X, IDB_BAR_LIGHT_2X_MASK),
                       loadStrip(instance, IDB_BAR_DARK_2X, IDB_BAR_DARK_2X_MASK),
                       loadStrip(instance, IDB_ARROWS_2X, IDB_ARROWS_2X_MASK),
                       loadStrip(instance, IDB_THUMB_2X, IDB_THUMB_2X_MASK), dpi});
    } else {
        const std::shared_ptr<const SliderSkin> twice = sharedSliderSkin(instance, 2 * kDesignDpi);
        skin = std::make_shared<const SliderSkin>(
            SliderSkin{stripAt(twice->lightBar, kBarImageWidth, 1, dpi),
                       stripAt(twice->darkBar, kBarImageWidth, 1, dpi),
                       stripAt(twice->arrows, kArrowImageWidth, 8, dpi),
                       stripAt(twice->thumb, kThumbImageWidth, 16, dpi), dpi});
    }
    slot = skin;
    return skin;
}

POINT stripColumns(const SliderSkin& skin, int imageWidth, int image, int from, int to) {
    const int left = image * toPixels(imageWidth, skin.dpi) + toPixels(from, skin.dpi);
    return POINT{left, image * toPixels(imageWidth, skin.dpi) + toPixels(to, skin.dpi) - left};
}

void drawMasked(HDC dc, int x, int y, int w, int h, const MaskedStrip& strip, int sx, int sy,
                int sw, int sh) {
    if (w <= 0 || h <= 0 || !strip.image || !strip.mask) return;
    // A slider's part repaints the whole slider into a buffer of its own
    // size: only the pieces that fall on it are worth the blits.
    const RECT target{x, y, x + w, y + h};
    if (!RectVisible(dc, &target)) return;
    MemoryDc source(dc);
    // A monochrome source maps white to the background colour and black to
    // the text colour of the destination.
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    SetStretchBltMode(dc, COLORONCOLOR);
    {
        SelectedObject mask(source.get(), strip.mask.get());
        StretchBlt(dc, x, y, w, h, source.get(), sx, sy, sw, sh, SRCAND);
    }
    {
        SelectedObject image(source.get(), strip.image.get());
        StretchBlt(dc, x, y, w, h, source.get(), sx, sy, sw, sh, SRCPAINT);
    }
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

void drawBar(HDC dc, int x, int y, int w, int h, const SliderSkin& skin, const MaskedStrip& bar) {
    const int fixed = toPixels(kBarFixedColumns, skin.dpi);
    const int image = toPixels(kBarImageWidth, skin.dpi);
    const int rows = toPixels(kStripHeight, skin.dpi);
    if (w <= 0 || fixed <= 0) return;
    const int end = w < 2 * fixed ? w / 2 : fixed;
    drawMasked(dc, x, y, end, h, bar, 0, 0, end, rows);
    drawMasked(dc, x + end, y, w - 2 * end, h, bar, fixed, 0, image - 2 * fixed, rows);
    drawMasked(dc, x + w - end, y, end, h, bar, image - end, 0, end, rows);
}

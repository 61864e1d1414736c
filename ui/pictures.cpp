#include "ui/pictures.h"

#include <cstring>

#include "base/embedded_data.h"
#include "base/gdiplus_owners.h"
#include "base/unique_handle.h"
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

std::shared_ptr<const SliderSkin> sharedSliderSkin(HINSTANCE instance) {
    // Only the GUI thread makes sliders, so the cache needs no lock.
    static std::weak_ptr<const SliderSkin> shared;
    std::shared_ptr<const SliderSkin> skin = shared.lock();
    if (skin) return skin;
    skin = std::make_shared<const SliderSkin>(
        SliderSkin{loadStrip(instance, IDB_BAR_LIGHT, IDB_BAR_LIGHT_MASK),
                   loadStrip(instance, IDB_BAR_DARK, IDB_BAR_DARK_MASK),
                   loadStrip(instance, IDB_ARROWS, IDB_ARROWS_MASK),
                   loadStrip(instance, IDB_THUMB, IDB_THUMB_MASK)});
    shared = skin;
    return skin;
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

void drawBar(HDC dc, int x, int y, int w, int h, int endWidth, const MaskedStrip& bar) {
    if (w <= 0 || endWidth <= 0) return;
    const int end = w < 2 * endWidth ? w / 2 : endWidth;
    const int sourceEnd = MulDiv(end, kBarFixedColumns, endWidth);
    const int middleSource = kBarImageWidth - 2 * kBarFixedColumns;
    drawMasked(dc, x, y, end, h, bar, 0, 0, sourceEnd, kBarImageHeight);
    drawMasked(dc, x + end, y, w - 2 * end, h, bar, kBarFixedColumns, 0, middleSource,
               kBarImageHeight);
    drawMasked(dc, x + w - end, y, end, h, bar, kBarImageWidth - sourceEnd, 0, sourceEnd,
               kBarImageHeight);
}

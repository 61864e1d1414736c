#include "shadow/shadow_picture.h"

#include <cstring>
#include <utility>

namespace {

// A PNG signature alone is eight bytes; four or fewer cannot be a picture.
constexpr size_t kSmallestPicture = 5;

}  // namespace

bool ShadowPicture::loadFromBytes(const void* data, size_t size) {
    release();
    if (!data || size < kSmallestPicture) return false;
    memory_.reset(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory_) return false;
    // The memory stays ours: the stream must not free it when released.
    if (CreateStreamOnHGlobal(memory_.get(), FALSE, stream_.put()) != S_OK) {
        release();
        return false;
    }
    void* target = GlobalLock(memory_.get());
    if (!target) {
        release();
        return false;
    }
    std::memcpy(target, data, size);
    GlobalUnlock(memory_.get());
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream_.get(), &bitmap) != Gdiplus::Ok ||
        !bitmap) {
        release();
        return false;
    }
    image_.reset(bitmap);
    return true;
}

bool ShadowPicture::loadFromPixels(Pixels pixels) {
    release();
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.data.size() != static_cast<size_t>(pixels.width) * pixels.height)
        return false;
    own_ = std::move(pixels.data);
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(
            pixels.width, pixels.height, pixels.width * 4, PixelFormat32bppARGB,
            reinterpret_cast<BYTE*>(own_.data()), &bitmap) != Gdiplus::Ok ||
        !bitmap) {
        release();
        return false;
    }
    image_.reset(bitmap);
    return true;
}

Pixels ShadowPicture::pixels() {
    Pixels result;
    const int w = static_cast<int>(width());
    const int h = static_cast<int>(height());
    if (w <= 0 || h <= 0) return result;
    auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(image_.get());
    Gdiplus::Rect whole{0, 0, w, h};
    Gdiplus::BitmapData data{};
    if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap, &whole, Gdiplus::ImageLockModeRead,
                                                 PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return result;
    result.width = w;
    result.height = h;
    result.data.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(&result.data[static_cast<size_t>(y) * w],
                    static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
                    static_cast<size_t>(w) * 4);
    Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap, &data);
    return result;
}

UINT ShadowPicture::width() {
    fetchSize();
    return width_;
}

UINT ShadowPicture::height() {
    fetchSize();
    return height_;
}

void ShadowPicture::fetchSize() {
    if (!image_ || (width_ != 0 && height_ != 0)) return;
    Gdiplus::DllExports::GdipGetImageWidth(image_.get(), &width_);
    Gdiplus::DllExports::GdipGetImageHeight(image_.get(), &height_);
}

void ShadowPicture::release() {
    image_.reset();
    stream_.reset();
    memory_.reset();
    std::vector<uint32_t>().swap(own_);
    width_ = 0;
    height_ = 0;
}

#include "shadow/shadow_picture.h"

#include <cstring>

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
    width_ = 0;
    height_ = 0;
}

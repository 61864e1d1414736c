// The holder of one standard ring picture: decoded once from the bytes the
// executable carries, kept for the rest of the run, released at exit.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/gdiplus_owners.h"
#include "base/unique_handle.h"

class ShadowPicture {
public:
    ShadowPicture() = default;
    ~ShadowPicture() { release(); }
    ShadowPicture(const ShadowPicture&) = delete;
    ShadowPicture& operator=(const ShadowPicture&) = delete;

    // Decodes a picture from a copy of the bytes; any earlier picture is
    // released first. Four bytes or fewer are refused. True when an image
    // was obtained.
    bool loadFromBytes(const void* data, size_t size);

    // The decoded image, or null.
    Gdiplus::GpImage* image() const { return image_.get(); }

    // Read from the image on the first request and kept; 0 without one.
    UINT width();
    UINT height();

    // Gives back the image, then the stream, then the memory under it.
    void release();

private:
    void fetchSize();

    // GDI+ reads the stream again whenever it needs pixels, so the memory and
    // the stream live as long as the image.
    GlobalMemory memory_;
    ComPointer<IStream> stream_;
    GdipImage image_;
    UINT width_ = 0;
    UINT height_ = 0;
};

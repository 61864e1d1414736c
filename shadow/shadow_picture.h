// The holder of one standard ring picture: decoded once from the bytes the
// executable carries, or made from pixels (a ring resized for a display
// scale), kept for the rest of the run, released at exit.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/gdiplus_owners.h"
#include "base/unique_handle.h"
#include "ui/area_resample.h"

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

    // Takes 32-bit pixels with straight alpha (0xAARRGGBB) as the picture;
    // any earlier picture is released first. True when an image was made.
    bool loadFromPixels(Pixels pixels);

    // The picture's pixels as 0xAARRGGBB, top row first; empty without an
    // image.
    Pixels pixels();

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
    // A picture made from pixels draws from this memory.
    std::vector<uint32_t> own_;
    UINT width_ = 0;
    UINT height_ = 0;
};

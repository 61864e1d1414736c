// An off-screen picture of a window's client area for one repaint.
#pragma once

#include <windows.h>

#include "base/gdi_owners.h"

// Everything is drawn into it and then copied to the screen in one blit, so
// a repaint never shows a half-drawn state.
class BufferedPaint {
public:
    BufferedPaint(HDC target, int width, int height);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;

    HDC dc() const { return memory_.get(); }

private:
    HDC target_;
    int width_;
    int height_;
    MemoryDc memory_;
    GdiBitmap bitmap_;
    SelectedObject selected_;
};

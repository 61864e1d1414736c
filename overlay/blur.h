// The mask's blur: a picture shrunk to a quarter of its size in each
// direction and enlarged back, which is much cheaper than a convolution and
// soft enough behind a message. Each small pixel is the mean of its block of
// the picture and the enlarge is bilinear, done here on the pixels, so the
// picture is the same soft one on every system (a library's shrink may
// sample its blocks instead of averaging them, which leaves a mosaic). A
// picture with a side shorter than a block stays sharp.
#pragma once

#include <windows.h>

// The size a picture is shrunk to: each side divided by trunc(radius * 2),
// truncated. A radius below 1 counts as 2, which gives a quarter.
SIZE blurShrunkSize(int width, int height, double radius);

// A width x height picture of 32-bit pixels, top row first, that GDI draws
// into and the blur works on in place; null for an empty size. The caller
// owns the bitmap; *bits points at its pixels while it lives.
HBITMAP createPictureBitmap(int width, int height, void** bits);

// Blurs 32-bit pixels (top row first, stride bytes apart) in place; the
// fourth byte of each pixel comes out 0. False, and the pixels left as they
// were, when the shrunken size is 0 in either direction. GDI's drawing into
// the pixels must have been flushed (GdiFlush) before.
bool blurPixels(void* bits, int width, int height, int stride, double radius = 0);

#include "ui/buffered_paint.h"

BufferedPaint::BufferedPaint(HDC target, int width, int height)
    : target_(target),
      width_(width),
      height_(height),
      memory_(target),
      bitmap_(CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)),
      selected_(memory_.get(), bitmap_.get()) {}

BufferedPaint::~BufferedPaint() {
    BitBlt(target_, 0, 0, width_, height_, memory_.get(), 0, 0, SRCCOPY);
}

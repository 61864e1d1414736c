// The GDI+ flat functions the program calls, defined here under their own
// names so that the program imports nothing from gdiplus.dll: each finds its
// counterpart in the system's copy on its first call. Should that be
// missing, the call fails as GDI+ reports a failure, and the picture it was
// for is not drawn.
#include "base/gdiplus_api.h"
#include "base/system_library.h"

namespace Gdiplus {

// The body of every forwarding function: the system's function, found once.
#define HEYU_FORWARD_TO_SYSTEM(name, ...)                                                  \
    static const auto system = systemFunctionOf<decltype(&name)>(SystemDll::GdiPlus, #name); \
    return system ? system(__VA_ARGS__) : GenericError

extern "C" {

GpStatus WINGDIPAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                                   GdiplusStartupOutput* output) {
    HEYU_FORWARD_TO_SYSTEM(GdiplusStartup, token, input, output);
}

}  // extern "C"

namespace DllExports {
extern "C" {

GpStatus WINGDIPAPI GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
    HEYU_FORWARD_TO_SYSTEM(GdipCreateBitmapFromStream, stream, bitmap);
}

GpStatus WINGDIPAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride,
                                              PixelFormat format, BYTE* pixels,
                                              GpBitmap** bitmap) {
    HEYU_FORWARD_TO_SYSTEM(GdipCreateBitmapFromScan0, width, height, stride, format, pixels,
                           bitmap);
}

GpStatus WINGDIPAPI GdipBitmapLockBits(GpBitmap* bitmap, GDIPCONST GpRect* rect, UINT flags,
                                       PixelFormat format, BitmapData* data) {
    HEYU_FORWARD_TO_SYSTEM(GdipBitmapLockBits, bitmap, rect, flags, format, data);
}

GpStatus WINGDIPAPI GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data) {
    HEYU_FORWARD_TO_SYSTEM(GdipBitmapUnlockBits, bitmap, data);
}

GpStatus WINGDIPAPI GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* result,
                                                ARGB background) {
    HEYU_FORWARD_TO_SYSTEM(GdipCreateHBITMAPFromBitmap, bitmap, result, background);
}

GpStatus WINGDIPAPI GdipGetImageWidth(GpImage* image, UINT* width) {
    HEYU_FORWARD_TO_SYSTEM(GdipGetImageWidth, image, width);
}

GpStatus WINGDIPAPI GdipGetImageHeight(GpImage* image, UINT* height) {
    HEYU_FORWARD_TO_SYSTEM(GdipGetImageHeight, image, height);
}

GpStatus WINGDIPAPI GdipDisposeImage(GpImage* image) {
    HEYU_FORWARD_TO_SYSTEM(GdipDisposeImage, image);
}

GpStatus WINGDIPAPI GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
    HEYU_FORWARD_TO_SYSTEM(GdipGetImageGraphicsContext, image, graphics);
}

GpStatus WINGDIPAPI GdipDeleteGraphics(GpGraphics* graphics) {
    HEYU_FORWARD_TO_SYSTEM(GdipDeleteGraphics, graphics);
}

GpStatus WINGDIPAPI GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
    HEYU_FORWARD_TO_SYSTEM(GdipSetSmoothingMode, graphics, mode);
}

GpStatus WINGDIPAPI GdipSetCompositingQuality(GpGraphics* graphics, CompositingQuality quality) {
    HEYU_FORWARD_TO_SYSTEM(GdipSetCompositingQuality, graphics, quality);
}

GpStatus WINGDIPAPI GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
    HEYU_FORWARD_TO_SYSTEM(GdipSetInterpolationMode, graphics, mode);
}

GpStatus WINGDIPAPI GdipSetClipHrgn(GpGraphics* graphics, HRGN region, CombineMode mode) {
    HEYU_FORWARD_TO_SYSTEM(GdipSetClipHrgn, graphics, region, mode);
}

GpStatus WINGDIPAPI GdipResetClip(GpGraphics* graphics) {
    HEYU_FORWARD_TO_SYSTEM(GdipResetClip, graphics);
}

GpStatus WINGDIPAPI GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y,
                                          REAL width, REAL height, REAL fromX, REAL fromY,
                                          REAL fromWidth, REAL fromHeight, GpUnit unit,
                                          const GpImageAttributes* attributes,
                                          DrawImageAbort abort, VOID* abortData) {
    HEYU_FORWARD_TO_SYSTEM(GdipDrawImageRectRect, graphics, image, x, y, width, height, fromX,
                           fromY, fromWidth, fromHeight, unit, attributes, abort, abortData);
}

GpStatus WINGDIPAPI GdipCreatePen1(ARGB colour, REAL width, GpUnit unit, GpPen** pen) {
    HEYU_FORWARD_TO_SYSTEM(GdipCreatePen1, colour, width, unit, pen);
}

GpStatus WINGDIPAPI GdipDeletePen(GpPen* pen) {
    HEYU_FORWARD_TO_SYSTEM(GdipDeletePen, pen);
}

GpStatus WINGDIPAPI GdipCreatePath(GpFillMode mode, GpPath** path) {
    HEYU_FORWARD_TO_SYSTEM(GdipCreatePath, mode, path);
}

GpStatus WINGDIPAPI GdipDeletePath(GpPath* path) {
    HEYU_FORWARD_TO_SYSTEM(GdipDeletePath, path);
}

GpStatus WINGDIPAPI GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height,
                                   REAL start, REAL sweep) {
    HEYU_FORWARD_TO_SYSTEM(GdipAddPathArc, path, x, y, width, height, start, sweep);
}

GpStatus WINGDIPAPI GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
    HEYU_FORWARD_TO_SYSTEM(GdipAddPathRectangle, path, x, y, width, height);
}

GpStatus WINGDIPAPI GdipClosePathFigure(GpPath* path) {
    HEYU_FORWARD_TO_SYSTEM(GdipClosePathFigure, path);
}

GpStatus WINGDIPAPI GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path) {
    HEYU_FORWARD_TO_SYSTEM(GdipDrawPath, graphics, pen, path);
}

}  // extern "C"
}  // namespace DllExports

#undef HEYU_FORWARD_TO_SYSTEM

}  // namespace Gdiplus

#include "shadow/shadow_geometry.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kThinRingLimit = 8;     // up to this width the rings end at 100
constexpr int kThinRingTotal = 100;
constexpr int kWideRingTotal = 150;

int saturated(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

ShadowBox shadowBoxAround(const RECT& target, int ringWidth) {
    const int64_t s = ringWidth;
    return ShadowBox{saturated(int64_t{target.left} - s), saturated(int64_t{target.top} - s),
                     saturated(int64_t{target.right} - target.left + 2 * s),
                     saturated(int64_t{target.bottom} - target.top + 2 * s)};
}

int ringAlphaStep(int ringWidth) {
    if (ringWidth < 1) return 0;
    return (ringWidth <= kThinRingLimit ? kThinRingTotal : kWideRingTotal) / ringWidth;
}

uint8_t ringAlpha(int ringWidth, int ring) {
    if (ring < 1 || ring > ringWidth) return 0;
    // At most 150: step * i never exceeds the total the step was cut from.
    return static_cast<uint8_t>(ringAlphaStep(ringWidth) * ring);
}

uint32_t ColorToArgb(COLORREF colour, uint8_t alpha) {
    return uint32_t{alpha} << 24 | uint32_t{GetRValue(colour)} << 16 |
           uint32_t{GetGValue(colour)} << 8 | uint32_t{GetBValue(colour)};
}

StandardRing standardRingFor(int ringWidth, COLORREF colour) {
    if (colour != RGB(0, 0, 0)) return StandardRing::None;
    if (ringWidth == 5) return StandardRing::FivePixels;
    if (ringWidth == 10) return StandardRing::TenPixels;
    return StandardRing::None;
}

int nineSliceMargin(int pictureWidth, int pictureHeight) {
    if (pictureWidth > 80 && pictureHeight > 80) return 20;
    if (pictureWidth > 50 && pictureHeight > 50) return 10;
    return 5;
}

int ringPictureSide(StandardRing ring, int ringPixels) {
    const int width = ring == StandardRing::FivePixels ? 5 : ring == StandardRing::TenPixels ? 10 : 0;
    if (width == 0 || ringPixels < 1) return 0;
    // 100 is a multiple of both widths: the side is exact.
    return kRingPictureSide / width * ringPixels;
}

std::array<Slice, 9> nineSlices(int pictureWidth, int pictureHeight, SliceRect into,
                                int margin) {
    const int m = margin > 0 ? margin : nineSliceMargin(pictureWidth, pictureHeight);
    // Per column and per row: where the piece starts and how wide it is, in
    // the picture and in the drawing.
    const int sourceX[3] = {0, m, pictureWidth - m};
    const int sourceW[3] = {m, pictureWidth - 2 * m, m};
    const int sourceY[3] = {0, m, pictureHeight - m};
    const int sourceH[3] = {m, pictureHeight - 2 * m, m};
    const int destX[3] = {into.x, into.x + m, into.x + into.width - m};
    const int destW[3] = {m, into.width - 2 * m, m};
    const int destY[3] = {into.y, into.y + m, into.y + into.height - m};
    const int destH[3] = {m, into.height - 2 * m, m};
    std::array<Slice, 9> slices{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            slices[static_cast<size_t>(row * 3 + column)] =
                Slice{{sourceX[column], sourceY[row], sourceW[column], sourceH[row]},
                      {destX[column], destY[row], destW[column], destH[row]}};
        }
    }
    return slices;
}

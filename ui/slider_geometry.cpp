#include "ui/slider_geometry.h"

// The formulas are evaluated in exact integer arithmetic (64 bits, so no
// product overflows) rather than in floating point, where for example
// 0.3 * 110 comes out just below 33 and would truncate to 32.

namespace {

int64_t span(SliderRange range) {
    return static_cast<int64_t>(range.maximum) - range.minimum;
}

}  // namespace

int32_t clampPosition(int64_t position, SliderRange range) {
    if (position < range.minimum) return range.minimum;
    if (position > range.maximum) return range.maximum;
    return static_cast<int32_t>(position);
}

int usableLength(SliderMetrics metrics) {
    const int usable = metrics.width - 2 * metrics.arrowWidth - metrics.thumbWidth;
    return usable > 0 ? usable : 0;
}

int thumbLeft(int32_t position, SliderRange range, SliderMetrics metrics) {
    const int64_t total = span(range);
    if (total <= 0) return metrics.arrowWidth;
    const int64_t offset = static_cast<int64_t>(position) - range.minimum;
    return metrics.arrowWidth + static_cast<int>(offset * usableLength(metrics) / total);
}

int64_t positionFromClick(int x, SliderRange range, SliderMetrics metrics) {
    const int64_t usable = usableLength(metrics);
    const int64_t d = static_cast<int64_t>(x) - metrics.thumbWidth / 2 - metrics.arrowWidth;
    if (usable == 0 || d <= 0) return range.minimum;
    // Nearest integer of d * span / U with halves upward: floor(q + 1/2).
    return range.minimum + (2 * d * span(range) + usable) / (2 * usable);
}

int32_t positionFromThumbLeft(int left, SliderRange range, SliderMetrics metrics) {
    const int64_t usable = usableLength(metrics);
    if (usable == 0) return range.minimum;
    const int64_t travelled = static_cast<int64_t>(left) - metrics.arrowWidth;
    // Integer division truncates toward zero, as trunc does.
    return clampPosition(range.minimum + travelled * span(range) / usable, range);
}

SliderPart partAt(int x, int thumbLeftEdge, SliderMetrics metrics) {
    if (x < metrics.arrowWidth) return SliderPart::LeftArrow;
    if (x >= metrics.width - metrics.arrowWidth) return SliderPart::RightArrow;
    if (x >= thumbLeftEdge && x < thumbLeftEdge + metrics.thumbWidth) return SliderPart::Thumb;
    return SliderPart::Track;
}

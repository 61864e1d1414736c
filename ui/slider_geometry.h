// The geometry of a horizontal slider as plain arithmetic: where the thumb
// stands for a position, which position a click or a dragged thumb means,
// and which part lies under a point. No window handles here.
#pragma once

#include <cstdint>

struct SliderRange {
    int32_t minimum;
    int32_t maximum;
};

struct SliderMetrics {
    int width;        // the whole slider
    int arrowWidth;   // B: each arrow button
    int thumbWidth;   // T
};

enum class SliderPart { LeftArrow, RightArrow, Thumb, Track };

int32_t clampPosition(int64_t position, SliderRange range);

// U = width - 2B - T, never below 0: how far the thumb's left edge can travel.
int usableLength(SliderMetrics metrics);

// B + trunc((position - minimum) / (maximum - minimum) * U).
int thumbLeft(int32_t position, SliderRange range, SliderMetrics metrics);

// A click at x (from the slider's left edge) centres the thumb there: with
// d = x - trunc(T / 2) - B, the minimum when d / U <= 0, else
// minimum + d / U * (maximum - minimum) rounded to the nearest integer,
// halves upward. The result is not clamped to the maximum.
int64_t positionFromClick(int x, SliderRange range, SliderMetrics metrics);

// minimum + trunc((left - B) / U * (maximum - minimum)) for a dragged thumb.
int32_t positionFromThumbLeft(int left, SliderRange range, SliderMetrics metrics);

SliderPart partAt(int x, int thumbLeftEdge, SliderMetrics metrics);

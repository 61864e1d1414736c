// The slider's arithmetic on the program's slider (160 wide, arrows 15,
// thumb 20, so U = 110, range 0..100) and on small odd shapes, and the
// scale's mapping between design units and pixels that it is done in.
#include <gtest/gtest.h>

#include "ui/display_scale.h"
#include "ui/slider_geometry.h"

namespace {

constexpr SliderRange kRange{0, 100};
constexpr SliderMetrics kSlider{160, 15, 20};

TEST(SliderGeometry, UsableLengthIsWidthLessArrowsAndThumbButNeverNegative) {
    EXPECT_EQ(usableLength(kSlider), 110);
    EXPECT_EQ(usableLength(SliderMetrics{40, 15, 20}), 0);
}

TEST(SliderGeometry, ThumbLeftTruncatesTheExactProportion) {
    EXPECT_EQ(thumbLeft(0, kRange, kSlider), 15);
    EXPECT_EQ(thumbLeft(100, kRange, kSlider), 125);
    EXPECT_EQ(thumbLeft(50, kRange, kSlider), 70);
    EXPECT_EQ(thumbLeft(57, kRange, kSlider), 15 + 62);  // 62.7
    // 0.3 * 110 is 32.99999... in floating point; the exact value is 33.
    EXPECT_EQ(thumbLeft(30, kRange, kSlider), 15 + 33);
    EXPECT_EQ(thumbLeft(1, SliderRange{-50, 50}, kSlider), 15 + 56);  // 51 * 1.1
    EXPECT_EQ(thumbLeft(7, SliderRange{7, 7}, kSlider), 15);  // an empty range
}

TEST(SliderGeometry, ClickCentresTheThumbAndRoundsHalvesUpward) {
    // d = x - 10 - 15
    EXPECT_EQ(positionFromClick(25, kRange, kSlider), 0);   // d = 0
    EXPECT_EQ(positionFromClick(20, kRange, kSlider), 0);   // d < 0
    EXPECT_EQ(positionFromClick(80, kRange, kSlider), 50);  // d = 55
    EXPECT_EQ(positionFromClick(26, kRange, kSlider), 1);   // 0.909 rounds up
    EXPECT_EQ(positionFromClick(30, kRange, kSlider), 5);   // 4.545 rounds up
    EXPECT_EQ(positionFromClick(29, kRange, kSlider), 4);   // 3.636
    EXPECT_EQ(positionFromClick(27, kRange, kSlider), 2);   // 1.818
    // Beyond the usable length the result passes the maximum; the slider
    // clamps it when it is written.
    EXPECT_EQ(positionFromClick(150, kRange, kSlider), 114);

    // U = 20 over a range of 10: every odd d lands exactly on a half.
    const SliderMetrics small{60, 10, 20};
    EXPECT_EQ(positionFromClick(21, SliderRange{0, 10}, small), 1);  // 0.5 -> 1
    EXPECT_EQ(positionFromClick(23, SliderRange{0, 10}, small), 2);  // 1.5 -> 2
    EXPECT_EQ(positionFromClick(22, SliderRange{0, 10}, small), 1);
    EXPECT_EQ(positionFromClick(30, SliderRange{0, 10}, SliderMetrics{40, 10, 20}), 0);  // U = 0
}

TEST(SliderGeometry, DragTruncatesTheThumbsTravel) {
    EXPECT_EQ(positionFromThumbLeft(15, kRange, kSlider), 0);
    EXPECT_EQ(positionFromThumbLeft(125, kRange, kSlider), 100);
    EXPECT_EQ(positionFromThumbLeft(16, kRange, kSlider), 0);    // 0.909
    EXPECT_EQ(positionFromThumbLeft(77, kRange, kSlider), 56);   // 56.36
    EXPECT_EQ(positionFromThumbLeft(70, kRange, kSlider), 50);
    EXPECT_EQ(positionFromThumbLeft(48, kRange, kSlider), 30);   // exactly 30
    EXPECT_EQ(positionFromThumbLeft(200, kRange, kSlider), 100);  // clamped
}

TEST(SliderGeometry, PartsSplitTheWidth) {
    EXPECT_EQ(partAt(0, 70, kSlider), SliderPart::LeftArrow);
    EXPECT_EQ(partAt(14, 70, kSlider), SliderPart::LeftArrow);
    EXPECT_EQ(partAt(15, 70, kSlider), SliderPart::Track);
    EXPECT_EQ(partAt(70, 70, kSlider), SliderPart::Thumb);
    EXPECT_EQ(partAt(89, 70, kSlider), SliderPart::Thumb);
    EXPECT_EQ(partAt(90, 70, kSlider), SliderPart::Track);
    EXPECT_EQ(partAt(145, 70, kSlider), SliderPart::RightArrow);
}

TEST(SliderGeometry, ClampKeepsPositionsInTheRange) {
    EXPECT_EQ(clampPosition(-5, kRange), 0);
    EXPECT_EQ(clampPosition(150, kRange), 100);
    EXPECT_EQ(clampPosition(int64_t{1} << 40, kRange), 100);
    EXPECT_EQ(clampPosition(42, kRange), 42);
}

// The slider works in design units: a pointer's pixel goes back to the
// design unit it was scaled from, so a click at a scaled point means what
// it means at 96 dpi, and the thumb stands where the position puts it.
TEST(DisplayScale, EveryDesignUnitComesBackFromItsPixelsAtEveryScaleFrom96Up) {
    for (int dpi : {96, 120, 144, 168, 192, 240, 288}) {
        for (int unit = -20; unit <= 800; ++unit)
            ASSERT_EQ(toDesignUnits(toPixels(unit, dpi), dpi), unit) << unit << " at " << dpi;
        EXPECT_EQ(positionFromClick(toDesignUnits(toPixels(30, dpi), dpi), kRange, kSlider), 5);
    }
}

TEST(DisplayScale, EdgesScaleOneByOneSoNeighboursMeet) {
    const RECT label = pixelRect(45, 40, 64, 32, 144);
    const RECT gap = pixelRect(109, 40, 4, 32, 144);
    EXPECT_EQ(label.left, 68);    // 67.5, halves away from zero
    EXPECT_EQ(label.right, 164);  // 163.5
    EXPECT_EQ(gap.left, label.right);
    const RECT close = pixelRect(740, -1, 24, 32, 144);
    EXPECT_EQ(close.top, -2);  // -1.5
    EXPECT_EQ(close.bottom, 47);
    const RECT same = pixelRect(113, 43, 160, 32, 96);
    EXPECT_EQ(same.left, 113);
    EXPECT_EQ(same.bottom, 75);
}

}  // namespace

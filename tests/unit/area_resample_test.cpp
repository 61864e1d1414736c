// The program's own resizing filter: exact area averages, shrinking by
// whole and by fractional factors, enlarging, and no drift of a flat colour.
#include <gtest/gtest.h>

#include "ui/area_resample.h"

namespace {

Pixels grey(int width, int height, std::vector<int> levels) {
    Pixels pixels{width, height, {}};
    for (int level : levels)
        pixels.data.push_back(static_cast<uint32_t>(level) * 0x010101u);
    return pixels;
}

int levelAt(const Pixels& pixels, int x, int y) {
    return static_cast<int>(pixels.data[static_cast<size_t>(y) * pixels.width + x] & 0xFF);
}

TEST(AreaResample, EachNewPixelIsTheMeanOfTheAreaItCovers) {
    // Halved: the mean of each 2 x 2 block, rounded to the nearest.
    const Pixels half = resampleByArea(grey(4, 2, {0, 10, 100, 101, 20, 30, 200, 200}), 2, 1);
    EXPECT_EQ(levelAt(half, 0, 0), 15);
    EXPECT_EQ(levelAt(half, 1, 0), 150);  // 150.25
    // Three to two: the middle pixel goes a third to each side.
    const Pixels two = resampleByArea(grey(3, 1, {0, 90, 180}), 2, 1);
    EXPECT_EQ(levelAt(two, 0, 0), 30);
    EXPECT_EQ(levelAt(two, 1, 0), 150);
    // Two to three: the middle new pixel covers half of each.
    const Pixels three = resampleByArea(grey(2, 1, {0, 90}), 3, 1);
    EXPECT_EQ(levelAt(three, 0, 0), 0);
    EXPECT_EQ(levelAt(three, 1, 0), 45);
    EXPECT_EQ(levelAt(three, 2, 0), 90);
    // Each byte on its own.
    Pixels colour{1, 2, {0x10203040u, 0x30405060u}};
    EXPECT_EQ(resampleByArea(colour, 1, 1).data[0], 0x20304050u);
    EXPECT_TRUE(resampleByArea(colour, 0, 3).data.empty());
}

TEST(AreaResample, AFlatColourStaysFlatAtTheWindowsScales) {
    Pixels flat{1540, 890, std::vector<uint32_t>(1540 * 890, 0x00A0B0C0u)};
    for (int scale : {125, 150, 175, 250}) {
        const Pixels resized = resampleByArea(flat, 770 * scale / 100, 445 * scale / 100);
        ASSERT_EQ(resized.data.size(), static_cast<size_t>(resized.width) * resized.height);
        for (uint32_t pixel : resized.data) ASSERT_EQ(pixel, 0x00A0B0C0u) << scale;
    }
}

}  // namespace

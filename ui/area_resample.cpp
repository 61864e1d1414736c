#include "ui/area_resample.h"

#include <algorithm>

namespace {

struct Tap {
    int source;
    int64_t weight;
};

// For each of the `to` new pixels along an axis, the old pixels it covers
// and by how much. In units of 1 / (from * to) of the axis, old pixel i
// spans [i * to, (i + 1) * to) and new pixel j spans [j * from, (j + 1) *
// from): the weights are the overlaps, and each new pixel's add up to from.
std::vector<std::vector<Tap>> taps(int from, int to) {
    std::vector<std::vector<Tap>> all(to);
    for (int j = 0; j < to; ++j) {
        const int64_t begin = static_cast<int64_t>(j) * from;
        const int64_t end = begin + from;
        for (int64_t i = begin / to; i * to < end; ++i) {
            const int64_t start = i * to > begin ? i * to : begin;
            const int64_t stop = (i + 1) * to < end ? (i + 1) * to : end;
            all[j].push_back(Tap{static_cast<int>(i), stop - start});
        }
    }
    return all;
}

uint32_t channel(uint32_t pixel, int which) {
    return (pixel >> (8 * which)) & 0xFF;
}

// The sums across one old row for each new column, undivided (each up to
// 255 times the old width).
void sumAcross(const Pixels& source, int y, const std::vector<std::vector<Tap>>& across,
               std::vector<int64_t>& sums) {
    const uint32_t* line = &source.data[static_cast<size_t>(y) * source.width];
    for (size_t x = 0; x < across.size(); ++x) {
        int64_t* column = &sums[x * 4];
        for (int c = 0; c < 4; ++c) column[c] = 0;
        for (const Tap& tap : across[x])
            for (int c = 0; c < 4; ++c) column[c] += tap.weight * channel(line[tap.source], c);
    }
}

}  // namespace

Pixels resampleByArea(const Pixels& source, int width, int height) {
    Pixels result;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return result;
    const auto across = taps(source.width, width);
    const auto down = taps(source.height, height);
    const int64_t total = static_cast<int64_t>(source.width) * source.height;
    result.width = width;
    result.height = height;
    result.data.resize(static_cast<size_t>(width) * height);
    // Row by row of the result, each from the few old rows it covers, so no
    // more than one row of sums is ever held.
    std::vector<int64_t> row(static_cast<size_t>(width) * 4);
    std::vector<int64_t> sums(static_cast<size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (const Tap& tap : down[y]) {
            sumAcross(source, tap.source, across, row);
            for (size_t i = 0; i < sums.size(); ++i) sums[i] += tap.weight * row[i];
        }
        uint32_t* out = &result.data[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c)
                pixel |= static_cast<uint32_t>((sums[x * 4 + c] + total / 2) / total) << (8 * c);
            out[x] = pixel;
        }
    }
    return result;
}

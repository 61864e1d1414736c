#include "overlay/blur.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr double kDefaultRadius = 2;

// Fractions of a pixel in the enlarge, in 1/256: the weights of two
// neighbours always add up to kOne, so a blend of 8-bit channels never
// leaves 16 bits.
constexpr int kShift = 8;
constexpr int kOne = 1 << kShift;
constexpr uint32_t kRedBlue = 0x00FF00FF;
constexpr uint32_t kGreen = 0x0000FF00;

// 32 bits a pixel, top row first, so a row is width * 4 bytes.
BITMAPINFOHEADER topDownHeader(int width, int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}

const uint32_t* rowOf(const void* bits, int stride, int y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(bits) + y * stride);
}

uint32_t* rowOf(void* bits, int stride, int y) {
    return reinterpret_cast<uint32_t*>(static_cast<BYTE*>(bits) + y * stride);
}

// Where each of the small picture's blocks begins along one side: the whole
// side is laid over the small one, so a block is `full / small` pixels wide,
// 4 for the usual quarter and now and then one more where the side is not a
// multiple of it. Every pixel of the side falls into exactly one block.
std::vector<int> blockStarts(int full, int small) {
    std::vector<int> starts(static_cast<size_t>(small) + 1);
    for (int i = 0; i <= small; ++i)
        starts[static_cast<size_t>(i)] = static_cast<int>(static_cast<int64_t>(i) * full / small);
    return starts;
}

// Each small pixel is the mean of its block, rounded, channel by channel:
// one pass down the picture adds each row's pixels to their blocks' sums.
std::vector<uint32_t> shrink(const void* bits, int stride, SIZE full, SIZE small) {
    const std::vector<int> columns = blockStarts(full.cx, small.cx);
    const std::vector<int> rows = blockStarts(full.cy, small.cy);
    std::vector<uint32_t> result(static_cast<size_t>(small.cx) * small.cy);
    std::vector<uint32_t> sums(static_cast<size_t>(small.cx) * 3);
    for (int j = 0; j < small.cy; ++j) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = rows[j]; y < rows[j + 1]; ++y) {
            const uint32_t* source = rowOf(bits, stride, y);
            uint32_t* sum = sums.data();
            for (int i = 0; i < small.cx; ++i, sum += 3) {
                for (int x = columns[i]; x < columns[i + 1]; ++x) {
                    const uint32_t pixel = source[x];
                    sum[0] += pixel & 0xFF;
                    sum[1] += (pixel >> 8) & 0xFF;
                    sum[2] += (pixel >> 16) & 0xFF;
                }
            }
        }
        const int blockHeight = rows[j + 1] - rows[j];
        uint32_t* out = &result[static_cast<size_t>(j) * small.cx];
        const uint32_t* sum = sums.data();
        for (int i = 0; i < small.cx; ++i, sum += 3) {
            const uint32_t count = static_cast<uint32_t>((columns[i + 1] - columns[i]) * blockHeight);
            const uint32_t half = count / 2;
            out[i] = ((sum[2] + half) / count) << 16 | ((sum[1] + half) / count) << 8 |
                     (sum[0] + half) / count;
        }
    }
    return result;
}

// One output pixel's two neighbours in the small picture and the weight of
// the second, in 1/256. Pixel centres are laid over each other, so the
// enlarge is the shrink's inverse; beyond the outermost centres the edge
// pixel holds.
struct Sample {
    int first;
    int second;
    uint32_t weight;
};

std::vector<Sample> samples(int full, int small) {
    std::vector<Sample> result(static_cast<size_t>(full));
    for (int x = 0; x < full; ++x) {
        // (x + 1/2) * small / full - 1/2, in 1/256 of a small pixel.
        const int64_t at = ((2 * static_cast<int64_t>(x) + 1) * small * kOne - full * kOne) /
                           (2 * static_cast<int64_t>(full));
        Sample& sample = result[static_cast<size_t>(x)];
        if (at <= 0) {
            sample = Sample{0, 0, 0};
        } else if (at >= static_cast<int64_t>(small - 1) * kOne) {
            sample = Sample{small - 1, small - 1, 0};
        } else {
            const int first = static_cast<int>(at >> kShift);
            sample = Sample{first, first + 1, static_cast<uint32_t>(at & (kOne - 1))};
        }
    }
    return result;
}

// (1 - weight) of one pixel plus weight of the other, rounded, each channel.
inline uint32_t blend(uint32_t a, uint32_t b, uint32_t weight) {
    const uint32_t keep = kOne - weight;
    const uint32_t redBlue =
        (((a & kRedBlue) * keep + (b & kRedBlue) * weight + 0x00800080) >> kShift) & kRedBlue;
    const uint32_t green = (((a & kGreen) * keep + (b & kGreen) * weight + 0x00008000) >> kShift) &
                           kGreen;
    return redBlue | green;
}

// Bilinear enlarge of the small picture over the whole one: first along
// each small row to the full width, then between those rows down the height.
void enlarge(const std::vector<uint32_t>& small, SIZE smallSize, void* bits, int stride,
             SIZE full) {
    const std::vector<Sample> across = samples(full.cx, smallSize.cx);
    const std::vector<Sample> down = samples(full.cy, smallSize.cy);
    std::vector<uint32_t> wide(static_cast<size_t>(full.cx) * smallSize.cy);
    for (int j = 0; j < smallSize.cy; ++j) {
        const uint32_t* source = &small[static_cast<size_t>(j) * smallSize.cx];
        uint32_t* out = &wide[static_cast<size_t>(j) * full.cx];
        for (int x = 0; x < full.cx; ++x) {
            const Sample& s = across[static_cast<size_t>(x)];
            out[x] = blend(source[s.first], source[s.second], s.weight);
        }
    }
    for (int y = 0; y < full.cy; ++y) {
        const Sample& s = down[static_cast<size_t>(y)];
        const uint32_t* upper = &wide[static_cast<size_t>(s.first) * full.cx];
        const uint32_t* lower = &wide[static_cast<size_t>(s.second) * full.cx];
        uint32_t* out = rowOf(bits, stride, y);
        for (int x = 0; x < full.cx; ++x) out[x] = blend(upper[x], lower[x], s.weight);
    }
}

}  // namespace

SIZE blurShrunkSize(int width, int height, double radius) {
    if (radius < 1) radius = kDefaultRadius;
    const int factor = static_cast<int>(radius * 2);
    return SIZE{width / factor, height / factor};
}

HBITMAP createPictureBitmap(int width, int height, void** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader = topDownHeader(width, height);
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool blurPixels(void* bits, int width, int height, int stride, double radius) {
    const SIZE full{width, height};
    const SIZE shrunk = blurShrunkSize(width, height, radius);
    if (!bits || width <= 0 || height <= 0 || shrunk.cx == 0 || shrunk.cy == 0) return false;
    enlarge(shrink(bits, stride, full, shrunk), shrunk, bits, stride, full);
    return true;
}

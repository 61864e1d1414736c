// Resizing a picture by area averaging, as plain arithmetic on its pixels:
// the program's own filter, so that a picture comes out the same on every
// system (a library's shrink may sample instead of average, and differs
// between Windows and Wine). No handles here.
#pragma once

#include <cstdint>
#include <vector>

// 32-bit pixels, top row first, rows without padding.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;
};

// The picture at width x height: each new pixel is the mean of the part of
// the picture it covers, every old pixel weighted by how much of it falls
// inside, each of the four bytes on its own, rounded to the nearest. Exact
// in integers. Enlarging works the same way (each new pixel then covers a
// part of one or two old ones). Empty for an empty size or picture.
Pixels resampleByArea(const Pixels& source, int width, int height);

#pragma once

// Pictures the core draws without a window, written as PNG files with zlib.

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// A picture of 8-bit RGBA pixels, row by row from the top.
struct RgbaImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;  // 4 bytes a pixel, not premultiplied
};

// The bytes of a PNG file of the picture (colour type 6, no interlacing).
std::string EncodePng(const RgbaImage& image);

}  // namespace orvane

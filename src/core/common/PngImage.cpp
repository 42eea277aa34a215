#include "common/PngImage.h"

#include <zlib.h>
#include <stdexcept>
#include <string_view>

namespace orvane {

namespace {

void AppendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

// Length, type, data and the CRC of type and data.
void AppendChunk(std::string& out, std::string_view type, std::string_view data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::string typed(type);
    typed += data;
    out += typed;
    const auto* bytes = reinterpret_cast<const Bytef*>(typed.data());
    AppendBigEndian(out, static_cast<std::uint32_t>(
                             crc32(crc32(0L, Z_NULL, 0), bytes, static_cast<uInt>(typed.size()))));
}

// Each row behind filter byte 0 (none), deflated.
std::string CompressedRows(const RgbaImage& image) {
    const size_t rowBytes = size_t{image.width} * 4;
    std::string raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(image.pixels.data()) + y * rowBytes, rowBytes);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        throw std::runtime_error("A picture could not be compressed");
    }
    compressed.resize(size);
    return compressed;
}

}  // namespace

std::string EncodePng(const RgbaImage& image) {
    std::string png = "\x89PNG\r\n\x1A\n";
    std::string header;
    AppendBigEndian(header, image.width);
    AppendBigEndian(header, image.height);
    header += std::string_view("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, filters, plain
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", CompressedRows(image));
    AppendChunk(png, "IEND", {});
    return png;
}

}  // namespace orvane

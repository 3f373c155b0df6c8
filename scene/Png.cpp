#include "scene/Png.h"

#include <zlib.h>

namespace scene {

namespace {

void Put32(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v >> 24));
    out.push_back(static_cast<char>(v >> 16));
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

// A chunk: its length, type, data and the CRC of type and data.
void PutChunk(std::string& out, const char (&type)[5], const std::string& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* crcBytes = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    Put32(out,
          static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), crcBytes, static_cast<uInt>(4 + data.size()))));
}

} // namespace

std::string EncodePng(const std::vector<format::Rgba>& pixels, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return "";
    // Each row: filter type 0 (none), then the row's RGBA bytes.
    const size_t rowBytes = 1 + static_cast<size_t>(width) * 4;
    std::string raw(rowBytes * static_cast<size_t>(height), '\0');
    for (int32_t y = 0; y < height; ++y) {
        char* row = raw.data() + static_cast<size_t>(y) * rowBytes + 1;
        for (int32_t x = 0; x < width; ++x) {
            const format::Rgba& p =
                pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            row[x * 4 + 0] = static_cast<char>(p.R);
            row[x * 4 + 1] = static_cast<char>(p.G);
            row[x * 4 + 2] = static_cast<char>(p.B);
            row[x * 4 + 3] = static_cast<char>(p.A);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                  Z_BEST_SPEED) != Z_OK)
        return "";
    packed.resize(packedSize);

    std::string header;
    Put32(header, static_cast<uint32_t>(width));
    Put32(header, static_cast<uint32_t>(height));
    header += '\x08';       // bits per channel
    header += '\x06';       // colour type: RGBA
    header.append(3, '\0'); // deflate, adaptive filtering, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", "");
    return png;
}

} // namespace scene

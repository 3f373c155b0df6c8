#pragma once
// PNG images of tiles: 8-bit RGBA, the image data deflated by zlib.
#include <cstdint>
#include <string>
#include <vector>

#include "format/Colours.h"

namespace scene {

// The PNG file of width x height pixels given row by row from the top; empty when pixels holds fewer.
std::string EncodePng(const std::vector<format::Rgba>& pixels, int32_t width, int32_t height);

} // namespace scene

// Writes an RGB picture as a PNG file with nothing but the standard library:
// the image data goes into stored (uncompressed) deflate blocks, which every
// PNG reader accepts. Screens are small, so the size does not matter.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zorva {

// `pixels` holds width x height values 0xAARRGGBB, row after row; alpha is
// ignored. Returns false when the file cannot be written.
bool WritePng(const std::string& path, std::span<const uint32_t> pixels, int width, int height);

}  // namespace zorva

// Writes an RGB picture as a PNG file, compressed, through libpng.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zorva {

// `pixels` holds width x height values 0xAARRGGBB, row after row; alpha is
// ignored. Returns false, with errno saying why, when the file cannot be written.
bool WritePng(const std::string& path, std::span<const uint32_t> pixels, int width, int height);

}  // namespace zorva

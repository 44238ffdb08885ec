// The screen's frame (machine/screen.h: 0xAARRGGBB words) as the bytes a
// canvas's ImageData holds: red, green, blue, alpha, alpha always opaque.
#pragma once

#include <cstdint>
#include <span>

#include "machine/screen.h"

namespace zorva {

inline constexpr size_t kFrameBytes = size_t{Screen::kWidth} * Screen::kHeight * 4;

void FrameToRgba(std::span<const uint32_t, Screen::kWidth * Screen::kHeight> frame,
                 std::span<uint8_t, kFrameBytes> rgba);

}  // namespace zorva

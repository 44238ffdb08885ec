#include "web/frame_pixels.h"

namespace zorva {

void FrameToRgba(std::span<const uint32_t, Screen::kWidth * Screen::kHeight> frame,
                 std::span<uint8_t, kFrameBytes> rgba) {
  uint8_t* out = rgba.data();
  for (const uint32_t pixel : frame) {
    *out++ = static_cast<uint8_t>(pixel >> 16);
    *out++ = static_cast<uint8_t>(pixel >> 8);
    *out++ = static_cast<uint8_t>(pixel);
    *out++ = 0xFF;
  }
}

}  // namespace zorva

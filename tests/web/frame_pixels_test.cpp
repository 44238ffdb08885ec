// The screen's frame as a canvas's ImageData bytes: each 0xAARRGGBB word as
// red, green, blue and an opaque alpha, in the frame's own order.
#include "web/frame_pixels.h"

#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <memory>

namespace zorva {
namespace {

TEST(FramePixels, EachPixelIsRedGreenBlueOpaqueAtItsPlace) {
  const struct {
    int x, y;
    uint32_t pixel;
    uint8_t r, g, b;
  } cases[] = {
      {0, 0, 0xFF102030, 0x10, 0x20, 0x30},     {319, 0, 0xFFFF0000, 0xFF, 0x00, 0x00},
      {0, 199, 0xFF00FF00, 0x00, 0xFF, 0x00},   {319, 199, 0xFF0000FF, 0x00, 0x00, 0xFF},
      {17, 42, 0x00ABCDEF, 0xAB, 0xCD, 0xEF},  // whatever alpha the word has
      {160, 100, 0x80FFFFFF, 0xFF, 0xFF, 0xFF},
  };
  auto frame = std::make_unique<std::array<uint32_t, Screen::kWidth * Screen::kHeight>>();
  frame->fill(0xFF000000);
  for (const auto& c : cases) (*frame)[c.y * Screen::kWidth + c.x] = c.pixel;
  auto rgba = std::make_unique<std::array<uint8_t, kFrameBytes>>();
  rgba->fill(0x55);
  FrameToRgba(*frame, *rgba);
  for (const auto& c : cases) {
    const size_t at = (size_t{static_cast<unsigned>(c.y)} * Screen::kWidth + c.x) * 4;
    EXPECT_EQ((*rgba)[at], c.r) << c.x << "," << c.y;
    EXPECT_EQ((*rgba)[at + 1], c.g) << c.x << "," << c.y;
    EXPECT_EQ((*rgba)[at + 2], c.b) << c.x << "," << c.y;
    EXPECT_EQ((*rgba)[at + 3], 0xFF) << c.x << "," << c.y;
  }
  // Everything else is the black the frame was filled with, every byte written.
  size_t black = 0;
  for (size_t i = 0; i < kFrameBytes; i += 4) {
    black +=
        (*rgba)[i] == 0 && (*rgba)[i + 1] == 0 && (*rgba)[i + 2] == 0 && (*rgba)[i + 3] == 0xFF;
  }
  EXPECT_EQ(black, size_t{Screen::kWidth} * Screen::kHeight - std::size(cases));
}

}  // namespace
}  // namespace zorva

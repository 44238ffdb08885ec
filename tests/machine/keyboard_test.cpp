// The keyboard matrix as a program on the machine sees it through the port space.
#include "machine/keyboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace zorva {
namespace {

TEST(KeyTable, HasTheMatrixPlaces) {
  Keyboard kb;
  BuildKeyTable(kb);
  EXPECT_EQ(std::count(kb.keyTable.begin(), kb.keyTable.end(), 0), 256 - 46);  // 46 keys
  const std::pair<unsigned, uint16_t> places[] = {
      {'A', 0xBFDF}, {vk::kReturn, 0xFEF7}, {vk::kOemPlus, 0xFEFE}, {'2', 0x7FFE},
      {'Q', 0x7FF7}, {vk::kSpace, 0xBFEF},  {'0', 0xFDFB},          {vk::kShift, 0},
  };
  for (auto [code, entry] : places) EXPECT_EQ(kb.keyTable[code], entry) << code;
}

// Key events (+code press, -code release, 0 Enter through OK) and the port
// cells they must leave.
TEST(Keyboard, ScriptsLeaveThePorts) {
  constexpr int kShift = vk::kShift, kControl = vk::kControl, kEscape = vk::kEscape,
                kF5 = vk::kF1 + 4;
  const struct {
    const char* name;
    std::vector<int> events;
    std::vector<std::pair<uint16_t, uint8_t>> expect;
  } scripts[] = {
      {"A down", {'A'}, {{0xBFFF, 0xDF}, {0x00FF, 0xDF}, {0x7FFF, 0xFF}}},
      {"A down and up", {'A', -'A'}, {{0xBFFF, 0xFF}, {0x00FF, 0xFF}}},
      {"Shift then A", {kShift, 'A'}, {{0xBFFF, 0xDF}, {0x7FFF, 0xEF}}},
      {"Shift bit outlives the keys until the next press",
       {kShift, 'A', -'A', -kShift},
       {{0x7FFF, 0xEF}}},
      {"next press refreshes the modifier bits", {kShift, -kShift, 'A'}, {{0x7FFF, 0xFF}}},
      {"1 with Ctrl held", {kControl, '1'}, {{0x7FFF, 0xDB}}},
      {"same column: the last key hides the first", {'S', 'A'}, {{0xBFFF, 0xDF}}},
      {"releasing S clears the column although A is held", {'S', 'A', -'S'}, {{0xBFFF, 0xFF}}},
      {"Enter through OK", {0}, {{0xFEFF, 0xF7}, {0x00FF, 0xF7}, {0x7FFF, 0x0F}}},
      {"after Enter through OK any release frees column FE, not 0x7FFF",
       {0, -kEscape},
       {{0xFEFF, 0xFF}, {0x7FFF, 0x0F}}},
      {"F5 is a key without a place", {kF5}, {{0x00FF, 0x00}, {0x7FFF, 0xFF}}},
      {"release of a key without a place", {'A', -kEscape}, {{0x00FF, 0xFF}, {0xBFFF, 0xDF}}},
      {"codes past 255 have no place", {0x1234}, {{0x00FF, 0x00}, {0x12FF, 0xFF}}},
  };
  for (const auto& s : scripts) {
    Keyboard kb;
    BuildKeyTable(kb);
    std::array<uint8_t, 65536> ports;
    ports.fill(0xFF);
    for (int e : s.events) {
      if (e == 0) OnOK(ports.data());
      else if (e > 0) OnKeyDown(kb, ports.data(), static_cast<unsigned>(e));
      else OnKeyUp(kb, ports.data(), static_cast<unsigned>(-e));
    }
    for (auto [port, value] : s.expect)
      EXPECT_EQ(ports[port], value) << s.name << " port " << std::hex << port;
  }
}

}  // namespace
}  // namespace zorva

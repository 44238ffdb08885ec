// The keyboard matrix as a program on the machine sees it through the port space.
#include "machine/keyboard.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace zorva {
namespace {

struct Matrix {
  Matrix() {
    ports.fill(0xFF);
    BuildKeyTable(kb);
  }
  void Down(unsigned code) { OnKeyDown(kb, ports.data(), code); }
  void Up(unsigned code) { OnKeyUp(kb, ports.data(), code); }
  Keyboard kb;
  std::array<uint8_t, 65536> ports{};
};

TEST(KeyTable, HasTheMatrixPlaces) {
  Keyboard kb;
  BuildKeyTable(kb);
  int entries = 0;
  for (uint16_t e : kb.keyTable) entries += e != 0;
  EXPECT_EQ(entries, 46);
  const struct {
    unsigned code;
    uint16_t entry;
  } places[] = {
      {'A', 0xBFDF}, {vk::kReturn, 0xFEF7}, {vk::kOemPlus, 0xFEFE},   {'2', 0x7FFE},
      {'Q', 0x7FF7}, {vk::kSpace, 0xBFEF},  {vk::kOemPeriod, 0xFEDF}, {vk::kBack, 0xFEFD},
      {'0', 0xFDFB}, {vk::kShift, 0},       {vk::kControl, 0},        {vk::kEscape, 0},
  };
  for (const auto& p : places) EXPECT_EQ(kb.keyTable[p.code], p.entry) << p.code;
}

// A sequence of key events and the port cells it must leave.
struct Script {
  const char* name;
  std::vector<int> events;  // +code press, -code release, 0 Enter through OK
  std::vector<std::pair<uint16_t, uint8_t>> expect;
};

// Signed codes for the scripts below.
constexpr int kShift = vk::kShift, kControl = vk::kControl, kReturn = vk::kReturn,
              kEscape = vk::kEscape, kF5 = vk::kF1 + 4;

class KeyScript : public ::testing::TestWithParam<Script> {};

TEST_P(KeyScript, LeavesThePorts) {
  Matrix t;
  for (int e : GetParam().events) {
    if (e == 0) OnOK(t.ports.data());
    else if (e > 0) t.Down(static_cast<unsigned>(e));
    else t.Up(static_cast<unsigned>(-e));
  }
  for (auto [port, value] : GetParam().expect)
    EXPECT_EQ(t.ports[port], value) << GetParam().name << " port " << std::hex << port;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyScript,
    ::testing::Values(
        Script{"A down", {'A'}, {{0xBFFF, 0xDF}, {0x00FF, 0xDF}, {0x7FFF, 0xFF}}},
        Script{"A down and up", {'A', -'A'}, {{0xBFFF, 0xFF}, {0x00FF, 0xFF}, {0xFEFF, 0xFF}}},
        Script{"Shift then A", {kShift, 'A'}, {{0xBFFF, 0xDF}, {0x7FFF, 0xEF}, {0x00FF, 0xDF}}},
        Script{"Shift bit outlives the keys until the next press",
               {kShift, 'A', -'A', -kShift},
               {{0x7FFF, 0xEF}}},
        Script{"next press refreshes the modifier bits", {kShift, -kShift, 'A'}, {{0x7FFF, 0xFF}}},
        Script{"1 without modifiers", {'1'}, {{0x7FFF, 0xFB}}},
        Script{"1 with Ctrl held", {kControl, '1'}, {{0x7FFF, 0xDB}}},
        Script{"same column: the last key hides the first", {'S', 'A'}, {{0xBFFF, 0xDF}}},
        Script{
            "releasing S clears the column although A is held", {'S', 'A', -'S'}, {{0xBFFF, 0xFF}}},
        Script{"Enter through OK", {0}, {{0xFEFF, 0xF7}, {0x00FF, 0xF7}, {0x7FFF, 0x0F}}},
        Script{"Enter release keeps 0x7FFF",
               {0, -kReturn},
               {{0xFEFF, 0xFF}, {0x00FF, 0xFF}, {0x7FFF, 0x0F}}},
        Script{"F5 is a key without a place", {kF5}, {{0x00FF, 0x00}, {0x7FFF, 0xFF}}},
        Script{"Shift itself marks every row in the all-columns cell",
               {kShift},
               {{0x00FF, 0x00}, {0x7FFF, 0xEF}}},
        Script{"Escape release", {'A', -kEscape}, {{0x00FF, 0xFF}, {0xBFFF, 0xDF}}},
        Script{"codes past 255 have no place", {0x1234}, {{0x00FF, 0x00}, {0x12FF, 0xFF}}}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(Keyboard, PressOfAKeyWithoutAPlaceChangesOnlyTheSharedCells) {
  Matrix t;
  auto before = t.ports;
  t.Down(vk::kF1);
  before[0x00FF] = 0x00;
  EXPECT_EQ(t.ports, before);
}

}  // namespace
}  // namespace zorva

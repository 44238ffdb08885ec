// The ROM image itself: its size, and that every instruction in its code part
// is one the emulated processor carries out. The code part runs from 0000 to
// the label code_end; everything after it is texts and tables.
#include <gtest/gtest.h>
#include <z80ex/z80ex_dasm.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/rom/rom_runner.h"

namespace zorva::romtest {
namespace {

const std::set<uint8_t> kBitGroup = {0x00, 0x08, 0x0F, 0x10, 0x12, 0x14, 0x17, 0x18, 0x1F, 0x21,
                                     0x22, 0x23, 0x25, 0x27, 0x29, 0x3A, 0x3F, 0x40, 0x46, 0x47,
                                     0x4F, 0x57, 0x5F, 0x67, 0x6F, 0x77, 0x7E, 0x7F};
const std::set<uint8_t> kExtendedGroup = {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x41,
                                          0x79, 0x42, 0x52, 0x62, 0x72, 0x43, 0x53, 0x63, 0x73,
                                          0x4B, 0x5B, 0x6B, 0x7B, 0x44, 0x5F, 0xB0, 0xB8};
// DD: the IX forms. FD lacks some of them.
const std::set<uint8_t> kIxGroup = {0x09, 0x19, 0x21, 0x22, 0x23, 0x2A, 0x2B, 0x34, 0x35,
                                    0x36, 0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E, 0x70,
                                    0x71, 0x72, 0x73, 0x74, 0x75, 0x77, 0x86, 0x96, 0xAE,
                                    0xB6, 0xBE, 0xCB, 0xE1, 0xE5, 0xE9};
const std::set<uint8_t> kIyGroup = {0x09, 0x19, 0x21, 0x23, 0x2A, 0x2B, 0x36, 0x46, 0x4E,
                                    0x66, 0x6E, 0x7E, 0x70, 0x71, 0x74, 0x75, 0x77, 0x86,
                                    0x8E, 0x96, 0xB6, 0xBE, 0xCB, 0xE1, 0xE5, 0xE9};

// Empty when the processor carries out the instruction at `b` as the ROM
// means it; otherwise why not.
std::string Refusal(const std::vector<uint8_t>& b, uint16_t at) {
  const uint8_t op = b[at];
  const auto next = [&](int k) { return b[static_cast<uint16_t>(at + k)]; };
  switch (op) {
    case 0xF3:
    case 0xFB: return "DI/EI";
    case 0x27: return "DAA works differently here";
    case 0x2F:
      // The processor's CPL has a side effect on B at this one address.
      return at == 0x011B ? "CPL at 011B" : "";
    case 0xCB: return (next(1) >= 0xC0 || kBitGroup.count(next(1))) ? "" : "CB sub-opcode";
    case 0xED: return kExtendedGroup.count(next(1)) ? "" : "ED sub-opcode";
    case 0xDD:
    case 0xFD: {
      const auto& group = op == 0xDD ? kIxGroup : kIyGroup;
      if (!group.count(next(1))) return "index sub-opcode";
      if (next(1) == 0xCB) {
        const uint8_t bitOp = next(3);  // BIT, RES, SET on (I+d) only
        if (bitOp < 0x40 || (bitOp & 7) != 6) return "index bit operation";
      }
      return "";
    }
    default: return "";
  }
}

Z80EX_BYTE ReadImage(Z80EX_WORD address, void* image) {
  return (*static_cast<const std::vector<uint8_t>*>(image))[address & 0x1FFF];
}

TEST(RomImage, IsExactly8192Bytes) { EXPECT_EQ(RomImage().size(), 8192u); }

TEST(RomImage, EveryInstructionIsOneTheProcessorHas) {
  const std::vector<uint8_t> rom = RomImage();
  ASSERT_EQ(rom.size(), 8192u);
  const uint16_t codeEnd = Symbol("code_end");
  ASSERT_GT(codeEnd, 0x40);
  ASSERT_LT(codeEnd, 0x2000);

  uint32_t at = 0;
  int instructions = 0;
  while (at < codeEnd) {
    char text[64];
    int t1 = 0, t2 = 0;
    const int length =
        z80ex_dasm(text, sizeof text, 0, &t1, &t2, ReadImage, static_cast<Z80EX_WORD>(at),
                   const_cast<std::vector<uint8_t>*>(&rom));
    ASSERT_GT(length, 0) << "at " << std::hex << at;
    const std::string why = Refusal(rom, static_cast<uint16_t>(at));
    char where[8];
    std::snprintf(where, sizeof where, "%04X", at);
    EXPECT_EQ(why, "") << where << ": " << text;
    at += static_cast<uint32_t>(length);
    ++instructions;
  }
  // Decoding in step with the assembler: the last instruction ends at code_end.
  EXPECT_EQ(at, codeEnd);
  EXPECT_GT(instructions, 300);
}

// The checker itself: it must refuse what the processor lacks.
TEST(RomImage, CheckerRefusesMissingInstructions) {
  struct Case {
    std::vector<uint8_t> bytes;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {{0x00}, true},                     // NOP
      {{0xF3}, false},                    // DI
      {{0xFB}, false},                    // EI
      {{0x27}, false},                    // DAA
      {{0xCB, 0x80}, false},              // RES 0,B
      {{0xCB, 0x3F}, true},               // SRL A
      {{0xCB, 0x38}, false},              // SRL B
      {{0xCB, 0xC6}, true},               // SET 0,(HL)
      {{0xED, 0xB0}, true},               // LDIR
      {{0xED, 0xA0}, false},              // LDI
      {{0xED, 0x4A}, false},              // ADC HL,BC
      {{0xDD, 0x77, 0x00}, true},         // LD (IX+0),A
      {{0xDD, 0xA6, 0x00}, false},        // AND (IX+0)
      {{0xFD, 0x73, 0x00}, false},        // LD (IY+0),E
      {{0xDD, 0xCB, 0x00, 0xC6}, true},   // SET 0,(IX+0)
      {{0xDD, 0xCB, 0x00, 0x06}, false},  // RLC (IX+0)
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> image(8192, 0);
    std::copy(c.bytes.begin(), c.bytes.end(), image.begin() + 0x100);
    EXPECT_EQ(Refusal(image, 0x100).empty(), c.accepted)
        << std::hex << int(c.bytes[0]) << " " << (c.bytes.size() > 1 ? int(c.bytes[1]) : 0);
  }
}

}  // namespace
}  // namespace zorva::romtest

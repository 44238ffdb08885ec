// The instructions our processor carries out, as a checker over assembled
// bytes: Refusal says why an instruction is not one of them. Shared by the
// ROM image test and the floating-point package test, which decode the code
// with libz80ex and ask about every instruction.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace zorva::testing {

// The bytes after CB (besides the C0-FF SETs), ED, DD and FD that the processor has.
inline const std::set<uint8_t> kBit = {0x00, 0x08, 0x0F, 0x10, 0x12, 0x14, 0x17, 0x18, 0x1F, 0x21,
                                       0x22, 0x23, 0x25, 0x27, 0x29, 0x3A, 0x3F, 0x40, 0x46, 0x47,
                                       0x4F, 0x57, 0x5F, 0x67, 0x6F, 0x77, 0x7E, 0x7F};
inline const std::set<uint8_t> kExtended = {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x41,
                                            0x79, 0x42, 0x52, 0x62, 0x72, 0x43, 0x53, 0x63, 0x73,
                                            0x4B, 0x5B, 0x6B, 0x7B, 0x44, 0x5F, 0xB0, 0xB8};
inline const std::set<uint8_t> kIx = {0x09, 0x19, 0x21, 0x22, 0x23, 0x2A, 0x2B, 0x34, 0x35,
                                      0x36, 0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E, 0x70,
                                      0x71, 0x72, 0x73, 0x74, 0x75, 0x77, 0x86, 0x96, 0xAE,
                                      0xB6, 0xBE, 0xCB, 0xE1, 0xE5, 0xE9};
inline const std::set<uint8_t> kIy = {0x09, 0x19, 0x21, 0x23, 0x2A, 0x2B, 0x36, 0x46, 0x4E,
                                      0x66, 0x6E, 0x7E, 0x70, 0x71, 0x74, 0x75, 0x77, 0x86,
                                      0x8E, 0x96, 0xB6, 0xBE, 0xCB, 0xE1, 0xE5, 0xE9};

// Empty when the processor carries out the instruction at `at` of `b` (bytes
// past the end read as 0) as the code means it.
inline std::string Refusal(const std::vector<uint8_t>& b, uint16_t at) {
  const auto byte = [&](uint32_t a) -> uint8_t { return a < b.size() ? b[a] : 0; };
  const uint8_t op = byte(at), next = byte(at + 1u), bitOp = byte(at + 3u);
  switch (op) {
    case 0xF3:
    case 0xFB: return "DI/EI";
    case 0x27: return "DAA works differently here";
    case 0x2F: return at == 0x011B ? "CPL at 011B changes B" : "";
    case 0xCB: return next >= 0xC0 || kBit.count(next) ? "" : "CB form";
    case 0xED: return kExtended.count(next) ? "" : "ED form";
    case 0xDD:
    case 0xFD:
      if (!(op == 0xDD ? kIx : kIy).count(next)) return "index form";
      // Only BIT, RES and SET on (I+d).
      return next == 0xCB && (bitOp < 0x40 || (bitOp & 7) != 6) ? "index bit form" : "";
    default: return "";
  }
}

}  // namespace zorva::testing

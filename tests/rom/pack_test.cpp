// The packer of the ROM's RAM code (rom/pack.h): what it packs comes back
// byte for byte, blocks carrying the model from one to the next, and a
// damaged stream is refused rather than read past its end. The ROM's own
// unpacker decodes the same stream at every power-on the other tests run.
#include "rom/pack.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace zorva::rom {
namespace {

std::vector<Extent> ExtentsOf(const std::vector<Block>& blocks) {
  std::vector<Extent> extents;
  for (const Block& b : blocks) extents.push_back({b.start, b.bytes.size(), b.text});
  return extents;
}

std::vector<uint8_t> Random(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out(n);
  for (uint8_t& b : out) b = static_cast<uint8_t>(rng());
  return out;
}

// Code-like bytes: a few instruction shapes over and over, with operands
// that vary, as the matches and places of real code make them.
std::vector<uint8_t> CodeLike(size_t n) {
  std::mt19937 rng(7);
  std::vector<uint8_t> out;
  const std::vector<std::vector<uint8_t>> shapes = {
      {0xCD, 0, 0x40}, {0x3E, 0}, {0x21, 0, 0x38}, {0x18, 0}, {0xC9}, {0xCB, 0x3F}, {0x7E, 0x23}};
  while (out.size() < n) {
    std::vector<uint8_t> s = shapes[rng() % shapes.size()];
    if (s.size() > 1 && s[0] != 0xCB) s[1] = static_cast<uint8_t>(rng() % 24);
    out.insert(out.end(), s.begin(), s.end());
  }
  out.resize(n);
  return out;
}

TEST(Pack, WhatIsPackedComesBackByteForByte) {
  const std::string text = "Commands, numbers in hex: D [addr [count]]  dump memory. ";
  std::vector<uint8_t> repeated;
  for (int k = 0; k < 20; ++k) repeated.insert(repeated.end(), text.begin(), text.end());
  const struct {
    const char* name;
    std::vector<Block> blocks;
  } cases[] = {
      {"one byte", {{0x2000, {0x42}}}},
      {"incompressible", {{0x2000, Random(3000, 1)}}},
      {"one byte over and over: a long match", {{0x4000, std::vector<uint8_t>(700, 0xFF)}}},
      {"text repeated", {{0x2000, repeated}}},
      {"code-like", {{0x2000, CodeLike(4000)}}},
      // The second block may find its matches only in itself.
      {"two blocks", {{0x2000, CodeLike(3000)}, {0x4000, CodeLike(2500)}}},
      {"an empty block between", {{0x2000, CodeLike(100)}, {0x3000, {}}, {0x4000, repeated}}},
      {"up to FFFF", {{0xFFF0, Random(16, 2)}}},
      // Code, then its messages: the text part has literals of its own.
      {"code then text", {{0x2000, CodeLike(900), 600}, {0x4000, repeated, 0}}},
      {"text from the very end", {{0x2000, CodeLike(300), 300}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> packed = Pack(c.blocks);
    EXPECT_EQ(Unpack(packed, ExtentsOf(c.blocks)), c.blocks);
  }
  // Repeats pack small; random bytes cost hardly more than themselves.
  EXPECT_LT(Pack({{0x2000, repeated}}).size(), repeated.size() / 8);
  EXPECT_LT(Pack({{0x2000, Random(3000, 1)}}).size(), 3000u * 103 / 100);
  EXPECT_THROW(Pack({{0xFFF0, Random(17, 2)}}), std::invalid_argument);
  // Where the text starts is part of the format: told another start, the
  // unpacker reads other bytes.
  const std::vector<Block> split = {{0x2000, CodeLike(900), 600}};
  std::vector<Extent> elsewhere = ExtentsOf(split);
  elsewhere[0].text = 300;
  const auto misread = Unpack(Pack(split), elsewhere);
  EXPECT_TRUE(!misread || (*misread)[0].bytes != split[0].bytes);
}

TEST(Pack, ADamagedStreamIsRefusedOrReadWithinItsEnds) {
  const std::vector<Block> blocks = {{0x2000, CodeLike(600), 500}, {0x4000, CodeLike(300)}};
  const std::vector<Extent> extents = ExtentsOf(blocks);
  const std::vector<uint8_t> packed = Pack(blocks);
  for (size_t cut : {size_t{0}, size_t{1}, packed.size() / 2, packed.size() - 1}) {
    EXPECT_FALSE(Unpack(std::vector<uint8_t>(packed.begin(), packed.begin() + cut), extents))
        << "cut at " << cut;
  }
  std::vector<uint8_t> longer = packed;
  longer.push_back(0);
  EXPECT_FALSE(Unpack(longer, extents));
  // Every byte flipped in turn: never a crash, and never the original back.
  for (size_t i = 0; i < packed.size(); ++i) {
    std::vector<uint8_t> bad = packed;
    bad[i] ^= 0x5A;
    const auto out = Unpack(bad, extents);
    if (out) {
      EXPECT_NE(*out, blocks) << i;
      ASSERT_EQ(out->size(), blocks.size());
      for (size_t k = 0; k < blocks.size(); ++k) EXPECT_EQ((*out)[k].bytes.size(), extents[k].size);
    }
  }
}

}  // namespace
}  // namespace zorva::rom

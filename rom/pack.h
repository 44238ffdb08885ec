// The packed form in which our ROM carries the code it unpacks into RAM at
// power-on, and its packer: LZ77 tokens coded bit by bit with an adaptive
// binary range coder (rANS), decoded by rom/unpack.asm.
//
// The stream holds the blocks one after another; where they go and how long
// they are the unpacker knows from the assembler. Every decision is one bit
// with its own 8-bit probability, which moves 1/16 of the way towards each bit
// seen. A token is a literal (a flag, then the byte as a tree of 255
// probabilities chosen by the byte's place in a Z80 instruction: opcode,
// 8-bit operand, address low byte, data address high byte, jump target high
// byte, relative jump, opcode after CB or ED; or text, for the data that ends
// a block from its `text` offset on) or a match (a flag; after a
// literal a second flag for "the last offset again"; else gamma(hi + 1) and
// the low offset byte's tree; then the length in gamma). The flag's
// probability depends on the byte's place and on whether a match came last.
// gamma(v): after the leading 1, "one more" and the bit, from the top; then
// "no more"; a probability for each step. The probabilities, the places, the
// last offset and whether a match came last carry on from block to block; a
// match never reaches back before its own block.
//
// The coder's state is 16 bits; stream bits go in at the bottom whenever its
// top bit is clear, from the top bit of each byte down.
//
//   std::vector<uint8_t> packed = Pack({{0x2000, code}});
//   assert(Unpack(packed, {{0x2000, code.size()}}) == std::vector<Block>{{0x2000, code}});
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zorva::rom {

// A block with no text part.
inline constexpr size_t kNoText = SIZE_MAX;

struct Block {
  uint16_t start = 0;
  std::vector<uint8_t> bytes;
  size_t text = kNoText;  // where its data (messages, tables) starts
  bool operator==(const Block&) const = default;
};

// Where a block goes, how long it is and where its text starts.
struct Extent {
  uint16_t start = 0;
  size_t size = 0;
  size_t text = kNoText;
};

// The stream of `blocks`, as short as this parse finds. Throws
// std::invalid_argument for a block running past FFFF.
std::vector<uint8_t> Pack(const std::vector<Block>& blocks);

// The blocks of `extents` out of a stream; nothing when it is damaged (runs
// past its end or stops short of it, a match refers back before its block or
// runs past its end).
std::optional<std::vector<Block>> Unpack(const std::vector<uint8_t>& packed,
                                         const std::vector<Extent>& extents);

}  // namespace zorva::rom

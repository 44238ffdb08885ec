// The packed format in which our ROM carries the code it unpacks into RAM at
// power-on, and its packer: LZ77 tokens coded bit by bit with an adaptive
// binary range coder (rANS), decoded by rom/unpack.asm.
//
// The packed list is, for each block, its start and end address (words, low
// byte first, the end exclusive) and its stream; a start of 0 ends it. Every
// decision is one bit with its own 8-bit probability, which moves 1/16 of the
// way towards each bit seen; the probabilities carry on from block to block.
// A token is a literal (a flag, then the byte as a tree of 255 probabilities
// chosen by the byte's place in a Z80 instruction: opcode, 8-bit operand,
// address low byte, data address high byte, jump target high byte) or a
// match (a flag; after a literal a second flag for "the last offset again";
// else gamma(hi + 1) and the low offset byte's tree; then the length in
// gamma). The flag's probability depends on the byte's place and on whether
// a match came last. gamma(v): after the leading 1, "one more" and the bit,
// from the top; then "no more"; a probability for each step.
//
// The coder's state is 16 bits, read afresh at each block's start; stream
// bits go in at the bottom whenever its top bit is clear, from the top bit of
// each byte down.
//
//   std::vector<uint8_t> packed = Pack({{0x2000, code}});
//   assert(Unpack(packed) == std::vector<Block>{{0x2000, code}});
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zorva::rom {

struct Block {
  uint16_t start = 0;
  std::vector<uint8_t> bytes;
  bool operator==(const Block&) const = default;
};

// The packed list of `blocks`, its streams as short as this parse finds.
// Throws std::invalid_argument for a block at 0 or one running past FFFF.
std::vector<uint8_t> Pack(const std::vector<Block>& blocks);

// The blocks of a packed list; nothing when it is damaged (runs past its
// end, a match refers back before its block, a block overruns its end).
std::optional<std::vector<Block>> Unpack(const std::vector<uint8_t>& packed);

}  // namespace zorva::rom

// The packed format in which our ROM carries the code it unpacks into RAM at
// power-on: an LZ77 stream of bits and bytes, made for a small, fast decoder
// in Z80 code (rom/unpack.asm) on a processor without most of the Z80's
// shift instructions.
//
// A stream is a run of tokens that rebuild one block of bytes of a length
// the decoder knows beforehand:
//   literals: flag bit 0, gamma(n), then n bytes as they are;
//   a match:  flag bit 1, gamma(hi + 1), a byte lo, gamma(n - 1): copy n
//             bytes from offset hi * 256 + lo + 1 back in the output.
// A literal run is always followed by a match, so the flag after one is
// left out (it would always be 1). Bits are read from the top of a byte;
// a new byte is fetched when the last one is used up, so bits and whole
// bytes are interleaved in the order the decoder takes them.
//
// gamma(v), v >= 1: for each bit of v below its leading 1, from the top, a 0
// and that bit; then a 1. So 1 is "1", 2 is "001", 3 is "011", 4 is "00001".
//
//   std::vector<uint8_t> packed = Pack(code);
//   assert(Unpack(packed, code.size()) == code);
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zorva::rom {

// The shortest stream (by this parse) that rebuilds `data`.
std::vector<uint8_t> Pack(const std::vector<uint8_t>& data);

// Rebuilds `length` bytes from `packed`; nothing when the stream is damaged
// (runs past its end, or refers back before the first byte).
std::optional<std::vector<uint8_t>> Unpack(const std::vector<uint8_t>& packed, size_t length);

}  // namespace zorva::rom

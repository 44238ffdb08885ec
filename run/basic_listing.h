// The BASIC program in the machine's memory as LIST shows it, for SAVE to
// write as a plain text file that LOAD (run/program_text.h) reads back.
//
//   if (auto text = ListProgram(memory, programStart, keywordTable)) Write(*text);
//
// BASIC keeps each line as a length byte (counting the whole stored line),
// the line number (little-endian), the text with keywords as one-byte tokens
// (0x80 and up) and a 0 byte; a length byte of 0 ends the program. The ROM's
// keyword table spells each keyword with bit 7 set on its last character,
// followed by its token byte, and ends with a 0 byte.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zorva {

// A listing is never bigger than this; a program that would list longer is
// taken for damaged.
inline constexpr size_t kMaxListing = 64 * 1024;

// One line per stored line: its number in decimal, a space, its text with
// every token spelled as the table's first keyword for it ("?" for a token the
// table lacks), then LF. Nothing when the program or the table is damaged: a
// length byte below 4, a line whose 0 byte is not its last, a line or the
// table running past the end of memory, or a listing above kMaxListing.
std::optional<std::string> ListProgram(std::span<const uint8_t, 65536> memory, uint16_t program,
                                       uint16_t keywords);

}  // namespace zorva

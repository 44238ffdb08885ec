// A BASIC program kept as a plain text file, read back for LOAD. The file
// holds the lines as LIST shows them; ProgramLines checks every byte and
// hands LOAD the lines to store, as if they had been typed in file order,
// or nothing at all when the file cannot be a program, so a wrong file never
// leaves half a program behind.
//
//   if (auto lines = ProgramLines(bytes, kLongestLine)) for (auto& l : *lines) Store(l);
//
// A line ends with LF or CR LF; the last may have no line end. Blank lines
// are skipped. Every other line starts, after any spaces, with its number,
// 0 to 63999; a later line with the same number replaces the earlier one and a
// bare number deletes its line. Only printable ASCII (0x20 to 0x7E) is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva {

// The highest line number BASIC accepts.
inline constexpr uint16_t kLastLineNumber = 63999;

struct ProgramLine {
  uint16_t number;
  std::string text;  // the line as written, number and all, without its line end

  bool operator==(const ProgramLine&) const = default;
};

// The program in `file`, sorted by line number, or nothing when any line is
// refused: no line number, a number above 63999, a byte outside printable
// ASCII (a tab, a CR not followed by LF, anything from 0x80 up), or a line of
// more than `maxLineLength` characters. An empty file is an empty program.
std::optional<std::vector<ProgramLine>> ProgramLines(std::string_view file, size_t maxLineLength);

}  // namespace zorva

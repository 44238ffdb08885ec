// The trace log's lines are fixed texts with "%4x" fields: a 16-bit value in
// lower-case hexadecimal, right-aligned in four columns with blanks before it.
// FormatTraceLine writes such a line without printf, whose general machinery
// costs more than the rest of a traced instruction.
//
//   char line[32];
//   char* end = FormatTraceLine(line, "JR     %4x\r\n", {pc});
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace zorva {

// Since every value fits four columns, a line is one character longer than its
// format for each field.
constexpr size_t TraceLineLength(std::string_view format) {
  size_t fields = 0;
  for (size_t at = format.find("%4x"); at != std::string_view::npos;
       at = format.find("%4x", at + 3))
    ++fields;
  return format.size() + fields;
}

// Writes `format` to `out` with each "%4x" replaced by the next of `values`,
// and returns the end. `out` holds at least TraceLineLength(format) characters;
// a format has as many fields as there are values, and no other '%'.
inline char* FormatTraceLine(char* out, std::string_view format,
                             std::initializer_list<uint16_t> values) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const uint16_t* value = values.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      *out++ = format[i];
      continue;
    }
    const uint16_t v = *value++;
    out[0] = v > 0xFFF ? kDigits[v >> 12] : ' ';
    out[1] = v > 0xFF ? kDigits[(v >> 8) & 0xF] : ' ';
    out[2] = v > 0xF ? kDigits[(v >> 4) & 0xF] : ' ';
    out[3] = kDigits[v & 0xF];
    out += 4;
    i += 2;  // past "4x"
  }
  return out;
}

}  // namespace zorva

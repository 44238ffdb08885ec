#include "run/basic_listing.h"

#include <array>
#include <charconv>
#include <string_view>

namespace zorva {
namespace {

constexpr uint32_t kMemorySize = 65536;

struct Keyword {
  uint32_t at = 0;      // address of its first character
  uint32_t length = 0;  // 0: no keyword has this token
};

// Each token's first keyword in the table at `table`, or nothing when the
// table runs past the end of memory.
std::optional<std::array<Keyword, 128>> ReadKeywords(std::span<const uint8_t, 65536> memory,
                                                     uint32_t table) {
  std::array<Keyword, 128> keywords{};
  uint32_t at = table;
  while (true) {
    if (at >= kMemorySize) return std::nullopt;
    if (memory[at] == 0) return keywords;
    const uint32_t first = at;
    while (at < kMemorySize && (memory[at] & 0x80) == 0) ++at;
    // The last character and the token byte after it must both be in memory.
    if (at + 1 >= kMemorySize) return std::nullopt;
    const uint8_t token = memory[at + 1];
    // A token below 0x80 can never stand in a line's text; nothing to spell.
    if (token >= 0x80 && keywords[token - 0x80].length == 0) {
      keywords[token - 0x80] = {first, at + 1 - first};
    }
    at += 2;
  }
}

}  // namespace

std::optional<std::string> ListProgram(std::span<const uint8_t, 65536> memory, uint16_t program,
                                       uint16_t keywords) {
  const auto spelled = ReadKeywords(memory, keywords);
  if (!spelled) return std::nullopt;

  std::string out;
  // Every piece goes through here, so a table whose keywords are very long
  // cannot grow the listing without bound.
  const auto fits = [&out](size_t more) { return out.size() + more <= kMaxListing; };

  uint32_t at = program;
  while (true) {
    if (at >= kMemorySize) return std::nullopt;  // the end-of-program byte is missing
    const uint32_t length = memory[at];
    if (length == 0) return out;
    if (length < 4) return std::nullopt;
    const uint32_t last = at + length - 1;
    if (last >= kMemorySize || memory[last] != 0) return std::nullopt;

    char number[8];
    const uint16_t value = static_cast<uint16_t>(memory[at + 1] | memory[at + 2] << 8);
    const auto [end, ec] = std::to_chars(number, number + sizeof number, value);
    if (!fits(static_cast<size_t>(end - number) + 1)) return std::nullopt;
    out.append(number, end);
    out += ' ';

    for (uint32_t i = at + 3; i < last; ++i) {
      const uint8_t byte = memory[i];
      if (byte == 0) return std::nullopt;  // the line ends before its length says
      if (byte < 0x80) {
        if (!fits(1)) return std::nullopt;
        out += static_cast<char>(byte);
        continue;
      }
      const Keyword& keyword = (*spelled)[byte - 0x80];
      if (keyword.length == 0) {
        if (!fits(1)) return std::nullopt;
        out += '?';
        continue;
      }
      if (!fits(keyword.length)) return std::nullopt;
      for (uint32_t k = 0; k < keyword.length; ++k) {
        out += static_cast<char>(memory[keyword.at + k] & 0x7F);
      }
    }
    if (!fits(1)) return std::nullopt;
    out += '\n';
    at += length;
  }
}

}  // namespace zorva

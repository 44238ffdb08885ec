#include "run/program_text.h"

#include <limits>

namespace zorva {
namespace {

constexpr size_t kNumbers = size_t{kLastLineNumber} + 1;

// The line starting at `start`, without its LF and a CR right before it;
// `next` is where the line after it starts.
std::string_view LineAt(std::string_view file, size_t start, size_t& next) {
  size_t end = file.find('\n', start);
  if (end == std::string_view::npos) {
    next = file.size();
    return file.substr(start);
  }
  next = end + 1;
  std::string_view line = file.substr(start, end - start);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

std::optional<std::vector<ProgramLine>> ProgramLines(std::string_view file, size_t maxLineLength) {
  // Each number's latest line, as its offset in the file plus one (0: none).
  // Offsets are 32 bits; a file of 4 GiB is far past any program anyway.
  if (file.size() >= std::numeric_limits<uint32_t>::max()) return std::nullopt;
  std::vector<uint32_t> latest(kNumbers, 0);
  size_t kept = 0;

  size_t start = 0;
  while (start < file.size()) {
    size_t next;
    const std::string_view line = LineAt(file, start, next);
    if (line.size() > maxLineLength) return std::nullopt;
    // A CR still in the line did not end it with an LF: refused with the other
    // control bytes.
    for (const char c : line) {
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
        return std::nullopt;
      }
    }
    size_t i = line.find_first_not_of(' ');
    if (i != std::string_view::npos) {
      if (line[i] < '0' || line[i] > '9') return std::nullopt;
      uint32_t number = 0;
      for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        number = number * 10 + static_cast<uint32_t>(line[i] - '0');
        if (number > kLastLineNumber) return std::nullopt;
      }
      uint32_t& slot = latest[number];
      const bool bare = line.find_first_not_of(' ', i) == std::string_view::npos;
      if (bare) {
        kept -= slot != 0;
        slot = 0;
      } else {
        kept += slot == 0;
        slot = static_cast<uint32_t>(start + 1);
      }
    }
    start = next;
  }

  std::vector<ProgramLine> lines;
  lines.reserve(kept);
  for (size_t number = 0; number < kNumbers && lines.size() < kept; ++number) {
    if (latest[number] == 0) continue;
    size_t next;
    const std::string_view line = LineAt(file, latest[number] - 1, next);
    lines.push_back({static_cast<uint16_t>(number), std::string(line)});
  }
  return lines;
}

}  // namespace zorva

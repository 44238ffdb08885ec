// Runs the system ROM in the headless runner (zorva-run) as a separate process
// and collects what it left behind: the 25 screen rows, its standard error
// (messages and captions), and the 64 KiB of memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorva::romtest {

struct RunRequest {
  std::string type;                               // --type text; "\n" is Enter, "\b" Backspace
  std::optional<std::vector<uint8_t>> cartridge;  // 16384 bytes, loaded with --cart
  uint32_t keyGap = 20'000;                       // --key-gap
  uint64_t extraSteps = 300'000;                  // instructions after the last key event
  bool trace = false;                             // keep a trace log (see RunResult::pcs)

  RunRequest& Gap(uint32_t gap) {
    keyGap = gap;
    return *this;
  }
  RunRequest& Cart(std::vector<uint8_t> image) {
    cartridge = std::move(image);
    return *this;
  }
  RunRequest& Traced(uint64_t after) {
    trace = true;
    extraSteps = after;
    return *this;
  }
};

inline RunRequest Typed(std::string text) {
  RunRequest request;
  request.type = std::move(text);
  return request;
}

struct RunResult {
  int status = -1;
  std::vector<std::string> rows;  // 25 rows of 40 characters, non-printables as '.'
  std::string stderrText;
  std::vector<uint8_t> memory;  // 65536 bytes at the end of the run
  std::vector<uint16_t> pcs;    // with trace: PC of every executed instruction

  // Row r without its trailing spaces.
  std::string Row(int r) const;
  // The colour byte and character code of a cell.
  uint8_t Colour(int row, int col) const { return memory.at(0x3400 + 40 * row + col); }
  uint8_t Char(int row, int col) const { return memory.at(0x3000 + 40 * row + col); }
  // Lines of stderr that start with `prefix`.
  std::vector<std::string> StderrLines(const std::string& prefix) const;
};

// Key events that zorva-run makes of `text` (two per key, four with Shift).
uint64_t KeyEventCount(const std::string& text);

RunResult RunRom(const RunRequest& request);

// The ROM image and the address of a symbol from the assembler's symbol file.
std::vector<uint8_t> RomImage();
uint16_t Symbol(const std::string& name);

// Colours the ROM uses.
inline constexpr uint8_t kTextColour = 0x7C;
inline constexpr uint8_t kBannerColour = 0xC6;
inline constexpr uint8_t kPromptColour = 0x3C;
inline constexpr uint8_t kHintColour = 0x2C;
inline constexpr uint8_t kErrorColour = 0x1C;

}  // namespace zorva::romtest

// The command line of zorva-run, and the translation of --type text into the
// key events that type it in our ROM's keyboard layout. ParseOptions is a pure function of its
// arguments (no I/O, no exit) so that it can be tested and fuzzed on its own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorva::tools {

// One event of typed text, delivered through the emulator's key handlers.
struct KeyEvent {
  enum class Kind : uint8_t { Down, Up, Ok };  // Ok: Enter, which arrives as the OK command
  Kind kind;
  unsigned code;  // virtual-key code; unused for Ok

  bool operator==(const KeyEvent&) const = default;
};

struct RunOptions {
  std::string rom;
  std::optional<std::string> cartridge;
  uint16_t start = 0x0000;
  uint16_t end = 0xFFFF;
  uint64_t steps = 100'000'000;  // 0: no limit
  std::vector<KeyEvent> keys;    // from --type
  uint32_t keyGap = 20'000;      // instructions between two key events
  std::optional<std::string> trace;
  bool regs = false;
  std::optional<std::string> dump;
  bool screen = false;
  std::optional<std::string> png;
  int zoom = 2;  // of the PNG picture, as the window's view commands: 1, 2 or 3
};

struct ParseResult {
  enum class Action { Run, Help, UsageError };
  Action action = Action::UsageError;
  RunOptions options;  // meaningful for Run
  std::string error;   // one line, for UsageError
};

// `args` excludes the program name.
ParseResult ParseOptions(std::span<const std::string_view> args);

// The key events that type `text`; on a character without a key returns
// nothing and names the character in `error`.
std::optional<std::vector<KeyEvent>> KeyEventsFor(std::string_view text, std::string& error);

// The usage text, ending in a newline.
std::string_view UsageText();

}  // namespace zorva::tools

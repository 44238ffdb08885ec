#include "tools/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <utility>

#include "machine/keyboard.h"

namespace zorva::tools {
namespace {

constexpr std::string_view kUsage =
    "usage: zorva-run [options] ROM\n"
    "Runs an 8192-byte Aquarius system ROM image without a window.\n"
    "\n"
    "  --cart FILE     after the ROM, load a 16384-byte cartridge image at 0xC000,\n"
    "                  then reset and start as the cartridge command does\n"
    "  --start ADDR    start run point (default 0)\n"
    "  --end ADDR      end run point (default 0xFFFF); the run ends when PC reaches it\n"
    "  --steps N       stop the run after N instructions (default 100000000); 0 = no limit\n"
    "  --type TEXT     type TEXT on the emulated keyboard, one key press or release\n"
    "                  every --key-gap instructions; a newline or \\n is Enter,\n"
    "                  a backspace or \\b is Backspace, 0x03 or \\c is Ctrl+C\n"
    "  --key-gap N     instructions between two key events (default 20000, at least 1)\n"
    "  --trace FILE    log every instruction to FILE (the trace log, otherwise trace.log)\n"
    "  --regs          at the end print the registers on one line\n"
    "  --dump FILE     at the end write the 65536 bytes of memory to FILE\n"
    "  --screen        at the end print the 25 rows of character memory\n"
    "  --png FILE      at the end write the screen as the window shows it, as a PNG picture\n"
    "  --zoom N        the PNG picture's zoom factor, 1, 2 or 3 (default 2, as the window)\n"
    "  --help          print this text\n"
    "\n"
    "ADDR and N are decimal, or hexadecimal with 0x; --OPTION=VALUE works as well.\n"
    "Messages the machine shows go to stderr as 'message: TEXT', caption changes as\n"
    "'caption: TEXT'.\n"
    "\n"
    "Exit status:\n"
    "  0    the run ended, at the end point or after --steps instructions\n"
    "  1    the ROM or the cartridge could not be loaded, or the trace log, the dump,\n"
    "       the PNG picture or the standard output could not be written (stderr\n"
    "       says which)\n"
    "  2    a usage error\n"
    "  130  SIGINT (Ctrl-C) or SIGTERM ended the run early; the results asked for\n"
    "       are written all the same\n";

std::string NameOf(unsigned char c) {
  if (c > 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", c);
  return text;
}

// Text for a one-line message: control characters, newlines among them,
// show as escapes, so that the message stays one printable line.
std::string Escaped(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != 0x7F) {
      out += ch;
      continue;
    }
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", c);
        out += escape;
      }
    }
  }
  return out;
}

// An argument quoted for a one-line message.
std::string Quoted(std::string_view text) { return "'" + Escaped(text) + "'"; }

// The key a character is on in our ROM's layout, and the modifier held for it.
// Letters, digits and the unshifted keys are where a US keyboard has them, and
// so are the shifted symbols, except that the double quote is on Shift+2 and
// the apostrophe on Shift+7, as on the machine's own keyboard. What they push
// aside (@ and &) and the six characters without a key of their own are on
// Ctrl: @ and & stay on their keys, the brackets sit beside the parentheses,
// the braces on the angle brackets, the backslash on the slash, the bar on
// the minus.
struct KeyFor {
  unsigned code = 0;  // 0: no key
  bool shift = false;
  bool ctrl = false;
};

KeyFor Lookup(char c) {
  if (c >= 'a' && c <= 'z') return {static_cast<unsigned>(c - 'a' + 'A')};
  if (c >= 'A' && c <= 'Z') return {static_cast<unsigned>(c), true};
  if (c >= '0' && c <= '9') return {static_cast<unsigned>(c)};
  switch (c) {
    case ' ': return {vk::kSpace};
    case '\b': return {vk::kBack};
    case '\x03': return {'C', false, true};
    case ';': return {vk::kOem1};
    case ':': return {vk::kOem1, true};
    case '=': return {vk::kOemPlus};
    case '+': return {vk::kOemPlus, true};
    case ',': return {vk::kOemComma};
    case '<': return {vk::kOemComma, true};
    case '{': return {vk::kOemComma, false, true};
    case '-': return {vk::kOemMinus};
    case '_': return {vk::kOemMinus, true};
    case '|': return {vk::kOemMinus, false, true};
    case '.': return {vk::kOemPeriod};
    case '>': return {vk::kOemPeriod, true};
    case '}': return {vk::kOemPeriod, false, true};
    case '/': return {vk::kOem2};
    case '?': return {vk::kOem2, true};
    case '\\': return {vk::kOem2, false, true};
    case '`': return {vk::kOem3};
    case '~': return {vk::kOem3, true};
    case '!': return {'1', true};
    case '"': return {'2', true};
    case '@': return {'2', false, true};
    case '#': return {'3', true};
    case '$': return {'4', true};
    case '%': return {'5', true};
    case '^': return {'6', true};
    case '\'': return {'7', true};
    case '&': return {'7', false, true};
    case '*': return {'8', true};
    case '(': return {'9', true};
    case '[': return {'9', false, true};
    case ')': return {'0', true};
    case ']': return {'0', false, true};
    default: return {};
  }
}

// Decimal, or hexadecimal after 0x; nothing else, not even blanks or a sign.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, value, base);
  if (error != std::errc{} || end != last || value > max) return std::nullopt;
  return value;
}

}  // namespace

std::string_view UsageText() { return kUsage; }

std::optional<std::vector<KeyEvent>> KeyEventsFor(std::string_view text, std::string& error) {
  using Kind = KeyEvent::Kind;
  std::vector<KeyEvent> events;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    // A shell cannot easily pass a newline, so the two characters \n stand for one;
    // likewise \b for Backspace and \c for Ctrl+C.
    if (c == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == 'n' || next == 'b' || next == 'c') {
        c = next == 'n' ? '\n' : next == 'b' ? '\b' : '\x03';
        ++i;
      }
    }
    if (c == '\n') {
      events.push_back({Kind::Ok, vk::kReturn});
      events.push_back({Kind::Up, vk::kReturn});
      continue;
    }
    const KeyFor key = Lookup(c);
    if (key.code == 0) {
      error = "--type: no key for the character " + NameOf(static_cast<unsigned char>(c));
      return std::nullopt;
    }
    const unsigned modifier = key.ctrl ? vk::kControl : key.shift ? vk::kShift : 0;
    if (modifier != 0) events.push_back({Kind::Down, modifier});
    events.push_back({Kind::Down, key.code});
    events.push_back({Kind::Up, key.code});
    if (modifier != 0) events.push_back({Kind::Up, modifier});
  }
  return events;
}

ParseResult ParseOptions(std::span<const std::string_view> args) {
  ParseResult result;
  RunOptions& o = result.options;
  auto fail = [&result](std::string message) {
    result.action = ParseResult::Action::UsageError;
    result.error = std::move(message);
    return result;
  };

  // --help anywhere among the options wins over everything else.
  const auto optionsEnd = std::find(args.begin(), args.end(), "--");
  if (std::find(args.begin(), optionsEnd, "--help") != optionsEnd) {
    result.action = ParseResult::Action::Help;
    return result;
  }

  // CLI11 sorts the arguments into options, their values and the ROM; the
  // values stay text here, to be checked below with messages of our own.
  // The first argument it does not know, and all after it, it leaves as given.
  CLI::App app;
  app.set_help_flag();
  app.prefix_command();
  CLI::Option* rom = app.add_option("ROM", o.rom);
  app.add_flag("--regs", o.regs);
  app.add_flag("--screen", o.screen);
  constexpr const char* kValueOptions[] = {"--cart",    "--start", "--end",  "--steps", "--type",
                                           "--key-gap", "--trace", "--dump", "--png",   "--zoom"};
  std::map<std::string_view, std::string> values;  // the last one given of each
  for (const char* name : kValueOptions)
    app.add_option(name, values[name])->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  auto given = [&](std::string_view option) -> const std::string* {
    return app.get_option(std::string(option))->count() != 0 ? &values[option] : nullptr;
  };

  std::vector<std::string> reversed(args.rbegin(), args.rend());  // the order CLI11 takes
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& e) {
    // An option that takes a value, last on the line.
    const std::string_view last = args.back().substr(0, args.back().find('='));
    if (std::find(std::begin(kValueOptions), std::end(kValueOptions), last) !=
        std::end(kValueOptions))
      return fail(std::string(last) + " needs a value");
    return fail(Escaped(e.what()));
  } catch (const CLI::ParseError& e) {
    return fail(Escaped(e.what()));
  }

  bool afterDoubleDash = false;
  for (const std::string& arg : app.remaining()) {
    if (arg == "--" && !afterDoubleDash) {
      afterDoubleDash = true;
      continue;
    }
    if (!afterDoubleDash && arg.size() >= 2 && arg[0] == '-')
      return fail("unknown option " + Quoted(arg));
    return fail("more than one ROM given: " + Quoted(o.rom) + " and " + Quoted(arg));
  }

  const struct {
    const char* option;
    uint64_t min, max;
    const char* what;
    std::function<void(uint64_t)> set;
  } numbers[] = {
      {"--start", 0, 0xFFFF, "an address from 0 to 0xFFFF",
       [&](uint64_t n) { o.start = static_cast<uint16_t>(n); }},
      {"--end", 0, 0xFFFF, "an address from 0 to 0xFFFF",
       [&](uint64_t n) { o.end = static_cast<uint16_t>(n); }},
      {"--steps", 0, std::numeric_limits<uint64_t>::max(), "a number of instructions",
       [&](uint64_t n) { o.steps = n; }},
      {"--key-gap", 1, std::numeric_limits<uint32_t>::max(),
       "a number of instructions from 1 to 4294967295",
       [&](uint64_t n) { o.keyGap = static_cast<uint32_t>(n); }},
      {"--zoom", 1, 3, "a zoom factor of 1, 2 or 3",
       [&](uint64_t n) { o.zoom = static_cast<int>(n); }},
  };
  for (const auto& number : numbers) {
    const std::string* value = given(number.option);
    if (value == nullptr) continue;
    const auto n = ParseNumber(*value, number.max);
    if (!n || *n < number.min)
      return fail(std::string(number.option) + ": " + Quoted(*value) + " is not " + number.what);
    number.set(*n);
  }
  if (const std::string* text = given("--type")) {
    std::string error;
    auto keys = KeyEventsFor(*text, error);
    if (!keys) return fail(error);
    o.keys = std::move(*keys);
  }
  // An empty name would only fail later, after the run; say so now.
  for (const auto& [option, file] : {std::pair{"--cart", &o.cartridge},
                                     {"--trace", &o.trace},
                                     {"--dump", &o.dump},
                                     {"--png", &o.png}}) {
    const std::string* name = given(option);
    if (name == nullptr) continue;
    if (name->empty()) return fail(std::string(option) + " needs a file name, not an empty one");
    *file = *name;
  }
  if (rom->count() == 0) return fail("no ROM image given");
  if (o.rom.empty()) return fail("the ROM image needs a file name, not an empty one");
  result.action = ParseResult::Action::Run;
  return result;
}

}  // namespace zorva::tools

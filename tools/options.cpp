#include "tools/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <utility>

#include "run/typist.h"

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
    "  --type TEXT     type TEXT on the emulated keyboard as our ROM's layout types it,\n"
    "                  as the window's paste does; a newline or \\n is Enter, a\n"
    "                  backspace or \\b is Backspace, 0x03 or \\c is Ctrl+C (Break);\n"
    "                  characters without a key (a tab, anything outside ASCII)\n"
    "                  are skipped, and counted\n"
    "  --type-file FILE  type the text in FILE (before --type's), line ends as Enter\n"
    "  --key-gap N     instructions between two key events, at least 1 (default: a\n"
    "                  key is held @HOLD@, and @GAP@ pass before every other event)\n"
    "  --type-after N  instructions run before the first key (default @AFTER@: our\n"
    "                  ROM unpacks itself first, and keys pressed meanwhile are lost)\n"
    "  --trace FILE    log every instruction to FILE (the trace log, otherwise trace.log)\n"
    "  --programs DIR  the folder where our BASIC's SAVE, LOAD and FILES keep programs\n"
    "                  (default: the working folder)\n"
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
    "  3    the run ended before all the typed text was typed (stderr says how\n"
    "       many characters were left)\n"
    "  130  SIGINT (Ctrl-C) or SIGTERM ended the run early; the results asked for\n"
    "       are written all the same\n";

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

std::string_view UsageText() {
  static const std::string usage = [] {
    std::string text(kUsage);
    const auto put = [&text](std::string_view field, uint32_t value) {
      text.replace(text.find(field), field.size(), std::to_string(value));
    };
    put("@HOLD@", Typist::kDefaultPace.hold);
    put("@GAP@", Typist::kDefaultPace.gap);
    put("@AFTER@", kStartUp);
    return text;
  }();
  return usage;
}

std::string TypedText(std::string_view text) {
  std::string typed;
  for (size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '\\' && (next == 'n' || next == 'b' || next == 'c')) {
      typed += next == 'n' ? '\n' : next == 'b' ? '\b' : '\x03';
      ++i;
    } else {
      typed += text[i];
    }
  }
  return typed;
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
  constexpr const char* kValueOptions[] = {
      "--cart",       "--start", "--end",  "--steps", "--type", "--type-file", "--key-gap",
      "--type-after", "--trace", "--dump", "--png",   "--zoom", "--programs"};
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
      {"--type-after", 0, std::numeric_limits<uint32_t>::max(),
       "a number of instructions from 0 to 4294967295",
       [&](uint64_t n) { o.typeAfter = static_cast<uint32_t>(n); }},
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
  if (const std::string* text = given("--type")) o.typed = TypedText(*text);
  if (const std::string* folder = given("--programs")) {
    if (folder->empty()) return fail("--programs needs a folder name, not an empty one");
    o.programs = *folder;
  }
  // An empty name would only fail later, after the run; say so now.
  for (const auto& [option, file] : {std::pair{"--cart", &o.cartridge},
                                     {"--type-file", &o.typeFile},
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

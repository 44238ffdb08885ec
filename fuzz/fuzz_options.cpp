// fuzz_options: zorva-run's command-line parser on arbitrary arguments.
//
// Input: the arguments (program name excluded), separated by NUL bytes.
//
// Checks: ParseOptions returns, and gives the same answer when asked twice.
// A Run result has a ROM name, a key gap of at least 1, a zoom of 1 to 3, and
// no empty file names; typing its text gives key events that each name a key
// of the matrix (or Shift or Ctrl), press no key twice, release none that is
// up, and leave no key held at the end, every character typed or skipped. A
// usage error is one non-empty line of printable text. The whole input, typed
// as text, gives such events too.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "machine/keyboard.h"
#include "run/typist.h"
#include "tools/options.h"

namespace zorva::fuzz {
namespace {

using tools::ParseResult;

const Keyboard& KeyTable() {
  static const Keyboard* kb = [] {
    auto* k = new Keyboard;
    BuildKeyTable(*k);
    return k;
  }();
  return *kb;
}

void CheckOneLine(const std::string& error) {
  ZORVA_CHECK(!error.empty(), "an empty error");
  for (const char ch : error) {
    const auto c = static_cast<unsigned char>(ch);
    ZORVA_CHECK(c >= 0x20 && c != 0x7F, "error with the character 0x%02X: '%s'", c, error.c_str());
  }
}

void CheckTyping(std::string_view text) {
  Typist typist;
  typist.SetPace({1, 1});
  typist.Type(text);
  std::vector<KeyEvent> keys;
  while (typist.typing()) {
    typist.Advance(typist.untilNext());
    while (const auto key = typist.Due()) keys.push_back(*key);
  }
  ZORVA_CHECK(typist.charactersLeft() == 0, "%zu characters left", typist.charactersLeft());

  std::map<unsigned, int> held;
  bool enterHeld = false;
  for (const KeyEvent& k : keys) {
    switch (k.kind) {
      case KeyEvent::Kind::Ok:
        ZORVA_CHECK(!enterHeld, "Enter pressed twice");
        enterHeld = true;
        break;
      case KeyEvent::Kind::Down:
        ZORVA_CHECK(k.code < 256 && (KeyTable().keyTable[k.code] != 0 || k.code == vk::kShift ||
                                     k.code == vk::kControl),
                    "a press of %u, which is no key of the matrix", k.code);
        ZORVA_CHECK(held[k.code]++ == 0, "key %u pressed while held", k.code);
        break;
      case KeyEvent::Kind::Up:
        if (k.code == vk::kReturn && enterHeld) {
          enterHeld = false;
          break;
        }
        ZORVA_CHECK(held[k.code]-- == 1, "key %u released while not held", k.code);
        break;
    }
  }
  ZORVA_CHECK(!enterHeld, "Enter still held at the end");
  for (const auto& [code, count] : held) ZORVA_CHECK(count == 0, "key %u still held", code);
}

bool operator==(const tools::RunOptions& a, const tools::RunOptions& b) {
  return a.rom == b.rom && a.cartridge == b.cartridge && a.start == b.start && a.end == b.end &&
         a.steps == b.steps && a.typed == b.typed && a.typeFile == b.typeFile &&
         a.keyGap == b.keyGap && a.trace == b.trace && a.regs == b.regs && a.dump == b.dump &&
         a.screen == b.screen && a.png == b.png && a.zoom == b.zoom;
}

}  // namespace
}  // namespace zorva::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorva;
  using namespace zorva::fuzz;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> args;
  for (size_t from = 0; from <= input.size();) {
    const size_t nul = input.find('\0', from);
    const size_t end = nul == std::string_view::npos ? input.size() : nul;
    args.push_back(input.substr(from, end - from));
    from = end + 1;
  }
  if (size == 0) args.clear();  // no arguments at all

  const ParseResult r = tools::ParseOptions(args);
  const ParseResult again = tools::ParseOptions(args);
  ZORVA_CHECK(r.action == again.action && r.error == again.error &&
                  (r.action != ParseResult::Action::Run || r.options == again.options),
              "two parses of the same arguments differ");
  switch (r.action) {
    case ParseResult::Action::Run: {
      const tools::RunOptions& o = r.options;
      ZORVA_CHECK(!o.rom.empty(), "a run without a ROM name");
      ZORVA_CHECK(!o.keyGap || *o.keyGap >= 1, "a key gap of 0");
      ZORVA_CHECK(o.zoom >= 1 && o.zoom <= 3, "a zoom of %d", o.zoom);
      for (const auto* name : {&o.cartridge, &o.typeFile, &o.trace, &o.dump, &o.png})
        ZORVA_CHECK(!*name || !(*name)->empty(), "an empty file name");
      CheckTyping(o.typed);
      break;
    }
    case ParseResult::Action::UsageError: CheckOneLine(r.error); break;
    case ParseResult::Action::Help: break;
  }

  CheckTyping(input);
  return 0;
}

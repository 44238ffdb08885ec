// paste_bench: a program listing pasted into our ROM's BASIC, and listed back.
//
// Types a 100-line listing of about 3,000 characters through the emulator's
// typist at a given pace (default: the typist's own), then LISTs it back 20
// lines at a time and compares every line with what was typed. Reports the
// instructions per typed character, the run time of the paste in this process
// (no window: see shell_bench for the window) and the characters lost, which
// must be 0. With --sweep it does the same at a range of gaps, to show the
// margin the default pace keeps.
//
//   paste_bench [--rom FILE] [--gap N] [--sweep]
//
// Exit status 1 when a character was lost at the default pace (or at --gap).
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/listing.h"
#include "machine/host.h"
#include "machine/screen_text.h"
#include "run/emulator.h"
#include "run/typist.h"
#include "tools/options.h"

namespace zorva {
namespace {

// Characters of `want` missing from `got`: its length less their longest
// common subsequence.
size_t Lost(std::string_view want, std::string_view got) {
  std::vector<size_t> row(got.size() + 1, 0), next(got.size() + 1, 0);
  for (const char w : want) {
    for (size_t j = 0; j < got.size(); ++j)
      next[j + 1] = w == got[j] ? row[j] + 1 : std::max(row[j + 1], next[j]);
    std::swap(row, next);
  }
  return want.size() - row[got.size()];
}

// A window that is never there. One run of the machine goes through a list
// of steps: each types its text, lets `settle` more instructions pass once the
// typing is done, then calls its `after`, and the next step begins. The run
// ends after the last.
class BenchHost final : public Host {
 public:
  struct Step {
    std::string text;
    uint64_t settle;
    // Given the instructions run when the typing was done, and now.
    std::function<void(uint64_t typedAt, uint64_t now)> after;
  };

  explicit BenchHost(std::vector<Step> steps) : steps_(std::move(steps)) {}
  void Run(Emulator& emu) {
    emu_ = &emu;
    emu.WaitBeforeTyping(tools::kStartUp);  // the ROM unpacks itself first
    emu.TypeText(steps_.front().text);
    emu.OnStart();
  }
  uint64_t executed() const { return executed_; }

  void ShowMessage(std::string_view text, Icon) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  void SetCaption(std::string_view) override {}
  std::optional<std::string> ChooseFile(std::span<const FileType>, std::string_view) override {
    return std::nullopt;
  }
  uint32_t PumpMessages() override {
    executed_ += kBudget;
    if (typedAt_ == 0 && !emu_->typing()) typedAt_ = executed_;
    if (typedAt_ != 0 && executed_ >= typedAt_ + steps_[next_].settle) {
      steps_[next_].after(typedAt_, executed_);
      typedAt_ = 0;
      if (++next_ == steps_.size()) {
        emu_->OnStop();
      } else {
        emu_->TypeText(steps_[next_].text);
      }
    }
    return kBudget;
  }
  void PostClose() override {}
  void CloseWindow() override {}
  void StopScreenTimer() override {}

 private:
  // Small, so that "typing done" is seen within this many instructions.
  static constexpr uint32_t kBudget = 1000;
  Emulator* emu_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  uint64_t executed_ = 0, typedAt_ = 0;
};

struct Result {
  uint64_t instructions = 0;  // from the first typed key to the last
  size_t characters = 0;
  size_t lost = 0;
  double seconds = 0;
};

Result Paste(const std::string& rom, TypingPace pace) {
  const std::vector<std::string> lines = bench::Listing();
  const std::string text = bench::ListingText();
  Result result;
  result.characters = text.size();

  std::vector<BenchHost::Step> steps;
  // Boot, and an empty line to see that the machine takes keys.
  uint64_t pasteFrom = 0;
  std::chrono::steady_clock::time_point start;
  steps.push_back({"\n", 2'000'000, [&](uint64_t, uint64_t now) {
                     pasteFrom = now;
                     start = std::chrono::steady_clock::now();
                   }});
  steps.push_back(
      {text, 1'000'000, [&](uint64_t typedAt, uint64_t) {
         result.seconds =
             std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
         result.instructions = typedAt - pasteFrom;
       }});
  Emulator* emu = nullptr;
  for (size_t first = 0; first < lines.size(); first += 20) {
    const size_t last = std::min(first + 20, lines.size()) - 1;
    steps.push_back(
        {"LIST " + std::to_string((first + 1) * 10) + "-" + std::to_string((last + 1) * 10) + "\n",
         2'000'000, [&, first, last](uint64_t, uint64_t) {
           // Each listed line starts with its number, somewhere on the screen.
           std::vector<std::string> rows;
           for (int row = 0; row < 25; ++row) {
             std::string r = ScreenRowText(emu->memory(), row);
             r.erase(r.find_last_not_of(' ') + 1);
             rows.push_back(r);
           }
           for (size_t i = first; i <= last; ++i) {
             const std::string number = std::to_string((i + 1) * 10) + " ";
             const auto row = std::find_if(rows.rbegin(), rows.rend(), [&](const std::string& r) {
               return r.starts_with(number);
             });
             result.lost += Lost(lines[i], row == rows.rend() ? "" : *row);
           }
         }});
  }

  BenchHost host(std::move(steps));
  Emulator machine(host);
  emu = &machine;
  machine.InitMachine();
  if (!machine.LoadRomFile(rom)) std::exit(1);
  machine.SetTypingPace(pace);
  host.Run(machine);
  return result;
}

bool ParseNumber(std::string_view text, uint32_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size() && value > 0;
}

void Print(const char* label, TypingPace pace, const Result& r) {
  std::printf(
      "%-8s hold %6u gap %6u: %5zu characters, %8.0f instructions per character, "
      "%6.3f s here, %zu lost\n",
      label, pace.hold, pace.gap, r.characters,
      static_cast<double>(r.instructions) / static_cast<double>(r.characters), r.seconds, r.lost);
}

}  // namespace
}  // namespace zorva

int main(int argc, char** argv) {
  using namespace zorva;
  std::string rom = ZORVA_ROM_PATH;
  TypingPace pace = Typist::kDefaultPace;
  bool sweep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--sweep") {
      sweep = true;
    } else if (arg == "--rom" && i + 1 < argc) {
      rom = argv[++i];
    } else if (arg == "--gap" && i + 1 < argc && ParseNumber(argv[++i], pace.gap)) {
      pace.hold = pace.gap;
    } else {
      std::fprintf(stderr, "usage: paste_bench [--rom FILE] [--gap N] [--sweep]\n");
      return 2;
    }
  }
  if (sweep) {
    for (const uint32_t gap : {500u, 1000u, 2000u, 3000u, 5000u, 7500u, 10000u, 15000u, 20000u}) {
      const TypingPace p{gap, gap};
      Print("sweep", p, Paste(rom, p));
    }
  }
  const Result r = Paste(rom, pace);
  Print("pace", pace, r);
  return r.lost == 0 ? 0 : 1;
}

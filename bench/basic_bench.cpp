// How much work Zorva BASIC does, in Z80 instructions, on our ROM as built:
// the instructions per iteration of three loops, and the longest stretch
// without a look at the keyboard while lines are typed and stored and while
// the programs run. Instruction counts do not depend on the machine, so this
// is a plain program that prints a table, not a Google Benchmark.
//
//   basic_bench [--rom FILE]
//
// Each program is typed on a fresh machine through the key handlers, one key
// event every 20,000 instructions (zorva-run's default), and then RUN; the
// run is counted from RUN's Enter until BASIC waits for a new line. Exit
// status 1 when a program does not print what it should, or a loop needs
// more than 1,500 instructions per iteration.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "machine/host.h"
#include "machine/memory_map.h"
#include "run/emulator.h"
#include "run/typist.h"

namespace zorva {
namespace {

constexpr uint32_t kKeyGap = 20'000;
constexpr uint64_t kRunLimit = 500'000'000;
constexpr uint64_t kTargetPerIteration = 1'500;

std::map<std::string, uint16_t> ReadSymbols(const std::string& path) {
  std::map<std::string, uint16_t> symbols;
  std::ifstream in(path);
  for (std::string name, equ, value; in >> name >> equ >> value;) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    symbols[name] = static_cast<uint16_t>(std::stoul(value, nullptr, 16));
  }
  return symbols;
}

// A window system that types the queued keys and watches every instruction:
// it counts them, measures the stretches between two calls of the ROM's
// keyboard poll, and ends the run when BASIC is back at its prompt after the
// last key.
class WatchingHost final : public Host {
 public:
  WatchingHost(uint16_t poll, uint16_t prompt) : poll_(poll), prompt_(prompt) {}
  void Attach(Emulator& emulator) { emu_ = &emulator; }
  // Types `keys` in the next run, which ends once BASIC is back at its prompt
  // after the last Enter (or after kRunLimit instructions).
  void Type(std::vector<KeyEvent> keys) {
    keys_ = std::move(keys);
    next_ = 0;
    limit_ = executed_ + kRunLimit;
  }

  void ShowMessage(std::string_view text, Icon) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    ++messages_;
  }
  void SetCaption(std::string_view) override {}
  std::optional<std::string> ChooseFile(std::span<const FileType>, std::string_view) override {
    return std::nullopt;
  }
  uint32_t PumpMessages() override {
    ++executed_;
    const uint16_t pc = emu_->registers().PC;
    // Power-on unpacks the ROM without a look at the keyboard: typing and the
    // measuring start at the first prompt.
    if (pc == prompt_ && !started_) {
      started_ = true;
      lastPoll_ = executed_;
      nextKey_ = executed_ + kKeyGap;
    }
    if (!started_) return 1;
    if (pc == poll_) {
      longest_ = std::max(longest_, executed_ - lastPoll_);
      lastPoll_ = executed_;
    }
    if (pc == prompt_ && !promptSeen_) {
      promptSeen_ = true;
      promptAt_ = executed_;
    }
    if (next_ < keys_.size() && executed_ >= nextKey_) {
      const KeyEvent& key = keys_[next_++];
      if (key.kind == KeyEvent::Kind::Ok) {
        promptSeen_ = false;
        enterAt_ = executed_;
      }
      emu_->OnKey(key);
      nextKey_ = executed_ + kKeyGap;
    }
    if ((next_ == keys_.size() && promptSeen_) || executed_ >= limit_) emu_->OnStop();
    return 1;
  }
  void PostClose() override {}
  void CloseWindow() override {}
  void StopScreenTimer() override {}

  // Instructions from the last Enter to the prompt after it.
  uint64_t lastLine() const { return promptAt_ - enterAt_; }
  // The longest stretch between two keyboard polls since the last call.
  uint64_t TakeLongest() {
    const uint64_t longest = longest_;
    longest_ = 0;
    return longest;
  }
  int messages() const { return messages_; }

 private:
  uint16_t poll_;
  uint16_t prompt_;
  Emulator* emu_ = nullptr;
  std::vector<KeyEvent> keys_;
  size_t next_ = 0;
  uint64_t nextKey_ = 1;
  uint64_t executed_ = 0;
  uint64_t limit_ = 0;
  bool started_ = false;
  bool promptSeen_ = false;
  uint64_t enterAt_ = 0;
  uint64_t promptAt_ = 0;
  uint64_t lastPoll_ = 0;
  uint64_t longest_ = 0;
  int messages_ = 0;
};

struct Loop {
  const char* name;
  std::vector<std::string> lines;  // typed before RUN
  uint64_t iterations;
  const char* prints;  // what RUN must leave on the screen
};

struct Result {
  uint64_t run = 0;             // instructions from RUN's Enter to the prompt
  uint64_t longestStoring = 0;  // between two keyboard polls while lines were stored
  uint64_t longestRunning = 0;  // ... while the program ran
  bool printed = false;
};

bool ScreenShows(std::span<const uint8_t, 65536> memory, const std::string& text) {
  const auto screen = memory.subspan(kCharacterRam, kScreenCells);
  return std::search(screen.begin(), screen.end(), text.begin(), text.end()) != screen.end();
}

std::vector<KeyEvent> Keys(const std::string& text) { return Typist::Events(text); }

Result Measure(const std::string& rom, const std::map<std::string, uint16_t>& symbols,
               const Loop& loop) {
  WatchingHost host(symbols.at("KPOLL"), symbols.at("DIRECT"));
  Emulator emu(host);
  host.Attach(emu);
  emu.InitMachine();
  if (!emu.LoadRomFile(rom)) {
    std::fprintf(stderr, "basic_bench: cannot load %s\n", rom.c_str());
    std::exit(1);
  }
  Result r;
  std::string program;
  for (const std::string& line : loop.lines) program += line + "\n";
  host.Type(Keys(program));
  emu.OnStart();  // power-on, then every line typed and stored
  r.longestStoring = host.TakeLongest();
  host.Type(Keys("RUN\n"));
  emu.OnStop();
  emu.OnAdvanced({.start = emu.registers().PC, .end = 0xFFFF, .showPcSp = false});
  emu.OnStart();
  r.run = host.lastLine();
  r.longestRunning = host.TakeLongest();
  r.printed = ScreenShows(emu.memory(), loop.prints) && host.messages() == 0;
  return r;
}

}  // namespace
}  // namespace zorva

int main(int argc, char** argv) {
  using namespace zorva;
  std::string rom = ZORVA_ROM_IMAGE;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--rom" && i + 1 < argc) {
      rom = argv[++i];
    } else {
      std::fprintf(stderr, "usage: basic_bench [--rom FILE]\n");
      return 2;
    }
  }
  const auto symbols = ReadSymbols(ZORVA_ROM_SYMBOLS);
  if (!symbols.count("KPOLL") || !symbols.count("DIRECT")) {
    std::fprintf(stderr, "basic_bench: no symbols in %s\n", ZORVA_ROM_SYMBOLS);
    return 1;
  }
  const Loop loops[] = {
      {"FOR loop", {"10 S=0:FOR I=1 TO 10000:S=S+1:NEXT I:PRINT S"}, 10000, " 10000"},
      {"GOSUB/RETURN",
       {"10 FOR I=1 TO 10000:GOSUB 100:NEXT I:PRINT I", "100 RETURN"},
       10000,
       " 10001"},
      {"string building",
       {"10 FOR I=1 TO 10000:A$=A$+\"X\":IF LEN(A$)=250 THEN A$=\"\"", "20 NEXT I:PRINT LEN(A$)"},
       10000,
       " 0"},
      {"float functions", {"10 FOR I=1 TO 1000:X=SQR(I)*SIN(I)/3.7:NEXT:PRINT I"}, 1000, " 1001"},
      // Every slow function once an iteration: the longest stretch without a
      // look at the keyboard while they work.
      {"all functions",
       {"10 FOR I=1 TO 200:X=TAN(I)+EXP(I/100)+LOG(I)+ATN(I)+I^1.5+COS(I):NEXT:PRINT I"},
       200,
       " 201"},
  };
  // A 100-line listing, as in the typeahead test: what storing a line costs
  // once the program is long.
  Loop listing = {"100-line listing", {}, 0, "done"};
  for (int k = 1; k <= 99; ++k) {
    listing.lines.push_back(std::to_string(10 * k) + " s=s+" + std::to_string(k) +
                            ":t=t+len(\"abcdefghijklmnopqrstuvwxyz\")");
  }
  listing.lines.push_back("1000 print \"done\"");
  bool ok = true;
  std::printf("%-16s %14s %14s %22s %18s\n", "loop", "instructions", "per iteration",
              "longest, storing lines", "longest, running");
  for (const Loop* loop : {&loops[0], &loops[1], &loops[2], &loops[3], &loops[4],
                           static_cast<const Loop*>(&listing)}) {
    const Result r = Measure(rom, symbols, *loop);
    const uint64_t per = loop->iterations == 0 ? 0 : r.run / loop->iterations;
    std::printf("%-16s %14llu %14llu %22llu %18llu%s\n", loop->name,
                static_cast<unsigned long long>(r.run), static_cast<unsigned long long>(per),
                static_cast<unsigned long long>(r.longestStoring),
                static_cast<unsigned long long>(r.longestRunning),
                r.printed ? "" : "   FAIL: wrong output");
    ok = ok && r.printed;
    if (loop == &loops[0] && per > kTargetPerIteration) {
      std::printf("FAIL: the FOR loop takes more than %llu instructions per iteration\n",
                  static_cast<unsigned long long>(kTargetPerIteration));
      ok = false;
    }
  }
  std::printf("%s\n", ok ? "basic: PASS" : "basic: FAIL");
  return ok ? 0 : 1;
}

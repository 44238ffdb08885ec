// fuzz_basic: arbitrary lines typed into Zorva BASIC, in our ROM as built,
// through the emulator's run loop and key handlers.
//
// Input layout: lines separated by '\n' (at most 32 lines of 160 characters);
// bytes outside 0x20-0x7E are dropped. Lines holding MON or POKE (in any
// case) lose those words: the monitor never comes back to BASIC's prompt on
// its own, and POKE may write anywhere by design.
//
// Each line is typed at the prompt, one key event every kTypingGap
// instructions, followed by Enter (with ZORVA_FUZZ_SCREEN set in the
// environment, the screen is printed after every line). Then, checked after
// every line:
//   - BASIC's prompt comes back within kLineBound instructions; a line that
//     runs longer (a program looping for ever, or waiting in INPUT) is
//     broken with Ctrl+C, typed one key event every kBreakGap instructions,
//     after which the prompt must be back within kBreakBound instructions;
//   - nothing outside BASIC's own RAM and the screen was written: the ROM
//     area, the code unpacked at power-on (0x2000-0x2FFF and 0x4000 up to
//     BASIC's program) and the cartridge area are as they were after power-on;
//   - the program is well formed: each line's length leads to the next, line
//     numbers rise, each line ends with its 0, and the end mark lies just
//     before the variables;
//   - BASIC's pointers are in order: program <= variables <= arrays <= their
//     end <= strings <= 0xC000, and the FOR/GOSUB and temporary stacks are
//     within their areas;
//   - a line without a number leaves the stored program byte for byte as it
//     was (so it lists back unchanged), unless it or the program holds NEW
//     or LOAD;
//   - SAVE, LOAD and FILES work in a folder of the fuzzer's own, emptied for
//     each input: nothing appears beside it, and nothing in it but NAME.BAS
//     files of valid names.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "machine/host.h"
#include "machine/key_layout.h"
#include "machine/keyboard.h"
#include "run/emulator.h"
#include "run/folder_files.h"
#include "run/typist.h"

namespace zorva::fuzz {
namespace {

// The line editor looks at the keyboard every few dozen instructions, so
// typing at the prompt may be quick; a running program looks at it at least
// every thousand or so (bench/basic_bench measures it), so Ctrl+C is slower.
constexpr uint32_t kTypingGap = 400;
constexpr uint32_t kBreakGap = 4000;
constexpr uint64_t kBootBound = 10'000'000;  // the ROM unpacks itself first
constexpr uint64_t kLineBound = 300'000;
constexpr uint64_t kBreakBound = 1'000'000;
constexpr size_t kMaxLines = 32;
constexpr size_t kMaxLineLength = 160;

// Hits per ROM address, which libFuzzer takes as coverage of its own.
__attribute__((used, section("__libfuzzer_extra_counters"))) uint8_t romCoverage[8192];

// The ROM's labels and RAM addresses, from the assembler's symbol file.
struct Rom {
  std::string image = ZORVA_ROM_IMAGE;
  uint16_t direct, program, tokenNew, tokenLoad, tokenCload, vartab, arytab, strend, fretop,
      heaptop, csp, csbot, cstop, temppt, tempst, tempend;

  Rom() {
    std::map<std::string, uint16_t> symbols;
    std::ifstream in(ZORVA_ROM_SYMBOLS);
    for (std::string name, equ, value; in >> name >> equ >> value;) {
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      symbols[name] = static_cast<uint16_t>(std::stoul(value, nullptr, 16));
    }
    auto at = [&symbols](const char* name) {
      const auto it = symbols.find(name);
      ZORVA_CHECK(it != symbols.end(), "no symbol %s in %s", name, ZORVA_ROM_SYMBOLS);
      return it->second;
    };
    direct = at("DIRECT");
    program = at("PROGRAM");
    tokenNew = at("TK_NEW");
    tokenLoad = at("TK_LOAD");
    tokenCload = at("TK_CLOAD");
    vartab = at("VARTAB");
    arytab = at("ARYTAB");
    strend = at("STREND");
    fretop = at("FRETOP");
    heaptop = at("HEAPTOP");
    csp = at("CSP");
    csbot = at("CSBOT");
    cstop = at("CSTOP");
    temppt = at("TEMPPT");
    tempst = at("TEMPST");
    tempend = at("TEMPEND");
  }
};

const Rom& TheRom() {
  static const Rom* rom = new Rom;
  return *rom;
}

// A sandbox made once per process: BASIC's programs go to its folder
// "programs", and nothing else may ever appear in it.
const std::filesystem::path& Sandbox() {
  static const std::filesystem::path* sandbox = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorva-fuzz-XXXXXX").string();
    ZORVA_CHECK(mkdtemp(pattern.data()) != nullptr, "cannot make a sandbox folder");
    std::filesystem::create_directory(std::filesystem::path(pattern) / "programs");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Sandbox(), ignored);
    });
    return new std::filesystem::path(pattern);
  }();
  return *sandbox;
}

void EmptyPrograms() {
  for (const auto& entry : std::filesystem::directory_iterator(Sandbox() / "programs"))
    std::filesystem::remove_all(entry.path());
}

void CheckSandbox(const std::string& line) {
  for (const auto& entry : std::filesystem::directory_iterator(Sandbox())) {
    ZORVA_CHECK(entry.path().filename() == "programs", "after '%s': %s appeared beside the folder",
                line.c_str(), entry.path().c_str());
  }
  for (const auto& entry : std::filesystem::directory_iterator(Sandbox() / "programs")) {
    const std::string name = entry.path().filename().string();
    const bool bas = name.size() > 4 && name.substr(name.size() - 4) == ".BAS";
    ZORVA_CHECK(
        bas && entry.is_regular_file() &&
            ProgramFileName(name.substr(0, name.size() - 4)) == name.substr(0, name.size() - 4),
        "after '%s': the folder holds %s", line.c_str(), name.c_str());
  }
}

// A window system whose queue holds typed keys, delivered `gap` instructions
// apart; the run stops after the last of them, or at a step limit.
class TypingHost final : public Host {
 public:
  void Attach(Emulator& emulator) { emu_ = &emulator; }
  void Queue(std::vector<KeyEvent> keys, uint32_t gap = kTypingGap) {
    keys_ = std::move(keys);
    next_ = 0;
    gap_ = gap;
  }
  uint32_t gap() const { return gap_; }
  // What is left of the queue, taken out of it.
  std::vector<KeyEvent> TakeQueue() {
    std::vector<KeyEvent> rest(keys_.begin() + static_cast<long>(next_), keys_.end());
    Queue({}, gap_);
    return rest;
  }
  // Delivers what is left of the queue at once, and empties it.
  void Flush() {
    while (next_ < keys_.size()) emu_->OnKey(keys_[next_++]);
    Queue({});
  }
  void Limit(uint64_t steps) {
    limit_ = steps;
    executed_ = 0;
    dueAt_ = 1;
  }

  void ShowMessage(std::string_view text, Icon) override {
    Fail(__FILE__, __LINE__, "message: %.*s", static_cast<int>(text.size()), text.data());
  }
  void SetCaption(std::string_view) override {}
  std::optional<std::string> ChooseFile(std::span<const FileType>, std::string_view) override {
    return std::nullopt;
  }
  // The run pumps after every instruction, so that each PC the ROM runs is
  // counted for libFuzzer: its guidance is the ROM's code, not the emulator's.
  uint32_t PumpMessages() override {
    ++romCoverage[emu_->registers().PC & 0x1FFF];
    ++executed_;
    if (next_ < keys_.size() && executed_ >= dueAt_) {
      emu_->OnKey(keys_[next_++]);
      dueAt_ = executed_ + gap_;
      if (next_ == keys_.size()) emu_->OnStop();  // all typed: stop here
    }
    if (executed_ >= limit_) emu_->OnStop();
    return 1;
  }
  void PostClose() override {}
  void CloseWindow() override {}
  void StopScreenTimer() override {}
  ProgramFiles* Programs() override { return &files_; }

 private:
  FolderFiles files_{(Sandbox() / "programs").string()};
  Emulator* emu_ = nullptr;
  std::vector<KeyEvent> keys_;
  size_t next_ = 0;
  uint32_t gap_ = kTypingGap;
  uint64_t limit_ = 0;
  uint64_t executed_ = 0;
  uint64_t dueAt_ = 1;
};

class Machine {
 public:
  Machine() : emu_(host_) {
    host_.Attach(emu_);
    emu_.InitMachine();
    ZORVA_CHECK(emu_.LoadRomFile(TheRom().image), "cannot load %s", TheRom().image.c_str());
    ZORVA_CHECK(RunToPrompt(kBootBound, 0x0000), "BASIC did not start");
  }

  const std::span<const uint8_t, 65536> memory() const { return emu_.memory(); }
  uint16_t Word(uint16_t at) const {
    return static_cast<uint16_t>(memory()[at] | memory()[at + 1] << 8);
  }

  // Types the events; the run stops once the last one is delivered, or when
  // BASIC comes back to its prompt (true) on the way, after Ctrl+C; the keys
  // still to come are then let go of at once.
  bool Type(std::vector<KeyEvent> keys, uint32_t gap = kTypingGap) {
    host_.Queue(std::move(keys), gap);
    const bool prompt = RunToPrompt(UINT64_MAX);
    host_.Flush();
    return prompt;
  }
  // Runs until BASIC waits for a new line (true), or `bound` instructions.
  bool RunToPrompt(uint64_t bound) { return RunToPrompt(bound, emu_.registers().PC); }

 private:
  // The run stops at the prompt's first instruction (its end point), and then
  // takes that one instruction, so that the next run starts past it.
  bool RunToPrompt(uint64_t bound, uint16_t from) {
    if (!Run(bound, from, TheRom().direct)) return false;
    const uint32_t gap = host_.gap();
    const std::vector<KeyEvent> keys = host_.TakeQueue();
    Run(1, TheRom().direct, 0xFFFF);
    host_.Queue(keys, gap);
    return true;
  }
  // True when the run reached `end`.
  bool Run(uint64_t steps, uint16_t from, uint16_t end) {
    host_.Limit(steps);
    emu_.OnStop();  // a run that reached its end point stays parked there
    emu_.OnAdvanced({.start = from, .end = end, .showPcSp = false});
    emu_.OnStart();
    return emu_.registers().PC == end;
  }
  TypingHost host_;
  Emulator emu_;
};

std::vector<KeyEvent> KeysFor(const std::string& text) {
  for (const char c : text) {
    ZORVA_CHECK(c == '\n' || ChordFor(c).has_value(), "no key for 0x%02X",
                static_cast<unsigned char>(c));
  }
  return Typist::Events(text);
}

// The screen as text, for ZORVA_FUZZ_SCREEN.
void PrintScreen(std::span<const uint8_t, 65536> memory) {
  for (int row = 0; row < 25; ++row) {
    std::string text;
    for (int col = 0; col < 40; ++col) {
      const uint8_t c = memory[0x3000 + 40 * row + col];
      text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
    }
    std::fprintf(stderr, "|%s|\n", text.c_str());
  }
  std::fprintf(stderr, "\n");
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The line with every MON and POKE taken out, in any case.
std::string Tamed(std::string line) {
  for (const char* word : {"mon", "poke"}) {
    for (size_t at; (at = Lower(line).find(word)) != std::string::npos;)
      line.erase(at, std::strlen(word));
  }
  return line;
}

std::vector<std::string> Lines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < size && lines.size() <= kMaxLines; ++i) {
    if (data[i] == '\n') {
      lines.emplace_back();
    } else if (data[i] >= 0x20 && data[i] < 0x7F && lines.back().size() < kMaxLineLength) {
      lines.back() += static_cast<char>(data[i]);
    }
  }
  if (lines.size() > kMaxLines) lines.resize(kMaxLines);
  return lines;
}

void CheckState(const Machine& m, const std::vector<uint8_t>& atBoot, const std::string& line) {
  const Rom& rom = TheRom();
  const auto mem = m.memory();
  const char* l = line.c_str();
  for (const auto& [from, to] :
       {std::pair<uint32_t, uint32_t>{0x0000, 0x3000}, {0x4000, rom.program}, {0xC000, 0x10000}}) {
    for (uint32_t a = from; a < to; ++a)
      ZORVA_CHECK(mem[a] == atBoot[a], "after '%s': %04X changed from %02X to %02X", l, a,
                  atBoot[a], mem[a]);
  }
  const uint16_t program = rom.program, vartab = m.Word(rom.vartab), arytab = m.Word(rom.arytab),
                 strend = m.Word(rom.strend), fretop = m.Word(rom.fretop), csp = m.Word(rom.csp),
                 temppt = m.Word(rom.temppt);
  ZORVA_CHECK(program < vartab && vartab <= arytab && arytab <= strend && strend <= fretop &&
                  fretop <= rom.heaptop,
              "after '%s': pointers out of order: %04X %04X %04X %04X %04X", l, vartab, arytab,
              strend, fretop, rom.heaptop);
  ZORVA_CHECK(csp >= rom.csbot && csp <= rom.cstop, "after '%s': CSP %04X", l, csp);
  ZORVA_CHECK(temppt >= rom.tempst && temppt <= rom.tempend && (temppt - rom.tempst) % 3 == 0,
              "after '%s': TEMPPT %04X", l, temppt);
  // The program's lines, one after the other.
  uint32_t at = program;
  int previous = -1;
  while (mem[at] != 0) {
    const uint8_t length = mem[at];
    const int number = mem[at + 1] | mem[at + 2] << 8;
    ZORVA_CHECK(length >= 5 && at + length < vartab, "after '%s': line at %04X has length %u", l,
                at, length);
    ZORVA_CHECK(number > previous && number < 64000, "after '%s': line %d after %d", l, number,
                previous);
    ZORVA_CHECK(mem[at + length - 1] == 0, "after '%s': line %d does not end with 0", l, number);
    for (uint32_t i = at + 3; i < at + length - 1U; ++i)
      ZORVA_CHECK(mem[i] != 0, "after '%s': line %d holds a 0", l, number);
    previous = number;
    at += length;
  }
  ZORVA_CHECK(at + 1 == vartab, "after '%s': the program ends at %04X, the variables start at %04X",
              l, at, vartab);
}

}  // namespace
}  // namespace zorva::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorva::fuzz;
  const Rom& rom = TheRom();
  auto m = std::make_unique<Machine>();
  const std::vector<uint8_t> atBoot(m->memory().begin(), m->memory().end());
  const std::vector<zorva::KeyEvent> ctrlC = KeysFor("\x03");
  static const bool show = std::getenv("ZORVA_FUZZ_SCREEN") != nullptr;
  EmptyPrograms();

  for (const std::string& raw : Lines(data, size)) {
    const std::string line = Tamed(raw);
    const auto mem = m->memory();
    const std::vector<uint8_t> program(mem.begin() + rom.program,
                                       mem.begin() + m->Word(rom.vartab));
    const size_t first = line.find_first_not_of(' ');
    const bool numbered =
        first != std::string::npos && std::isdigit(static_cast<unsigned char>(line[first]));
    const auto holds = [&](uint8_t token) {
      return std::memchr(program.data(), token, program.size()) != nullptr;
    };
    const bool mayErase = Lower(line).find("new") != std::string::npos ||
                          Lower(line).find("load") != std::string::npos || holds(rom.tokenNew) ||
                          holds(rom.tokenLoad) || holds(rom.tokenCload);

    m->Type(KeysFor(line + "\n"));
    if (!m->RunToPrompt(kLineBound) && !m->Type(ctrlC, kBreakGap)) {
      ZORVA_CHECK(m->RunToPrompt(kBreakBound), "after '%s' and Ctrl+C the prompt did not come back",
                  line.c_str());
    }
    CheckState(*m, atBoot, line);
    CheckSandbox(line);
    if (show) PrintScreen(m->memory());
    if (!numbered && !mayErase) {
      const auto now = m->memory();
      const bool same = static_cast<size_t>(m->Word(rom.vartab) - rom.program) == program.size() &&
                        std::equal(program.begin(), program.end(), now.begin() + rom.program);
      ZORVA_CHECK(same, "'%s' changed the stored program", line.c_str());
    }
  }
  return 0;
}

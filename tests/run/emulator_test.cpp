// The emulator's run control and its trace log. The run loop and the commands
// that reach it from inside the message pump: where a run ends, and what Stop,
// Reset, Start, the run-point dialog, closing and the cartridge command do to a
// run in progress. The trace log as a file: its header, the register line
// before every instruction with the branch lines between them, switching it on
// and off, and what the user is told when the file cannot be opened or written.
#include "run/emulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace zorva {
namespace {

using testing::ReadFile;
using testing::RecordingHost;

// `program` as the ROM (NOPs after it, HALTs from 0xF000), run points set and
// the trace log named, but off.
struct Machine {
  Machine(std::vector<uint8_t> program, uint16_t start, uint16_t end)
      : rom(dir.WriteImage("test.rom", std::move(program))) {
    emu.InitMachine();
    EXPECT_TRUE(emu.LoadRomFile(rom));
    emu.OnAdvanced({.start = start, .end = end, .showPcSp = false});
    emu.SetTraceFileName(trace);
  }
  const Z80Registers& regs() const { return emu.registers(); }
  testing::TempDir dir;
  std::string rom, trace = dir.File("trace.log");
  RecordingHost host;
  Emulator emu{host};
};

const std::vector<uint8_t> kIncA(8192, 0x3C);  // A counts the instructions since a reset

TEST(RunLoop, StopsOnReachingTheEndPointWithoutExecutingIt) {
  std::vector<uint8_t> twoJumps = {0xC3, 0x10, 0x00};  // JP 0x0010, and there JP 0x0003
  twoJumps.resize(0x10);
  twoJumps.insert(twoJumps.end(), {0xC3, 0x03, 0x00});
  const struct {
    const char* name;
    std::vector<uint8_t> program;
    uint16_t start, end;
    uint64_t instructions;
  } cases[] = {
      {"stepping onto it", {}, 0x0010, 0x0013, 3},
      {"JP away and JP back onto it", twoJumps, 0x0000, 0x0003, 2},
      {"JR onto it", {0x18, 0x05}, 0x0000, 0x0007, 1},
      {"CALL onto it", {0xCD, 0x00, 0x01}, 0x0000, 0x0100, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(c.program, c.start, c.end);
    m.emu.OnStart();
    EXPECT_EQ(m.host.pumps, c.instructions);
    EXPECT_EQ(m.regs().PC, c.end);
    EXPECT_FALSE(m.emu.runLoopActive());
    EXPECT_TRUE(m.emu.keepRunning());  // parked at the end point: still counts as started
  }
}

TEST(RunLoop, StartEqualToEndRunsNothingAndParksTheMachine) {
  Machine m({}, 0x0100, 0x0100);
  m.emu.OnStart();
  EXPECT_EQ(m.host.pumps, 0u);
  EXPECT_TRUE(m.emu.keepRunning());
  m.emu.OnReset();
  m.emu.OnStart();  // inert while parked: PC stays where Reset put it
  EXPECT_EQ(m.regs().PC, 0x0000);

  m.emu.OnLoadMachineRom();
  EXPECT_EQ(m.host.texts(), std::vector<std::string>{"Can't load rom: Processor already running.\n"
                                                     "Please stop processor first."});
  m.emu.OnLoadCartridge();  // with no loop to end, this only marks the load pending
  EXPECT_TRUE(m.emu.cartridgePending());
  EXPECT_FALSE(m.emu.keepRunning());
  EXPECT_TRUE(m.host.dialogs.empty());
}

TEST(RunLoop, CommandsFromInsideThePumpTakeEffectBeforeTheNextInstruction) {
  struct Case {
    const char* name;
    uint16_t start, end;
    uint64_t at;  // the pump that runs `command`
    std::function<void(Emulator&)> command;
    uint64_t pumps;
    uint16_t pc;
    uint8_t a;
    bool keepRunning;
  };
  auto moveTo6 = [](Emulator& e) { e.OnAdvanced({.start = 6, .end = 7, .showPcSp = false}); };
  const Case cases[] = {
      {"Stop", 0, 0x1000, 3, [](Emulator& e) { e.OnStop(); }, 3, 3, 3, false},
      // Reset zeroes the registers, PC among them: here it lands on the end point.
      {"Reset", 5, 0, 2, [](Emulator& e) { e.OnReset(); }, 2, 0, 0, true},
      // The dialog moves PC at once, but the run keeps the end point it started with.
      {"run-point dialog", 0, 0x20, 2, moveTo6, 2 + 0x1A, 0x20, 2 + 0x1A, true},
      // A second run from inside would begin again at 0 and take 4 more pumps.
      {"Start while running", 0, 8, 4, [](Emulator& e) { e.OnStart(); }, 8, 8, 8, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(kIncA, c.start, c.end);
    m.host.At(c.at, [&] { c.command(m.emu); });
    m.emu.OnStart();
    EXPECT_EQ(m.host.pumps, c.pumps);
    EXPECT_EQ(m.regs().PC, c.pc);
    EXPECT_EQ(m.regs().A, c.a);
    EXPECT_EQ(m.emu.keepRunning(), c.keepRunning);
  }
}

// A Start handled in the same round of events as the Stop or the close that
// ends a run, while that run's loop is still on the stack: it never nests a
// second loop inside the first, and after a close nothing starts at all.
TEST(RunLoop, AStartInTheRoundThatEndsARunNeverNestsASecondRun) {
  struct Case {
    const char* name;
    std::vector<std::pair<uint64_t, std::function<void(Machine&)>>> script;  // pump, action
    uint64_t pumps;
    uint16_t pc;
    int posts;  // close requests re-posted by the loop's end
    bool keepRunning;
  };
  const auto stop = [](Machine& m) { m.emu.OnStop(); };
  const auto start = [](Machine& m) { m.emu.OnStart(); };
  const auto close = [](Machine& m) { m.emu.OnClose(); };
  const auto endAt8 = [](Machine& m) { m.emu.OnAdvanced({.start = 0, .end = 8}); };
  const auto cartridge = [](Machine& m) { m.emu.OnLoadCartridge(); };
  const Case cases[] = {
      // One run, from the start point to the new end point, which it then keeps.
      {"Stop, new run points, Start", {{3, stop}, {3, endAt8}, {3, start}}, 3 + 8, 8, 0, true},
      {"Stop, Start, and a close later", {{3, stop}, {3, start}, {6, close}}, 6 + 1, 3, 1, false},
      {"close, Start", {{3, close}, {3, start}}, 3 + 1, 3, 1, false},
      {"close, and Start in the loop's last pump", {{3, close}, {4, start}}, 3 + 1, 3, 1, false},
      // The window is going: no file dialog, no new run.
      {"close, Load Cartridge", {{3, close}, {3, cartridge}}, 3 + 1, 3, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(kIncA, 0x0000, 0x0020);
    m.host.fileAnswer = m.dir.Write("game.bin", 16384, 0x11);
    for (const auto& [pump, action] : c.script) m.host.At(pump, [&m, action] { action(m); });
    int posts = 0;
    m.host.onPostClose = [&] {
      ++posts;
      EXPECT_FALSE(m.emu.runLoopActive());
    };
    m.emu.OnStart();
    EXPECT_EQ(m.host.pumps, c.pumps);
    EXPECT_EQ(m.regs().PC, c.pc);
    EXPECT_EQ(m.regs().A, c.pumps - c.posts);  // one pump per instruction, one per post
    EXPECT_EQ(posts, c.posts);
    EXPECT_EQ(m.emu.keepRunning(), c.keepRunning);
    EXPECT_TRUE(m.host.dialogs.empty());
    EXPECT_EQ(m.host.windowCloses, 0);
  }
}

TEST(RunLoop, StartWithoutARomSaysSoEveryTime) {
  RecordingHost host;
  Emulator emu(host);
  emu.InitMachine();
  emu.OnStart();
  emu.OnStart();
  EXPECT_EQ(host.texts(), std::vector<std::string>(2, "Cannot run: No ROM loaded."));
  EXPECT_FALSE(emu.keepRunning());
  EXPECT_EQ(host.pumps, 0u);
}

TEST(RunLoop, CloseWhileRunningEndsTheLoopThenClosesTheWindowOnTheRepostedRequest) {
  Machine m({}, 0x0000, 0x1000);
  m.emu.OnLogToFile();
  m.host.At(4, [&] { m.emu.OnClose(); });
  bool loopActiveAtPost = true;
  uint16_t pcAtPost = 0;
  m.host.onPostClose = [&] {
    loopActiveAtPost = m.emu.runLoopActive();
    pcAtPost = m.regs().PC;
  };
  m.emu.OnStart();
  EXPECT_EQ(pcAtPost, 4);  // no instruction after the close was handled
  EXPECT_FALSE(loopActiveAtPost);
  EXPECT_EQ(m.host.screenTimerStops, 1);
  EXPECT_EQ(m.host.windowCloses, 0);

  m.emu.OnClose();  // the re-posted request, delivered by the window system
  EXPECT_EQ(m.host.windowCloses, 1);
  EXPECT_FALSE(m.emu.loggingOn());
  const std::string log = ReadFile(m.trace);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4 + 4);  // header, one line per instruction
  EXPECT_TRUE(
      log.ends_with("PC:   3, OP:   0, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"));
}

TEST(RunLoop, CartridgeLoadWhileRunningAsksOnceTheLoopHasEnded) {
  const std::string refused = "ROM Image was not 16384 bytes.\n\nROM Image was not loaded.";
  for (const size_t size : {0, 16384, 8192}) {  // 0: the dialog is cancelled
    SCOPED_TRACE(size);
    Machine m({}, 0x0000, 0x0008);
    if (size != 0) m.host.fileAnswer = m.dir.Write("game.bin", size, 0x11);
    m.host.At(3, [&] { m.emu.OnLoadCartridge(); });
    m.host.At(4, [&] {  // the pump of the loop's tail, which the pump count below shows ran
      EXPECT_FALSE(m.emu.runLoopActive());
      EXPECT_TRUE(m.host.dialogs.empty());
    });
    m.emu.OnStart();
    EXPECT_EQ(m.host.dialogs, std::vector<std::string>{"*.bin"});
    EXPECT_FALSE(m.emu.cartridgePending());
    EXPECT_EQ(m.host.texts(), size == 8192 ? std::vector{refused} : std::vector<std::string>{});
    EXPECT_EQ(m.emu.memory()[0xC000], size == 16384 ? 0x11 : 0x00);
    // Cancelled, it stays stopped where the load interrupted it; loaded or
    // refused, the machine is reset and runs again from the start point.
    EXPECT_EQ(m.emu.keepRunning(), size != 0);
    EXPECT_EQ(m.regs().PC, size != 0 ? 0x0008 : 3);
    EXPECT_EQ(m.host.pumps, size != 0 ? 4u + 8u : 4u);
  }
}

TEST(RunLoop, TheHostIsAskedAgainWhenItsBudgetRunsOutAndAfterEveryInstructionForNone) {
  for (const auto& [budget, pcAtThirdPump] : {std::pair<uint32_t, uint16_t>{4, 9}, {0, 3}}) {
    Machine m({}, 0x0000, 0x0100);
    m.host.budget = budget;
    m.host.At(3, [&] { m.emu.OnStop(); });
    m.emu.OnStart();
    EXPECT_EQ(m.regs().PC, pcAtThirdPump) << "budget " << budget;
  }
}

// Records the all-columns key cell (0x00FF) every fourth instruction from
// 0x4000 on: LD BC,0x00FF; LD HL,0x4000; loop: IN A,(C); LD (HL),A; INC HL; JR loop.
const std::vector<uint8_t> kKeyRecorder = {0x01, 0xFF, 0x00, 0x21, 0x00, 0x40,
                                           0xED, 0x78, 0x77, 0x23, 0x18, 0xFA};

TEST(Typing, KeysLandOnTheSameInstructionsWhateverTheHostsBudget) {
  std::vector<std::vector<uint8_t>> recorded;
  for (const uint32_t budget : {1u, 7u, 1000u}) {
    Machine m(kKeyRecorder, 0x0000, 0xFFFF);
    m.emu.SetTypingPace({.hold = 50, .gap = 30});
    EXPECT_EQ(m.emu.TypeText("a\n"), 0u);
    m.host.budget = budget;
    m.host.At(6000 / budget + 1, [&] { m.emu.OnStop(); });  // after 6000 instructions or more
    m.emu.OnStart();
    EXPECT_FALSE(m.emu.typing());
    const auto memory = m.emu.memory();
    recorded.emplace_back(memory.begin() + 0x4000, memory.begin() + 0x4000 + 6000 / 4);
  }
  EXPECT_EQ(recorded[0], recorded[1]);
  EXPECT_EQ(recorded[0], recorded[2]);
  // A is down from instruction 30 to 80, Enter's row (0xF7) from 110 to 160.
  const std::vector<uint8_t>& cells = recorded[0];
  EXPECT_EQ(cells[5], 0xFF);
  EXPECT_EQ(cells[10], 0xDF);  // A: row 5
  EXPECT_EQ(cells[25], 0xFF);
  EXPECT_EQ(cells[35], 0xF7);
  EXPECT_EQ(cells[45], 0xFF);
}

TEST(Typing, WaitsWhileStoppedAndSaysOnceAtTheEndWhatHadNoKey) {
  Machine m(kKeyRecorder, 0x0000, 0xFFFF);
  m.emu.SetTypingPace({.hold = 10, .gap = 10});
  EXPECT_EQ(m.emu.TypeText("ab\t\xC3\xA9"), 2u);
  m.host.At(15, [&] { m.emu.OnStop(); });
  m.emu.OnStart();
  EXPECT_EQ(m.emu.typingLeft(), 2u);  // only a is down: no character done yet
  m.host.At(35, [&] { EXPECT_EQ(m.emu.typingLeft(), 1u); });  // a is done, b is down
  m.host.At(100, [&] { m.emu.OnStop(); });
  m.emu.OnStart();
  EXPECT_FALSE(m.emu.typing());
  EXPECT_EQ(m.host.texts(),
            std::vector<std::string>{"2 characters were not typed: they have no key on this "
                                     "keyboard."});
}

TEST(Typing, CancelLetsGoOfTheKeysItHolds) {
  Machine m(kKeyRecorder, 0x0000, 0xFFFF);
  m.emu.SetTypingPace({.hold = 100, .gap = 10});
  m.emu.TypeText("Ab\t");
  m.host.At(25, [&] {
    EXPECT_EQ(m.emu.portSpace()[0x7FFF] & 0x10, 0);  // Shift, then A, are down
    EXPECT_NE(m.emu.portSpace()[0x00FF], 0xFF);
    m.emu.CancelTyping();
  });
  m.host.At(400, [&] { m.emu.OnStop(); });
  m.emu.OnStart();
  EXPECT_FALSE(m.emu.typing());
  EXPECT_EQ(m.emu.portSpace()[0x00FF], 0xFF);
  EXPECT_EQ(m.emu.portSpace()[0xBFFF], 0xFF);  // A's column
  EXPECT_TRUE(m.host.messages.empty());        // cancelled: the skipped tab is not reported
}

// Dropped files, one table row each on a machine that runs (or, for `stopped`,
// was stopped): what the user is told, which dialogs opened, what was loaded
// or typed.
TEST(Dropping, TheFirstFileLoadsOrTypesByWhatItIs) {
  const std::string refused =
      "Can't load rom: Processor already running.\nPlease stop processor first.";
  const std::string neither =
      "': it is neither a 16384-byte cartridge image, nor an 8192-byte ROM image, nor a text of "
      "printable characters of up to 64 KiB to type.";
  const struct {
    const char* name;
    std::vector<std::string> files;  // "name:size:byte", created, or a name alone, not
    bool stopped;
    std::vector<std::string> messages;  // with DIR for the test's folder
    uint8_t at0xC000;                   // 0x11: the cartridge was loaded
    uint8_t at0x0000;                   // 0x22: the ROM was loaded
    size_t typing;                      // characters to type
  } rows[] = {
      {"cartridge while running", {"game.bin:16384:17"}, false, {}, 0x11, 0x00, 0},
      {"cartridge while stopped", {"game.bin:16384:17"}, true, {}, 0x11, 0x00, 0},
      {"ROM while running", {"sys.rom:8192:34"}, false, {refused}, 0x00, 0x00, 0},
      {"ROM while stopped", {"sys.rom:8192:34"}, true, {}, 0x00, 0x22, 0},
      {"text", {"prog.txt:300:65"}, false, {}, 0x00, 0x00, 300},
      {"text at 64 KiB", {"prog.txt:65536:10"}, false, {}, 0x00, 0x00, 65536},
      {"text one byte over",
       {"prog.txt:65537:65"},
       false,
       {"Cannot use 'DIR/prog.txt" + neither},
       0,
       0,
       0},
      {"binary", {"data.bin:300:0"}, false, {"Cannot use 'DIR/data.bin" + neither}, 0, 0, 0},
      {"a folder", {"."}, false, {"Cannot use 'DIR/.': it is not a file."}, 0, 0, 0},
      {"missing",
       {"gone.txt"},
       false,
       {"Cannot use 'DIR/gone.txt': No such file or directory."},
       0,
       0,
       0},
      {"several",
       {"game.bin:16384:17", "sys.rom:8192:34", "prog.txt:3:65"},
       false,
       {"3 files were dropped; only the first, 'DIR/game.bin', is used."},
       0x11,
       0x00,
       0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Machine m({}, 0x0000, 0x0100);
    std::vector<std::string> paths;
    for (const std::string& file : row.files) {
      const size_t colon = file.find(':');
      if (colon == std::string::npos) {
        paths.push_back(m.dir.File(file));
        continue;
      }
      const size_t size = std::stoul(file.substr(colon + 1));
      const auto byte = static_cast<uint8_t>(std::stoul(file.substr(file.rfind(':') + 1)));
      paths.push_back(m.dir.Write(file.substr(0, colon), size, byte));
    }
    m.host.budget = 10;
    m.host.At(3, [&] {
      if (row.stopped) m.emu.OnStop();
      else m.emu.OnDropFiles(paths);
    });
    m.emu.OnStart();
    if (row.stopped) m.emu.OnDropFiles(paths);
    std::vector<std::string> messages = m.host.texts();
    const std::string dir = m.dir.path().string();
    for (std::string& text : messages) {
      for (size_t at; (at = text.find(dir)) != std::string::npos;)
        text.replace(at, dir.size(), "DIR");
    }
    EXPECT_EQ(messages, row.messages);
    EXPECT_TRUE(m.host.dialogs.empty());  // a drop is the user's choice: nothing asks
    EXPECT_EQ(m.emu.memory()[0xC000], row.at0xC000);
    EXPECT_EQ(m.emu.memory()[0x0000], row.at0x0000);
    EXPECT_EQ(m.emu.typingLeft(), row.typing);
    // A cartridge restarts the machine, as the File command does.
    EXPECT_EQ(m.emu.keepRunning(), row.at0xC000 == 0x11 || !row.stopped);
  }
}

std::string Header(const std::string& image) {
  return "Zorva 1.0 - Mattel Aquarius emulator trace\r\n\r\nCurrent ROM file:" + image + "\r\n\r\n";
}

TEST(TraceLog, HeaderThenARegisterLineBeforeEachInstructionWithTheBranchLines) {
  std::vector<uint8_t> program = {0x3E, 0xAB,         // LD A,0xAB
                                  0x01, 0x34, 0x12,   // LD BC,0x1234
                                  0xCD, 0x10, 0x00};  // CALL 0x0010
  program.resize(0x11);
  program[0x10] = 0xC9;  // RET
  Machine m(program, 0x0000, 0x0008);
  m.emu.OnLogToFile();
  m.emu.OnStart();
  m.emu.OnStopLogging();
  EXPECT_EQ(ReadFile(m.trace),
            Header(m.rom) +
                "PC:   0, OP:  3e, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
                "PC:   2, OP:   1, A:  ab, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
                "PC:   5, OP:  cd, A:  ab, F:   0, BC:1234, DE:   0, HL    0,SP:ffff\r\n"
                "CALL   10\r\n"
                "PC:  10, OP:  c9, A:  ab, F:   0, BC:1234, DE:   0, HL    0,SP:fffd\r\n"
                "RET     TO    8\r\n");
  EXPECT_TRUE(m.host.messages.empty());
}

// The register lines of instructions that change no register, at `from` up
// to `to` (excluded) on a reset machine, as printf writes them: NOPs, and a
// DI (which has no handler) at `diAt`.
std::string LinesOfNops(uint16_t from, uint16_t to, unsigned diAt = 0x10000) {
  std::string lines;
  for (unsigned pc = from; pc < to; ++pc) {
    char line[96];
    const int n = std::snprintf(line, sizeof line,
                                "PC:%4x, OP:%4x, A:%4x, F:%4x, BC:%4x, DE:%4x, HL %4x,SP:%4x\r\n",
                                pc, pc == diAt ? 0xF3 : 0, 0, 0, 0, 0, 0, 0xFFFF);
    lines.append(line, static_cast<size_t>(n));
  }
  return lines;
}

// The log keeps its lines in a buffer for speed. Over a run of several
// buffers, every line is in the file as soon as someone may look at it: the
// machine stops, logging stops, or the user has a message box to answer.
TEST(TraceLog, EveryLineIsInTheFileOnceTheMachineStopsOrTheLogEnds) {
  constexpr uint16_t kEnd = 0x1F00;  // 7936 lines, over half a megabyte
  const struct {
    const char* name;
    std::function<void(Emulator&)> command;  // at pump 5000
    uint16_t lines;                          // register lines in the file after the run
    bool loggingOn;
  } cases[] = {
      {"Stop", [](Emulator& e) { e.OnStop(); }, 5000, true},
      {"Stop Logging", [](Emulator& e) { e.OnStopLogging(); }, 5000, false},
      // On while on: no second header, nothing emptied or lost.
      {"Log to file again", [](Emulator& e) { e.OnLogToFile(); }, kEnd, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m({}, 0x0000, kEnd);
    m.emu.OnLogToFile();
    m.host.At(5000, [&] { c.command(m.emu); });
    m.emu.OnStart();
    EXPECT_EQ(ReadFile(m.trace), Header(m.rom) + LinesOfNops(0, c.lines));
    EXPECT_EQ(m.emu.loggingOn(), c.loggingOn);
    EXPECT_TRUE(m.host.messages.empty());
  }

  // DI has no handler: once its message has been answered, its line is in the
  // file, the last one there.
  std::vector<uint8_t> nopsThenDi(0x1000);
  nopsThenDi.push_back(0xF3);
  Machine m(nopsThenDi, 0x0000, kEnd);
  m.emu.OnLogToFile();
  std::string logAtMessage;
  m.host.At(0x1001, [&] { logAtMessage = ReadFile(m.trace); });
  m.emu.OnStart();
  EXPECT_EQ(logAtMessage, Header(m.rom) + LinesOfNops(0, 0x1001, 0x1000));
}

TEST(TraceLog, OffAndOnAgainEmptiesTheFileAndNamesTheLastImageLoaded) {
  Machine m({}, 0x0000, 0x0003);
  m.emu.OnLogToFile();
  m.emu.OnStart();
  m.emu.OnStopLogging();
  ASSERT_GT(ReadFile(m.trace).size(), Header(m.rom).size());
  const std::string cartridge = m.dir.Write("game.bin", 16384, 0);
  ASSERT_TRUE(m.emu.LoadCartridgeFile(cartridge));
  m.emu.OnLogToFile();
  EXPECT_TRUE(m.emu.loggingOn());
  EXPECT_EQ(ReadFile(m.trace), Header(cartridge));
}

TEST(TraceLog, AFileThatCannotBeOpenedIsReportedAndLeftAlone) {
  Machine m({}, 0x0000, 0x0000);
  std::filesystem::create_directory(m.trace);
  const std::string locked = m.dir.Write("locked.log", {'x'});
  const int holder = open(locked.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);  // as another program holding its own log
  for (const std::string& path : {m.trace, locked}) {
    m.emu.SetTraceFileName(path);
    m.emu.OnLogToFile();
    EXPECT_FALSE(m.emu.loggingOn());
  }
  close(holder);
  EXPECT_EQ(m.host.texts(), (std::vector<std::string>{"Can't open file. Error = 5\n",
                                                      "Can't open file. Error = 11\n"}));
  EXPECT_EQ(ReadFile(locked), "x");  // not emptied by the attempt
}

// A file may take no more bytes than this while the object lives, as on a
// full disk; writes past it fail with EFBIG instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }

 private:
  rlimit saved_{};
  void (*savedHandler_)(int) = nullptr;
};

TEST(TraceLog, AFailedWriteStopsLoggingAndIsReportedOnceWhileTheRunGoesOn) {
  {
    Machine m({}, 0x0000, 0x0010);
    m.emu.SetTraceFileName("/dev/full");
    m.emu.OnLogToFile();  // the header goes out at once, and fails
    EXPECT_EQ(m.host.texts(), std::vector<std::string>{"Can't write file. Error = 13\n"});
    EXPECT_FALSE(m.emu.loggingOn());
    m.emu.OnStart();
    EXPECT_EQ(m.host.messages.size(), 1u);
    EXPECT_EQ(m.emu.registers().PC, 0x0010);
  }
  {
    // The file fills up in the middle of the second buffer of lines.
    constexpr uint16_t kEnd = 0x1F00;
    constexpr size_t kLimit = 100'000;
    Machine m({}, 0x0000, kEnd);
    {
      FileSizeLimit limit(kLimit);
      m.emu.OnLogToFile();
      m.emu.OnStart();
      m.emu.OnStopLogging();
    }
    EXPECT_EQ(m.host.texts(), std::vector<std::string>{"Can't write file. Error = 6\n"});
    EXPECT_FALSE(m.emu.loggingOn());
    EXPECT_EQ(m.emu.registers().PC, kEnd);
    EXPECT_EQ(ReadFile(m.trace), (Header(m.rom) + LinesOfNops(0, kEnd)).substr(0, kLimit));
  }
}

}  // namespace
}  // namespace zorva

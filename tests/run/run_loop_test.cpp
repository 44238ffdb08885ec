// The run loop's contract with the commands that reach it from inside the
// message pump: where a run ends, what Stop, Reset, Start, the run-point
// dialog, closing and the cartridge command do to a run in progress, and how
// the pump's instruction budget is honoured.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "run/emulator.h"
#include "tests/support/image_files.h"
#include "tests/support/scripted_host.h"

namespace zorva {
namespace {

using testing::Image;
using testing::PathIn;
using testing::ScriptedHost;
using testing::TempDir;

constexpr uint8_t kIncA = 0x3C;

class RunLoopTest : public ::testing::Test {
 protected:
  // `program` at 0x0000 as the ROM image, run points set; memory after the
  // program is zero, i.e. NOPs up to the HALTs at 0xF000.
  void Boot(std::vector<uint8_t> program, uint16_t start = 0x0000, uint16_t end = 0xFFFF) {
    emu.InitMachine();
    ASSERT_TRUE(emu.LoadRomFile(dir.Write("test.rom", Image(std::move(program)))));
    emu.OnAdvanced({.start = start, .end = end, .showPcSp = false});
  }
  void BootIncA(uint16_t start, uint16_t end) {
    Boot(std::vector<uint8_t>(8192, kIncA), start, end);
  }
  const Z80Registers& regs() const { return emu.registers(); }

  TempDir dir;
  ScriptedHost host;
  Emulator emu{host};
};

// JP 0x0010, and at 0x0010 JP 0x0003.
std::vector<uint8_t> TwoJumps() {
  std::vector<uint8_t> p(0x13);
  p[0x00] = 0xC3;
  p[0x01] = 0x10;
  p[0x10] = 0xC3;
  p[0x11] = 0x03;
  return p;
}

struct EndCase {
  const char* name;
  std::vector<uint8_t> program;
  uint16_t start, end;
  uint64_t instructions;
};

TEST_F(RunLoopTest, StopsWhenPcReachesTheEndPointWithoutExecutingIt) {
  const EndCase cases[] = {
      {"stepping onto it", {}, 0x0000, 0x0003, 3},
      {"from a start other than 0", {}, 0x0010, 0x0012, 2},
      {"JP onto it", {0xC3, 0x03, 0x00}, 0x0000, 0x0003, 1},
      {"JP away and JP back onto it", TwoJumps(), 0x0000, 0x0003, 2},
      {"JR onto it", {0x18, 0x05}, 0x0000, 0x0007, 1},
      {"CALL onto it", {0xCD, 0x00, 0x01}, 0x0000, 0x0100, 1},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost host;
    Emulator emu(host);
    emu.InitMachine();
    ASSERT_TRUE(emu.LoadRomFile(dir.Write("end.rom", Image(c.program))));
    emu.OnAdvanced({.start = c.start, .end = c.end, .showPcSp = false});
    emu.OnStart();
    EXPECT_EQ(host.pumps, c.instructions);
    EXPECT_EQ(emu.registers().PC, c.end);
    EXPECT_FALSE(emu.runLoopActive());
    // Parked at the end point: the machine still counts as started.
    EXPECT_TRUE(emu.keepRunning());
  }
}

TEST_F(RunLoopTest, StartEqualToEndRunsNothingAndParksTheMachine) {
  Boot({}, 0x0100, 0x0100);
  emu.OnStart();
  EXPECT_EQ(host.pumps, 0u);
  EXPECT_EQ(regs().PC, 0x0100);
  EXPECT_TRUE(emu.keepRunning());
  EXPECT_FALSE(emu.runLoopActive());

  emu.OnStart();  // inert until Stop
  EXPECT_EQ(host.pumps, 0u);
  EXPECT_TRUE(host.messages.empty());

  emu.OnLoadMachineRom();
  EXPECT_EQ(host.messages, std::vector<std::string>{"Can't load rom: Processor already running.\n"
                                                    "Please stop processor first."});
  EXPECT_TRUE(host.dialogs.empty());

  emu.OnLoadCartridge();  // only marks the load pending
  EXPECT_TRUE(emu.cartridgePending());
  EXPECT_FALSE(emu.keepRunning());
  EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(RunLoopTest, StopInsideThePumpEndsTheRunAndStartBeginsAgainAtTheStartPoint) {
  BootIncA(0x0000, 0x1000);
  host.At(3, [&] { emu.OnStop(); });
  emu.OnStart();
  EXPECT_EQ(host.pumps, 3u);  // no instruction after the Stop
  EXPECT_EQ(regs().PC, 3);
  EXPECT_EQ(regs().A, 3);
  EXPECT_FALSE(emu.keepRunning());

  // The registers stay as Stop left them; only PC goes back to the start.
  host.At(5, [&] { emu.OnStop(); });
  emu.OnStart();
  EXPECT_EQ(regs().PC, 2);
  EXPECT_EQ(regs().A, 5);
}

TEST_F(RunLoopTest, ResetInsideThePumpMakesTheNextInstructionRunAtZero) {
  BootIncA(0x0000, 0x1000);
  host.At(3, [&] {
    emu.OnReset();
    EXPECT_EQ(regs().SP, 0xFFFF);
  });
  Z80Registers afterNext;
  host.At(4, [&] {
    afterNext = regs();
    emu.OnStop();
  });
  emu.OnStart();
  EXPECT_EQ(afterNext.PC, 1);
  EXPECT_EQ(afterNext.A, 1);
  EXPECT_EQ(emu.memory()[0], kIncA);
}

TEST_F(RunLoopTest, PcMovedOntoTheEndPointInsideThePumpEndsTheRun) {
  struct Case {
    const char* name;
    uint16_t start, end;
    bool reset;  // at pump 2: Reset, or else the run-point dialog with `moved`
    RunPoints moved;
  };
  const Case cases[] = {
      {"Reset", 0x0005, 0x0000, true, {}},
      {"run-point dialog",
       0x0000,
       0x0030,
       false,
       {.start = 0x0030, .end = 0x0040, .showPcSp = false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost host;
    Emulator emu(host);
    emu.InitMachine();
    ASSERT_TRUE(emu.LoadRomFile(dir.Write("nop.rom", Image({}))));
    emu.OnAdvanced({.start = c.start, .end = c.end, .showPcSp = false});
    host.At(2, [&] { c.reset ? emu.OnReset() : emu.OnAdvanced(c.moved); });
    emu.OnStart();
    EXPECT_EQ(host.pumps, 2u);
    EXPECT_EQ(emu.registers().PC, c.end);
    EXPECT_TRUE(emu.keepRunning());
  }
}

TEST_F(RunLoopTest, RunPointDialogMovesPcAtOnceButNotTheEndOfARunInProgress) {
  Boot({});
  emu.OnAdvanced({.start = 0x0123, .end = 0x0456, .showPcSp = true});
  EXPECT_EQ(regs().PC, 0x0123);
  EXPECT_EQ(emu.runPoints().end, 0x0456);
  EXPECT_TRUE(emu.runPoints().showPcSp);

  emu.OnAdvanced({.start = 0x0000, .end = 0x0020, .showPcSp = false});
  uint16_t pcAfterMove = 0;
  host.At(2, [&] { emu.OnAdvanced({.start = 0x0006, .end = 0x0007, .showPcSp = false}); });
  host.At(3, [&] { pcAfterMove = regs().PC; });
  emu.OnStart();
  EXPECT_EQ(pcAfterMove, 0x0007);
  // The run ends at the end point it started with, 0x20, not at 7.
  EXPECT_EQ(regs().PC, 0x0020);
  EXPECT_EQ(host.pumps, 2u + (0x20 - 6));
}

TEST_F(RunLoopTest, StartWhileRunningDoesNothing) {
  Boot({}, 0x0000, 0x0008);
  host.At(4, [&] { emu.OnStart(); });
  emu.OnStart();
  // A second run from inside would have started again at 0 and taken 4 more pumps.
  EXPECT_EQ(host.pumps, 8u);
  EXPECT_EQ(regs().PC, 0x0008);
}

TEST_F(RunLoopTest, StartWithoutARomSaysSoAndCanBeTriedAgain) {
  emu.InitMachine();
  emu.OnStart();
  EXPECT_EQ(host.messages, std::vector<std::string>{"Cannot run: No ROM loaded."});
  EXPECT_FALSE(emu.keepRunning());
  EXPECT_FALSE(emu.runLoopActive());
  EXPECT_EQ(host.pumps, 0u);
  emu.OnStart();
  EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(RunLoopTest, UnhandledInstructionsAreReportedAndTheRunGoesOn) {
  Boot({0xF3, 0x00, 0xFB}, 0x0000, 0x0004);  // DI, NOP, EI
  emu.OnStart();
  EXPECT_EQ(host.messages, (std::vector<std::string>{"Unhandled instruction f3 at    0",
                                                     "Unhandled instruction fb at    2"}));
  EXPECT_EQ(regs().PC, 0x0004);
}

TEST_F(RunLoopTest, CloseWhileRunningEndsTheLoopThenClosesTheWindowOnTheRepostedRequest) {
  Boot({}, 0x0000, 0x1000);
  const std::string trace = PathIn(dir, "trace.log");
  emu.SetTraceFileName(trace);
  emu.OnLogToFile();
  ASSERT_TRUE(emu.loggingOn());

  host.At(4, [&] { emu.OnClose(); });
  bool loopActiveAtPost = true;
  uint16_t pcAtPost = 0;
  host.onPostClose = [&] {
    loopActiveAtPost = emu.runLoopActive();
    pcAtPost = regs().PC;
  };
  emu.OnStart();
  EXPECT_EQ(pcAtPost, 4);  // nothing ran after the close was handled
  EXPECT_FALSE(loopActiveAtPost);
  EXPECT_EQ(host.screenTimerStops, 1);
  EXPECT_EQ(host.closesPosted, 1);
  EXPECT_EQ(host.windowCloses, 0);
  EXPECT_TRUE(emu.closing());
  // The loop's tail pumps once more before it posts the close.
  EXPECT_EQ(std::vector<std::string>(host.calls.end() - 2, host.calls.end()),
            (std::vector<std::string>{"pump 5", "post-close"}));

  emu.OnClose();  // the re-posted request, delivered by the window system
  EXPECT_EQ(host.windowCloses, 1);
  EXPECT_FALSE(emu.loggingOn());
  const std::string log = testing::ReadFile(trace);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4 + 4);  // header lines + one per instruction
  EXPECT_TRUE(
      log.ends_with("PC:   3, OP:   0, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"));
}

TEST_F(RunLoopTest, CloseWhenNotRunningClosesTheLogAndTheWindowAtOnce) {
  Boot({});
  emu.SetTraceFileName(PathIn(dir, "trace.log"));
  emu.OnLogToFile();
  emu.OnClose();
  EXPECT_EQ(host.windowCloses, 1);
  EXPECT_EQ(host.closesPosted, 0);
  EXPECT_FALSE(emu.loggingOn());
}

TEST_F(RunLoopTest, CartridgeLoadWhileRunningWaitsForTheLoopToEnd) {
  struct Case {
    const char* name;
    size_t fileSize;  // 0: the dialog is cancelled
    bool loaded;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"cancelled", 0, false, {}},
      {"16384 bytes", 16384, true, {}},
      {"8192 bytes", 8192, false, {"ROM Image was not 16384 bytes.\n\nROM Image was not loaded."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost host;
    Emulator emu(host);
    emu.InitMachine();
    ASSERT_TRUE(emu.LoadRomFile(dir.Write("nop.rom", Image({}))));
    emu.OnAdvanced({.start = 0x0000, .end = 0x0008, .showPcSp = false});

    std::string cartridge;
    if (c.fileSize != 0) {
      std::vector<uint8_t> bytes(c.fileSize);
      for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
      cartridge = dir.Write("game.bin", bytes);
      host.AnswerFile(cartridge);
    }
    host.At(3, [&] { emu.OnLoadCartridge(); });
    size_t dialogsDuringRun = 99;
    host.At(4, [&] {  // the pump of the loop's tail
      dialogsDuringRun = host.dialogs.size();
      EXPECT_FALSE(emu.runLoopActive());
      EXPECT_TRUE(emu.cartridgePending());
    });
    emu.OnStart();

    EXPECT_EQ(dialogsDuringRun, 0u);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].preset, "*.bin");
    EXPECT_EQ(host.dialogs[0].types,
              (std::vector<std::string>{"BIN Files (*.bin)|*.bin", "All Files (*.*)|*.*"}));
    EXPECT_FALSE(emu.cartridgePending());
    EXPECT_EQ(host.messages, c.messages);
    if (!c.messages.empty()) {
      EXPECT_EQ(host.icons[0], Host::Icon::Information);
    }
    EXPECT_EQ(emu.memory()[0xC000], c.loaded ? 0x01 : 0x00);
    EXPECT_EQ(emu.memory()[0xFFFF], c.loaded ? static_cast<uint8_t>(0x3FFF * 7 + 1) : 0x76);
    if (c.fileSize == 0) {
      // Cancelled: stopped where the load interrupted it.
      EXPECT_FALSE(emu.keepRunning());
      EXPECT_EQ(emu.registers().PC, 3);
      EXPECT_EQ(host.pumps, 4u);
    } else {
      // Loaded or refused, the machine is reset and runs again from the start point.
      EXPECT_TRUE(emu.keepRunning());
      EXPECT_EQ(emu.registers().PC, 0x0008);
      EXPECT_EQ(host.pumps, 4u + 8u);
      EXPECT_EQ(emu.romPath(), cartridge);
    }
  }
}

TEST_F(RunLoopTest, MachineRomCommandIsRefusedWhileRunningAndLoadsWithoutStartingOtherwise) {
  Boot({}, 0x0000, 0x0010);
  host.At(2, [&] { emu.OnLoadMachineRom(); });
  emu.OnStart();
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(regs().PC, 0x0010);  // the refusal did not disturb the run

  emu.OnStop();
  const std::string rom = dir.Write("other.rom", Image({kIncA, kIncA}));
  host.AnswerFile(rom);
  emu.OnLoadMachineRom();
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0].preset, "*.rom");
  EXPECT_EQ(host.dialogs[0].types,
            (std::vector<std::string>{"ROM Files (*.rom)|*.rom", "All Files (*.*)|*.*"}));
  EXPECT_EQ(emu.memory()[1], kIncA);
  EXPECT_EQ(emu.romPath(), rom);
  EXPECT_EQ(regs().PC, 0);  // registers reset by the load
  EXPECT_FALSE(emu.keepRunning());
  EXPECT_EQ(host.pumps, 0x10u);  // and not started

  emu.OnLoadMachineRom();  // cancelled: nothing changes
  EXPECT_EQ(emu.romPath(), rom);
  EXPECT_EQ(host.messages.size(), 1u);
}

// A host that lets several instructions pass between pumps.
class BudgetHost : public ScriptedHost {
 public:
  explicit BudgetHost(uint32_t budget) : budget_(budget) {}
  uint32_t PumpMessages() override {
    ScriptedHost::PumpMessages();
    return budget_;
  }
  std::vector<uint16_t> pcAtPump;

 private:
  uint32_t budget_;
};

TEST_F(RunLoopTest, TheLoopPumpsExactlyWhenTheHostsBudgetRunsOut) {
  struct Case {
    const char* name;
    uint32_t budget;
    uint16_t end;
    uint64_t stopAtPump;  // 0: none
    std::vector<uint16_t> pcAtPumps;
    uint16_t finalPc;
  };
  const Case cases[] = {
      // A run pumps first after its first instruction, then every `budget` instructions.
      {"end between pumps", 4, 0x000A, 0, {1, 5, 9}, 0x000A},
      {"end at a pump", 4, 0x0009, 0, {1, 5, 9}, 0x0009},
      {"Stop at a pump", 4, 0x0100, 3, {1, 5, 9}, 0x0009},
      // A host answering 0 still gets asked after every instruction.
      {"budget 0", 0, 0x0100, 3, {1, 2, 3}, 0x0003},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BudgetHost host(c.budget);
    Emulator emu(host);
    emu.InitMachine();
    ASSERT_TRUE(emu.LoadRomFile(dir.Write("nop.rom", Image({}))));
    emu.OnAdvanced({.start = 0x0000, .end = c.end, .showPcSp = false});
    std::vector<uint16_t> seen;
    for (uint64_t p = 1; p <= 3; ++p) {
      host.At(p, [&, p] {
        seen.push_back(emu.registers().PC);
        if (p == c.stopAtPump) emu.OnStop();
      });
    }
    emu.OnStart();
    EXPECT_EQ(seen, c.pcAtPumps);
    EXPECT_EQ(emu.registers().PC, c.finalPc);
  }
}

TEST_F(RunLoopTest, WithTheLogOnEveryInstructionOfABatchGetsItsLine) {
  BudgetHost host(5);
  Emulator emu(host);
  emu.InitMachine();
  ASSERT_TRUE(emu.LoadRomFile(dir.Write("nop.rom", Image({}))));
  emu.OnAdvanced({.start = 0x0000, .end = 0x000C, .showPcSp = false});
  emu.SetTraceFileName(PathIn(dir, "trace.log"));
  emu.OnLogToFile();
  emu.OnStart();
  emu.OnStopLogging();
  const std::string log = testing::ReadFile(PathIn(dir, "trace.log"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4 + 12);
  EXPECT_EQ(host.pumps, 3u);
}

}  // namespace
}  // namespace zorva

// The headless host's side of the run: the budgets it hands the run loop,
// which make key events and the step limit land on exact instruction counts,
// and the lines it writes for messages and captions.
#include "tools/headless_host.h"

#include <gtest/gtest.h>

#include <sstream>

#include "run/emulator.h"
#include "tests/support/image_files.h"

namespace zorva::tools {
namespace {

using testing::Image;
using testing::PathIn;
using testing::TempDir;

struct Machine {
  explicit Machine(std::vector<KeyEvent> keys, uint32_t gap, uint64_t steps)
      : host(err, std::move(keys), gap, steps) {
    host.Attach(emu);
    emu.InitMachine();
    EXPECT_TRUE(emu.LoadRomFile(dir.Write("nop.rom", Image({}))));
  }
  TempDir dir;
  std::ostringstream err;
  HeadlessHost host;
  Emulator emu{host};
};

TEST(HeadlessHost, BudgetsLeadFromOneEventToTheNext) {
  // Keys due at 3 and 6 instructions, the limit at 10.
  Machine m({{KeyEvent::Kind::Down, 'A'}, {KeyEvent::Kind::Up, 'A'}}, 3, 10);
  // Parked at an end point, so that the limit's Stop shows in keepRunning.
  m.emu.OnAdvanced({.start = 0, .end = 0, .showPcSp = false});
  m.emu.OnStart();
  ASSERT_TRUE(m.emu.keepRunning());

  // The pumps of a run, by hand; a run pumps first after one instruction.
  EXPECT_EQ(m.host.PumpMessages(), 2u);  // at 1: next event at 3
  EXPECT_EQ(m.emu.portSpace()[0xBFFF], 0xFF);
  EXPECT_EQ(m.host.PumpMessages(), 3u);  // at 3: A down
  EXPECT_EQ(m.emu.portSpace()[0xBFFF], 0xDF);
  EXPECT_EQ(m.host.PumpMessages(), 4u);  // at 6: A up; then only the limit is ahead
  EXPECT_EQ(m.emu.portSpace()[0xBFFF], 0xFF);
  EXPECT_EQ(m.host.keysLeft(), 0u);
  EXPECT_TRUE(m.emu.keepRunning());
  m.host.PumpMessages();  // at 10
  EXPECT_EQ(m.host.executed(), 10u);
  EXPECT_FALSE(m.emu.keepRunning());
}

TEST(HeadlessHost, ARunStopsAtTheStepLimitExactly) {
  // NOPs up to the HALTs that fill 0xF000-0xFFFF; the last limit spans
  // more than one of the host's longest quiet stretches.
  for (const uint64_t limit : {1u, 2u, 999u, (2u << 20) + 3}) {
    Machine m({}, 1, limit);
    m.emu.OnStart();
    EXPECT_EQ(m.host.executed(), limit);
    EXPECT_EQ(m.emu.registers().PC, std::min<uint64_t>(limit, 0xF000));
  }
}

TEST(HeadlessHost, WithoutLimitOrKeysItStillLooksForAnInterruptNowAndThen) {
  Machine m({}, 1, 0);
  EXPECT_EQ(m.host.PumpMessages(), 1u << 20);
  EXPECT_FALSE(m.host.interrupted());

  volatile std::sig_atomic_t flag = 1;
  Machine n({}, 1, 0);
  n.host.WatchInterrupt(&flag);
  n.emu.OnStart();
  EXPECT_TRUE(n.host.interrupted());
  EXPECT_EQ(n.emu.registers().PC, 1);  // stopped at the first pump
  EXPECT_FALSE(n.emu.keepRunning());
}

TEST(HeadlessHost, MessagesAndCaptionsBecomeOneLineEach) {
  Machine m({}, 1, 0);
  m.host.ShowMessage("ROM Image was not 8192 bytes.\n\nROM Image was not loaded.",
                     Host::Icon::Information);
  m.host.SetCaption("Zorva - (Current cypher: 5a)");
  EXPECT_EQ(m.err.str(),
            "message: ROM Image was not 8192 bytes.\\n\\nROM Image was not loaded.\n"
            "caption: Zorva - (Current cypher: 5a)\n");
  EXPECT_EQ(m.host.ChooseFile({}, "*.rom"), std::nullopt);
}

}  // namespace
}  // namespace zorva::tools

// Loading ROM and cartridge images, including files that are not images at
// all, and the cartridge scramble port.
#include "machine/images.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

using testing::RecordingHost;
using testing::RecordingLinks;
using testing::TempDir;

struct Machine {
  Machine() {
    InitMemory(m);
    InitPortSpace(m);
    m.cpu.BuildParityTable();
  }
  RecordingLinks links;
  MachineState m{links};
  RecordingHost host;
};

std::string SizeMessage(uint32_t size) {
  return "ROM Image was not " + std::to_string(size) + " bytes.\n\nROM Image was not loaded.";
}
std::string OpenMessage(const std::string& path, unsigned cause) {
  return "Can't find/open file '" + path + "', error = " + std::to_string(cause) + "\n";
}

TEST(LoadImage, ExactSizeLoadsAndResetsTheRegisters) {
  TempDir dir;
  Machine t;
  std::vector<uint8_t> rom(8192);
  for (size_t i = 0; i < rom.size(); ++i) rom[i] = static_cast<uint8_t>(i * 7);
  t.m.romPath = dir.Write("good.rom", rom);
  t.m.cpu.regs.PC = 0x1234;
  t.m.cpu.regs.A = 0x55;
  t.m.memory[0x2000] = 0xAB;

  ASSERT_TRUE(LoadImage(t.m, t.host, 0x0000, 8192));
  EXPECT_TRUE(t.m.romLoaded);
  EXPECT_TRUE(std::equal(rom.begin(), rom.end(), t.m.memory.begin()));
  EXPECT_EQ(t.m.memory[0x2000], 0xAB);  // the byte after the image is not touched
  EXPECT_EQ(t.m.cpu.regs, Z80Registers{});
  EXPECT_TRUE(t.host.messages.empty());
}

TEST(LoadImage, CartridgeAloneCountsAsLoaded) {
  TempDir dir;
  Machine t;
  t.m.romPath = dir.Write("game.bin", 16384, 0x3C);
  ASSERT_TRUE(LoadImage(t.m, t.host, 0xC000, 16384));
  EXPECT_TRUE(t.m.romLoaded);
  EXPECT_EQ(t.m.memory[0xC000], 0x3C);
  EXPECT_EQ(t.m.memory[0xFFFF], 0x3C);
  EXPECT_EQ(t.m.memory[0xBFFF], 0x00);
}

// Every refusal leaves memory, the registers and romLoaded exactly as they were.
struct Refusal {
  const char* name;
  std::function<std::string(const TempDir&)> make;  // returns the path to load
  uint16_t address;
  uint32_t size;
  std::function<std::string(const std::string&)> message;
  Host::Icon icon;
};

class RefusedImage : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedImage, LeavesTheMachineAlone) {
  const Refusal& c = GetParam();
  TempDir dir;
  Machine t;
  t.m.romPath = c.make(dir);
  t.m.cpu.regs.PC = 0x4321;
  const auto memory = t.m.memory;
  const Z80Registers regs = t.m.cpu.regs;

  // A hang here would be a failure of its own: run the load with a deadline.
  auto load =
      std::async(std::launch::async, [&] { return LoadImage(t.m, t.host, c.address, c.size); });
  ASSERT_EQ(load.wait_for(std::chrono::seconds(10)), std::future_status::ready) << c.name;
  EXPECT_FALSE(load.get());

  ASSERT_EQ(t.host.messages.size(), 1u) << c.name;
  EXPECT_EQ(t.host.messages[0].text, c.message(t.m.romPath)) << c.name;
  EXPECT_EQ(t.host.messages[0].icon, c.icon) << c.name;
  EXPECT_FALSE(t.m.romLoaded);
  EXPECT_EQ(t.m.memory, memory);
  EXPECT_EQ(t.m.cpu.regs, regs);
}

auto Size(uint32_t n) {
  return [n](const std::string&) { return SizeMessage(n); };
}
auto Open(unsigned cause) {
  return [cause](const std::string& path) { return OpenMessage(path, cause); };
}
auto File(size_t size) {
  return [size](const TempDir& d) { return d.Write("image", size, 0xEE); };
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedImage,
    ::testing::Values(
        Refusal{"empty", File(0), 0, 8192, Size(8192), Host::Icon::Information},
        Refusal{"one byte", File(1), 0, 8192, Size(8192), Host::Icon::Information},
        Refusal{"8191", File(8191), 0, 8192, Size(8192), Host::Icon::Information},
        Refusal{"8193", File(8193), 0, 8192, Size(8192), Host::Icon::Information},
        Refusal{"cartridge as ROM", File(16384), 0, 8192, Size(8192), Host::Icon::Information},
        Refusal{"ROM as cartridge", File(8192), 0xC000, 16384, Size(16384),
                Host::Icon::Information},
        Refusal{"4 GiB sparse file, by its size alone",
                [](const TempDir& d) {
                  const std::string p = d.Write("huge", 0, 0);
                  EXPECT_EQ(truncate(p.c_str(), 4LL << 30), 0);
                  return p;
                },
                0, 8192, Size(8192), Host::Icon::Information},
        Refusal{"missing", [](const TempDir& d) { return (d.path() / "absent.rom").string(); }, 0,
                8192, Open(2), Host::Icon::Plain},
        Refusal{"missing folder on the way",
                [](const TempDir& d) { return (d.path() / "no/such/dir.rom").string(); }, 0, 8192,
                Open(2), Host::Icon::Plain},
        Refusal{"a file used as a folder",
                [](const TempDir& d) { return d.Write("plain", 1, 0) + "/x.rom"; }, 0, 8192,
                Open(3), Host::Icon::Plain},
        Refusal{"directory",
                [](const TempDir& d) {
                  std::filesystem::create_directory(d.path() / "dir.rom");
                  return (d.path() / "dir.rom").string();
                },
                0, 8192, Open(5), Host::Icon::Plain},
        Refusal{"FIFO without a writer",
                [](const TempDir& d) {
                  const std::string p = (d.path() / "fifo.rom").string();
                  EXPECT_EQ(mkfifo(p.c_str(), 0600), 0);
                  return p;
                },
                0, 8192, Open(6), Host::Icon::Plain},
        Refusal{"character device", [](const TempDir&) { return std::string("/dev/zero"); }, 0,
                8192, Open(6), Host::Icon::Plain},
        Refusal{"symbolic link loop",
                [](const TempDir& d) {
                  std::filesystem::create_symlink(d.path() / "b", d.path() / "a");
                  std::filesystem::create_symlink(d.path() / "a", d.path() / "b");
                  return (d.path() / "a").string();
                },
                0, 8192, Open(3), Host::Icon::Plain},
        Refusal{"path that looks like a format",
                [](const TempDir& d) { return (d.path() / "%s%n%x.rom").string(); }, 0, 8192,
                Open(2), Host::Icon::Plain}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(LoadImage, UnreadableFileIsAccessDenied) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
  TempDir dir;
  Machine t;
  t.m.romPath = dir.Write("locked.rom", 8192, 1);
  chmod(t.m.romPath.c_str(), 0);
  EXPECT_FALSE(LoadImage(t.m, t.host, 0, 8192));
  EXPECT_EQ(t.host.messages.at(0).text, OpenMessage(t.m.romPath, 5));
}

TEST(LoadImage, NonAsciiPathLoads) {
  TempDir dir;
  Machine t;
  t.m.romPath = dir.Write("Zorvä ÿ 日本.rom", 8192, 0x42);
  EXPECT_TRUE(LoadImage(t.m, t.host, 0, 8192));
  EXPECT_EQ(t.m.memory[0x1FFF], 0x42);
}

TEST(ScramblePort, XorsTheCartridgeAreaAndSetsTheCaption) {
  Machine t;
  WriteScramblePort(t.m, t.host, 0x01);
  EXPECT_EQ(t.m.memory[0xC000], 0x01);
  EXPECT_EQ(t.m.memory[0xEFFF], 0x01);
  EXPECT_EQ(t.m.memory[0xF000], 0x77);
  EXPECT_EQ(t.m.memory[0xFFFF], 0x77);
  EXPECT_EQ(t.m.memory[0xBFFF], 0x00);
  EXPECT_EQ(t.m.titleText, "Zorva - (Current cypher:  1)");
  EXPECT_EQ(t.host.captions, std::vector<std::string>{"Zorva - (Current cypher:  1)"});
}

TEST(ScramblePort, WritesAddUp) {
  Machine t;
  for (uint32_t a = 0xC000; a < 0x10000; ++a) t.m.memory[a] = static_cast<uint8_t>(a * 13);
  const auto before = t.m.memory;
  WriteScramblePort(t.m, t.host, 0x5A);
  EXPECT_NE(t.m.memory, before);
  WriteScramblePort(t.m, t.host, 0x5A);
  EXPECT_EQ(t.m.memory, before);
  WriteScramblePort(t.m, t.host, 0x00);
  EXPECT_EQ(t.m.memory, before);
  EXPECT_EQ(t.host.captions.back(), "Zorva - (Current cypher:  0)");
  EXPECT_EQ(t.host.captions.front(), "Zorva - (Current cypher: 5a)");
}

TEST(MachineState, StartUpFillsAndClearScreen) {
  RecordingLinks links;
  MachineState m(links);
  m.memory.fill(0xAA);
  InitMemory(m);
  InitPortSpace(m);
  EXPECT_EQ(m.memory[0x2FFF], 0xAA);  // left for the ROM load and the implementer
  EXPECT_EQ(m.memory[0x3000], 0x00);
  EXPECT_EQ(m.memory[0xEFFF], 0x00);
  EXPECT_EQ(m.memory[0xF000], 0x76);
  EXPECT_EQ(m.memory[0xFFFF], 0x76);
  EXPECT_EQ(m.portSpace[0x0000], 0xFF);
  EXPECT_EQ(m.portSpace[0xFFFF], 0xFF);

  m.memory[0x33C0] = 0x41;  // row 24
  m.memory[0x3400] = 0x70;  // colour
  m.screen.fullRedraw = false;
  OnClearScreenRam(m);
  EXPECT_EQ(m.memory[0x3000], 0x20);
  EXPECT_EQ(m.memory[0x33BF], 0x20);
  EXPECT_EQ(m.memory[0x33C0], 0x41);
  EXPECT_EQ(m.memory[0x3400], 0x70);
  EXPECT_EQ(m.memory[0x2FFF], 0xAA);
  EXPECT_TRUE(m.screen.fullRedraw);
}

}  // namespace
}  // namespace zorva

// Loading ROM and cartridge images, including files that are not images at
// all, and the cartridge scramble port.
#include "machine/images.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <tuple>

#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_cpu.h"

namespace zorva {
namespace {

struct Machine {
  Machine() { InitMemory(m); }
  testing::RecordingLinks links;
  MachineState m{links};
  testing::RecordingHost host;
  testing::TempDir dir;
};

TEST(LoadImage, ExactSizeLoadsAndResetsTheRegisters) {
  for (auto [name, address, size] : {std::tuple{"rom.bin", 0, 8192u},
                                     {"cart.bin", 0xC000, 16384u},
                                     {"Zorvä ÿ 日本.rom", 0, 8192u}}) {
    Machine t;
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
    t.m.romPath = t.dir.Write(name, image);
    t.m.cpu.regs.PC = 0x1234;
    const uint16_t before = (address - 1) & 0xFFFF, after = (address + size) & 0xFFFF;
    t.m.memory[before] = t.m.memory[after] = 0xAB;

    ASSERT_TRUE(LoadImage(t.m, t.host, address, size)) << name;
    EXPECT_TRUE(t.m.romLoaded);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), t.m.memory.begin() + address));
    EXPECT_EQ(t.m.memory[before] << 8 | t.m.memory[after], 0xABAB) << "the bytes around stay";
    EXPECT_EQ(t.m.cpu.regs, Z80Registers{});
    EXPECT_TRUE(t.host.messages.empty());
  }
}

// Every refusal shows one message and leaves memory, registers and romLoaded alone.
TEST(LoadImage, RefusesWhatIsNotAnImageOfTheSize) {
  using Path = const std::filesystem::path&;
  const auto bytes = [](size_t n) {
    return [n](Path p) { std::ofstream{p} << std::string(n, 'x'); };
  };
  const auto nothing = [](Path) {};
  const struct {
    const char* name;  // of the file in a fresh folder
    std::function<void(Path)> make;
    uint32_t size;
    unsigned cause;  // 0: refused by its size
  } cases[] = {
      {"empty", bytes(0), 8192, 0},
      {"one byte", bytes(1), 8192, 0},
      {"8191", bytes(8191), 8192, 0},
      {"8193", bytes(8193), 8192, 0},
      {"cartridge as ROM", bytes(16384), 8192, 0},
      {"ROM as cartridge", bytes(8192), 16384, 0},
      {"4 GiB sparse",
       [&](Path p) {
         bytes(0)(p);
         std::filesystem::resize_file(p, 4ULL << 30);
       },
       8192, 0},
      {"missing", nothing, 8192, 2},
      {"%s%n%x.rom", nothing, 8192, 2},  // a path that looks like a format
      {"directory", [](Path p) { std::filesystem::create_directory(p); }, 8192, 5},
      {"FIFO without a writer", [](Path p) { mkfifo(p.c_str(), 0600); }, 8192, 6},
      {"/dev/zero", nothing, 8192, 6},  // absolute: the folder drops out of the path
      {"symbolic link loop", [](Path p) { std::filesystem::create_symlink(p, p); }, 8192, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Machine t;
    c.make(t.dir.path() / c.name);
    t.m.romPath = (t.dir.path() / c.name).string();
    t.m.cpu.regs.PC = 0x4321;
    const auto memory = t.m.memory;
    const Z80Registers regs = t.m.cpu.regs;
    const uint16_t address = c.size == 8192 ? 0 : 0xC000;
    auto load =
        std::async(std::launch::async, [&] { return LoadImage(t.m, t.host, address, c.size); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << "the load hangs";  // and the future would wait for it forever
      std::fflush(stdout);
      std::_Exit(1);
    }
    EXPECT_FALSE(load.get());
    const std::string expected = c.cause == 0 ? "ROM Image was not " + std::to_string(c.size) +
                                                    " bytes.\n\nROM Image was not loaded."
                                              : "Can't find/open file '" + t.m.romPath +
                                                    "', error = " + std::to_string(c.cause) + "\n";
    ASSERT_EQ(t.host.messages.size(), 1u);
    EXPECT_EQ(t.host.messages[0].text, expected);
    EXPECT_EQ(t.host.messages[0].icon, c.cause == 0 ? Host::Icon::Information : Host::Icon::Plain);
    EXPECT_FALSE(t.m.romLoaded);
    EXPECT_EQ(t.m.memory, memory);
    EXPECT_EQ(t.m.cpu.regs, regs);
  }
}

TEST(ScramblePort, XorsTheCartridgeAreaAndShowsTheValueInTheCaption) {
  Machine t;
  for (uint32_t a = 0xBFFF; a < 0x10000; ++a) t.m.memory[a] = static_cast<uint8_t>(a * 13);
  const auto before = t.m.memory;
  WriteScramblePort(t.m, t.host, 0x01);
  EXPECT_EQ(t.m.memory[0xC000], before[0xC000] ^ 0x01);
  EXPECT_EQ(t.m.memory[0xFFFF], before[0xFFFF] ^ 0x01);
  EXPECT_EQ(t.m.memory[0xBFFF], before[0xBFFF]);
  EXPECT_EQ(t.host.captions.at(0), "Zorva - (Current cypher:  1)");
  WriteScramblePort(t.m, t.host, 0x01);  // each write XORs again
  EXPECT_EQ(t.m.memory, before);
}

TEST(MachineState, StartUpFillsAndClearScreen) {
  testing::RecordingLinks links;
  MachineState m(links);
  m.memory.fill(0xAA);
  InitMemory(m);
  InitPortSpace(m);
  EXPECT_EQ(m.portSpace[0x0000] & m.portSpace[0xFFFF], 0xFF);
  m.memory[0x33C0] = 0x41;  // row 24 is not cleared
  m.memory[0x3400] = 0x70;  // nor are the colours
  m.screen.fullRedraw = false;
  OnClearScreenRam(m);
  EXPECT_TRUE(m.screen.fullRedraw);
  // Below 3000 is left for the ROM load; F000-FFFF reads as HALT.
  const std::pair<uint16_t, uint8_t> cells[] = {{0x2FFF, 0xAA}, {0x3000, 0x20}, {0x33BF, 0x20},
                                                {0x33C0, 0x41}, {0x3400, 0x70}, {0xEFFF, 0x00},
                                                {0xF000, 0x76}, {0xFFFF, 0x76}};
  for (auto [address, value] : cells) EXPECT_EQ(m.memory[address], value) << std::hex << address;
}

}  // namespace
}  // namespace zorva

// zorva-run end to end: the program runs as a child process on ROM images the
// tests write, and its exit status, standard output, error lines and files are
// compared with what they must be.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/image_files.h"

namespace {

using zorva::testing::Image;
using zorva::testing::PathIn;
using zorva::testing::ReadFile;
using zorva::testing::TempDir;
using namespace std::string_literals;

struct Outcome {
  int status = -1;  // exit status, or -signal
  std::string out;
  std::string err;
};

// Runs zorva-run with `args` in `dir`, stdin empty.
Outcome RunTool(const TempDir& dir, const std::vector<std::string>& args) {
  const std::string out = PathIn(dir, "stdout.txt"), err = PathIn(dir, "stderr.txt");
  std::vector<char*> argv;
  std::string program = ZORVA_RUN_BINARY;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
  pid_t pid = -1;
  Outcome o;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    // Every run here is bounded; one that is still going after a minute hangs.
    int wstatus = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pid_t done = 0;
    while ((done = waitpid(pid, &wstatus, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (done == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      ADD_FAILURE() << "zorva-run did not end within a minute";
    }
    o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -WTERMSIG(wstatus);
  }
  posix_spawn_file_actions_destroy(&actions);
  o.out = ReadFile(out);
  o.err = ReadFile(err);
  return o;
}

constexpr uint8_t kIncA = 0x3C;

class ZorvaRunTest : public ::testing::Test {
 protected:
  std::string Rom(std::vector<uint8_t> program) { return dir.Write("test.rom", Image(program)); }
  Outcome Run(std::vector<std::string> args) { return RunTool(dir, args); }
  TempDir dir;
};

TEST_F(ZorvaRunTest, RegsPrintsEveryRegisterAtTheEnd) {
  const std::string rom = Rom({
      0x31, 0x34, 0x12,        // LD SP,0x1234
      0x3E, 0x56,              // LD A,0x56
      0x01, 0xBC, 0x9A,        // LD BC,0x9ABC
      0x11, 0xF0, 0xDE,        // LD DE,0xDEF0
      0x21, 0x78, 0x56,        // LD HL,0x5678
      0xDD, 0x21, 0x11, 0x11,  // LD IX,0x1111
      0xFD, 0x21, 0x22, 0x22,  // LD IY,0x2222
      0x08,                    // EX AF,AF'
      0xD9,                    // EXX
      0x3E, 0x01,              // LD A,0x01
      0x01, 0x02, 0x00,        // LD BC,0x0002
  });
  const Outcome o = Run({"--end", "0x1D", "--regs", rom});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out,
            "PC=001D SP=1234 A=01 F=00 BC=0002 DE=0000 HL=0000 IX=1111 IY=2222 AF'=5600 "
            "BC'=9ABC DE'=DEF0 HL'=5678\n");
  EXPECT_EQ(o.err, "");
}

TEST_F(ZorvaRunTest, RunEndsAtTheStepLimitOrTheEndPointExactly) {
  const std::string rom = dir.Write("inc.rom", std::vector<uint8_t>(8192, kIncA));
  struct Case {
    std::vector<std::string> options;
    std::string regsStart;
  };
  const Case cases[] = {
      {{"--steps", "300"}, "PC=012C SP=FFFF A=2C"},
      {{"--steps", "0x1000", "--end", "0x20"}, "PC=0020 SP=FFFF A=20"},
      {{"--steps", "0", "--end", "300"}, "PC=012C SP=FFFF A=2C"},
      {{"--start", "0x10", "--end", "0x12"}, "PC=0012 SP=FFFF A=02"},
      // Typed keys make the host pump more often; the limit stays exact.
      {{"--steps", "1000", "--type", "ab", "--key-gap", "7"}, "PC=03E8 SP=FFFF A=E8"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--regs", rom});
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(o.out.starts_with(c.regsStart)) << o.out << " for " << c.options[1];
  }
}

TEST_F(ZorvaRunTest, DumpWritesAllOfMemory) {
  const std::vector<uint8_t> program = {0x3E, 0x42, 0x32, 0x00, 0x40};  // LD A,0x42; LD (0x4000),A
  const Outcome o = Run({"--end", "5", "--dump", "memory.bin", Rom(program)});
  EXPECT_EQ(o.status, 0) << o.err;
  const std::string dump = ReadFile(PathIn(dir, "memory.bin"));
  ASSERT_EQ(dump.size(), 65536u);
  EXPECT_EQ(dump.substr(0, 5), std::string(program.begin(), program.end()));
  EXPECT_EQ(dump[0x4000], 0x42);
  std::string ram(0xC000, '\0');  // 0x3000-0xEFFF: zero but for the one byte stored
  ram[0x1000] = 0x42;
  EXPECT_EQ(dump.substr(0x3000, 0xC000), ram);
  EXPECT_EQ(dump.substr(0xF000), std::string(0x1000, '\x76'));
}

TEST_F(ZorvaRunTest, ScreenPrintsCharacterMemoryAsText) {
  const Outcome o = Run({"--end", "0x1E", "--screen",
                         Rom({
                             0x3E, 'H',  0x32, 0x00, 0x30,  // row 0, column 0
                             0x3E, '~',  0x32, 0x01, 0x30,  // column 1
                             0x3E, 0x7F, 0x32, 0x02, 0x30,  // column 2: not printable
                             0x3E, ' ',  0x32, 0x03, 0x30,  // column 3
                             0x3E, 0x1F, 0x32, 0x28, 0x30,  // row 1, column 0: not printable
                             0x3E, '!',  0x32, 0xE7, 0x33,  // row 24, column 39
                         })});
  EXPECT_EQ(o.status, 0) << o.err;
  std::string expected = "H~. " + std::string(36, '.') + "\n";
  for (int row = 1; row < 24; ++row) expected += std::string(40, '.') + "\n";
  expected += std::string(39, '.') + "!\n";
  EXPECT_EQ(o.out, expected);
}

// Reads back what WritePng writes: 8-bit RGB in stored deflate blocks.
struct Picture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rows;  // filter byte + RGB per row
  uint32_t Pixel(uint32_t x, uint32_t y) const {
    const uint8_t* p = &rows[y * (1 + 3 * width) + 1 + 3 * x];
    return uint32_t{p[0]} << 16 | p[1] << 8 | p[2];
  }
};
Picture ReadPng(const std::string& file) {
  auto be32 = [&](size_t at) {
    return uint32_t(uint8_t(file[at])) << 24 | uint8_t(file[at + 1]) << 16 |
           uint8_t(file[at + 2]) << 8 | uint8_t(file[at + 3]);
  };
  Picture pic;
  EXPECT_EQ(file.substr(0, 8), "\x89PNG\r\n\x1A\n"s);
  std::string zlib;
  for (size_t at = 8; at + 8 <= file.size();) {
    const uint32_t length = be32(at);
    const std::string type = file.substr(at + 4, 4);
    if (type == "IHDR") pic.width = be32(at + 8), pic.height = be32(at + 12);
    if (type == "IDAT") zlib += file.substr(at + 8, length);
    at += 12 + length;
  }
  for (size_t at = 2; at + 5 <= zlib.size();) {
    const size_t n = uint8_t(zlib[at + 1]) | uint8_t(zlib[at + 2]) << 8;
    pic.rows.insert(pic.rows.end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + n);
    if (zlib[at] & 1) break;
    at += 5 + n;
  }
  EXPECT_EQ(pic.rows.size(), size_t{pic.height} * (1 + 3 * pic.width));
  return pic;
}

TEST_F(ZorvaRunTest, PngShowsTheScreenAtTheChosenZoom) {
  // Cell 0: a solid block (all ink) in colour 0x1E; cell 1: a space (all paper).
  const std::string rom = Rom({0x3E, 0x7F, 0x32, 0x00, 0x30,  // LD A,7F  LD (3000),A
                               0x3E, 0x20, 0x32, 0x01, 0x30,  // LD A,20  LD (3001),A
                               0x3E, 0x1E, 0x32, 0x00, 0x34,  // LD A,1E  LD (3400),A
                               0x32, 0x01, 0x34});            //          LD (3401),A
  for (uint32_t zoom : {1u, 2u, 3u}) {
    const Outcome o =
        Run({"--end", "0x12", "--png", "screen.png", "--zoom", std::to_string(zoom), rom});
    ASSERT_EQ(o.status, 0) << o.err;
    const Picture pic = ReadPng(ReadFile(PathIn(dir, "screen.png")));
    ASSERT_EQ(pic.width, 320 * zoom);
    ASSERT_EQ(pic.height, 200 * zoom);
    EXPECT_EQ(pic.Pixel(0, 0), 0xFF7F7Fu);                        // red ink
    EXPECT_EQ(pic.Pixel(8 * zoom - 1, 8 * zoom - 1), 0xFF7F7Fu);  // the whole cell
    EXPECT_EQ(pic.Pixel(8 * zoom, 0), 0x008080u);                 // dark cyan paper
    EXPECT_EQ(pic.Pixel(16 * zoom, 0), 0x000000u);                // colour 0x00: black
  }
}

TEST_F(ZorvaRunTest, TraceWritesTheLogToTheGivenFile) {
  const std::string rom = Rom({0x28, 0x05, 0x18, 0x00});  // JR Z not taken, JR taken
  const Outcome o = Run({"--end", "4", "--trace", "run.log", rom});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadFile(PathIn(dir, "run.log")),
            "Zorva 1.0 - Mattel Aquarius emulator trace\r\n"
            "\r\n"
            "Current ROM file:" +
                rom +
                "\r\n"
                "\r\n"
                "PC:   0, OP:  28, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
                "PC:   2, OP:  18, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
                "JR        4\r\n");
  EXPECT_FALSE(std::filesystem::exists(PathIn(dir, "trace.log")));
}

TEST_F(ZorvaRunTest, MessagesAndCaptionsGoToStderrOneLineEach) {
  const std::vector<uint8_t> cartridge(16384, 0x11);
  const Outcome o =
      Run({"--end", "5", "--dump", "memory.bin", "--cart", dir.Write("game.bin", cartridge),
           Rom({0xF3,                        // DI: unhandled
                0x3E, 0x5A, 0xD3, 0xFF})});  // LD A,0x5A; OUT (0xFF),A
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err,
            "message: Unhandled instruction f3 at    0\n"
            "caption: Zorva - (Current cypher: 5a)\n");
  const std::string dump = ReadFile(PathIn(dir, "memory.bin"));
  ASSERT_EQ(dump.size(), 65536u);
  EXPECT_EQ(dump.substr(0xC000), std::string(16384, 0x11 ^ 0x5A));
}

TEST_F(ZorvaRunTest, FilesThatCannotBeUsedEndWithStatus1AndTheirMessage) {
  const std::string rom = Rom({});
  const std::string missing = PathIn(dir, "none.rom");
  std::filesystem::create_directory(PathIn(dir, "logdir"));
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {"no such ROM", {missing}, "message: Can't find/open file '" + missing + "', error = 2\\n\n"},
      {"ROM of the wrong size",
       {dir.Write("short.rom", std::vector<uint8_t>(8191))},
       "message: ROM Image was not 8192 bytes.\\n\\nROM Image was not loaded.\n"},
      {"cartridge of the wrong size",
       {"--cart", dir.Write("short.bin", std::vector<uint8_t>(8192)), rom},
       "message: ROM Image was not 16384 bytes.\\n\\nROM Image was not loaded.\n"},
      {"trace file is a directory",
       {"--trace", "logdir", rom},
       "message: Can't open file. Error = 5\\n\n"},
      {"trace file cannot take the header",
       {"--trace", "/dev/full", rom},
       "message: Can't write file. Error = 13\\n\n"},
      {"dump in a missing directory",
       {"--dump", "no/such/dir/memory.bin", rom},
       "zorva-run: cannot write the dump 'no/such/dir/memory.bin': No such file or directory\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "--regs");
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, c.err);
    EXPECT_EQ(o.out, "");  // refused before the run: no results
  }
}

TEST_F(ZorvaRunTest, ALogThatBreaksOffDuringTheRunMakesItAFailedRun) {
  const std::string rom = Rom({});
  // A file size limit, inherited by the child, stops the log part-way.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limit = saved;
  limit.rlim_cur = 1000;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const Outcome o = Run({"--trace", "t.log", "--steps", "50", "--regs", rom});
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(o.err.starts_with("message: Can't write file. Error = ")) << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1);
  EXPECT_TRUE(o.out.starts_with("PC=0032 ")) << o.out;  // the run itself went on to its end
  EXPECT_EQ(ReadFile(PathIn(dir, "t.log")).size(), 1000u);
}

TEST_F(ZorvaRunTest, DumpKeepsTheOldFileUntilThereIsMemoryToWrite) {
  const std::string old = dir.Write("memory.bin", {1, 2, 3});
  std::filesystem::create_directory(PathIn(dir, "logdir"));
  const Outcome o = Run({"--dump", "memory.bin", "--trace", "logdir", Rom({})});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(ReadFile(old), "\x01\x02\x03");
}

TEST_F(ZorvaRunTest, TypedTextReachesThePortSpaceThroughTheKeyHandlers) {
  // Records every new value read from the port in BC, from 0x4000 on.
  auto recorder = [](uint8_t high, uint8_t low) {
    return std::vector<uint8_t>{
        0x21, 0x00, 0x40,  // LD HL,0x4000
        0x01, low,  high,  // LD BC,port
        0x1E, 0xFF,        // LD E,0xFF
        0xED, 0x78,        // loop: IN A,(C)
        0xBB,              // CP E
        0x28, 0xFB,        // JR Z,loop
        0x77,              // LD (HL),A
        0x23,              // INC HL
        0x5F,              // LD E,A
        0x18, 0xF6,        // JR loop
    };
  };
  struct Case {
    const char* text;
    uint16_t port;
    std::string seen;
  };
  const Case cases[] = {
      // A: row 0xDF; Shift alone (no place in the matrix): every row; Enter: row 0xF7.
      {"aB\\n", 0x00FF, "\xDF\xFF\x00\xDF\xFF\xF7\xFF"s},
      // Shift shows as bit 4 of column 0x7F, whose row 0xF7 holds Q.
      {"Q", 0x7FFF, "\xEF\xE7\xFF"},
      {"\n", 0xFEFF, "\xF7\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string rom = dir.Write("keys.rom", Image(recorder(c.port >> 8, c.port & 0xFF)));
    const Outcome o =
        Run({"--type", c.text, "--key-gap", "50", "--steps", "1000", "--dump", "m.bin", rom});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const std::string dump = ReadFile(PathIn(dir, "m.bin"));
    ASSERT_EQ(dump.size(), 65536u);
    EXPECT_EQ(dump.substr(0x4000, c.seen.size() + 1), c.seen + '\0');
  }
}

TEST_F(ZorvaRunTest, KeysLeftUntypedWhenTheRunEndsAreMentioned) {
  const Outcome o = Run({"--type", "abc", "--key-gap", "50", "--steps", "120", Rom({})});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "zorva-run: the run ended before 4 of the typed key events\n");
}

TEST_F(ZorvaRunTest, UsageErrorsEndWithStatus2AndTheUsage) {
  const std::string rom = Rom({});
  struct Case {
    std::vector<std::string> args;
    std::string firstLine;
  };
  const Case cases[] = {
      {{"--steps", "lots", rom}, "zorva-run: --steps: 'lots' is not a number of instructions"},
      {{rom, "--end"}, "zorva-run: --end needs a value"},
      {{"--turbo", rom}, "zorva-run: unknown option '--turbo'"},
      {{rom, rom}, "zorva-run: more than one ROM given: '" + rom + "' and '" + rom + "'"},
      {{}, "zorva-run: no ROM image given"},
      {{"--png", "screen.png", "--zoom", "5", rom},
       "zorva-run: --zoom: '5' is not a zoom factor of 1, 2 or 3"},
      {{"--type", "{", rom}, "zorva-run: --type: no key for the character '{'"},
  };
  for (const Case& c : cases) {
    const Outcome o = Run(c.args);
    EXPECT_EQ(o.status, 2) << c.firstLine;
    EXPECT_EQ(o.err.substr(0, o.err.find('\n')), c.firstLine);
    EXPECT_NE(o.err.find("usage: zorva-run [options] ROM"), std::string::npos);
    EXPECT_EQ(o.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(PathIn(dir, "screen.png")));
}

TEST_F(ZorvaRunTest, HelpPrintsTheUsageToStdout) {
  const Outcome o = Run({"--help"});
  EXPECT_EQ(o.status, 0);
  EXPECT_TRUE(o.out.starts_with("usage: zorva-run [options] ROM\n"));
  EXPECT_EQ(o.err, "");
}

}  // namespace

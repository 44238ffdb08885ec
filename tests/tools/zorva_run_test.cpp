// zorva-run end to end: the program runs as a child process on ROM images the
// tests write, and its exit status, standard output, error lines and files are
// compared with what they must be.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/options.h"

namespace {

using zorva::testing::ReadFile;
using namespace std::string_literals;

struct Outcome {
  int status = -1;
  std::string out, err;
};

class ZorvaRunTest : public ::testing::Test {
 protected:
  std::string Rom(std::vector<uint8_t> program) { return dir.WriteImage("test.rom", program); }
  // Runs zorva-run with `args` in the test's directory, stdin empty; every run
  // here is bounded, so one still going after a minute hangs and is ended.
  // `wrapper` goes before the program (a command that signals it, say).
  Outcome Run(const std::vector<std::string>& args, const std::string& wrapper = "") {
    std::string command =
        "cd" + Word(dir.path()) + " && timeout -s KILL 60 " + wrapper + Word(ZORVA_RUN_BINARY);
    for (const std::string& a : args) command += Word(a);
    const int status = std::system((command + " </dev/null >out.txt 2>err.txt").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir.File("out.txt")),
            ReadFile(dir.File("err.txt"))};
  }
  static std::string Word(const std::string& text) {  // one word for the shell
    std::string q = " '";
    for (const char c : text) q += c == '\'' ? "'\\''"s : std::string(1, c);
    return q + "'";
  }
  zorva::testing::TempDir dir;
};

TEST_F(ZorvaRunTest, RegsShowsThatARunEndsAtTheStepLimitOrTheEndPointExactly) {
  const std::string incA = dir.Write("inc.rom", 8192, 0x3C);                // INC A throughout
  const std::string loop = dir.WriteImage("loop.rom", {0x23, 0x18, 0xFD});  // INC HL; JR 0
  // LD SP,0x1234; LD A,0x56; LD BC,0x9ABC; LD DE,0xDEF0; LD HL,0x5678; LD IX,0x1111;
  // LD IY,0x2222; EX AF,AF'; EXX; LD A,0x01; LD BC,0x0002
  const std::string all =
      Rom({0x31, 0x34, 0x12, 0x3E, 0x56, 0x01, 0xBC, 0x9A, 0x11, 0xF0, 0xDE, 0x21, 0x78, 0x56, 0xDD,
           0x21, 0x11, 0x11, 0xFD, 0x21, 0x22, 0x22, 0x08, 0xD9, 0x3E, 0x01, 0x01, 0x02, 0x00});
  const struct {
    std::vector<std::string> options;
    std::string rom, regsStart;
  } cases[] = {
      {{"--end", "0x1D"},
       all,
       "PC=001D SP=1234 A=01 F=00 BC=0002 DE=0000 HL=0000 IX=1111 IY=2222 AF'=5600 "
       "BC'=9ABC DE'=DEF0 HL'=5678\n"},
      {{"--steps", "300"}, incA, "PC=012C SP=FFFF A=2C"},
      {{"--steps", "0x1000", "--end", "0x20"}, incA, "PC=0020 SP=FFFF A=20"},
      {{"--steps", "0", "--end", "300"}, incA, "PC=012C SP=FFFF A=2C"},
      {{"--start", "0x10", "--end", "0x12"}, incA, "PC=0012 SP=FFFF A=02"},
      // Typed keys make the host pump more often; the limit stays exact.
      {{"--steps", "1000", "--type", "ab", "--key-gap", "7", "--type-after", "0"},
       incA,
       "PC=03E8 SP=FFFF A=E8"},
      // More than two of the host's longest stretches between pumps (1 << 20).
      {{"--steps", "2097155"}, loop, "PC=0001 SP=FFFF A=00 F=00 BC=0000 DE=0000 HL=0002"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--regs", c.rom});
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(o.out.starts_with(c.regsStart)) << o.out << " for " << c.options[1];
  }
}

TEST_F(ZorvaRunTest, ScreenPrintsCharacterMemoryAsText) {
  // 'H' at row 0, column 0; '~', 0x7F, ' ' after it; 0x1F at row 1, column 0; '!' at the end.
  const Outcome o = Run({"--end", "0x1E", "--screen",
                         Rom({0x3E, 'H',  0x32, 0x00, 0x30, 0x3E, '~', 0x32, 0x01, 0x30,
                              0x3E, 0x7F, 0x32, 0x02, 0x30, 0x3E, ' ', 0x32, 0x03, 0x30,
                              0x3E, 0x1F, 0x32, 0x28, 0x30, 0x3E, '!', 0x32, 0xE7, 0x33})});
  EXPECT_EQ(o.status, 0) << o.err;
  // The block as U+2588; the tree has no Unicode character, blank none either: spaces.
  std::string expected = "H~\u2588" + std::string(37, ' ') + "\n";
  for (int row = 1; row < 24; ++row) expected += std::string(40, ' ') + "\n";
  expected += std::string(39, ' ') + "!\n";
  EXPECT_EQ(o.out, expected);
}

TEST_F(ZorvaRunTest, PngShowsTheScreenAtTheChosenZoomCompressed) {
  // Cell 0: a solid block (all ink) in colour 0x1E; cell 1: a space (all paper).
  const std::string rom = Rom({0x3E, 0x7F, 0x32, 0x00, 0x30,  // LD A,7F  LD (3000),A
                               0x3E, 0x20, 0x32, 0x01, 0x30,  // LD A,20  LD (3001),A
                               0x3E, 0x1E, 0x32, 0x00, 0x34,  // LD A,1E  LD (3400),A
                               0x32, 0x01, 0x34});            //          LD (3401),A
  for (uint32_t zoom : {1u, 2u, 3u}) {
    const Outcome o =
        Run({"--end", "0x12", "--png", "screen.png", "--zoom", std::to_string(zoom), rom});
    ASSERT_EQ(o.status, 0) << o.err;
    // Read back by libpng as 8-bit RGB, whatever the file's own layout.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, dir.File("screen.png").c_str()))
        << image.message;
    ASSERT_EQ(image.width, 320 * zoom);
    ASSERT_EQ(image.height, 200 * zoom);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    auto pixel = [&](uint32_t x, uint32_t y) {
      const uint8_t* p = &rgb[3 * (y * image.width + x)];
      return uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
    };
    EXPECT_EQ(pixel(0, 0), 0xFF7F7Fu);                        // red ink
    EXPECT_EQ(pixel(8 * zoom - 1, 8 * zoom - 1), 0xFF7F7Fu);  // the whole cell
    EXPECT_EQ(pixel(8 * zoom, 0), 0x008080u);                 // dark cyan paper
    EXPECT_EQ(pixel(16 * zoom, 0), 0x000000u);                // colour 0x00: black
    // A screen of a few colours packs into a small fraction of its raw size.
    EXPECT_LT(std::filesystem::file_size(dir.File("screen.png")), rgb.size() / 20);
  }
}

TEST_F(ZorvaRunTest, TraceWritesTheLogToTheGivenFile) {
  const std::string rom = Rom({0x28, 0x05, 0x18, 0x00});  // JR Z not taken, JR taken
  const Outcome o = Run({"--end", "4", "--trace", "run.log", rom});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadFile(dir.File("run.log")),
            "Zorva 1.0 - Mattel Aquarius emulator trace\r\n\r\nCurrent ROM file:" + rom +
                "\r\n\r\n"
                "PC:   0, OP:  28, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
                "PC:   2, OP:  18, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
                "JR        4\r\n");
}

TEST_F(ZorvaRunTest, MessagesAndCaptionsGoToStderrOneLineEachAndDumpWritesAllOfMemory) {
  const std::vector<uint8_t> program = {0xF3,                    // DI: unhandled
                                        0x3E, 0x5A, 0xD3, 0xFF,  // LD A,0x5A; OUT (0xFF),A
                                        0x32, 0x00, 0x40};       // LD (0x4000),A
  const Outcome o = Run({"--end", "8", "--dump", "memory.bin", "--cart",
                         dir.Write("game.bin", 16384, 0x11), Rom(program)});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err,
            "message: Unhandled instruction f3 at    0\n"
            "caption: Zorva - (Current cypher: 5a)\n");
  const std::string dump = ReadFile(dir.File("memory.bin"));
  ASSERT_EQ(dump.size(), 65536u);
  EXPECT_EQ(dump.substr(0, 8), std::string(program.begin(), program.end()));
  EXPECT_EQ(dump.substr(0x3FFF, 3), "\0\x5A\0"s);
  EXPECT_EQ(dump.substr(0xC000), std::string(16384, 0x11 ^ 0x5A));  // the cartridge, unscrambled
}

TEST_F(ZorvaRunTest, FilesThatCannotBeUsedEndWithStatus1AndTheirMessage) {
  const std::string rom = Rom({});
  const std::string regs =
      "PC=0000 SP=FFFF A=00 F=00 BC=0000 DE=0000 HL=0000 IX=0000 IY=0000 "
      "AF'=0000 BC'=0000 DE'=0000 HL'=0000\n";
  std::filesystem::create_directory(dir.File("logdir"));
  const struct {
    std::vector<std::string> args;
    std::string err;
    std::string out;  // empty: refused before the run, no results
  } cases[] = {
      {{dir.Write("short.rom", 8191, 0)},
       "message: ROM Image was not 8192 bytes.\\n\\nROM Image was not loaded.\n",
       ""},
      {{"--trace", "logdir", rom}, "message: Can't open file. Error = 5\\n\n", ""},
      // A file name cannot smuggle a terminal escape or a second line into the output.
      {{"gone\x1B[2J\r.rom"},
       "message: Can't find/open file 'gone\\x1B[2J\\x0D.rom', error = 2\\n\n",
       ""},
      {{"--dump", "no/such/dir/memory.bin", rom},
       "zorva-run: cannot write the dump 'no/such/dir/memory.bin': No such file or directory\n",
       ""},
      // Written after the run: the results before it are out, and still the run failed.
      {{"--end", "0", "--png", "/dev/full", rom},
       "zorva-run: cannot write the picture '/dev/full': No space left on device\n",
       regs},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "--regs");
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 1) << c.err;
    EXPECT_EQ(o.err, c.err);
    EXPECT_EQ(o.out, c.out);
  }
}

TEST_F(ZorvaRunTest, AnInterruptEndsTheRunWithItsResultsAndStatus130) {
  const std::string loop = Rom({0x18, 0xFE});  // JR to itself
  for (const char* signal : {"INT", "TERM"}) {
    const Outcome o = Run({"--steps", "0", "--regs", loop},
                          "timeout --preserve-status -s " + std::string(signal) + " 0.5 ");
    EXPECT_EQ(o.status, 130) << signal << ": " << o.err;
    EXPECT_TRUE(o.out.starts_with("PC=0000 SP=FFFF")) << signal << ": " << o.out;
  }
}

TEST_F(ZorvaRunTest, TypedTextFromAFileAndWhatIsToldAboutIt) {
  // Records each new value of the all-columns key cell at 0x4000 on, as row
  // bytes: LD HL,0x4000; LD BC,0x00FF; LD E,0xFF; loop: IN A,(C); CP E;
  // JR Z,loop; LD (HL),A; INC HL; LD E,A; JR loop
  const std::string rom = Rom({0x21, 0x00, 0x40, 0x01, 0xFF, 0x00, 0x1E, 0xFF, 0xED, 0x78, 0xBB,
                               0x28, 0xFB, 0x77, 0x23, 0x5F, 0x18, 0xF6});
  dir.Write("crlf.txt", std::vector<uint8_t>{'a', '\r', '\n', 'a', '\t'});
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
    std::string seen;  // the row bytes the ROM saw
  } cases[] = {
      // CR LF is one Enter; the tab is skipped and told once; --type comes after the file.
      {{"--type-file", "crlf.txt", "--type", "a", "--steps", "2000"},
       0,
       "message: 1 character was not typed: it has no key on this keyboard.\n",
       "\xDF\xFF\xF7\xFF\xDF\xFF\xDF\xFF"},
      // Ended too soon: status 3, and how much was left, skipped characters counted apart.
      {{"--type", "aaa\xC3\xA9", "--steps", "120"},
       3,
       "zorva-run: the run ended before all the text was typed: 2 characters left, 1 more "
       "without a key\n",
       "\xDF\xFF"},
      // Typing waits for the machine to start up.
      {{"--type-after", "5000", "--type", "a", "--steps", "4000"},
       3,
       "zorva-run: the run ended before all the text was typed: 1 character left\n",
       ""},
      {{"--type-file", "missing.txt"},
       1,
       "zorva-run: cannot type the text of 'missing.txt': No such file or directory\n",
       ""},
      {{"--type-file", "."}, 1, "zorva-run: cannot type the text of '.': Is a directory\n", ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--type-after", "0"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"--key-gap", "50", "--dump", "m.bin", rom});
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.err, c.err);
    if (c.status == 1) continue;
    EXPECT_EQ(ReadFile(dir.File("m.bin")).substr(0x4000, c.seen.size() + 1), c.seen + '\0');
  }
}

TEST_F(ZorvaRunTest, AUsageErrorEndsWithStatus2AndTheUsageBeforeAnyRun) {
  const Outcome bad = Run({"--png", "screen.png", "--zoom", "5", Rom({})});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "zorva-run: --zoom: '5' is not a zoom factor of 1, 2 or 3\n\n" +
                         std::string(zorva::tools::UsageText()));
  EXPECT_EQ(bad.out, "");
  EXPECT_FALSE(std::filesystem::exists(dir.File("screen.png")));
}

}  // namespace

// SAVE, LOAD and FILES in Zorva BASIC, typed through zorva-run with a
// folder of the test's own (--programs): programs come back byte for byte,
// hand-written files load as typed lines would, and every refusal leaves the
// program in memory and the files in the folder as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/rom/rom_run.h"

namespace zorva {
namespace {

using testing::ReadText;
using testing::RomRun;
using testing::RunRom;
using testing::Symbol;
using testing::TempDir;

namespace fs = std::filesystem;

// Bytes a program may take: a line goes in while 16 stay free beyond it.
const size_t kFree = 0xBFFF - Symbol("program");
const size_t kLargest = kFree - 17;

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The typed lines, each ended by Enter.
std::string Lines(const std::vector<std::string>& lines) {
  std::string typed;
  for (const std::string& l : lines) typed += l + "\n";
  return typed;
}

// Runs long enough for a LOAD of the largest program.
RomRun RunIn(const TempDir& folder, const std::string& typed, uint64_t after = 30'000'000) {
  return RunRom({.typed = typed, .after = after, .programs = folder.path().string()});
}

// The bytes of BASIC's program in a run's memory dump, up to its end mark.
std::vector<uint8_t> Program(const RomRun& r) {
  std::vector<uint8_t> bytes;
  for (size_t at = Symbol("program"); r.memory.at(at) != 0; at += r.memory[at])
    bytes.insert(bytes.end(), r.memory.begin() + at, r.memory.begin() + at + r.memory[at]);
  return bytes;
}

bool Shows(const RomRun& r, const std::string& row) {
  return std::find(r.rows.begin(), r.rows.end(), row) != r.rows.end();
}

// A program of lines "n REM xxx" that stores in exactly `size` bytes (5 or
// more): a stored line takes its length, number, the REM token, what follows
// and its end.
std::string ProgramOfSize(size_t size) {
  std::string text;
  for (unsigned number = 10000; size > 0; ++number) {
    const size_t line = size >= 155 ? 150 : size;  // the last one 5 at least
    text += std::to_string(number);
    text += " REM";
    if (line > 5) {
      text += ' ';
      text.append(line - 6, 'x');
    }
    text += '\n';
    size -= line;
  }
  return text;
}

TEST(BasicFiles, ProgramsComeBackByteForByte) {
  std::string printable;
  for (char c = ' '; c <= '~'; ++c)
    if (c != '"') printable += c;
  const struct {
    const char* name;
    std::vector<std::string> lines;  // as LIST shows them
  } cases[] = {
      {"every printable character in strings and remarks",
       {"10 A$=\"" + printable.substr(0, 60) + "\"", "20 B$=\"" + printable.substr(60) + "\"",
        "30 REM " + printable + "\"", "40 PRINT A$;B$"}},
      {"DATA as typed, keywords inside it too",
       {"10 DATA 1, TWO ,\"THREE, FOUR\",PRINT", "20 READ A,B$:PRINT A;B$", "63999 END"}},
      {"a line of the longest that can be typed", {"10 PRINT \"" + std::string(149, 'L') + "\""}},
      {"spaces as typed, keywords in capitals",
       {"1 FORI=1TO9:PRINTI;:NEXT", "2 IF X THEN   PRINT  \"A\" : GOTO 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    std::string listing;
    for (const std::string& l : c.lines) listing += l + "\n";
    RunIn(folder, Lines(c.lines) + "SAVE \"ONE\"\nNEW\nLOAD \"one\"\nSAVE \"TWO\"\n", 3'000'000);
    EXPECT_EQ(ReadText(folder.File("ONE.BAS")), listing);
    EXPECT_EQ(ReadText(folder.File("TWO.BAS")), listing);
  }
}

TEST(BasicFiles, TheLargestProgramThatFitsLoadsAndOneByteMoreDoesNot) {
  TempDir folder;
  const std::string largest = ProgramOfSize(kLargest);
  WriteFile(folder.path() / "BIG.BAS", largest);
  WriteFile(folder.path() / "BIGGER.BAS", ProgramOfSize(kLargest + 1));
  const RomRun r = RunIn(
      folder, "10 PRINT 1\nLOAD \"BIGGER\"\nLIST\nLOAD \"BIG\"\nSAVE \"AGAIN\"\n", 60'000'000);
  EXPECT_TRUE(Shows(r, "?NP ERROR"));
  EXPECT_TRUE(Shows(r, "10 PRINT 1"));  // listed after the refused LOAD
  EXPECT_EQ(ReadText(folder.File("AGAIN.BAS")), largest);
  EXPECT_EQ(Program(r).size(), kLargest);
}

TEST(BasicFiles, AHandWrittenFileLoadsAsItsLinesTypedWould) {
  TempDir folder;
  WriteFile(folder.path() / "hand.bas",
            "30 print \"c\"\r\n\r\n  10   for i=1 to 2:print i;:next\r\n20 goto 30\n"
            "20 rem replaced\n40 end\n40\n5 REM no line end");
  const RomRun r = RunIn(folder, "LOAD \"HAND\"\nSAVE \"HAND2\"\nRUN\n", 5'000'000);
  EXPECT_EQ(ReadText(folder.File("HAND2.BAS")),
            "5 REM no line end\n10 FOR i=1 TO 2:PRINT i;:NEXT\n20 REM replaced\n30 PRINT \"c\"\n");
  EXPECT_TRUE(Shows(r, " 1  2 c"));
}

TEST(BasicFiles, LoadWithRRunsAndTheMachinesNamesWorkToo) {
  TempDir folder;
  const RomRun r =
      RunIn(folder, "10 PRINT \"RAN\";2*3\nCSAVE \"T\"\nNEW\nCLOAD \"T\"\nLIST\nLOAD \"T\",R\n",
            3'000'000);
  EXPECT_EQ(ReadText(folder.File("T.BAS")), "10 PRINT \"RAN\";2*3\n");
  EXPECT_TRUE(Shows(r, "10 PRINT \"RAN\";2*3"));
  EXPECT_TRUE(Shows(r, "RAN 6"));
}

// Each refusal: its error, the program as it was, the old file as it was,
// and nothing new in the folder or beside it.
TEST(BasicFiles, RefusalsLeaveTheProgramAndTheFilesAsTheyWere) {
  const std::string kOld = "1 REM THE OLD FILE\n";
  const struct {
    const char* name;
    std::string command;
    std::string error;
    std::string file = {};  // written to X.BAS first
  } cases[] = {
      {"a way up", "SAVE \"../X\"", "?BN ERROR"},
      {"an absolute path", "SAVE \"/ETC/X\"", "?BN ERROR"},
      {"a dot", "LOAD \"A.B\"", "?BN ERROR"},
      {"an empty name", "SAVE \"\"", "?BN ERROR"},
      {"nine characters", "SAVE \"ABCDEFGHI\"", "?BN ERROR"},
      {"a space", "LOAD \"A B\"", "?BN ERROR"},
      {"no quotes", "LOAD X", "?SN ERROR"},
      {"more after the name", "SAVE \"X\" 5", "?SN ERROR"},
      {"no such file", "LOAD \"NONE\"", "?FF ERROR"},
      {"a line without a number", "LOAD \"X\"", "?NP ERROR", "10 PRINT 1\nPRINT \"GOTCHA\"\n"},
      {"binary bytes", "LOAD \"X\"", "?NP ERROR", std::string("10 PRINT 1\n20 \0\x01\xFF\n", 17)},
      {"a line too long", "LOAD \"X\"", "?NP ERROR", "10 REM " + std::string(160, 'A') + "\n"},
      {"a line number too big", "LOAD \"X\"", "?NP ERROR", "64000 END\n"},
      {"a file of 1 MiB", "LOAD \"X\"", "?NP ERROR", std::string(1 << 20, '1')},
      {"more than 64 KiB of good lines", "LOAD \"X\"", "?NP ERROR",
       [] {
         std::string text;
         for (int n = 0; text.size() <= 65536; ++n) text += std::to_string(n) + " END\n";
         return text;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir outside;
    const fs::path folder = outside.path() / "programs";
    fs::create_directory(folder);
    WriteFile(folder / "OLD.BAS", kOld);
    if (!c.file.empty()) WriteFile(folder / "X.BAS", c.file);
    const RomRun r = RunRom({.typed = "10 PRINT 1:GOTO 10\n" + c.command + "\nLIST\n",
                             .after = 3'000'000,
                             .programs = folder.string()});
    EXPECT_TRUE(Shows(r, c.error));
    EXPECT_TRUE(Shows(r, "10 PRINT 1:GOTO 10"));
    EXPECT_FALSE(Shows(r, "GOTCHA"));
    EXPECT_EQ(ReadText((folder / "OLD.BAS").string()), kOld);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, c.file.empty() ? 1u : 2u);
    files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(outside.path())) ++files;
    EXPECT_EQ(files, 1u);
  }
}

TEST(BasicFiles, ALinkOutOfTheFolderIsNeitherReadNorWritten) {
  TempDir outside;
  const fs::path folder = outside.path() / "programs";
  fs::create_directory(folder);
  const fs::path target = outside.path() / "SECRET.BAS";
  WriteFile(target, "10 PRINT \"SECRET\"\n");
  fs::create_symlink(target, folder / "S.BAS");
  const RomRun r = RunRom({.typed = "10 END\nLOAD \"S\"\nSAVE \"S\"\nLIST\n",
                           .after = 3'000'000,
                           .programs = folder.string()});
  EXPECT_TRUE(Shows(r, "?NP ERROR"));
  EXPECT_TRUE(Shows(r, "?WE ERROR"));
  EXPECT_TRUE(Shows(r, "10 END"));
  EXPECT_EQ(ReadText(target.string()), "10 PRINT \"SECRET\"\n");
  EXPECT_TRUE(fs::is_symlink(folder / "S.BAS"));
}

// Root writes past permission bits, so a folder no one can write is one of
// the kernel's (/proc), and a full disk is a limit on the size of files.
TEST(BasicFiles, AFailedSaveLeavesTheEarlierFile) {
  {
    const RomRun r =
        RunRom({.typed = "10 END\nSAVE \"X\"\nLIST\n", .after = 3'000'000, .programs = "/proc"});
    EXPECT_TRUE(Shows(r, "?WE ERROR"));
    EXPECT_TRUE(Shows(r, "10 END"));
  }
  TempDir folder;
  const std::string old = "1 REM " + std::string(100, 'O') + "\n";
  WriteFile(folder.path() / "BIG.BAS", old);
  WriteFile(folder.path() / "LONG.BAS", ProgramOfSize(8000));
  const RomRun r = RunRom({.typed = "LOAD \"LONG\"\nSAVE \"BIG\"\nPRINT 7\n",
                           .after = 30'000'000,
                           .programs = folder.path().string(),
                           .fileSizeLimit = 4096});
  EXPECT_TRUE(Shows(r, "?WE ERROR"));
  EXPECT_TRUE(Shows(r, " 7"));
  EXPECT_EQ(ReadText(folder.File("BIG.BAS")), old);
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder.path())) ++files;
  EXPECT_EQ(files, 2u);  // no temporary file left behind
}

TEST(BasicFiles, FilesListsAScreenAtATime) {
  TempDir folder;
  for (int k = 0; k < 25; ++k) {
    std::string name = std::to_string(k);  // built up: GCC 12 warns wrongly of "P" + ...
    name.insert(0, 1, 'P');
    WriteFile(folder.path() / (name + ".BAS"), "1 END\n");
  }
  WriteFile(folder.path() / "NOTES.TXT", "not a program");
  WriteFile(folder.path() / "low.bas", "10 END\n");
  {
    // The first page waits for a key; a key shows the rest.
    const RomRun r = RunIn(folder, "FILES\n", 3'000'000);
    EXPECT_TRUE(Shows(r, "LOW.BAS" + std::string(12, ' ') + "7"));
    EXPECT_TRUE(Shows(r, "MORE: ANY KEY, CTRL+C STOPS"));
    EXPECT_FALSE(Shows(r, "26 FILES"));
    const RomRun more = RunIn(folder, "FILES\n \n", 3'000'000);
    EXPECT_TRUE(Shows(more, "P9.BAS" + std::string(13, ' ') + "6"));
    EXPECT_TRUE(Shows(more, "26 FILES"));
    EXPECT_FALSE(Shows(more, "NOTES.TXT"));
  }
  // Ctrl+C at the prompt stops the listing.
  const RomRun stopped = RunIn(folder, "FILES\n\x03PRINT 5\n", 3'000'000);
  EXPECT_FALSE(Shows(stopped, "26 FILES"));
  EXPECT_TRUE(Shows(stopped, " 5"));
}

// LOAD's flag lives in RAM a program can reach: set by hand, it changes no
// error and loses no program.
TEST(BasicFiles, AStrayLoadingFlagLetsErrorsThrough) {
  TempDir folder;
  const RomRun r = RunIn(folder, "10 PRINT 1\nPOKE 14728,1\nPRINT 1/0\nLIST\n", 2'000'000);
  EXPECT_TRUE(Shows(r, "?/0 ERROR"));
  EXPECT_TRUE(Shows(r, "10 PRINT 1"));
}

}  // namespace
}  // namespace zorva

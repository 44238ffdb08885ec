// The folder that keeps BASIC's programs: what reads, writes and listings find
// and leave behind, with look-alike names, links, odd entries and failed writes.
#include "run/folder_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zorva {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;

void Put(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The folder's entries, sorted: what a call left behind, temporary files included.
std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::pair<std::string, uint64_t>> Listed(FolderFiles& files) {
  std::vector<std::pair<std::string, uint64_t>> listed;
  for (const auto& file : files.List()) listed.emplace_back(file.name, file.size);
  return listed;
}

TEST(ProgramFileName, KeepsOneToEightLettersAndDigitsInCapitals) {
  const struct {
    std::string_view given;
    std::optional<std::string> stored;
  } cases[] = {
      {"game", "GAME"},
      {"A1", "A1"},
      {"abcdefg8", "ABCDEFG8"},
      {"ABCDEFGH9", std::nullopt},
      {"", std::nullopt},
      {"A.B", std::nullopt},
      {"../X", std::nullopt},
      {"/ETC/X", std::nullopt},
      {"A B", std::nullopt},
      {"\xC3\xA9", std::nullopt},
      {std::string_view("A\0B", 3), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramFileName(c.given), c.stored) << c.given;
}

TEST(FolderFiles, WhatIsWrittenReadsBackWhole) {
  std::string binary("1\0\xFF\r\n\x80", 6);
  const struct {
    std::string_view name;
    std::string bytes;
    std::string stored;
  } cases[] = {
      {"GAME", "10 PRINT \"HI\"\n", "GAME.BAS"},
      {"z9", "", "Z9.BAS"},
      {"A", binary, "A.BAS"},
      {"ABCDEFGH", std::string(kMaxProgramFile, 'x'), "ABCDEFGH.BAS"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    FolderFiles files(dir.path().string());
    ASSERT_EQ(files.Write(c.name, c.bytes), FileError::None) << c.name;
    std::string read;
    EXPECT_EQ(files.Read(c.name, read), FileError::None) << c.name;
    EXPECT_EQ(read, c.bytes) << c.name;
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{c.stored}) << c.name;
    EXPECT_EQ(ReadFile(dir.File(c.stored)), c.bytes) << c.name;
  }
}

TEST(FolderFiles, ReplacingKeepsOnlyTheNewBytesAndTheOldPermissions) {
  TempDir dir;
  FolderFiles files(dir.path().string());
  ASSERT_EQ(files.Write("GAME", std::string(1000, 'o')), FileError::None);
  chmod(dir.File("GAME.BAS").c_str(), 0600);
  ASSERT_EQ(files.Write("GAME", "10 END\n"), FileError::None);
  std::string read;
  EXPECT_EQ(files.Read("GAME", read), FileError::None);
  EXPECT_EQ(read, "10 END\n");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"GAME.BAS"});
  struct stat info {};
  ASSERT_EQ(stat(dir.File("GAME.BAS").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(FolderFiles, FindsAndReplacesAFileNamedInAnotherCase) {
  for (const std::string on_disk : {"game.bas", "Game.Bas", "GAME.bas", "gAmE.BaS"}) {
    TempDir dir;
    Put(dir.File(on_disk), "old");
    FolderFiles files(dir.path().string());
    std::string read;
    EXPECT_EQ(files.Read("GAME", read), FileError::None) << on_disk;
    EXPECT_EQ(read, "old") << on_disk;
    EXPECT_EQ(files.Write("GAME", "newer"), FileError::None) << on_disk;
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{on_disk});
    EXPECT_EQ(ReadFile(dir.File(on_disk)), "newer") << on_disk;
    EXPECT_EQ(Listed(files), (decltype(Listed(files)){{"GAME.BAS", 5}})) << on_disk;
  }
}

TEST(FolderFiles, AMissingProgramOrFolderIsNoFileAndCannotBeWritten) {
  TempDir dir;
  Put(dir.File("PLAIN"), "not a folder");
  fs::create_directory(dir.path() / "empty");
  for (const std::string folder : {"empty", "absent", "PLAIN"}) {
    FolderFiles files(dir.File(folder));
    std::string read = "kept";
    EXPECT_EQ(files.Read("GAME", read), FileError::NoFile) << folder;
    EXPECT_EQ(read, "kept");
    EXPECT_TRUE(files.List().empty()) << folder;
    if (folder != "empty") {
      EXPECT_EQ(files.Write("GAME", "10 END\n"), FileError::CannotWrite) << folder;
    }
  }
  EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"PLAIN", "empty"}));
  EXPECT_EQ(ReadFile(dir.File("PLAIN")), "not a folder");
}

TEST(FolderFiles, AFileBiggerThanAProgramIsRefusedBothWays) {
  TempDir dir;
  Put(dir.File("EXACT.BAS"), std::string(kMaxProgramFile, 'e'));
  Put(dir.File("HUGE.BAS"), std::string(kMaxProgramFile + 1, 'h'));
  FolderFiles files(dir.path().string());
  std::string read;
  EXPECT_EQ(files.Read("EXACT", read), FileError::None);
  EXPECT_EQ(read.size(), kMaxProgramFile);
  EXPECT_EQ(files.Read("HUGE", read), FileError::NotProgram);
  EXPECT_EQ(files.Write("EXACT", std::string(kMaxProgramFile + 1, 'w')), FileError::CannotWrite);
  EXPECT_EQ(ReadFile(dir.File("EXACT.BAS")), std::string(kMaxProgramFile, 'e'));
  EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"EXACT.BAS", "HUGE.BAS"}));
}

TEST(FolderFiles, NeverFollowsALink) {
  TempDir outside;
  Put(outside.File("SECRET"), "outside");
  const struct {
    std::string link, target;
  } cases[] = {
      {"game.bas", outside.File("SECRET")},
      {"GAME.BAS", "REAL.BAS"},               // even to a program in the folder
      {"GAME.BAS", outside.File("CREATED")},  // nothing there yet
  };
  for (const auto& c : cases) {
    TempDir dir;
    Put(dir.File("REAL.BAS"), "real");
    fs::create_symlink(c.target, dir.path() / c.link);
    FolderFiles files(dir.path().string());
    std::string read;
    EXPECT_EQ(files.Read("GAME", read), FileError::NotProgram) << c.link << " -> " << c.target;
    EXPECT_EQ(files.Write("GAME", "10 END\n"), FileError::CannotWrite) << c.target;
    EXPECT_EQ(fs::read_symlink(dir.path() / c.link), c.target);
    std::vector<std::string> left{c.link, "REAL.BAS"};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(Entries(dir.path()), left);
    EXPECT_EQ(ReadFile(dir.File("REAL.BAS")), "real");
    EXPECT_EQ(Listed(files), (decltype(Listed(files)){{"REAL.BAS", 4}}));
  }
  EXPECT_EQ(ReadFile(outside.File("SECRET")), "outside");
  EXPECT_FALSE(fs::exists(outside.path() / "CREATED"));
}

TEST(FolderFiles, AFolderOrPipeNamedLikeAProgramIsLeftAlone) {
  TempDir dir;
  fs::create_directory(dir.path() / "SUB.BAS");
  Put(dir.path() / "SUB.BAS" / "INSIDE", "inside");
  ASSERT_EQ(mkfifo(dir.File("PIPE.BAS").c_str(), 0644), 0);
  FolderFiles files(dir.path().string());
  for (const char* name : {"SUB", "PIPE"}) {
    std::string read;
    EXPECT_EQ(files.Read(name, read), FileError::NotProgram)
        << name;  // and does not wait on the pipe
    EXPECT_EQ(files.Write(name, "10 END\n"), FileError::CannotWrite) << name;
  }
  EXPECT_TRUE(fs::is_directory(dir.path() / "SUB.BAS"));
  EXPECT_EQ(ReadFile(dir.File("SUB.BAS/INSIDE")), "inside");
  EXPECT_TRUE(fs::is_fifo(dir.path() / "PIPE.BAS"));
  EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"PIPE.BAS", "SUB.BAS"}));
  EXPECT_TRUE(files.List().empty());
}

TEST(FolderFiles, ListsOnlyProgramsSortedInCapitals) {
  TempDir dir;
  for (const auto& [name, size] :
       std::vector<std::pair<std::string, size_t>>{{"ZED.BAS", 1},
                                                   {"alpha.bas", 5},
                                                   {"M1.Bas", 2},
                                                   {"NOTES.TXT", 3},
                                                   {"BAS", 3},
                                                   {".BAS", 3},
                                                   {"TOOLONGNM.BAS", 3},
                                                   {"A B.BAS", 3},
                                                   {"A.B.BAS", 3},
                                                   {"GAME.BASIC", 3},
                                                   {"\xC3\xA9.BAS", 3},
                                                   {".GAME.BAS.tmp1-0", 3}})
    Put(dir.File(name), std::string(size, 'x'));
  fs::create_symlink(dir.File("ZED.BAS"), dir.path() / "LINK.BAS");
  fs::create_directory(dir.path() / "DIR.BAS");
  FolderFiles files(dir.path().string());
  EXPECT_EQ(Listed(files),
            (decltype(Listed(files)){{"ALPHA.BAS", 5}, {"M1.BAS", 2}, {"ZED.BAS", 1}}));
}

}  // namespace
}  // namespace zorva

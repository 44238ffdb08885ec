// The trace log as a file: its header, the register line before every
// instruction, the branch lines between them, switching it on and off, and
// what the user is told when the file cannot be opened or written.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "run/emulator.h"
#include "tests/support/image_files.h"
#include "tests/support/scripted_host.h"

namespace zorva {
namespace {

using testing::Image;
using testing::PathIn;
using testing::ReadFile;
using testing::ScriptedHost;
using testing::TempDir;

class TraceLogTest : public ::testing::Test {
 protected:
  void Boot(std::vector<uint8_t> program, uint16_t end) {
    emu.InitMachine();
    rom = dir.Write("test.rom", Image(std::move(program)));
    ASSERT_TRUE(emu.LoadRomFile(rom));
    emu.OnAdvanced({.start = 0x0000, .end = end, .showPcSp = false});
    emu.SetTraceFileName(trace);
  }
  std::string Header(const std::string& path) const {
    return banner + "\r\nCurrent ROM file:" + path + "\r\n\r\n";
  }
  // The log without its first line, which only has to name the program.
  std::string AfterBanner() const {
    const std::string log = ReadFile(trace);
    const size_t end = log.find("\r\n");
    if (end == std::string::npos) return "(no banner line)";
    return log.substr(end + 2);
  }
  std::string Log() const { return ReadFile(trace); }

  TempDir dir;
  std::string rom;
  std::string trace = PathIn(dir, "trace.log");
  std::string banner;
  ScriptedHost host;
  Emulator emu{host};
};

TEST_F(TraceLogTest, HeaderNamesTheProgramAndTheLastImageChosen) {
  Boot({}, 0x0000);
  emu.OnLogToFile();
  const std::string log = Log();
  const std::string firstLine = log.substr(0, log.find("\r\n"));
  EXPECT_NE(firstLine.find("Zorva"), std::string::npos) << firstLine;
  EXPECT_EQ(firstLine.find('\n'), std::string::npos);
  EXPECT_EQ(AfterBanner(), "\r\nCurrent ROM file:" + rom + "\r\n\r\n");

  // After a cartridge, the header names the cartridge.
  emu.OnStopLogging();
  const std::string cartridge = dir.Write("game.bin", Image({}, 16384));
  ASSERT_TRUE(emu.LoadCartridgeFile(cartridge));
  emu.OnLogToFile();
  EXPECT_EQ(AfterBanner(), "\r\nCurrent ROM file:" + cartridge + "\r\n\r\n");
}

struct LinesCase {
  const char* name;
  std::vector<uint8_t> program;
  uint16_t end;
  std::string lines;
};

TEST_F(TraceLogTest, RegisterLineBeforeEachInstructionAndBranchLineForTakenBranches) {
  std::vector<uint8_t> call = {0x3E, 0xAB,         // LD A,0xAB
                               0x01, 0x34, 0x12,   // LD BC,0x1234
                               0xCD, 0x10, 0x00};  // CALL 0x0010
  call.resize(0x11);
  call[0x10] = 0xC9;  // RET
  const LinesCase cases[] = {
      {"NOPs",
       {},
       0x0003,
       "PC:   0, OP:   0, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
       "PC:   1, OP:   0, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
       "PC:   2, OP:   0, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"},
      {"JR Z not taken, JR taken",
       {0x28, 0x05, 0x18, 0x00},
       0x0004,
       "PC:   0, OP:  28, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
       "PC:   2, OP:  18, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
       "JR        4\r\n"},
      {"CALL and RET", call, 0x0008,
       "PC:   0, OP:  3e, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
       "PC:   2, OP:   1, A:  ab, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
       "PC:   5, OP:  cd, A:  ab, F:   0, BC:1234, DE:   0, HL    0,SP:ffff\r\n"
       "CALL   10\r\n"
       "PC:  10, OP:  c9, A:  ab, F:   0, BC:1234, DE:   0, HL    0,SP:fffd\r\n"
       "RET     TO    8\r\n"},
  };
  for (const LinesCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost host;
    Emulator emu(host);
    emu.InitMachine();
    ASSERT_TRUE(emu.LoadRomFile(dir.Write("lines.rom", Image(c.program))));
    emu.OnAdvanced({.start = 0x0000, .end = c.end, .showPcSp = false});
    emu.SetTraceFileName(trace);
    emu.OnLogToFile();
    const std::string header = Log();
    emu.OnStart();
    emu.OnStopLogging();
    EXPECT_EQ(Log(), header + c.lines);
  }
}

TEST_F(TraceLogTest, LoggingOnTwiceKeepsTheOpenLog) {
  Boot({}, 0x0002);
  emu.OnLogToFile();
  const std::string header = Log();
  emu.OnLogToFile();
  EXPECT_EQ(Log(), header);
  emu.OnStart();
  emu.OnLogToFile();  // neither emptied nor given a second header
  EXPECT_EQ(Log(), header +
                       "PC:   0, OP:   0, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
                       "PC:   1, OP:   0, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(TraceLogTest, LoggingOffAndOnAgainEmptiesTheFile) {
  Boot({}, 0x0003);
  emu.OnLogToFile();
  const std::string header = Log();
  emu.OnStart();
  emu.OnStopLogging();
  EXPECT_FALSE(emu.loggingOn());
  ASSERT_GT(Log().size(), header.size());
  emu.OnStopLogging();  // off while off: nothing happens
  emu.OnLogToFile();
  EXPECT_TRUE(emu.loggingOn());
  EXPECT_EQ(Log(), header);
}

TEST_F(TraceLogTest, AFileThatCannotBeOpenedIsReportedAndLeftAlone) {
  enum Obstacle { kDirectory, kLocked, kNoSuchDirectory };
  struct Case {
    const char* name;
    Obstacle obstacle;
    std::string message;
  };
  const Case cases[] = {
      {"a directory", kDirectory, "Can't open file. Error = 5\n"},
      {"held locked by another program", kLocked, "Can't open file. Error = 11\n"},
      {"in a directory that does not exist", kNoSuchDirectory, "Can't open file. Error = 2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string path = PathIn(dir, "trace.log");
    int holder = -1;
    switch (c.obstacle) {
      case kDirectory: std::filesystem::create_directory(path); break;
      case kLocked:
        std::ofstream(path) << "someone else's log";
        holder = open(path.c_str(), O_RDONLY);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);
        break;
      case kNoSuchDirectory: path = PathIn(dir, "missing/trace.log"); break;
    }
    ScriptedHost host;
    Emulator emu(host);
    emu.InitMachine();
    emu.SetTraceFileName(path);
    emu.OnLogToFile();
    EXPECT_EQ(host.messages, std::vector<std::string>{c.message});
    EXPECT_FALSE(emu.loggingOn());
    if (holder >= 0) {
      EXPECT_EQ(ReadFile(path), "someone else's log");  // not emptied by the attempt
      close(holder);
    }
  }
}

TEST_F(TraceLogTest, AFailedWriteStopsLoggingAndIsReportedOnce) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
  Boot({}, 0x0005);
  emu.SetTraceFileName("/dev/full");
  emu.OnLogToFile();  // the header is the first write to fail
  EXPECT_EQ(host.messages, std::vector<std::string>{"Can't write file. Error = 13\n"});
  EXPECT_FALSE(emu.loggingOn());
  emu.OnStart();
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(emu.registers().PC, 0x0005);
}

// A file size limit makes writes fail part-way through a run.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
  bool ok_ = false;
};

TEST_F(TraceLogTest, AWriteFailureDuringARunEndsTheLogButNotTheRun) {
  Boot({0x18, 0x00}, 0x0010);  // JR to 2, then NOPs: branch and register lines
  emu.OnLogToFile();
  const size_t header = Log().size();
  size_t written = 0;
  {
    FileSizeLimit limit(header + 100);  // room for one line and a half
    ASSERT_TRUE(limit.ok());
    emu.OnStart();
    written = Log().size();
  }
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_TRUE(host.messages[0].starts_with("Can't write file. Error = ")) << host.messages[0];
  EXPECT_FALSE(emu.loggingOn());
  EXPECT_EQ(emu.registers().PC, 0x0010);
  EXPECT_EQ(written, header + 100);
}

}  // namespace
}  // namespace zorva

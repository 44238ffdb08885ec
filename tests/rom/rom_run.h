// Our system ROM as built, driven the way a user meets it: keys typed through
// the headless runner zorva-run, run as a child process, and judged by the
// screen, memory and stderr that the run leaves. Shared by the monitor and
// BASIC tests.
//
//   const RomRun r = RunRom({.typed = "PRINT 1+1\n"});
//   EXPECT_EQ(r.rows.back(), "OK");
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "run/typist.h"
#include "tests/support/temp_dir.h"
#include "tools/options.h"

extern char** environ;

namespace zorva::testing {

// The cursor, a solid block, as the screen's text shows it.
inline const std::string kCursor = "\u2588";

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> RomImage() {
  const std::string text = ReadText(ZORVA_ROM_IMAGE);
  return {text.begin(), text.end()};
}

// A label's address from the assembler's symbol file ("name  EQU 0ABCDH").
inline uint16_t Symbol(const std::string& name) {
  std::istringstream in(ReadText(ZORVA_ROM_SYMBOLS));
  for (std::string symbol, equ, value; in >> symbol >> equ >> value;) {
    if (symbol == name) return static_cast<uint16_t>(std::stoul(value, nullptr, 16));
  }
  throw std::runtime_error("no symbol " + name);
}

struct RomRun {
  std::vector<std::string> rows;  // up to the last non-empty row, trailing spaces trimmed
  std::string err;
  std::vector<uint8_t> memory;
  std::vector<uint16_t> pcs;  // with a trace: the PC of every instruction
  uint8_t Char(int row, int col) const { return memory.at(0x3000 + 40 * row + col); }
  uint8_t Colour(int row, int col) const { return memory.at(0x3400 + 40 * row + col); }
};

struct Typing {
  std::string typed;               // as for --type: "\n" is Enter
  std::vector<uint8_t> cart = {};  // a cartridge image, or none
  uint32_t gap = 20'000;           // instructions between two key events
  uint64_t after = 300'000;        // instructions run after the last key event
  bool trace = false;              // record the PC of every instruction
  std::string programs = {};       // the folder of SAVE, LOAD and FILES; else one of its own
  // Not 0: the run may write files of at most this many bytes (a full disk);
  // then there is no memory dump.
  uint64_t fileSizeLimit = 0;
};

// Power-on unpacks the ROM's code before anything shows: zorva-run starts
// typing after it, and a run allows for it besides its typing.
constexpr uint64_t kPowerOn = tools::kStartUp;

// Types `t.typed`, one key event every `t.gap` instructions, and runs on for
// `t.after` instructions (after power-on). The run must end cleanly, with no 'message:' line
// (that is how an instruction the processor lacks shows) and with every key
// typed.
inline RomRun RunRom(const Typing& t) {
  TempDir dir;
  const uint64_t steps = kPowerOn + (Typist::Events(t.typed).size() + 1) * t.gap + t.after;
  std::vector<std::string> args = {
      ZORVA_RUN, "--screen", "--key-gap", std::to_string(t.gap), "--steps", std::to_string(steps),
      "--type",  t.typed};
  if (t.fileSizeLimit == 0) args.insert(args.end(), {"--dump", dir.File("mem")});
  args.insert(args.end(), {"--programs", t.programs.empty() ? dir.path().string() : t.programs});
  if (!t.cart.empty()) {
    args.insert(args.end(), {"--cart", dir.Write("cart", t.cart)});
  }
  if (t.trace) args.insert(args.end(), {"--trace", dir.File("trace")});
  // A copy of its own: the loader opens an image without sharing, so runs in
  // parallel on one file would now and then refuse each other.
  args.push_back(dir.Write("aquarius.rom", RomImage()));

  // prlimit (util-linux) sets the limit for zorva-run alone.
  const std::string limit = "--fsize=" + std::to_string(t.fileSizeLimit);
  if (t.fileSizeLimit != 0) args.insert(args.begin(), {"/usr/bin/prlimit", limit, "--"});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, dir.File("out").c_str(), O_WRONLY | O_CREAT, 0644);
  posix_spawn_file_actions_addopen(&files, 2, dir.File("err").c_str(), O_WRONLY | O_CREAT, 0644);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) throw std::runtime_error("cannot start zorva-run");
  int status = 0;
  waitpid(pid, &status, 0);

  RomRun r;
  r.err = ReadText(dir.File("err"));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << r.err;
  EXPECT_EQ(r.err.find("message:"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("run ended before"), std::string::npos) << r.err;
  const std::string memory = ReadText(dir.File("mem"));
  r.memory.assign(memory.begin(), memory.end());
  std::istringstream screen(ReadText(dir.File("out"))), log(ReadText(dir.File("trace")));
  for (std::string line; std::getline(screen, line); r.rows.push_back(line)) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
  }
  while (!r.rows.empty() && r.rows.back().empty()) r.rows.pop_back();
  for (std::string line; std::getline(log, line);) {
    if (line.rfind("PC:", 0) == 0) r.pcs.push_back(std::stoul(line.substr(3), nullptr, 16));
  }
  return r;
}

}  // namespace zorva::testing

// Run control: the toolkit-free half of the main window. It owns the machine
// and the trace log and carries out every command the user can give: Start,
// Stop, Reset, the image and log commands, keys, run points, closing.
//
// The run loop executes inside OnStart and lets the host dispatch window
// messages between instructions, so every other command arrives re-entrantly
// from inside Host::PumpMessages and reaches the loop only through flags:
// Stop and a cartridge load clear keepRunning, a close request sets closing.
// A run nests only from the tail of one whose loop has ended (the cartridge
// command starts the machine again there); a Start that reaches a stopped loop
// still on the stack has that loop start over instead.
//
//   Emulator emu(host);
//   emu.InitMachine();
//   emu.LoadStartupRom();
//   emu.OnStart();      // returns when the run ends
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "machine/host.h"
#include "machine/machine_state.h"
#include "run/basic_files.h"
#include "run/trace_log.h"
#include "run/typist.h"

namespace zorva {

struct RunPoints {
  uint16_t start = 0x0000;
  uint16_t end = 0xFFFF;
  bool showPcSp = false;
};

class Emulator final : private Z80Links {
 public:
  explicit Emulator(Host& host);
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  // Start-up, in this order: the fills, key and parity tables; then the ROM
  // from "aquarius.rom" (or the ROM dialog when that fails) and the run points.
  void InitMachine();
  void LoadStartupRom();

  // Processor commands.
  void OnStart();
  void OnStop();
  void OnReset();
  // File commands.
  // Without a path they ask with a file dialog; a path (a file dropped on the
  // window) stands for the user's choice in it.
  void OnLoadMachineRom(std::optional<std::string> path = std::nullopt);
  void OnLoadCartridge(std::optional<std::string> path = std::nullopt);
  // Files dropped on the window. The first counts (the user is told when there
  // were more): a cartridge or ROM image goes through its File command, a text
  // is typed, anything else is refused with a message.
  void OnDropFiles(std::span<const std::string> paths);
  // Loads `path` as the ROM or as a cartridge without a dialog (command line use).
  bool LoadRomFile(const std::string& path);
  bool LoadCartridgeFile(const std::string& path);
  // Closing: at once when no run loop is on the stack, else once they have all
  // ended. Either way no run starts after it.
  void OnClose();
  void OnExit() { OnClose(); }
  // Trace log commands.
  void OnLogToFile();
  void OnStopLogging();
  void SetTraceFileName(std::string path) { traceFileName_ = std::move(path); }
  // View command.
  void OnClearScreenRam();
  // Keys, by virtual-key code.
  void OnKeyDown(unsigned code);
  void OnKeyUp(unsigned code);
  void OnOK();
  // One key event: a press, a release or Enter, through the handlers above.
  void OnKey(const KeyEvent& key);
  // Typed text (run/typist.h), typed by the run loop while the processor
  // runs; more text is appended. Returns how many of its characters have no
  // key; the user is told of those once, when the typing is done.
  size_t TypeText(std::string_view text);
  // Text typed next, when nothing is queued, waits this many instructions
  // more before its first key: time for the machine to start up.
  void WaitBeforeTyping(uint32_t instructions) { typist_.Wait(instructions); }
  // Drops the rest of the typed text and lets go of the keys it holds.
  void CancelTyping();
  void SetTypingPace(TypingPace pace) { typist_.SetPace(pace); }
  bool typing() const { return typist_.typing(); }
  size_t typingLeft() const { return typist_.charactersLeft(); }
  // The run-point dialog's data, and applying it (which also moves PC to the start).
  RunPoints runPoints() const { return points_; }
  void OnAdvanced(const RunPoints& points);

  // The screen, composed from memory for the cells that changed.
  const Screen& PaintScreen();
  void RequestFullRedraw() { m_.screen.fullRedraw = true; }

  // Read-only views for the shell, the headless runner and tests.
  const Z80Registers& registers() const { return m_.cpu.regs; }
  std::span<const uint8_t, 65536> memory() const { return m_.memory; }
  std::span<const uint8_t, 65536> portSpace() const { return m_.portSpace; }
  const std::string& titleText() const { return m_.titleText; }
  const std::string& romPath() const { return m_.romPath; }
  bool romLoaded() const { return m_.romLoaded; }
  bool keepRunning() const { return keepRunning_; }
  bool runLoopActive() const { return runLoops_ > 0; }
  bool closing() const { return closing_; }
  bool cartridgePending() const { return cartridgePending_; }
  bool loggingOn() const { return trace_.loggingOn(); }

 private:
  int Run(uint16_t start, uint16_t end);
  void WriteRegisterLine();
  void FlushTrace();
  void TraceWriteFailed(unsigned cause);
  void ReportTraceFailure(unsigned cause);
  void TypeDueKeys(uint32_t ran);
  // Answers a file request of BASIC's, if one waits (run/basic_files.h).
  void ServeFiles() { filesBusy_ = files_.Serve(m_.memory, host_.Programs()); }

  // Z80Links: what instructions reach outside the processor.
  void WriteScramblePort(uint8_t value) override;
  void WriteBranchLine(std::string_view line) override;
  void ReportUnhandled(std::string_view message) override;

  Host& host_;
  MachineState m_;
  TraceLog trace_;
  Typist typist_;
  BasicFiles files_;
  bool filesBusy_ = false;  // a file operation under way: look again soon
  std::string traceFileName_ = "trace.log";
  RunPoints points_;
  bool keepRunning_ = false;
  int runLoops_ = 0;      // run loops on the stack, not their tails
  bool restart_ = false;  // a Start reached the stopped loop before it returned
  bool closing_ = false;
  bool cartridgePending_ = false;
  std::optional<std::string> cartridgeChoice_;  // a dropped cartridge, until it loads
};

}  // namespace zorva

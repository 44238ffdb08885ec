// The window system of zorva-run: there is no window. Messages and caption
// changes become lines on an error stream, file dialogs are cancelled, and the
// "message queue" holds only the step limit and an interrupt from the terminal.
// (Typed text needs no host: the emulator's run loop types it.)
//
// Since the run loop asks the host how long it may run before the next pump,
// the host knows exactly how many instructions have executed at every pump and
// stops the run at its exact step limit.
#pragma once

#include <csignal>
#include <cstdint>
#include <ostream>
#include <string>

#include "machine/host.h"
#include "run/folder_files.h"

namespace zorva {
class Emulator;
}

namespace zorva::tools {

class HeadlessHost final : public Host {
 public:
  // `stepLimit` 0 means no limit.
  HeadlessHost(std::ostream& err, uint64_t stepLimit) : err_(err), stepLimit_(stepLimit) {}

  // The emulator that scheduled events act on; needed before the run starts.
  void Attach(Emulator& emulator) { emulator_ = &emulator; }
  // A flag that a signal handler sets to end the run early.
  void WatchInterrupt(const volatile std::sig_atomic_t* flag) { interrupt_ = flag; }

  void ShowMessage(std::string_view text, Icon icon = Icon::Plain) override;
  void SetCaption(std::string_view text) override;
  std::optional<std::string> ChooseFile(std::span<const FileType> types,
                                        std::string_view presetName) override;
  uint32_t PumpMessages() override;
  // Nothing here asks to close, so none of the closing calls can arrive.
  void PostClose() override {}
  void CloseWindow() override {}
  void StopScreenTimer() override {}
  ProgramFiles* Programs() override { return &programs_; }
  // The folder BASIC's programs are kept in (the working folder unless set).
  void SetProgramFolder(const std::string& folder) { programs_ = FolderFiles(folder); }

  // Instructions executed up to the last pump.
  uint64_t executed() const { return executed_; }
  bool interrupted() const { return interrupted_; }

 private:
  // How often the interrupt flag is looked at when nothing else is due.
  static constexpr uint32_t kLongestQuiet = 1u << 20;

  std::ostream& err_;
  uint64_t stepLimit_;
  Emulator* emulator_ = nullptr;
  const volatile std::sig_atomic_t* interrupt_ = nullptr;
  uint64_t executed_ = 0;
  // A run pumps for the first time after its first instruction.
  uint32_t granted_ = 1;
  bool interrupted_ = false;
  FolderFiles programs_{"."};
};

}  // namespace zorva::tools

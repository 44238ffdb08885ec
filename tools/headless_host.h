// The window system of zorva-run: there is no window. Messages and caption
// changes become lines on an error stream, file dialogs are cancelled, and the
// "message queue" holds only the events the command line scheduled: typed keys,
// the step limit and an interrupt from the terminal.
//
// Since the run loop asks the host how long it may run before the next pump,
// the host knows exactly how many instructions have executed at every pump and
// delivers each event at its exact instruction count, however long the gaps.
#pragma once

#include <csignal>
#include <cstdint>
#include <ostream>
#include <vector>

#include "machine/host.h"
#include "tools/options.h"

namespace zorva {
class Emulator;
}

namespace zorva::tools {

class HeadlessHost final : public Host {
 public:
  // `stepLimit` 0 means no limit. Key event i is delivered once (i + 1) * keyGap
  // instructions have executed.
  HeadlessHost(std::ostream& err, std::vector<KeyEvent> keys, uint32_t keyGap, uint64_t stepLimit);

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

  // Instructions executed up to the last pump.
  uint64_t executed() const { return executed_; }
  size_t keysLeft() const { return keys_.size() - nextKey_; }
  bool interrupted() const { return interrupted_; }

 private:
  // How often the interrupt flag is looked at when nothing else is due.
  static constexpr uint32_t kLongestQuiet = 1u << 20;

  void Deliver(const KeyEvent& key);

  std::ostream& err_;
  std::vector<KeyEvent> keys_;
  size_t nextKey_ = 0;
  uint64_t keyGap_;
  uint64_t stepLimit_;
  Emulator* emulator_ = nullptr;
  const volatile std::sig_atomic_t* interrupt_ = nullptr;
  uint64_t executed_ = 0;
  // A run pumps for the first time after its first instruction.
  uint32_t granted_ = 1;
  bool interrupted_ = false;
};

}  // namespace zorva::tools

// The window system as the emulator sees it (machine/host.h), carried out by
// the page: message boxes and the run-point dialog are page dialogs, the file
// dialog is the browser's file chooser, the caption is the page's title, and
// the message pump hands the browser its thread for a moment.
//
// A message box pauses the machine until it is dismissed. It may be asked for
// from inside an instruction (an unhandled one), where the stack cannot be put
// aside, so every box is kept until the next pump, file dialog or wait of the
// page's idle loop, which shows it and waits for OK before anything else runs.
//
// The pump yields to the browser about once per kSlice of run time: shorter
// slices make keys and menus quicker and the machine slower.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "machine/host.h"

namespace zorva {

class PageApp;

class WebHost final : public Host {
 public:
  static constexpr double kSliceMs = 8.0;
  static constexpr uint32_t kFirstBudget = 4096;
  static constexpr uint32_t kMaxBudget = 1u << 26;

  explicit WebHost(PageApp& app) : app_(app) {}

  void ShowMessage(std::string_view text, Icon icon = Icon::Plain) override;
  void SetCaption(std::string_view text) override;
  std::optional<std::string> ChooseFile(std::span<const FileType> types,
                                        std::string_view presetName) override;
  uint32_t PumpMessages() override;
  void PostClose() override;
  void CloseWindow() override;
  void StopScreenTimer() override;

  // Shows the kept message boxes, one after another, each until its OK.
  void ShowPendingMessages();
  // The idle loop's wait: until an event comes or `ms` have passed.
  void WaitForEvents(double ms);

  // Instructions the run loops have executed, up to the last pump.
  double executed() const { return executed_; }

 private:
  struct Message {
    std::string text;
    Icon icon;
  };

  PageApp& app_;
  std::deque<Message> messages_;
  double lastPumpEnd_ = 0;
  double executed_ = 0;
  uint32_t granted_ = 1;  // a run pumps for the first time after one instruction
  uint32_t budget_ = kFirstBudget;
};

}  // namespace zorva

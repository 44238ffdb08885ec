// The window system as the emulator sees it (machine/host.h), carried out with
// Qt on behalf of the main window.
//
// PumpMessages is on the run loop's hot path: it hands Qt the thread for one
// round of event processing and returns an instruction budget from a
// PumpPacer, so that the loop looks at the queue about once per PumpPacer::kTarget
// of run time rather than after every instruction.
#pragma once

#include <chrono>

#include "machine/host.h"
#include "run/folder_files.h"
#include "shell/pump_pacer.h"

namespace zorva {

class CZorvaDlg;

class QtHost final : public Host {
 public:
  explicit QtHost(CZorvaDlg& dlg) : dlg_(dlg) {}

  void ShowMessage(std::string_view text, Icon icon) override;
  void SetCaption(std::string_view text) override;
  std::optional<std::string> ChooseFile(std::span<const FileType> types,
                                        std::string_view presetName) override;
  uint32_t PumpMessages() override;
  void PostClose() override;
  void CloseWindow() override;
  void StopScreenTimer() override;
  // BASIC's programs live in the working folder, beside trace.log.
  ProgramFiles* Programs() override { return &programs_; }

 private:
  using Clock = std::chrono::steady_clock;

  CZorvaDlg& dlg_;
  PumpPacer pacer_;
  Clock::time_point lastPumpEnd_ = Clock::now();
  FolderFiles programs_{"."};
};

}  // namespace zorva

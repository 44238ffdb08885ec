// A window system and processor links for the fuzz targets: the host counts
// and keeps the messages it is asked to show and cancels every file dialog.
#pragma once

#include <string>
#include <vector>

#include "core/z80_links.h"
#include "machine/host.h"

namespace zorva::fuzz {

class CountingHost final : public Host {
 public:
  struct Message {
    std::string text;
    Icon icon;
  };

  void ShowMessage(std::string_view text, Icon icon) override {
    messages.push_back({std::string(text), icon});
  }
  void SetCaption(std::string_view) override { ++captions; }
  std::optional<std::string> ChooseFile(std::span<const FileType>, std::string_view) override {
    ++dialogs;
    return std::nullopt;
  }
  uint32_t PumpMessages() override { return 1; }
  void PostClose() override {}
  void CloseWindow() override {}
  void StopScreenTimer() override {}

  void Clear() {
    messages.clear();
    captions = 0;
    dialogs = 0;
  }

  std::vector<Message> messages;
  int captions = 0;
  int dialogs = 0;
};

class SilentLinks final : public Z80Links {
 public:
  void WriteScramblePort(uint8_t) override {}
  void WriteBranchLine(std::string_view) override {}
  void ReportUnhandled(std::string_view) override {}
};

}  // namespace zorva::fuzz

// A Host without a window. It records what it was asked to show, answers file
// dialogs with `fileAnswer` (nothing stands for Cancel) and runs scripted
// actions from inside numbered pumps. Each pump grants `budget` instructions;
// with the default of 1, pump n follows the n-th instruction of a run, so an
// action at pump n acts between instructions n and n+1.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "machine/host.h"

namespace zorva::testing {

class RecordingHost : public Host {
 public:
  struct Message {
    std::string text;
    Icon icon;
  };
  // Runs `action` during pump number `pump`, counted from 1 over the host's life.
  void At(uint64_t pump, std::function<void()> action) { actions_.emplace(pump, action); }
  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const Message& m : messages) t.push_back(m.text);
    return t;
  }

  void ShowMessage(std::string_view text, Icon icon) override {
    messages.push_back({std::string(text), icon});
  }
  void SetCaption(std::string_view text) override { captions.emplace_back(text); }
  std::optional<std::string> ChooseFile(std::span<const FileType>,
                                        std::string_view presetName) override {
    dialogs.emplace_back(presetName);
    return std::exchange(fileAnswer, std::nullopt);
  }
  uint32_t PumpMessages() override {
    // A loop that pumps this often has lost its way: fail rather than hang.
    if (++pumps > 1'000'000) throw std::runtime_error("runaway run loop");
    for (auto [it, last] = actions_.equal_range(pumps); it != last; ++it) it->second();
    return budget;
  }
  void PostClose() override { onPostClose(); }
  void CloseWindow() override { ++windowCloses; }
  void StopScreenTimer() override { ++screenTimerStops; }

  std::vector<Message> messages;
  std::vector<std::string> captions;
  std::vector<std::string> dialogs;       // the preset name of each file dialog
  std::optional<std::string> fileAnswer;  // for the next file dialog; nothing: Cancel
  uint32_t budget = 1;
  uint64_t pumps = 0;
  int windowCloses = 0;
  int screenTimerStops = 0;
  std::function<void()> onPostClose = [] {};  // to look at the emulator at that moment

 private:
  std::multimap<uint64_t, std::function<void()>> actions_;
};

}  // namespace zorva::testing

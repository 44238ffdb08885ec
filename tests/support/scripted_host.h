// A Host for tests of the run control. It records every call the emulator
// makes, answers file dialogs from a queue (Cancel when the queue is empty),
// and runs scripted actions from inside numbered pumps. PumpMessages returns 1,
// so the run loop pumps after every instruction and pump n follows the n-th
// instruction of a run: an action at pump n acts between instructions n and n+1.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "machine/host.h"

namespace zorva::testing {

class ScriptedHost : public Host {
 public:
  // Runs `action` during pump number `pump` (counted from 1 over the host's life).
  void At(uint64_t pump, std::function<void()> action);
  // The answer to the next file dialog; nothing stands for Cancel.
  void AnswerFile(std::optional<std::string> path) { answers_.push_back(std::move(path)); }

  void ShowMessage(std::string_view text, Icon icon = Icon::Plain) override;
  void SetCaption(std::string_view text) override;
  std::optional<std::string> ChooseFile(std::span<const FileType> types,
                                        std::string_view presetName) override;
  uint32_t PumpMessages() override;
  void PostClose() override;
  void CloseWindow() override;
  void StopScreenTimer() override;

  struct Dialog {
    std::vector<std::string> types;  // "label|pattern"
    std::string preset;
  };

  std::vector<std::string> messages;
  std::vector<Icon> icons;
  std::vector<std::string> captions;
  std::vector<Dialog> dialogs;
  uint64_t pumps = 0;
  int closesPosted = 0;
  int windowCloses = 0;
  int screenTimerStops = 0;
  // Every call in order: "pump 3", "message TEXT", "caption TEXT", "dialog PRESET",
  // "post-close", "close-window", "stop-screen-timer".
  std::vector<std::string> calls;
  // A run that pumps more often than this has lost its way: the pump throws,
  // so that a broken loop fails its test instead of running on forever.
  uint64_t maxPumps = 1'000'000;
  // Called from PostClose and ShowMessage, to look at the emulator at that moment.
  std::function<void()> onPostClose;
  std::function<void()> onMessage;

 private:
  std::multimap<uint64_t, std::function<void()>> actions_;
  std::deque<std::optional<std::string>> answers_;
};

}  // namespace zorva::testing

// A Host without a window: it records the messages, captions and dialogs it
// was asked for and answers file dialogs from a queue (empty queue = Cancel).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "machine/host.h"

namespace zorva::testing {

class RecordingHost : public Host {
 public:
  struct Message {
    std::string text;
    Icon icon;
  };
  struct Dialog {
    std::vector<std::string> types;  // "label|pattern"
    std::string presetName;
  };

  void ShowMessage(std::string_view text, Icon icon) override {
    messages.push_back({std::string(text), icon});
  }
  void SetCaption(std::string_view text) override { captions.emplace_back(text); }
  std::optional<std::string> ChooseFile(std::span<const FileType> types,
                                        std::string_view presetName) override {
    Dialog d{{}, std::string(presetName)};
    for (const FileType& t : types)
      d.types.push_back(std::string(t.label) + "|" + std::string(t.pattern));
    dialogs.push_back(std::move(d));
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }
  uint32_t PumpMessages() override {
    ++pumps;
    return 1;
  }
  void PostClose() override { ++postedCloses; }
  void CloseWindow() override { ++windowCloses; }
  void StopScreenTimer() override { ++screenTimerStops; }

  std::vector<Message> messages;
  std::vector<std::string> captions;
  std::vector<Dialog> dialogs;
  std::deque<std::optional<std::string>> fileAnswers;
  int pumps = 0;
  int postedCloses = 0;
  int windowCloses = 0;
  int screenTimerStops = 0;
};

}  // namespace zorva::testing

#include "tests/support/scripted_host.h"

#include <stdexcept>

namespace zorva::testing {

void ScriptedHost::At(uint64_t pump, std::function<void()> action) {
  actions_.emplace(pump, std::move(action));
}

void ScriptedHost::ShowMessage(std::string_view text, Icon icon) {
  messages.emplace_back(text);
  icons.push_back(icon);
  calls.push_back("message " + std::string(text));
  if (onMessage) onMessage();
}

void ScriptedHost::SetCaption(std::string_view text) {
  captions.emplace_back(text);
  calls.push_back("caption " + std::string(text));
}

std::optional<std::string> ScriptedHost::ChooseFile(std::span<const FileType> types,
                                                    std::string_view presetName) {
  Dialog dialog{{}, std::string(presetName)};
  for (const FileType& t : types) {
    dialog.types.push_back(std::string(t.label) + "|" + std::string(t.pattern));
  }
  dialogs.push_back(std::move(dialog));
  calls.push_back("dialog " + std::string(presetName));
  if (answers_.empty()) return std::nullopt;
  auto answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

uint32_t ScriptedHost::PumpMessages() {
  ++pumps;
  if (pumps > maxPumps) {
    throw std::runtime_error("the run loop pumped " + std::to_string(pumps) + " times: runaway");
  }
  calls.push_back("pump " + std::to_string(pumps));
  // Taken out before running: an action may script further ones.
  auto [first, last] = actions_.equal_range(pumps);
  std::vector<std::function<void()>> due;
  for (auto it = first; it != last; ++it) due.push_back(std::move(it->second));
  actions_.erase(first, last);
  for (auto& action : due) action();
  return 1;
}

void ScriptedHost::PostClose() {
  ++closesPosted;
  calls.push_back("post-close");
  if (onPostClose) onPostClose();
}

void ScriptedHost::CloseWindow() {
  ++windowCloses;
  calls.push_back("close-window");
}

void ScriptedHost::StopScreenTimer() {
  ++screenTimerStops;
  calls.push_back("stop-screen-timer");
}

}  // namespace zorva::testing

#include "web/web_host.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdlib>

#include "web/page_app.h"
#include "web/page_calls.h"

namespace zorva {

void WebHost::ShowMessage(std::string_view text, Icon icon) {
  messages_.push_back({std::string(text), icon});
}

void WebHost::ShowPendingMessages() {
  while (!messages_.empty()) {
    const Message message = std::move(messages_.front());
    messages_.pop_front();
    zorva_message(message.text.c_str(), message.icon == Icon::Information ? 1 : 0);
  }
}

void WebHost::SetCaption(std::string_view text) { zorva_set_caption(std::string(text).c_str()); }

std::optional<std::string> WebHost::ChooseFile(std::span<const FileType> types, std::string_view) {
  // What the window would have shown before its dialog comes first.
  ShowPendingMessages();
  if (app_.ended()) return std::nullopt;
  // The chooser offers the first type ("*.rom") and lets the user pick any file,
  // as "All Files" does in the window.
  std::string accept;
  for (const FileType& type : types) {
    if (type.pattern == "*.*") continue;
    if (!accept.empty()) accept += ',';
    accept += type.pattern.substr(type.pattern.find('.'));
  }
  char* path = zorva_choose_file(accept.c_str());
  if (path == nullptr) return std::nullopt;
  std::string chosen(path);
  std::free(path);
  return chosen;
}

uint32_t WebHost::PumpMessages() {
  const double start = emscripten_get_now();
  executed_ += granted_;
  // The budget aims at one slice of run time, changing by at most a factor of
  // 4 per pump, so that one odd slice (a dialog, a slow frame) only nudges it.
  const double ran = start - lastPumpEnd_;
  const double wanted = ran > 0 ? budget_ * kSliceMs / ran : double{kMaxBudget};
  budget_ = static_cast<uint32_t>(std::clamp(wanted, std::max(1.0, budget_ / 4.0),
                                             std::min(double{kMaxBudget}, budget_ * 4.0)));
  ShowPendingMessages();
  zorva_yield();
  app_.DispatchEvents();
  app_.RunTimers();
  ShowPendingMessages();
  lastPumpEnd_ = emscripten_get_now();
  granted_ = budget_;
  return granted_;
}

void WebHost::WaitForEvents(double ms) {
  ShowPendingMessages();
  zorva_wait(ms);
}

void WebHost::PostClose() { app_.PostClose(); }

void WebHost::CloseWindow() { app_.End(); }

void WebHost::StopScreenTimer() { app_.StopScreenTimer(); }

}  // namespace zorva

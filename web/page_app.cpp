#include "web/page_app.h"

#include <emscripten.h>

#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "machine/key_positions.h"
#include "machine/keyboard.h"
#include "machine/screen_text.h"
#include "run/address_text.h"
#include "web/key_codes.h"
#include "web/page_calls.h"

namespace zorva {
namespace {

// The menu commands, by the names page.js gives its menu items.
enum Command {
  kLoadMachineRom = 1,
  kLoadCartridge,
  kExit,
  kStart,
  kStop,
  kAdvanced,
  kReset,
  kView100,
  kView200,
  kView400,
  kClearScreenRam,
  kLogToFile,
  kStopLogging,
  kTest,
  kAbout,
};

constexpr std::pair<std::string_view, int> kCommands[] = {
    {"load-rom", kLoadMachineRom},
    {"load-cartridge", kLoadCartridge},
    {"exit", kExit},
    {"start", kStart},
    {"stop", kStop},
    {"advanced", kAdvanced},
    {"reset", kReset},
    {"view-100", kView100},
    {"view-200", kView200},
    {"view-400", kView400},
    {"clear-screen-ram", kClearScreenRam},
    {"log-to-file", kLogToFile},
    {"stop-logging", kStopLogging},
    {"test", kTest},
    {"about", kAbout},
};

int CommandId(std::string_view name) {
  for (const auto& [n, id] : kCommands) {
    if (n == name) return id;
  }
  return 0;  // Save Memory image and the speed items have no handler, as in the window
}

bool IsSystemKey(unsigned code, int modifiers) {
  return (modifiers & PageEvent::kAlt) != 0 || code == vk::kMenu || code == vk::kF10;
}

std::optional<PageEvent> NextEvent() {
  intptr_t out[3] = {0, 0, 0};
  const int kind = zorva_next_event(out);
  if (kind == 0) return std::nullopt;
  PageEvent event;
  event.kind = static_cast<PageEvent::Kind>(kind);
  event.repeat = static_cast<int>(out[0]);
  event.modifiers = static_cast<int>(out[1]);
  if (char* text = reinterpret_cast<char*>(out[2])) {
    event.text = text;
    std::free(text);
  }
  return event;
}

}  // namespace

void PageApp::Run() {
  // As the window: the About box first, then the machine, the 200% view, our
  // ROM, the timers, and Start.
  OnAbout();
  emu_.InitMachine();
  OnView(2);
  emu_.LoadStartupRom();
  screenTimerOn_ = true;
  nextScreen_ = emscripten_get_now() + kScreenPeriodMs;
  nextTitle_ = emscripten_get_now() + kTitlePeriodMs;
  OnCommand(kStart);
  while (!ended_) Idle();
  zorva_ended();
}

// The machine is stopped: wait for the next event or timer.
void PageApp::Idle() {
  DispatchEvents();
  RunTimers();
  if (ended_) return;
  const double now = emscripten_get_now();
  double next = nextTitle_;
  if (screenTimerOn_ && nextScreen_ < next) next = nextScreen_;
  host_.WaitForEvents(next > now ? next - now : 0);
}

void PageApp::DispatchEvents() {
  if (closePosted_ && !ended_) {
    closePosted_ = false;
    emu_.OnClose();
  }
  while (!ended_) {
    const std::optional<PageEvent> event = NextEvent();
    if (!event) break;
    Dispatch(*event);
  }
}

void PageApp::Dispatch(const PageEvent& event) {
  switch (event.kind) {
    case PageEvent::Kind::Command: OnCommand(CommandId(event.text)); break;
    case PageEvent::Kind::KeyDown: OnKeyDown(event); break;
    case PageEvent::Kind::KeyUp: OnKeyUp(event); break;
    case PageEvent::Kind::Paste: PasteText(event.text); break;
    case PageEvent::Kind::Drop: OnDrop(event.text); break;
    case PageEvent::Kind::Blur: ReleaseHeldKeys(); break;
    case PageEvent::Kind::Close: emu_.OnClose(); break;
    case PageEvent::Kind::None: break;
  }
}

void PageApp::OnCommand(int id) {
  if (ended_) return;
  switch (id) {
    case kLoadMachineRom: emu_.OnLoadMachineRom(); break;
    case kLoadCartridge: emu_.OnLoadCartridge(); break;
    case kExit: emu_.OnExit(); break;
    case kStart: emu_.OnStart(); break;
    case kStop: emu_.OnStop(); break;
    case kAdvanced: OnAdvanced(); break;
    case kReset: emu_.OnReset(); break;
    case kView100: OnView(1); break;
    case kView200: OnView(2); break;
    case kView400: OnView(3); break;  // "400%" has always meant three times
    case kClearScreenRam: emu_.OnClearScreenRam(); break;
    case kLogToFile: emu_.OnLogToFile(); break;
    case kStopLogging: emu_.OnStopLogging(); break;
    case kTest: OnTest(); break;
    case kAbout: OnAbout(); break;
    default: break;
  }
}

void PageApp::End() {
  ended_ = true;
  screenTimerOn_ = false;
}

// --- Timers, screen -----------------------------------------------------------

void PageApp::RunTimers() {
  if (ended_) return;
  const double now = emscripten_get_now();
  // A timer that fell far behind (a dialog was open) fires once, not once per
  // period missed.
  if (screenTimerOn_ && now >= nextScreen_) {
    nextScreen_ = std::max(nextScreen_ + kScreenPeriodMs, now);
    OnScreenTimer();
  }
  if (now >= nextTitle_) {
    nextTitle_ = std::max(nextTitle_ + kTitlePeriodMs, now);
    OnTitleTimer();
  }
}

void PageApp::OnScreenTimer() {
  if (emu_.closing()) return;
  const Screen& screen = emu_.PaintScreen();
  FrameToRgba(screen.frame, rgba_);
  zorva_show_frame(rgba_.data());
}

void PageApp::OnTitleTimer() {
  if (emu_.closing()) return;
  emu_.RequestFullRedraw();
  zorva_set_caption(emu_.titleText().c_str());
}

void PageApp::OnView(int zoom) {
  zorva_set_zoom(zoom);
  emu_.RequestFullRedraw();
  OnScreenTimer();
}

// --- Boxes --------------------------------------------------------------------

void PageApp::OnAbout() {
  // The page shows its own About box for the empty text.
  zorva_message("", -1);
  emu_.RequestFullRedraw();
}

void PageApp::OnTest() {
  host_.ShowMessage("Reserved for developers use.");
  host_.ShowPendingMessages();
  emu_.RequestFullRedraw();
}

void PageApp::OnAdvanced() {
  const RunPoints points = emu_.runPoints();
  emu_.RequestFullRedraw();
  int out[2] = {0, 0};
  if (zorva_advanced(points.start, points.end, out) == 0) return;
  emu_.OnAdvanced({.start = static_cast<uint16_t>(out[0]),
                   .end = static_cast<uint16_t>(out[1]),
                   .showPcSp = points.showPcSp});
}

// --- Keys ---------------------------------------------------------------------

void PageApp::OnKeyDown(const PageEvent& event) {
  const unsigned code = VirtualKeyFromKeyCode(event.text);
  if (code == 0 || IsSystemKey(code, event.modifiers)) return;  // not the machine's
  if (emu_.typing()) {
    // Shift or Ctrl alone may be the start of a paste or a copy, and the
    // typing holds its own: neither reaches the machine. Any other key the
    // user presses ends the typing and is theirs.
    if (code == vk::kShift || code == vk::kControl || event.repeat != 0) return;
    emu_.CancelTyping();
  }
  heldKeys_[event.text] = code;
  // Enter is the window's OK and Escape its Cancel; only their releases are keys.
  if (code == vk::kReturn) {
    emu_.OnOK();
  } else if (code != vk::kEscape) {
    emu_.OnKeyDown(code);  // auto-repeats too: a held key keeps pressing
  }
}

void PageApp::OnKeyUp(const PageEvent& event) {
  const auto held = heldKeys_.find(event.text);
  if (held != heldKeys_.end()) {
    const unsigned code = held->second;
    heldKeys_.erase(held);
    emu_.OnKeyUp(code);
    return;
  }
  // A key pressed before the page had the focus: released all the same,
  // unless typed text is using the keys now.
  if (emu_.typing()) return;
  const unsigned code = VirtualKeyFromKeyCode(event.text);
  if (code != 0 && !IsSystemKey(code, event.modifiers)) emu_.OnKeyUp(code);
}

// Keys released while something else has the keyboard never come back here:
// let go of them now, or the machine would see them held for good.
void PageApp::ReleaseHeldKeys() {
  for (const auto& [name, code] : heldKeys_) emu_.OnKeyUp(code);
  heldKeys_.clear();
}

// --- Text in and out ----------------------------------------------------------

void PageApp::PasteText(const std::string& text) {
  if (text.empty()) return;
  // The typing starts from a keyboard with nothing held, Shift of Shift+Insert
  // included.
  ReleaseHeldKeys();
  emu_.TypeText(text);
}

void PageApp::OnDrop(const std::string& paths) {
  ReleaseHeldKeys();
  std::vector<std::string> list;
  size_t from = 0;
  while (from < paths.size()) {
    const size_t to = std::min(paths.find('\n', from), paths.size());
    if (to > from) list.push_back(paths.substr(from, to - from));
    from = to + 1;
  }
  emu_.OnDropFiles(list);
}

}  // namespace zorva

// --- Calls from page.js that need no wait ----------------------------------------

namespace {
zorva::PageApp* g_app = nullptr;
}

extern "C" {

// The run-point dialog's check of a field: its address, or -1.
EMSCRIPTEN_KEEPALIVE int zorva_parse_address(const char* text) {
  const std::optional<uint16_t> address = zorva::ParseDecimalAddress(text);
  return address ? *address : -1;
}

// The screen as the window copies it; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* zorva_screen_text() {
  static std::string text;
  if (g_app == nullptr) return "";
  text = zorva::ScreenText(g_app->emulator().memory());
  return text.c_str();
}

// Instructions executed so far, for the speed benchmark.
EMSCRIPTEN_KEEPALIVE double zorva_instructions() {
  return g_app == nullptr ? 0 : g_app->host().executed();
}

}  // extern "C"

namespace zorva {
void SetPageApp(PageApp* app) { g_app = app; }
}  // namespace zorva

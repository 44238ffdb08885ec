// The page's main window: it owns the emulated machine (through the Emulator)
// and carries out what the page asks: menu commands, keys, pasted and dropped
// text and files, the screen and caption timers, and the end.
//
// page.js queues each user action as an event; the events are taken one at a
// time from the host's pump while the machine runs, and from the idle loop
// (Run) while it does not, so every command arrives where the window's does.
//
//   PageApp app;
//   app.Run();   // About box, start-up, then the idle loop until the end
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "run/emulator.h"
#include "web/frame_pixels.h"
#include "web/web_host.h"

namespace zorva {

struct PageEvent {
  enum class Kind { None, Command, KeyDown, KeyUp, Paste, Drop, Blur, Close };
  Kind kind = Kind::None;
  int repeat = 0;     // KeyDown: an auto-repeat
  int modifiers = 0;  // KeyDown, KeyUp: kShift | kCtrl | kAlt held
  std::string text;   // Command: its name; keys: KeyboardEvent.code; Paste; Drop: paths

  static constexpr int kShift = 1, kCtrl = 2, kAlt = 4;
};

class PageApp {
 public:
  static constexpr double kScreenPeriodMs = 133;
  static constexpr double kTitlePeriodMs = 1000;

  PageApp() = default;
  PageApp(const PageApp&) = delete;
  PageApp& operator=(const PageApp&) = delete;

  void Run();
  // Takes every queued event and carries it out.
  void DispatchEvents();
  // The screen and caption timers' work, when due.
  void RunTimers();

  // For the host.
  void PostClose() { closePosted_ = true; }
  void End();
  void StopScreenTimer() { screenTimerOn_ = false; }
  bool ended() const { return ended_; }

  const Emulator& emulator() const { return emu_; }
  const WebHost& host() const { return host_; }

 private:
  void Idle();
  void Dispatch(const PageEvent& event);
  void OnCommand(int id);
  void OnView(int zoom);
  void OnAbout();
  void OnTest();
  void OnAdvanced();
  void OnKeyDown(const PageEvent& event);
  void OnKeyUp(const PageEvent& event);
  void OnDrop(const std::string& paths);
  void PasteText(const std::string& text);
  void ReleaseHeldKeys();
  void OnScreenTimer();
  void OnTitleTimer();

  WebHost host_{*this};
  Emulator emu_{host_};
  std::array<uint8_t, kFrameBytes> rgba_{};
  // Keys pressed into the matrix, by KeyboardEvent.code, so a release undoes
  // what its press did.
  std::map<std::string, unsigned> heldKeys_;
  double nextScreen_ = 0;
  double nextTitle_ = 0;
  bool screenTimerOn_ = false;
  bool closePosted_ = false;
  bool ended_ = false;
};

// The app that page.js's direct calls (the copy, the run-point check, the
// instruction count) read; main() sets it.
void SetPageApp(PageApp* app);

}  // namespace zorva

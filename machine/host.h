// What the machine and its run control ask of the window system. The Qt shell
// implements it for the desktop; the headless runner and the tests implement it
// without a window. Nothing below shell/ knows which one it talks to.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "machine/program_files.h"

namespace zorva {

// One entry of a file dialog's type list, e.g. {"ROM Files (*.rom)", "*.rom"}.
struct FileType {
  std::string_view label;
  std::string_view pattern;
};

class Host {
 public:
  enum class Icon { Plain, Information };

  virtual ~Host() = default;

  // A modal box with an OK button; returns once the user has dismissed it.
  virtual void ShowMessage(std::string_view text, Icon icon = Icon::Plain) = 0;
  virtual void SetCaption(std::string_view text) = 0;
  // A modal file-open dialog. Returns the chosen full path, or nothing on Cancel.
  virtual std::optional<std::string> ChooseFile(std::span<const FileType> types,
                                                std::string_view presetName) = 0;

  // Dispatches every window message that waits, then returns how many
  // instructions the run loop may execute before it asks again (at least 1).
  // A run asks for the first time after its first instruction.
  // Handlers run from here: commands, keys, timers, paints.
  virtual uint32_t PumpMessages() = 0;
  // Queues a close request to the main window, to be handled by a later pump.
  virtual void PostClose() = 0;
  // Ends the main window, and with it the program.
  virtual void CloseWindow() = 0;
  // Stops the periodic screen refresh (the window is about to close).
  virtual void StopScreenTimer() = 0;
  // Where BASIC's SAVE, LOAD and FILES keep programs; nothing when this host
  // keeps none (they then fail with BASIC's errors).
  virtual ProgramFiles* Programs() { return nullptr; }
};

}  // namespace zorva

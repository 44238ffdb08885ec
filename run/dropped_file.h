// What a file dropped on the window is to the machine: a cartridge or a ROM
// image, by its size alone (as the File menu's commands take them), or text to
// type (up to 64 KiB of printable ASCII, tabs and line ends), or nothing it
// can use, with the reason in words.
#pragma once

#include <string>

namespace zorva {

struct DroppedFile {
  enum class Kind { Cartridge, Rom, Text, Unusable };
  Kind kind = Kind::Unusable;
  std::string text;  // Text: the file's contents
  std::string why;   // Unusable: a sentence that names the file and the reason
};

inline constexpr size_t kLongestDroppedText = 64 * 1024;

// Looks at `path` without keeping it open; never blocks on a FIFO or a device.
DroppedFile ExamineDroppedFile(const std::string& path);

}  // namespace zorva

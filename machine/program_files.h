// Where BASIC's SAVE, LOAD and FILES keep programs: a store of named text
// files. The desktop and the headless runner keep them in a folder
// (run/folder_files.h); the web page keeps them in the browser. The host
// interface hands one to the run control, which serves BASIC's requests with it.
//
// Names reach a store already checked by ProgramFileName: 1 to 8 letters and
// digits in capitals. A store finds a file whose name differs only in case,
// and never reads or writes anything but its own files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva {

enum class FileError {
  None,
  NoFile,       // there is no program of that name
  NotProgram,   // it is there but cannot be a program (too big, not a plain file)
  CannotWrite,  // the store refused the write (read-only, full)
};

// A program file is at most this big; a bigger one is not a program.
inline constexpr size_t kMaxProgramFile = 64 * 1024;

struct ProgramFileInfo {
  std::string name;  // as stored, e.g. "GAME.BAS"
  uint64_t size = 0;
};

class ProgramFiles {
 public:
  virtual ~ProgramFiles() = default;

  // The bytes of NAME.BAS, or why not.
  virtual FileError Read(std::string_view name, std::string& bytes) = 0;
  // Replaces NAME.BAS with `bytes` whole, or leaves any earlier file as it was.
  virtual FileError Write(std::string_view name, std::string_view bytes) = 0;
  // The .BAS files, sorted by name; nothing when the store cannot be read.
  virtual std::vector<ProgramFileInfo> List() = 0;
};

// The stored form of a name BASIC gave ("game" -> "GAME"), or nothing when it
// is not 1 to 8 letters and digits.
inline std::optional<std::string> ProgramFileName(std::string_view name) {
  if (name.empty() || name.size() > 8) return std::nullopt;
  std::string stored;
  for (char c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return std::nullopt;
    stored += c;
  }
  return stored;
}

}  // namespace zorva

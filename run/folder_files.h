// BASIC's program files kept in one folder on the host, as NAME.BAS. The
// desktop and the headless runner make one from the folder the user chose and
// hand it to the run control.
//
// Every call opens the folder afresh and works only on plain files directly
// inside it: symbolic links are never followed, and nothing else (not even a
// file the folder links to) is ever read, written or removed. A write goes to
// a temporary file first and replaces the old one whole, so a full disk or a
// read-only folder leaves the earlier program as it was. POSIX hosts only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "machine/program_files.h"

namespace zorva {

class FolderFiles final : public ProgramFiles {
 public:
  // The folder need not exist yet; until it does, reads find nothing and
  // writes fail.
  explicit FolderFiles(std::string folder);

  FileError Read(std::string_view name, std::string& bytes) override;
  FileError Write(std::string_view name, std::string_view bytes) override;
  std::vector<ProgramFileInfo> List() override;

 private:
  std::string folder_;
};

}  // namespace zorva

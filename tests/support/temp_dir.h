// A fresh directory under the system's temporary folder, removed with its
// contents when the object goes away.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zorva::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `bytes` to `name` inside the directory and returns its full path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  std::string Write(const std::string& name, size_t size, uint8_t fill) const;

 private:
  std::filesystem::path path_;
};

}  // namespace zorva::testing

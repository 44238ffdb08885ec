// A fresh directory under the system's temporary folder, removed with its
// contents when the object goes away, and the files tests put in it.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorva::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorva-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;  // a test may have taken our own permissions away
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The full path of `name` inside the directory.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes `bytes` to `name` inside the directory and returns its full path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(path_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return File(name);
  }
  std::string Write(const std::string& name, size_t size, uint8_t fill) const {
    return Write(name, std::vector<uint8_t>(size, fill));
  }
  // `program` followed by zeros (NOPs) up to an image of `size` bytes.
  std::string WriteImage(const std::string& name, std::vector<uint8_t> program,
                         size_t size = 8192) const {
    program.resize(size);
    return Write(name, program);
  }

 private:
  std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace zorva::testing

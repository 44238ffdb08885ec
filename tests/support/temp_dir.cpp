#include "tests/support/temp_dir.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace zorva::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zorva-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  const std::filesystem::path p = path_ / name;
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return p.string();
}

std::string TempDir::Write(const std::string& name, size_t size, uint8_t fill) const {
  return Write(name, std::vector<uint8_t>(size, fill));
}

}  // namespace zorva::testing

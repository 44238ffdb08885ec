#include "tests/support/image_files.h"

#include <fstream>
#include <iterator>

namespace zorva::testing {

std::vector<uint8_t> Image(std::vector<uint8_t> program, size_t size) {
  program.resize(size, 0x00);
  return program;
}

std::string PathIn(const TempDir& dir, std::string_view name) {
  return (dir.path() / name).string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace zorva::testing

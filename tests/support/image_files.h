// Small helpers for tests that run programs from image files: an image built
// from a program's bytes, a path inside a TempDir, and reading a file back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zorva::testing {

// An image of `size` bytes holding `program` at its start and zeros after it.
std::vector<uint8_t> Image(std::vector<uint8_t> program, size_t size = 8192);

// The path of `name` inside `dir`, as a string.
std::string PathIn(const TempDir& dir, std::string_view name);

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace zorva::testing

// Makes the 8192-byte ROM image from the assembler's output: the part of the
// program that runs from the ROM as it is, and after it, at the label
// packed_data, the blocks that run from RAM, packed (the stream of
// rom/pack.h), for the ROM's unpacker to rebuild at power-on.
//
//   make_rom program.bin program.sym aquarius.rom
//
// The blocks are named in the symbol file by ram_low_start/ram_low_end and
// ram_high_start/ram_high_end, their data parts (packed as text) by
// low_code_end and high_code_end. Prints the sizes; fails when the image would
// not fit.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "rom/pack.h"

namespace {

constexpr size_t kRomSize = 8192;

bool ReadFile(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "make_rom: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Fail("usage: make_rom program.bin program.sym aquarius.rom");
  std::string binary, symbolText;
  if (!ReadFile(argv[1], binary)) return Fail(std::string("cannot read ") + argv[1]);
  if (!ReadFile(argv[2], symbolText)) return Fail(std::string("cannot read ") + argv[2]);

  std::map<std::string, size_t> symbols;
  std::istringstream lines(symbolText);
  for (std::string name, equ, value; lines >> name >> equ >> value;)
    symbols[name] = std::stoul(value, nullptr, 16);
  for (const char* name : {"packed_data", "ram_low_start", "ram_low_end", "ram_high_start",
                           "ram_high_end", "low_code_end", "high_code_end"}) {
    if (!symbols.count(name)) return Fail(std::string("no symbol ") + name);
  }

  const size_t romPart = symbols["packed_data"];
  std::vector<uint8_t> image(binary.begin(), binary.begin() + std::min(romPart, binary.size()));
  image.resize(romPart, 0);
  std::vector<zorva::rom::Block> blocks;
  size_t unpacked = 0;
  for (const char* block : {"low", "high"}) {
    const size_t start = symbols[std::string("ram_") + block + "_start"];
    const size_t end = symbols[std::string("ram_") + block + "_end"];
    const size_t text = symbols[std::string(block) + "_code_end"];
    if (end < start || end > binary.size() || text < start || text > end)
      return Fail(std::string("bad block ") + block);
    blocks.push_back({static_cast<uint16_t>(start),
                      std::vector<uint8_t>(binary.begin() + start, binary.begin() + end),
                      text - start});
    unpacked += end - start;
  }
  std::vector<uint8_t> packed;
  try {
    packed = zorva::rom::Pack(blocks);
  } catch (const std::invalid_argument& e) {
    return Fail(e.what());
  }
  std::vector<zorva::rom::Extent> extents;
  for (const auto& b : blocks) extents.push_back({b.start, b.bytes.size(), b.text});
  if (zorva::rom::Unpack(packed, extents) != blocks) return Fail("packing lost bytes");
  image.insert(image.end(), packed.begin(), packed.end());
  if (image.size() > kRomSize) {
    return Fail("the image is " + std::to_string(image.size()) + " bytes; it must fit in " +
                std::to_string(kRomSize));
  }
  std::printf("ROM: %zu bytes run from the ROM, %zu bytes of RAM code packed into %zu, %zu free\n",
              romPart, unpacked, image.size() - romPart, kRomSize - image.size());
  image.resize(kRomSize, 0xFF);

  std::ofstream out(argv[3], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  if (!out) return Fail(std::string("cannot write ") + argv[3]);
  return 0;
}

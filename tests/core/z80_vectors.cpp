// Runs the processor core against single-instruction real-Z80 vectors.
//
//   z80_vectors [--require-all]
//
// The folder is $ZORVA_Z80_VECTORS, else the copy next to the source tree; its
// README.md describes the line format. Each vector runs one Step from zeroed
// memory and a port space of 0xFF; the masked registers and all of memory must
// then match. A vector whose step reports an unhandled instruction is skipped,
// or fails under --require-all. Exit status 0 only if every file was read and
// nothing failed or was malformed.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_cpu.h"

namespace {

using zorva::Hi, zorva::Lo, zorva::Word;

constexpr const char* kFiles[] = {"z80-main.txt", "z80-cb.txt", "z80-ed.txt", "z80-dd.txt",
                                  "z80-fd.txt"};
constexpr const char* kNames[] = {"PC", "SP", "A",  "F",  "B",   "C",   "D",   "E",
                                  "H",  "L",  "IX", "IY", "AF'", "BC'", "DE'", "HL'"};
constexpr int kMaxPrinted = 50;

// Parses hex numbers joined by ','. In a cell list, addr:byte pairs, every
// second number follows a ':' and is a byte; any other must be at most `max`.
bool Numbers(std::string_view field, bool cells, unsigned max, std::vector<unsigned>& out) {
  out.clear();
  for (size_t start = 0;;) {
    const size_t end = field.find_first_of(",:", start);
    const std::string_view part = field.substr(start, end - start);
    const bool byte = cells && out.size() % 2 == 1;
    unsigned v = 0;
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), v, 16);
    if (part.empty() || ec != std::errc{} || ptr != part.data() + part.size() ||
        v > (byte ? 0xFF : max)) {
      return false;
    }
    out.push_back(v);
    if (end == std::string_view::npos) return !cells || byte;
    if (field[end] != (cells && !byte ? ':' : ',')) return false;
    start = end + 1;
  }
}

struct Vector {
  std::string name;
  unsigned mask = 0;
  std::vector<unsigned> initial, ram, port, final, finalRam;
};

// Returns an empty string, or what is wrong with the line.
std::string Parse(const std::string& line, Vector& v) {
  std::istringstream in(line);
  std::string t[8];
  int n = 0;
  while (n < 8 && in >> t[n]) ++n;
  if (n != 7) return "expected 7 fields";
  v.name = t[0];
  std::vector<unsigned> mask;
  if (!Numbers(t[1], false, 0x1FFFF, mask) || mask.size() != 1) return "bad mask";
  v.mask = mask[0];
  auto registers = [](const std::string& field, std::vector<unsigned>& out) {
    return Numbers(field, false, 0xFFFF, out) && out.size() == 16 &&
           std::all_of(out.begin() + 2, out.begin() + 10, [](unsigned x) { return x <= 0xFF; });
  };
  if (!registers(t[2], v.initial) || !registers(t[5], v.final)) {
    return "registers must be 16 hex values, bytes for A to L";
  }
  if (!Numbers(t[3], true, 0xFFFF, v.ram) || !Numbers(t[6], true, 0xFFFF, v.finalRam) ||
      (t[4] != "-" && (!Numbers(t[4], true, 0xFFFF, v.port) || v.port.size() != 2))) {
    return "memory and port must be addr:byte cells";
  }
  if (v.ram.size() != v.finalRam.size()) return "initial and final memory differ in length";
  for (size_t i = 0; i < v.ram.size(); i += 2) {
    if (v.ram[i] != v.finalRam[i]) return "final memory lists other addresses than initial";
  }
  return {};
}

zorva::Z80Registers ToRegisters(const std::vector<unsigned>& r) {
  auto b = [&](int i) { return static_cast<uint8_t>(r[i]); };
  zorva::Z80Registers g;
  g.PC = r[0], g.SP = r[1], g.A = b(2), g.F = b(3), g.BC = Word(b(5), b(4));
  g.DE = Word(b(7), b(6)), g.HL = Word(b(9), b(8)), g.IX = r[10], g.IY = r[11];
  g.altA = Hi(r[12]), g.altF = Lo(r[12]), g.altBC = r[13], g.altDE = r[14], g.altHL = r[15];
  return g;
}

std::vector<unsigned> FromRegisters(const zorva::Z80Registers& r) {
  const unsigned af_ = Word(r.altF, r.altA);
  return {r.PC,     r.SP,     r.A,  r.F,  Hi(r.BC), Lo(r.BC), Hi(r.DE), Lo(r.DE),
          Hi(r.HL), Lo(r.HL), r.IX, r.IY, af_,      r.altBC,  r.altDE,  r.altHL};
}

int printed = 0;

void Fail(const std::string& where, const std::string& what) {
  if (++printed <= kMaxPrinted) std::printf("%s: %s\n", where.c_str(), what.c_str());
}

// Runs one vector; returns its faults, or sets `unhandled`.
std::vector<std::string> Run(zorva::testing::TestCpu& t, const Vector& v, std::string& unhandled) {
  for (size_t i = 0; i < v.ram.size(); i += 2)
    t.memory[v.ram[i]] = static_cast<uint8_t>(v.ram[i + 1]);
  if (!v.port.empty()) t.ports[v.port[0]] = static_cast<uint8_t>(v.port[1]);
  t.regs = ToRegisters(v.initial);
  t.links.reports.clear();
  t.cpu.Step();
  if (!v.port.empty()) t.ports[v.port[0]] = 0xFF;
  unhandled = t.links.reports.empty() ? "" : t.links.reports.front();

  std::vector<std::string> faults;
  char text[96];
  const std::vector<unsigned> got = FromRegisters(t.regs);
  for (int i = 0; i < 16; ++i) {
    // AF' is compared in every vector.
    if (((v.mask >> i & 1) || i == 12) && got[i] != v.final[i]) {
      std::snprintf(text, sizeof text, "%s: expected %x, got %x", kNames[i], v.final[i], got[i]);
      faults.emplace_back(text);
    }
  }
  for (size_t i = 0; i < v.finalRam.size(); i += 2) {
    const unsigned address = v.finalRam[i];
    if (t.memory[address] != v.finalRam[i + 1]) {
      std::snprintf(text, sizeof text, "memory[%04x]: expected %02x, got %02x", address,
                    v.finalRam[i + 1], t.memory[address]);
      faults.emplace_back(text);
    }
    t.memory[address] = 0;
  }
  // Every cell the vector does not list must still be zero.
  for (size_t a = 0; a < t.memory.size(); ++a) {
    if (t.memory[a] == 0) continue;
    std::snprintf(text, sizeof text, "memory[%04zx]: expected 00 (not written), got %02x", a,
                  t.memory[a]);
    faults.emplace_back(text);
    t.memory[a] = 0;
  }
  return faults;
}

}  // namespace

int main(int argc, char** argv) {
  const bool requireAll = argc == 2 && std::string(argv[1]) == "--require-all";
  if (argc > 2 || (argc == 2 && !requireAll)) {
    std::printf("usage: %s [--require-all]\n", argv[0]);
    return 2;
  }
  const char* env = std::getenv("ZORVA_Z80_VECTORS");
  const std::string folder = env && *env ? env : ZORVA_Z80_VECTORS_DIR;
  std::printf("vectors from %s\n", folder.c_str());
  auto t = std::make_unique<zorva::testing::TestCpu>();
  bool ok = true;
  for (const char* file : kFiles) {
    std::ifstream in(folder + "/" + file);
    int ran = 0, skipped = 0, failed = 0;
    std::string line, unhandled;
    for (int number = 1; std::getline(in, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      const std::string where = std::string(file) + ":" + std::to_string(number);
      Vector v;
      if (const std::string error = Parse(line, v); !error.empty()) {
        ++failed;
        Fail(where, "malformed vector: " + error);
        continue;
      }
      const std::vector<std::string> faults = Run(*t, v, unhandled);
      if (!unhandled.empty()) {
        if (requireAll) Fail(where + ": " + v.name, "reported as unhandled: " + unhandled);
        ++(requireAll ? failed : skipped);
        continue;
      }
      ++ran;
      if (!faults.empty()) ++failed;
      for (const std::string& fault : faults) Fail(where + ": " + v.name, fault);
    }
    if (ran + skipped + failed == 0) {
      std::printf("error: no vectors in %s/%s (set ZORVA_Z80_VECTORS to the vector folder)\n",
                  folder.c_str(), file);
      ok = false;
    }
    std::printf("%-13s ran %5d  skipped %5d  failed %5d\n", file, ran, skipped, failed);
    ok = ok && failed == 0;
  }
  if (printed > kMaxPrinted) std::printf("... %d more failures not shown\n", printed - kMaxPrinted);
  std::printf("%s\n", ok ? "OK" : "FAILED");
  return ok ? 0 : 1;
}

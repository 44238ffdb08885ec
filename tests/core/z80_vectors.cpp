// Runs the processor core against single-instruction reference vectors.
//
//   z80_vectors [--dir FOLDER] [--require FILE]... [--require-all]
//
// The folder is --dir, else the environment variable ZORVA_Z80_VECTORS, else
// the copy next to the source tree. Each of its five files holds one vector
// per line: a starting state, the instruction bytes, and the state after one
// instruction on a real Z80, restricted to what our processor must agree on.
// The folder's README.md describes the format.
//
// For every vector: memory is zeroed and the port space set to 0xFF, the
// vector's cells and registers are written, Step runs once, and the registers
// selected by the vector's mask, plus all of memory, are compared. A vector
// whose step reports an unhandled instruction is skipped, or fails if its file
// is required. The exit status is 0 only if nothing failed, nothing required
// was skipped and every file was read.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/test_cpu.h"

namespace {

using zorva::Z80Registers;
using zorva::testing::TestCpu;

constexpr std::array<const char*, 5> kFiles = {"z80-main.txt", "z80-cb.txt", "z80-ed.txt",
                                               "z80-dd.txt", "z80-fd.txt"};
constexpr int kMaxPrintedFailures = 50;

// Register fields in the order of the vector format; bit i of a mask selects field i.
enum Field { kPC, kSP, kA, kF, kB, kC, kD, kE, kH, kL, kIX, kIY, kAF_, kBC_, kDE_, kHL_, kFields };
constexpr std::array<const char*, kFields> kFieldNames = {
    "PC", "SP", "A", "F", "B", "C", "D", "E", "H", "L", "IX", "IY", "AF'", "BC'", "DE'", "HL'"};
constexpr bool IsByteField(int i) { return i >= kA && i <= kL; }
constexpr uint32_t kMemoryBit = 1u << 16;

using RegisterValues = std::array<uint16_t, kFields>;

struct Cell {
  uint16_t address;
  uint8_t value;
};

struct Vector {
  std::string name;
  uint32_t mask = 0;
  RegisterValues initial{};
  std::vector<Cell> initialRam;
  std::optional<std::pair<uint16_t, uint8_t>> port;
  RegisterValues final{};
  std::vector<Cell> finalRam;
};

// Reads a whole token as lower-case or upper-case hex no greater than `max`.
bool ParseHex(std::string_view text, uint32_t max, uint32_t& out) {
  if (text.empty() || text.size() > 8) return false;
  uint32_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
  if (ec != std::errc{} || end != text.data() + text.size() || v > max) return false;
  out = v;
  return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

// Each parser returns an empty string on success and a description otherwise.
std::string ParseRegisters(std::string_view text, RegisterValues& out) {
  const auto parts = Split(text, ',');
  if (parts.size() != kFields) {
    return "expected 16 register values, found " + std::to_string(parts.size());
  }
  for (int i = 0; i < kFields; ++i) {
    uint32_t v;
    if (!ParseHex(parts[i], IsByteField(i) ? 0xFF : 0xFFFF, v)) {
      return std::string("bad value '") + std::string(parts[i]) + "' for " + kFieldNames[i];
    }
    out[i] = static_cast<uint16_t>(v);
  }
  return {};
}

std::string ParseCell(std::string_view text, uint32_t maxIndex, uint32_t& index, uint32_t& value) {
  const auto parts = Split(text, ':');
  if (parts.size() != 2 || !ParseHex(parts[0], maxIndex, index) ||
      !ParseHex(parts[1], 0xFF, value)) {
    return "bad cell '" + std::string(text) + "' (expected address:byte in hex)";
  }
  return {};
}

std::string ParseRam(std::string_view text, std::vector<Cell>& out) {
  for (std::string_view part : Split(text, ',')) {
    uint32_t address, value;
    if (std::string error = ParseCell(part, 0xFFFF, address, value); !error.empty()) return error;
    out.push_back({static_cast<uint16_t>(address), static_cast<uint8_t>(value)});
  }
  return {};
}

std::string ParseVector(const std::string& line, Vector& v) {
  std::istringstream in(line);
  std::array<std::string, 7> t;
  for (auto& token : t) {
    if (!(in >> token)) return "expected 7 fields";
  }
  if (std::string extra; in >> extra) return "more than 7 fields";

  v.name = t[0];
  if (!ParseHex(t[1], 0x1FFFF, v.mask)) return "bad mask '" + t[1] + "'";
  if (std::string e = ParseRegisters(t[2], v.initial); !e.empty()) return "initial registers: " + e;
  if (std::string e = ParseRam(t[3], v.initialRam); !e.empty()) return "initial memory: " + e;
  if (t[4] != "-") {
    uint32_t index, value;
    if (std::string e = ParseCell(t[4], 0xFFFF, index, value); !e.empty()) return "port: " + e;
    v.port.emplace(static_cast<uint16_t>(index), static_cast<uint8_t>(value));
  }
  if (std::string e = ParseRegisters(t[5], v.final); !e.empty()) return "final registers: " + e;
  if (std::string e = ParseRam(t[6], v.finalRam); !e.empty()) return "final memory: " + e;
  if (v.finalRam.size() != v.initialRam.size()) return "initial and final memory differ in length";
  for (size_t i = 0; i < v.finalRam.size(); ++i) {
    if (v.finalRam[i].address != v.initialRam[i].address) {
      return "final memory lists other addresses than initial memory";
    }
  }
  return {};
}

void LoadRegisters(const RegisterValues& r, Z80Registers& regs) {
  regs = Z80Registers{};
  regs.PC = r[kPC];
  regs.SP = r[kSP];
  regs.A = static_cast<uint8_t>(r[kA]);
  regs.F = static_cast<uint8_t>(r[kF]);
  regs.BC = zorva::Word(static_cast<uint8_t>(r[kC]), static_cast<uint8_t>(r[kB]));
  regs.DE = zorva::Word(static_cast<uint8_t>(r[kE]), static_cast<uint8_t>(r[kD]));
  regs.HL = zorva::Word(static_cast<uint8_t>(r[kL]), static_cast<uint8_t>(r[kH]));
  regs.IX = r[kIX];
  regs.IY = r[kIY];
  regs.altA = zorva::Hi(r[kAF_]);
  regs.altF = zorva::Lo(r[kAF_]);
  regs.altBC = r[kBC_];
  regs.altDE = r[kDE_];
  regs.altHL = r[kHL_];
}

RegisterValues StoreRegisters(const Z80Registers& regs) {
  using zorva::Hi, zorva::Lo;
  return {regs.PC,
          regs.SP,
          regs.A,
          regs.F,
          Hi(regs.BC),
          Lo(regs.BC),
          Hi(regs.DE),
          Lo(regs.DE),
          Hi(regs.HL),
          Lo(regs.HL),
          regs.IX,
          regs.IY,
          zorva::Word(regs.altF, regs.altA),
          regs.altBC,
          regs.altDE,
          regs.altHL};
}

struct FileCounts {
  int ran = 0;
  int passed = 0;
  int failed = 0;
  int skipped = 0;
  int malformed = 0;
};

class Runner {
 public:
  explicit Runner(std::set<std::string> required, bool requireAll)
      : required_(std::move(required)), requireAll_(requireAll) {}

  // Returns false when the file could not be read at all.
  bool RunFile(const std::string& folder, const std::string& file, FileCounts& counts) {
    const std::string path = folder + "/" + file;
    std::ifstream in(path);
    if (!in) {
      std::printf("error: cannot open %s\n", path.c_str());
      return false;
    }
    const bool required = requireAll_ || required_.count(file) != 0;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
      ++lineNumber;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      Vector v;
      if (std::string error = ParseVector(line, v); !error.empty()) {
        ++counts.malformed;
        Print("%s:%d: malformed vector: %s\n", file.c_str(), lineNumber, error.c_str());
        continue;
      }
      const std::vector<std::string> faults = Run(v);
      if (unhandled_) {
        if (required) {
          ++counts.failed;
          Print("%s:%d: %s: reported as unhandled: %s\n", file.c_str(), lineNumber, v.name.c_str(),
                unhandledMessage_.c_str());
        } else {
          ++counts.skipped;
        }
        continue;
      }
      ++counts.ran;
      if (faults.empty()) {
        ++counts.passed;
        continue;
      }
      ++counts.failed;
      for (const std::string& fault : faults) {
        Print("%s:%d: %s: %s\n", file.c_str(), lineNumber, v.name.c_str(), fault.c_str());
      }
    }
    if (in.bad()) {
      std::printf("error: reading %s failed\n", path.c_str());
      return false;
    }
    return true;
  }

  int Suppressed() const { return suppressed_; }

 private:
  // Executes one vector; leaves memory zeroed and the port space at 0xFF.
  std::vector<std::string> Run(const Vector& v) {
    TestCpu& t = *cpu_;
    for (const Cell& c : v.initialRam) t.memory[c.address] = c.value;
    if (v.port) t.ports[v.port->first] = v.port->second;
    LoadRegisters(v.initial, t.regs);
    t.cpu.traceBranches = false;
    t.links.reports.clear();

    t.cpu.Step();

    if (v.port) t.ports[v.port->first] = 0xFF;
    unhandled_ = !t.links.reports.empty();
    if (unhandled_) unhandledMessage_ = t.links.reports.front();

    std::vector<std::string> faults;
    char text[96];
    const RegisterValues got = StoreRegisters(t.regs);
    for (int i = 0; i < kFields; ++i) {
      const bool compared = (v.mask >> i & 1) != 0 || i == kAF_;
      if (!compared || got[i] == v.final[i]) continue;
      const int width = IsByteField(i) ? 2 : 4;
      std::snprintf(text, sizeof text, "%s: expected %0*x, got %0*x", kFieldNames[i], width,
                    v.final[i], width, got[i]);
      faults.emplace_back(text);
    }
    if (v.mask & kMemoryBit) {
      for (const Cell& c : v.finalRam) {
        if (t.memory[c.address] != c.value) {
          std::snprintf(text, sizeof text, "memory[%04x]: expected %02x, got %02x", c.address,
                        c.value, t.memory[c.address]);
          faults.emplace_back(text);
        }
      }
    }
    // Every cell outside the listed ones must still be zero.
    for (const Cell& c : v.finalRam) t.memory[c.address] = 0;
    int strays = 0;
    for (size_t a = 0; a < t.memory.size(); ++a) {
      if (t.memory[a] == 0) continue;
      if ((v.mask & kMemoryBit) && ++strays <= 4) {
        std::snprintf(text, sizeof text, "memory[%04zx]: expected 00 (not written), got %02x", a,
                      t.memory[a]);
        faults.emplace_back(text);
      }
      t.memory[a] = 0;
    }
    return faults;
  }

  template <typename... Args>
  void Print(const char* format, Args... args) {
    if (printed_ >= kMaxPrintedFailures) {
      ++suppressed_;
      return;
    }
    ++printed_;
    std::printf(format, args...);
  }

  std::set<std::string> required_;
  bool requireAll_;
  std::unique_ptr<TestCpu> cpu_ = std::make_unique<TestCpu>();
  bool unhandled_ = false;
  std::string unhandledMessage_;
  int printed_ = 0;
  int suppressed_ = 0;
};

int Usage(const char* program) {
  std::printf(
      "usage: %s [--dir FOLDER] [--require FILE]... [--require-all]\n"
      "  --dir FOLDER    folder with the vector files (default: $ZORVA_Z80_VECTORS,\n"
      "                  else %s)\n"
      "  --require FILE  a vector of FILE that reaches an unhandled instruction fails\n"
      "                  instead of being skipped; FILE is one of the five vector files\n"
      "  --require-all   as --require for every file\n",
      program, ZORVA_Z80_VECTORS_DIR);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (const char* env = std::getenv("ZORVA_Z80_VECTORS"); env && *env) {
    folder = env;
  } else {
    folder = ZORVA_Z80_VECTORS_DIR;
  }
  std::set<std::string> required;
  bool requireAll = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--require-all") {
      requireAll = true;
    } else if ((arg == "--require" || arg == "--dir") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--dir") {
        folder = value;
      } else if (std::find(kFiles.begin(), kFiles.end(), value) == kFiles.end()) {
        std::printf("error: --require %s: not a vector file\n", value.c_str());
        return Usage(argv[0]);
      } else {
        required.insert(value);
      }
    } else {
      if (arg != "--help" && arg != "-h") std::printf("error: unexpected argument '%s'\n", argv[i]);
      return Usage(argv[0]);
    }
  }

  std::ifstream probe(folder + "/" + kFiles[0]);
  if (!probe) {
    std::printf(
        "error: no vectors at '%s' (cannot open %s there).\n"
        "Set ZORVA_Z80_VECTORS or pass --dir to the folder holding z80-main.txt.\n",
        folder.c_str(), kFiles[0]);
    return 1;
  }
  probe.close();

  std::printf("vectors from %s\n", folder.c_str());
  Runner runner(required, requireAll);
  std::vector<std::pair<const char*, FileCounts>> results;
  bool ok = true;
  FileCounts total;
  for (const char* file : kFiles) {
    FileCounts c;
    if (!runner.RunFile(folder, file, c)) {
      ok = false;
    } else if (c.ran + c.skipped + c.failed + c.malformed == 0) {
      std::printf("error: %s/%s holds no vectors\n", folder.c_str(), file);
      ok = false;
    }
    results.push_back({file, c});
    total.ran += c.ran;
    total.passed += c.passed;
    total.failed += c.failed;
    total.skipped += c.skipped;
    total.malformed += c.malformed;
  }
  if (runner.Suppressed() > 0) std::printf("... %d more failures not shown\n", runner.Suppressed());
  results.push_back({"total", total});
  for (const auto& [name, c] : results) {
    std::printf("%-13s ran %5d  passed %5d  failed %4d  skipped (unimplemented) %5d", name, c.ran,
                c.passed, c.failed, c.skipped);
    if (c.malformed > 0) std::printf("  malformed %d", c.malformed);
    std::printf("\n");
  }
  if (total.failed > 0 || total.malformed > 0) ok = false;
  std::printf("%s\n", ok ? "OK" : "FAILED");
  return ok ? 0 : 1;
}

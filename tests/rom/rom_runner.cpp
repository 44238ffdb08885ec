#include "tests/rom/rom_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace zorva::romtest {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  const std::string text = ReadText(path);
  return {text.begin(), text.end()};
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A scratch folder that goes away with the run.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "zorva-rom-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Runs argv[0] with the arguments, standard output and error to files, and
// returns its exit status (or -1 when it did not exit normally).
int RunProcess(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0) _exit(126);
    dup2(o, STDOUT_FILENO);
    dup2(e, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Shifted(char c) {
  return (c >= 'A' && c <= 'Z') || std::strchr("!@#$%^&*()_+~:<>?", c) != nullptr;
}

std::vector<uint16_t> TracePcs(const fs::path& path) {
  std::vector<uint16_t> pcs;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("PC:", 0) != 0) continue;
    pcs.push_back(static_cast<uint16_t>(std::strtoul(line.c_str() + 3, nullptr, 16)));
  }
  return pcs;
}

}  // namespace

std::string RunResult::Row(int r) const {
  std::string row = rows.at(static_cast<size_t>(r));
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

std::vector<std::string> RunResult::StderrLines(const std::string& prefix) const {
  std::vector<std::string> lines;
  std::istringstream in(stderrText);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

uint64_t KeyEventCount(const std::string& text) {
  uint64_t events = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'b')) ++i;
    events += Shifted(text[i]) ? 4 : 2;
  }
  return events;
}

RunResult RunRom(const RunRequest& request) {
  ScratchDir dir;
  const fs::path out = dir.path() / "screen.txt";
  const fs::path err = dir.path() / "stderr.txt";
  const fs::path dump = dir.path() / "memory.bin";
  const fs::path trace = dir.path() / "trace.log";

  const uint64_t steps = KeyEventCount(request.type) * request.keyGap + request.extraSteps;
  std::vector<std::string> args = {
      ZORVA_RUN,  "--steps", std::to_string(steps), "--key-gap", std::to_string(request.keyGap),
      "--screen", "--dump",  dump.string()};
  if (!request.type.empty()) {
    args.push_back("--type");
    args.push_back(request.type);
  }
  if (request.cartridge) {
    const fs::path cart = dir.path() / "cart.bin";
    WriteBytes(cart, *request.cartridge);
    args.push_back("--cart");
    args.push_back(cart.string());
  }
  if (request.trace) {
    args.push_back("--trace");
    args.push_back(trace.string());
  }
  args.push_back(ZORVA_ROM_IMAGE);

  RunResult result;
  result.status = RunProcess(args, out, err);
  result.stderrText = ReadText(err);
  result.memory = ReadBytes(dump);
  std::istringstream screen(ReadText(out));
  std::string line;
  while (std::getline(screen, line)) result.rows.push_back(line);
  if (request.trace) result.pcs = TracePcs(trace);
  return result;
}

std::vector<uint8_t> RomImage() { return ReadBytes(ZORVA_ROM_IMAGE); }

uint16_t Symbol(const std::string& name) {
  // pasmo's symbol file: "name<tabs>EQU 0ABCDH".
  std::ifstream in(ZORVA_ROM_SYMBOLS);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string symbol, equ, value;
    if (!(fields >> symbol >> equ >> value) || symbol != name || equ != "EQU") continue;
    if (!value.empty() && (value.back() == 'H' || value.back() == 'h')) value.pop_back();
    return static_cast<uint16_t>(std::strtoul(value.c_str(), nullptr, 16));
  }
  throw std::runtime_error("symbol " + name + " not in " ZORVA_ROM_SYMBOLS);
}

}  // namespace zorva::romtest

#include "run/basic_files.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "run/basic_listing.h"

namespace zorva {
namespace {

using Memory = std::span<uint8_t, 65536>;

uint16_t Word(Memory m, uint16_t at) {
  return static_cast<uint16_t>(m[at] | m[static_cast<uint16_t>(at + 1)] << 8);
}

void PutWord(Memory m, uint16_t at, uint16_t v) {
  m[at] = static_cast<uint8_t>(v);
  m[static_cast<uint16_t>(at + 1)] = static_cast<uint8_t>(v >> 8);
}

// The statement's own errors, beside BASIC's: a bad name, no such file, not
// a program, the write failed.
constexpr uint16_t kSyntax = 'S' | 'N' << 8;
constexpr uint16_t kBadName = 'B' | 'N' << 8;
constexpr uint16_t kNoFile = 'F' | 'F' << 8;
constexpr uint16_t kNotProgram = 'N' | 'P' << 8;
constexpr uint16_t kWriteError = 'W' | 'E' << 8;

enum Statement { kSave, kLoad, kFiles, kCsave, kCload, kStatements };

// The rest of a statement as BASIC stored it: a name in quotes (the closing
// quote may be missing at the end of the line), for LOAD a ",R", then its end.
struct Parsed {
  bool ok = false;
  std::string name;
  bool run = false;
  uint16_t end = 0;  // the 0 or colon after it
};

class Reader {
 public:
  Reader(Memory m, uint16_t at) : m_(m), at_(at) {}
  uint8_t Peek() const { return m_[at_]; }
  void Skip() { ++at_; }
  void Spaces() {
    for (int n = 0; n < 256 && Peek() == ' '; ++n) Skip();
  }
  uint16_t at() const { return at_; }

 private:
  Memory m_;
  uint16_t at_;
};

Parsed Parse(Memory m, uint16_t at, bool named, bool withRun) {
  Parsed p;
  Reader r(m, at);
  r.Spaces();
  if (named) {
    if (r.Peek() != '"') return p;
    r.Skip();
    // A line holds at most a few hundred bytes: a name without its end is
    // cut off there, and then refused as too long.
    for (int n = 0; n < 256 && r.Peek() != '"' && r.Peek() != 0; ++n) {
      p.name += static_cast<char>(r.Peek());
      r.Skip();
    }
    if (r.Peek() == '"') r.Skip();
    r.Spaces();
    if (withRun && r.Peek() == ',') {
      r.Skip();
      r.Spaces();
      if (r.Peek() != 'R' && r.Peek() != 'r') return p;
      r.Skip();
      p.run = true;
      r.Spaces();
    }
  }
  if (r.Peek() != 0 && r.Peek() != ':') return p;
  p.ok = true;
  p.end = r.at();
  return p;
}

constexpr char kMore[] = "MORE: ANY KEY, CTRL+C STOPS";

// A name and its size in bytes, the sizes ending in column 20 (a name has
// 12 characters at most, a size a space before it at least).
std::string Row(const ProgramFileInfo& file) {
  const std::string size = std::to_string(file.size);
  std::string row = file.name;
  row.append(std::max<size_t>(1, 20 - std::min<size_t>(20, row.size() + size.size())), ' ');
  return row + size + "\r";
}

}  // namespace

bool BasicFiles::Serve(Memory memory, ProgramFiles* store) {
  // The last byte first: it is what the ROM writes last and the host clears,
  // and looking at it alone is cheap enough for every pump.
  if (memory[kSignature + kSignatureSize - 1] != kSignatureText[kSignatureSize - 1] ||
      std::memcmp(&memory[kSignature], kSignatureText, kSignatureSize) != 0)
    return doing_ != Doing::Nothing;
  Info info{};
  info.program = Word(memory, kInfo + 0);
  info.keywords = Word(memory, kInfo + 2);
  info.buffer = Word(memory, kInfo + 4);
  info.bufferSize = memory[kInfo + 6];
  info.firstToken = memory[kInfo + 7];
  info.keepFrom = Word(memory, kInfo + 8);
  info.keepTo = Word(memory, kInfo + 10);
  for (int k = 0; k < 8; ++k)
    info.routines[k] = Word(memory, static_cast<uint16_t>(kInfo + 12 + 2 * k));

  Answer answer{Routine::Ready};
  // A block that cannot be ours (a buffer too small for a row or running
  // past the top of memory, an empty range to keep) is sent back to OK.
  if (info.bufferSize >= 40 && info.buffer + info.bufferSize < 0x10000 &&
      info.keepFrom < info.keepTo)
    answer = Handle(memory, info, store);
  else Reset(memory);
  PutWord(memory, kGo, info.routines[static_cast<int>(answer.routine)]);
  PutWord(memory, kDE, answer.de);
  PutWord(memory, kHL, answer.hl);
  memory[kSignature + kSignatureSize - 1] = 0;  // answered
  return doing_ != Doing::Nothing;
}

void BasicFiles::Forget(Memory memory) {
  if (std::memcmp(&memory[kSignature], kSignatureText, kSignatureSize) == 0)
    memory[kSignature + kSignatureSize - 1] = 0;
  Reset(memory);
}

void BasicFiles::Reset(Memory memory) {
  if (doing_ == Doing::Loading) memory[kLoading] = 0;
  doing_ = Doing::Nothing;
  lines_.clear();
  kept_.clear();
  steps_.clear();
}

BasicFiles::Answer BasicFiles::Handle(Memory memory, const Info& info, ProgramFiles* store) {
  const uint8_t request = memory[kRequest];
  if (request >= info.firstToken && request - info.firstToken < kStatements)
    return Start(memory, info, store);
  if (request == kLineFailed) {
    // The ROM's error routine, with LOAD's flag set: a line did not go in,
    // so the program as it was comes back. A flag set by anyone else just
    // lets the error through.
    Answer answer{Routine::Error, 0, Word(memory, kHL)};
    if (doing_ == Doing::Loading) {
      std::copy(kept_.begin(), kept_.end(), memory.begin() + keepFrom_);
      answer.hl = kNotProgram;
    }
    memory[kLoading] = 0;
    Reset(memory);
    return answer;
  }
  if (request == kGoOn && doing_ == Doing::Loading) return GoOnLoading(memory, info);
  if (request == kGoOn && doing_ == Doing::Listing) return GoOnListing(memory, info);
  Reset(memory);  // nothing under way to go on with
  return {Routine::Ready};
}

BasicFiles::Answer BasicFiles::Start(Memory memory, const Info& info, ProgramFiles* store) {
  Reset(memory);
  const int statement = memory[kRequest] - info.firstToken;
  const bool named = statement != kFiles;
  const bool loading = statement == kLoad || statement == kCload;
  const Parsed p = Parse(memory, Word(memory, kDE), named, loading);
  if (!p.ok) return {Routine::Error, 0, kSyntax};
  if (!named) return Files(memory, info, store, p.end);
  const std::optional<std::string> name = ProgramFileName(p.name);
  if (!name) return {Routine::Error, 0, kBadName};
  if (loading) return Load(memory, info, store, *name, p.run);

  const std::optional<std::string> listing = ListProgram(memory, info.program, info.keywords);
  if (!listing) return {Routine::Error, 0, kNotProgram};
  if (!store || store->Write(*name, *listing) != FileError::None)
    return {Routine::Error, 0, kWriteError};
  return {Routine::Done, p.end};
}

BasicFiles::Answer BasicFiles::Load(Memory memory, const Info& info, ProgramFiles* store,
                                    const std::string& name, bool run) {
  std::string bytes;
  const FileError error = store ? store->Read(name, bytes) : FileError::NoFile;
  if (error == FileError::NoFile) return {Routine::Error, 0, kNoFile};
  if (error != FileError::None) return {Routine::Error, 0, kNotProgram};
  std::optional<std::vector<ProgramLine>> lines = ProgramLines(bytes, info.bufferSize);
  if (!lines) return {Routine::Error, 0, kNotProgram};
  // From here on the program goes: NEW, then the lines one by one.
  lines_ = std::move(*lines);
  nextLine_ = 0;
  run_ = run;
  keepFrom_ = info.keepFrom;
  kept_.assign(memory.begin() + info.keepFrom, memory.begin() + info.keepTo);
  memory[kLoading] = 1;
  doing_ = Doing::Loading;
  return {Routine::New};
}

BasicFiles::Answer BasicFiles::GoOnLoading(Memory memory, const Info& info) {
  if (nextLine_ == lines_.size()) {
    const Routine then = run_ ? Routine::Run : Routine::Ready;
    Reset(memory);
    return {then};
  }
  const ProgramLine& line = lines_[nextLine_++];
  // What follows the number goes to the buffer, as if typed after it.
  size_t text = line.text.find_first_not_of(' ');
  text = line.text.find_first_not_of("0123456789", text);
  if (text == std::string::npos) text = line.text.size();
  const size_t length = std::min<size_t>(line.text.size() - text, info.bufferSize);
  std::copy_n(line.text.begin() + static_cast<std::ptrdiff_t>(text), length,
              memory.begin() + info.buffer);
  memory[info.buffer + length] = 0;
  return {Routine::Store, info.buffer, line.number};
}

BasicFiles::Answer BasicFiles::Files(Memory memory, const Info& info, ProgramFiles* store,
                                     uint16_t end) {
  const std::vector<ProgramFileInfo> files = store ? store->List() : std::vector<ProgramFileInfo>{};
  for (size_t k = 0; k < files.size(); ++k) {
    if (k > 0 && k % kNamesPerPage == 0) {
      steps_.push_back({false, kMore});
      steps_.push_back({true, ""});
      steps_.push_back({false, "\r"});
    }
    steps_.push_back({false, Row(files[k])});
  }
  steps_.push_back(
      {false, std::to_string(files.size()) + (files.size() == 1 ? " FILE\r" : " FILES\r")});
  nextStep_ = 0;
  end_ = end;
  doing_ = Doing::Listing;
  return GoOnListing(memory, info);
}

BasicFiles::Answer BasicFiles::GoOnListing(Memory memory, const Info& info) {
  // After the key that ends a page: Ctrl+C drops the rest.
  if (nextStep_ > 0 && steps_[nextStep_ - 1].key && memory[kA] == 3) {
    steps_.resize(nextStep_);
    steps_.push_back({false, "\r"});
  }
  if (nextStep_ == steps_.size()) {
    const uint16_t end = end_;
    Reset(memory);
    return {Routine::Done, end};
  }
  const Step& step = steps_[nextStep_++];
  if (step.key) return {Routine::Key};
  const size_t length = std::min<size_t>(step.text.size(), info.bufferSize);
  std::copy_n(step.text.begin(), length, memory.begin() + info.buffer);
  memory[info.buffer + length] = 0;
  return {Routine::Print, 0, info.buffer};
}

}  // namespace zorva

// The host's half of SAVE, LOAD and FILES (run/basic_files.h) against a
// request block written by hand: only a whole signature sets it off, a block
// that cannot be our ROM's is sent back to OK without touching a file, and a
// request left unanswered at a reset is dropped. The ROM's side, and every
// statement as a user types it, is tested in tests/rom/basic_files_test.cpp.
#include "run/basic_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>

namespace zorva {
namespace {

using Memory = std::array<uint8_t, 65536>;

class FakeStore final : public ProgramFiles {
 public:
  FileError Read(std::string_view name, std::string& bytes) override {
    ++calls;
    const auto it = files.find(std::string(name));
    if (it == files.end()) return FileError::NoFile;
    bytes = it->second;
    return FileError::None;
  }
  FileError Write(std::string_view name, std::string_view bytes) override {
    ++calls;
    files[std::string(name)] = bytes;
    return FileError::None;
  }
  std::vector<ProgramFileInfo> List() override {
    ++calls;
    return {};
  }
  std::map<std::string, std::string> files;
  int calls = 0;
};

constexpr uint8_t kSave = 0x9A;
constexpr uint16_t kText = 0x5000;  // the statement's text
constexpr uint16_t kProgram = 0x6000;
constexpr uint16_t kRoutines[8] = {0x100, 0x101, 0x102, 0x103, 0x104, 0x105, 0x106, 0x107};

void Put(Memory& m, uint16_t at, uint16_t v) {
  m[at] = static_cast<uint8_t>(v);
  m[at + 1] = static_cast<uint8_t>(v >> 8);
}
uint16_t Get(const Memory& m, uint16_t at) { return static_cast<uint16_t>(m[at] | m[at + 1] << 8); }

// A block as our ROM leaves it for SAVE "A", with an empty program and an
// empty keyword table.
std::unique_ptr<Memory> SaveRequest() {
  auto m = std::make_unique<Memory>();
  (*m)[BasicFiles::kRequest] = kSave;
  Put(*m, BasicFiles::kDE, kText);
  std::memcpy(&(*m)[kText], "\"A\"", 4);
  const uint16_t info = BasicFiles::kInfo;
  Put(*m, info + 0, kProgram);
  Put(*m, info + 2, 0x7000);  // keywords: none
  Put(*m, info + 4, 0x3D00);  // buffer
  (*m)[info + 6] = 160;
  (*m)[info + 7] = kSave;
  Put(*m, info + 8, 0x3C00);
  Put(*m, info + 10, 0xC000);
  for (int k = 0; k < 8; ++k) Put(*m, static_cast<uint16_t>(info + 12 + 2 * k), kRoutines[k]);
  std::memcpy(&(*m)[BasicFiles::kSignature], BasicFiles::kSignatureText,
              BasicFiles::kSignatureSize);
  return m;
}

TEST(FileRequests, OnlyAWholeSignatureIsARequest) {
  for (size_t k = 0; k < BasicFiles::kSignatureSize; ++k) {
    SCOPED_TRACE(k);
    auto m = SaveRequest();
    (*m)[BasicFiles::kSignature + k] ^= 0x20;  // "zORVA", "ZORVa", "\r" as "-"...
    const Memory before = *m;
    FakeStore store;
    BasicFiles files;
    EXPECT_FALSE(files.Serve(*m, &store));
    EXPECT_EQ(*m, before);
    EXPECT_EQ(store.calls, 0);
  }
}

TEST(FileRequests, ARequestIsAnsweredOnce) {
  auto m = SaveRequest();
  FakeStore store;
  BasicFiles files;
  EXPECT_FALSE(files.Serve(*m, &store));
  EXPECT_EQ(store.files["A"], "");
  EXPECT_EQ(Get(*m, BasicFiles::kGo), kRoutines[0]);  // done: on with the statement
  EXPECT_EQ(Get(*m, BasicFiles::kDE), kText + 3);     // after the name
  EXPECT_EQ((*m)[BasicFiles::kSignature + BasicFiles::kSignatureSize - 1], 0);
  const Memory answered = *m;
  files.Serve(*m, &store);
  EXPECT_EQ(*m, answered);
  EXPECT_EQ(store.calls, 1);
}

TEST(FileRequests, ABlockThatCannotBeOursGoesBackToOkUntouched) {
  const struct {
    const char* name;
    uint16_t at;
    uint16_t value;
  } cases[] = {
      {"a buffer too small for a row", BasicFiles::kInfo + 6, 8},
      {"a buffer past the top of memory", BasicFiles::kInfo + 4, 0xFFA0},
      {"nothing to put back", BasicFiles::kInfo + 10, 0x3C00},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = SaveRequest();
    if (c.at == BasicFiles::kInfo + 6) (*m)[c.at] = static_cast<uint8_t>(c.value);
    else Put(*m, c.at, c.value);
    FakeStore store;
    BasicFiles files;
    EXPECT_FALSE(files.Serve(*m, &store));
    EXPECT_EQ(Get(*m, BasicFiles::kGo), kRoutines[7]);  // ready
    EXPECT_EQ(store.calls, 0);
  }
}

TEST(FileRequests, ALoadUnderWayIsDroppedAtAReset) {
  auto m = SaveRequest();
  (*m)[BasicFiles::kRequest] = kSave + 1;  // LOAD "A"
  FakeStore store;
  store.files["A"] = "10 PRINT 1\n20 END\n";
  BasicFiles files;
  EXPECT_TRUE(files.Serve(*m, &store));
  EXPECT_EQ(Get(*m, BasicFiles::kGo), kRoutines[4]);  // NEW first
  EXPECT_NE((*m)[BasicFiles::kLoading], 0);
  // The ROM asks on, and is reset before it is answered.
  (*m)[BasicFiles::kRequest] = BasicFiles::kGoOn;
  (*m)[BasicFiles::kSignature + BasicFiles::kSignatureSize - 1] = '\r';
  files.Forget(*m);
  EXPECT_EQ((*m)[BasicFiles::kLoading], 0);
  EXPECT_EQ((*m)[BasicFiles::kSignature + BasicFiles::kSignatureSize - 1], 0);
  EXPECT_FALSE(files.Serve(*m, &store));
}

}  // namespace
}  // namespace zorva

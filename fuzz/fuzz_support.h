// Helpers shared by the fuzz targets: a failed-invariant report that libFuzzer
// turns into a crash artifact, a reader that takes an input from the front
// (so that hand-made seeds are easy to write), a small generator for filling
// 64 KiB from a seed, and byte arrays fenced in by inaccessible pages.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zorva::fuzz {

// Reports a broken invariant and aborts, so that libFuzzer saves the input.
// Unlike assert() this stays on in release builds.
[[noreturn]] inline void Fail(const char* file, int line, const char* format, ...) {
  std::fprintf(stderr, "\n%s:%d: invariant broken: ", file, line);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::abort();
}

#define ZORVA_CHECK(condition, ...)                                         \
  do {                                                                      \
    if (!(condition)) ::zorva::fuzz::Fail(__FILE__, __LINE__, __VA_ARGS__); \
  } while (0)

// Takes bytes from the front of an input; past the end every byte is 0.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t Word() {
    const uint8_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  uint64_t Quad() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(Byte()) << (8 * i);
    return v;
  }
  // Whatever has not been read yet.
  const uint8_t* rest() const { return data_ + pos_; }
  size_t restSize() const { return pos_ < size_ ? size_ - pos_ : 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// SplitMix64: enough to turn an 8-byte seed into 64 KiB of varied bytes.
class Generator {
 public:
  explicit Generator(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  void Fill(uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; i += 8) {
      uint64_t v = Next();
      for (size_t j = i; j < i + 8 && j < size; ++j, v >>= 8) bytes[j] = static_cast<uint8_t>(v);
    }
  }

 private:
  uint64_t state_;
};

// A byte array with 64 KiB of inaccessible address space on either side: any
// access that strays out of it, even by a whole 64 KiB, faults on the spot
// (AddressSanitizer's red zones only catch near misses). The array itself can
// be made read-only, which turns a stray write into a fault at the writer.
class FencedBytes {
 public:
  explicit FencedBytes(size_t size) : size_(RoundUp(size)) {
    base_ = static_cast<uint8_t*>(
        mmap(nullptr, size_ + 2 * kFence, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (base_ == MAP_FAILED) Fail(__FILE__, __LINE__, "mmap of %zu bytes failed", size_);
    data_ = base_ + kFence;
    SetWritable(true);
  }
  ~FencedBytes() { munmap(base_, size_ + 2 * kFence); }
  FencedBytes(const FencedBytes&) = delete;
  FencedBytes& operator=(const FencedBytes&) = delete;

  uint8_t* data() { return data_; }
  void SetWritable(bool writable) {
    if (mprotect(data_, size_, writable ? PROT_READ | PROT_WRITE : PROT_READ) != 0)
      Fail(__FILE__, __LINE__, "mprotect failed");
  }

 private:
  static constexpr size_t kFence = 65536;
  static size_t RoundUp(size_t size) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (size + page - 1) / page * page;
  }

  size_t size_;
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
};

}  // namespace zorva::fuzz

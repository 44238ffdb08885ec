#include "rom/pack.h"

#include <algorithm>
#include <limits>

namespace zorva::rom {
namespace {

// Offsets reach back no further than this: our RAM code is well below it.
constexpr size_t kMaxOffset = 0x8000;

int GammaBits(size_t v) {
  int bits = 1;
  for (; v > 1; v >>= 1) bits += 2;
  return bits;
}

int MatchBits(size_t offset, size_t length) {
  return GammaBits(((offset - 1) >> 8) + 1) + 8 + GammaBits(length - 1);
}

// Bits and bytes in the order the decoder takes them: a bit byte is placed
// when its first bit is written, raw bytes after whatever precedes them.
class StreamWriter {
 public:
  explicit StreamWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Bit(int b) {
    if (used_ == 8) {
      at_ = out_.size();
      out_.push_back(0);
      used_ = 0;
    }
    if (b) out_[at_] |= static_cast<uint8_t>(0x80 >> used_);
    ++used_;
  }
  void Gamma(size_t v) {
    int top = 0;
    while ((v >> (top + 1)) != 0) ++top;
    for (int k = top - 1; k >= 0; --k) {
      Bit(0);
      Bit(static_cast<int>((v >> k) & 1));
    }
    Bit(1);
  }
  void Byte(uint8_t b) { out_.push_back(b); }

 private:
  std::vector<uint8_t>& out_;
  size_t at_ = 0;
  int used_ = 8;
};

class StreamReader {
 public:
  explicit StreamReader(const std::vector<uint8_t>& in) : in_(in) {}
  std::optional<int> Bit() {
    if (left_ == 0) {
      if (pos_ >= in_.size()) return std::nullopt;
      bits_ = in_[pos_++];
      left_ = 8;
    }
    --left_;
    return (bits_ >> left_) & 1;
  }
  std::optional<size_t> Gamma() {
    size_t v = 1;
    for (;;) {
      const auto stop = Bit();
      if (!stop) return std::nullopt;
      if (*stop) return v;
      const auto b = Bit();
      if (!b || v > 0xFFFF) return std::nullopt;
      v = v * 2 + static_cast<size_t>(*b);
    }
  }
  std::optional<uint8_t> Byte() {
    if (pos_ >= in_.size()) return std::nullopt;
    return in_[pos_++];
  }

 private:
  const std::vector<uint8_t>& in_;
  size_t pos_ = 0;
  uint8_t bits_ = 0;
  int left_ = 0;
};

struct Step {
  size_t length = 0;  // 0: nothing chosen (only at the end)
  size_t offset = 0;  // 0: literals
};

}  // namespace

std::vector<uint8_t> Pack(const std::vector<uint8_t>& data) {
  const size_t n = data.size();
  constexpr int kNever = std::numeric_limits<int>::max() / 2;
  // cost[s][i]: bits to finish from byte i; s = 1 right after literals,
  // where only a match may follow and it needs no flag.
  std::vector<int> cost[2] = {std::vector<int>(n + 1, kNever), std::vector<int>(n + 1, kNever)};
  std::vector<Step> choice[2] = {std::vector<Step>(n + 1), std::vector<Step>(n + 1)};
  cost[0][n] = cost[1][n] = 0;

  for (size_t i = n; i-- > 0;) {
    // Matches: for each length, the nearest source is the cheapest.
    size_t longest = 1;
    for (size_t j = i; j-- > 0 && i - j <= kMaxOffset;) {
      if (data[j] != data[i]) continue;
      size_t len = 0;
      while (i + len < n && data[j + len] == data[i + len]) ++len;
      for (size_t l = longest + 1; l <= len; ++l) {
        const int bits = MatchBits(i - j, l) + cost[0][i + l];
        if (bits < cost[1][i]) {
          cost[1][i] = bits;
          choice[1][i] = {l, i - j};
        }
        if (bits + 1 < cost[0][i]) {
          cost[0][i] = bits + 1;
          choice[0][i] = {l, i - j};
        }
      }
      longest = std::max(longest, len);
      if (i + longest == n) break;
    }
    for (size_t k = 1; i + k <= n; ++k) {
      if (cost[1][i + k] >= kNever) continue;
      const int bits = 1 + GammaBits(k) + 8 * static_cast<int>(k) + cost[1][i + k];
      if (bits < cost[0][i]) {
        cost[0][i] = bits;
        choice[0][i] = {k, 0};
      }
    }
  }

  std::vector<uint8_t> out;
  StreamWriter w(out);
  for (size_t i = 0, s = 0; i < n;) {
    const Step step = choice[s][i];
    if (step.offset == 0) {
      w.Bit(0);
      w.Gamma(step.length);
      for (size_t k = 0; k < step.length; ++k) w.Byte(data[i + k]);
      s = 1;
    } else {
      if (s == 0) w.Bit(1);
      w.Gamma(((step.offset - 1) >> 8) + 1);
      w.Byte(static_cast<uint8_t>((step.offset - 1) & 0xFF));
      w.Gamma(step.length - 1);
      s = 0;
    }
    i += step.length;
  }
  return out;
}

std::optional<std::vector<uint8_t>> Unpack(const std::vector<uint8_t>& packed, size_t length) {
  std::vector<uint8_t> out;
  StreamReader r(packed);
  bool afterLiterals = false;
  while (out.size() < length) {
    bool match = afterLiterals;
    if (!afterLiterals) {
      const auto flag = r.Bit();
      if (!flag) return std::nullopt;
      match = *flag != 0;
    }
    if (!match) {
      const auto n = r.Gamma();
      if (!n) return std::nullopt;
      for (size_t k = 0; k < *n; ++k) {
        const auto b = r.Byte();
        if (!b) return std::nullopt;
        out.push_back(*b);
      }
      afterLiterals = true;
    } else {
      const auto hi = r.Gamma();
      const auto lo = hi ? r.Byte() : std::nullopt;
      const auto n = lo ? r.Gamma() : std::nullopt;
      if (!n) return std::nullopt;
      const size_t offset = (*hi - 1) * 256 + *lo + 1;
      if (offset > out.size()) return std::nullopt;
      for (size_t k = 0; k < *n + 1; ++k) out.push_back(out[out.size() - offset]);
      afterLiterals = false;
    }
    if (out.size() > length) return std::nullopt;
  }
  return out;
}

}  // namespace zorva::rom

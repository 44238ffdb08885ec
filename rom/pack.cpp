#include "rom/pack.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace zorva::rom {
namespace {

// Offsets reach back no further than this: our RAM code is well below it.
constexpr size_t kMaxOffset = 0x8000;
// Parses, each priced by the statistics of the one before.
constexpr int kPasses = 6;

// The probabilities, laid out as unpack.asm keeps them from its model page.
constexpr int kIsMatch = 0x00;  // + 1 after a match + 2 * the byte's place
constexpr int kNewOffset = 0x10;
constexpr int kOffsetHigh = 0x20;  // gamma codes: 2 per step
constexpr int kLength = 0x40;
constexpr int kGammaSteps = 16;
constexpr int kOffsetLow = 0x100;  // trees: 255 probabilities from + 1
constexpr int kLiteral = 0x200;    // + 256 * the byte's place
constexpr int kText = 7;
constexpr int kPlaces = 8;
constexpr int kContexts = kLiteral + 256 * kPlaces;

// A byte's place in the instruction it belongs to, read as straight-line
// code from the first block's start on: 0 an opcode (DD and FD are read as
// opcodes of their own), 1 an 8-bit operand, 2 an address's low byte, 3 the
// high byte of a data address, 4 that of a jump or call target, 5 a relative
// jump's displacement, 6 the opcode after CB or ED. Bytes of a block's text
// part are place kText, though the reader goes on reading them as code (as
// the unpacker does, which keeps one reader for everything).
class Places {
 public:
  int Next() const { return queue_ & 15; }
  void Put(uint8_t b) { queue_ = Next() != 0 ? queue_ >> 4 : Operands(b); }

 private:
  // The places of the bytes after an opcode, the first in the low nibble.
  static uint8_t Operands(uint8_t op) {
    if (op == 0xC3 || op == 0xCD || (op & 0xC7) == 0xC2 || (op & 0xC7) == 0xC4) return 0x42;
    if (op == 0xCB || op == 0xED) return 6;
    if ((op & 0xC7) == 0x06 || (op & 0xC7) == 0xC6) return 1;
    if ((op & 0xC7) == 0 && op >= 0x10) return 5;
    if ((op & 0xCF) == 0x01 || (op & 0xE7) == 0x22) return 0x32;
    return 0;
  }
  uint8_t queue_ = 0;
};

std::vector<int> PlacesOf(const Block& block, Places& p) {
  std::vector<int> places;
  for (size_t i = 0; i < block.bytes.size(); ++i) {
    places.push_back(i >= block.text ? kText : p.Next());
    p.Put(block.bytes[i]);
  }
  return places;
}

// The chance of a 1 in 256ths, in 1..255 by the rounding of the update.
struct Model {
  Model() { p.fill(128); }
  void Update(int ctx, int bit) {
    if (bit) p[ctx] = static_cast<uint8_t>(p[ctx] + ((264 - p[ctx]) >> 4));
    else p[ctx] = static_cast<uint8_t>(p[ctx] - ((p[ctx] + 8) >> 4));
  }
  std::array<uint8_t, kContexts> p;
};

struct Decision {
  uint8_t p;
  uint8_t bit;
};

struct Token {
  size_t length;
  size_t offset;  // 0: a literal
  bool repeat;    // the last offset again
};

// How often each context saw each bit in a pass, for pricing the next one.
using Counts = std::vector<std::array<double, 2>>;

// Bits of each decision as the last pass's statistics put them; 1 each
// before there are any.
class Prices {
 public:
  explicit Prices(const Counts* counts) {
    for (int ctx = 0; ctx < kContexts; ++ctx) {
      for (int b = 0; b < 2; ++b) {
        bits_[ctx][b] =
            counts ? -std::log2((*counts)[ctx][b] / ((*counts)[ctx][0] + (*counts)[ctx][1])) : 1.0;
      }
    }
    for (int place = 0; place < kPlaces; ++place) {
      for (int byte = 0; byte < 256; ++byte)
        literal_[place][byte] = Tree(kLiteral + 256 * place, static_cast<uint8_t>(byte));
    }
  }
  double Bit(int ctx, int b) const { return bits_[ctx][b]; }
  double Gamma(int ctx, size_t v) const {
    int top = 0;
    while ((v >> (top + 1)) != 0) ++top;
    double sum = 0;
    for (int k = 0; k < top; ++k)
      sum += Bit(ctx + 2 * k, 1) + Bit(ctx + 2 * k + 1, static_cast<int>((v >> (top - 1 - k)) & 1));
    return sum + Bit(ctx + 2 * top, 0);
  }
  double Tree(int ctx, uint8_t byte) const {
    double sum = 0;
    for (int k = 7, node = 1; k >= 0; --k) {
      const int b = (byte >> k) & 1;
      sum += Bit(ctx + node, b);
      node = node * 2 + b;
    }
    return sum;
  }
  double Literal(int place, uint8_t byte) const { return literal_[place][byte]; }
  double Offset(size_t offset) const {
    return Gamma(kOffsetHigh, ((offset - 1) >> 8) + 1) +
           Tree(kOffsetLow, static_cast<uint8_t>((offset - 1) & 0xFF));
  }

 private:
  std::array<std::array<double, 2>, kContexts> bits_;
  std::array<std::array<double, 256>, kPlaces> literal_;
};

// For each position, the nearest source for each longer match: (length,
// offset) pairs, lengths rising.
using Matches = std::vector<std::vector<std::pair<size_t, size_t>>>;

Matches FindMatches(const std::vector<uint8_t>& data) {
  const size_t n = data.size();
  Matches matches(n);
  std::vector<size_t> head(65536, SIZE_MAX), prev(n, SIZE_MAX);
  for (size_t i = 0; i + 1 < n; ++i) {
    const size_t key = data[i] | data[i + 1] << 8;
    size_t longest = 1;
    for (size_t j = head[key]; j != SIZE_MAX && i - j <= kMaxOffset; j = prev[j]) {
      size_t len = 2;
      while (i + len < n && data[j + len] == data[i + len]) ++len;
      if (len > longest) {
        matches[i].push_back({len, i - j});
        longest = len;
        if (i + len == n) break;
      }
    }
    prev[i] = head[key];
    head[key] = i;
  }
  return matches;
}

// What the coder carries from one block into the next.
struct Carry {
  int s = 0;        // 1 when a match came last
  size_t last = 0;  // the last offset
};

// The cheapest tokens by `prices`: a forward pass over (position, whether a
// match came last), each keeping the offset its best path used last. `carry`
// comes in as the block starts and goes out as it ends.
std::vector<Token> Parse(const std::vector<uint8_t>& data, const std::vector<int>& places,
                         const Matches& matches, const Prices& prices, Carry& carry) {
  const size_t n = data.size();
  constexpr double kNever = std::numeric_limits<double>::infinity();
  struct Node {
    double bits = kNever;
    size_t from = 0;
    int fromState = 0;
    Token token{};
    size_t lastOffset = 0;
  };
  std::vector<std::array<Node, 2>> best(n + 1);
  best[0][carry.s].bits = 0;
  best[0][carry.s].lastOffset = carry.last;
  std::vector<double> lengthBits(n + 2);
  for (size_t l = 1; l <= n + 1; ++l) lengthBits[l] = prices.Gamma(kLength, l);
  const auto offer = [&](size_t at, int state, double bits, size_t from, int fromState, Token token,
                         size_t lastOffset) {
    Node& node = best[at][state];
    if (bits < node.bits) node = {bits, from, fromState, token, lastOffset};
  };
  for (size_t i = 0; i < n; ++i) {
    for (int s = 0; s < 2; ++s) {
      const double here = best[i][s].bits;
      if (here == kNever) continue;
      const size_t last = best[i][s].lastOffset;
      const int flag = kIsMatch + s + 2 * places[i];
      offer(i + 1, 0, here + prices.Bit(flag, 0) + prices.Literal(places[i], data[i]), i, s,
            {1, 0, false}, last);
      const double match = here + prices.Bit(flag, 1);
      if (s == 0 && last != 0 && last <= i) {
        const double repeat = match + prices.Bit(kNewOffset, 0);
        for (size_t l = 1; i + l <= n && data[i + l - 1] == data[i + l - 1 - last]; ++l)
          offer(i + l, 1, repeat + lengthBits[l], i, s, {l, last, true}, last);
      }
      const double fresh = match + (s == 0 ? prices.Bit(kNewOffset, 1) : 0.0);
      size_t shorter = 1;
      for (const auto& [len, offset] : matches[i]) {
        const double withOffset = fresh + prices.Offset(offset);
        for (size_t l = shorter + 1; l <= len; ++l)
          offer(i + l, 1, withOffset + lengthBits[l - 1], i, s, {l, offset, false}, offset);
        shorter = len;
      }
    }
  }
  std::vector<Token> tokens;
  int s = best[n][0].bits <= best[n][1].bits ? 0 : 1;
  carry = {s, best[n][s].lastOffset};
  for (size_t i = n; i > 0;) {
    const Node& node = best[i][s];
    tokens.push_back(node.token);
    i = node.from;
    s = node.fromState;
  }
  std::reverse(tokens.begin(), tokens.end());
  return tokens;
}

// Codes decisions with the adaptive model, keeping their probabilities for
// the coder and counting them for the next pass's prices.
class Recorder {
 public:
  Recorder(Model& model, Counts& counts) : model_(model), counts_(counts) {}
  void Bit(int ctx, int b) {
    decisions_.push_back({model_.p[ctx], static_cast<uint8_t>(b)});
    counts_[ctx][b] += 1;
    model_.Update(ctx, b);
  }
  void Gamma(int ctx, size_t v) {
    int top = 0;
    while ((v >> (top + 1)) != 0) ++top;
    for (int k = 0; k < top; ++k) {
      Bit(ctx + 2 * k, 1);
      Bit(ctx + 2 * k + 1, static_cast<int>((v >> (top - 1 - k)) & 1));
    }
    Bit(ctx + 2 * top, 0);
  }
  void Tree(int ctx, uint8_t byte) {
    for (int k = 7, node = 1; k >= 0; --k) {
      const int b = (byte >> k) & 1;
      Bit(ctx + node, b);
      node = node * 2 + b;
    }
  }
  std::vector<Decision> Take() { return std::move(decisions_); }

 private:
  Model& model_;
  Counts& counts_;
  std::vector<Decision> decisions_;
};

void Emit(const std::vector<uint8_t>& data, const std::vector<int>& places,
          const std::vector<Token>& tokens, int s, Recorder& r) {
  size_t i = 0;
  for (const Token& t : tokens) {
    const int flag = kIsMatch + s + 2 * places[i];
    if (t.offset == 0) {
      r.Bit(flag, 0);
      r.Tree(kLiteral + 256 * places[i], data[i]);
      s = 0;
    } else {
      r.Bit(flag, 1);
      if (s == 0) r.Bit(kNewOffset, t.repeat ? 0 : 1);
      if (t.repeat) {
        r.Gamma(kLength, t.length);
      } else {
        r.Gamma(kOffsetHigh, ((t.offset - 1) >> 8) + 1);
        r.Tree(kOffsetLow, static_cast<uint8_t>((t.offset - 1) & 0xFF));
        r.Gamma(kLength, t.length - 1);
      }
      s = 1;
    }
    i += t.length;
  }
}

// The stream of the decisions. rANS codes them last to first, so
// that the decoder reads its bits first to last; the 16 bits of the final
// state are what the decoder starts from.
std::vector<uint8_t> Encode(const std::vector<Decision>& decisions) {
  if (decisions.empty()) return {};  // nothing to decode: not even the state
  std::vector<int> bits;
  unsigned x = 0x8000;
  for (auto d = decisions.rbegin(); d != decisions.rend(); ++d) {
    const unsigned f = d->bit ? d->p : 256u - d->p;
    const unsigned c = d->bit ? 0u : d->p;
    for (; x >= 256 * f; x >>= 1) bits.push_back(x & 1);
    x = ((x / f) << 8) + x % f + c;
  }
  for (int k = 0; k < 16; ++k, x >>= 1) bits.push_back(x & 1);
  std::reverse(bits.begin(), bits.end());
  std::vector<uint8_t> out((bits.size() + 7) / 8, 0);
  for (size_t k = 0; k < bits.size(); ++k) {
    if (bits[k]) out[k / 8] |= static_cast<uint8_t>(0x80 >> (k % 8));
  }
  return out;
}

// The decoder's side: bits from the top of each byte, a flag for reading
// past the end.
class Decoder {
 public:
  Decoder(const std::vector<uint8_t>& in, size_t pos, Model& model)
      : in_(in), pos_(pos), model_(model) {}
  int Bit(int ctx) {
    while (x_ < 0x8000 && !bad_) x_ = x_ << 1 | StreamBit();
    const unsigned p = model_.p[ctx];
    const int b = (x_ & 0xFF) < p ? 1 : 0;
    x_ = b ? p * (x_ >> 8) + (x_ & 0xFF) : (256 - p) * (x_ >> 8) + (x_ & 0xFF) - p;
    model_.Update(ctx, b);
    return b;
  }
  size_t Gamma(int ctx) {
    size_t v = 1;
    for (int k = 0; Bit(ctx + 2 * k); ++k) {
      if (k + 1 == kGammaSteps) {
        bad_ = true;
        break;
      }
      v = v * 2 + static_cast<size_t>(Bit(ctx + 2 * k + 1));
    }
    return v;
  }
  uint8_t Tree(int ctx) {
    int node = 1;
    while (node < 256) node = node * 2 + Bit(ctx + node);
    return static_cast<uint8_t>(node);
  }
  bool Bad() const { return bad_; }
  // Whether the stream ends here: the bits the encoder shifted out of its
  // first state read back to it, the padding zero, no byte left over.
  bool EndsHere() {
    while (x_ < 0x8000 && !bad_) x_ = x_ << 1 | StreamBit();
    return !bad_ && x_ == 0x8000 && (byte_ & ((1u << left_) - 1)) == 0 && pos_ == in_.size();
  }

 private:
  unsigned StreamBit() {
    if (left_ == 0) {
      if (pos_ >= in_.size()) {
        bad_ = true;
        return 0;
      }
      byte_ = in_[pos_++];
      left_ = 8;
    }
    --left_;
    return (byte_ >> left_) & 1;
  }
  const std::vector<uint8_t>& in_;
  size_t pos_;
  Model& model_;
  unsigned x_ = 0;
  uint8_t byte_ = 0;
  int left_ = 0;
  bool bad_ = false;
};

}  // namespace

std::vector<uint8_t> Pack(const std::vector<Block>& blocks) {
  std::vector<std::vector<int>> places;
  std::vector<Matches> matches;
  Places reader;
  for (const Block& b : blocks) {
    if (b.start + b.bytes.size() > 0x10000) throw std::invalid_argument("a block runs past FFFF");
    places.push_back(PlacesOf(b, reader));
    matches.push_back(FindMatches(b.bytes));
  }
  // Each pass is priced by the last; the smallest result is kept.
  std::vector<uint8_t> best;
  Counts counts;
  for (int pass = 0; pass < kPasses; ++pass) {
    const Prices prices(pass == 0 ? nullptr : &counts);
    counts.assign(kContexts, {0.4, 0.4});
    Model model;
    Recorder r(model, counts);
    Carry carry;
    for (size_t k = 0; k < blocks.size(); ++k) {
      const int s = carry.s;
      const auto tokens = Parse(blocks[k].bytes, places[k], matches[k], prices, carry);
      Emit(blocks[k].bytes, places[k], tokens, s, r);
    }
    std::vector<uint8_t> stream = Encode(r.Take());
    if (pass == 0 || stream.size() < best.size()) best = std::move(stream);
  }
  return best;
}

std::optional<std::vector<Block>> Unpack(const std::vector<uint8_t>& packed,
                                         const std::vector<Extent>& extents) {
  std::vector<Block> blocks;
  Model model;
  Decoder d(packed, 0, model);
  Places places;
  int s = 0;
  size_t last = 0;
  for (const Extent& e : extents) {
    std::vector<uint8_t> out;
    const auto put = [&](uint8_t b) {
      out.push_back(b);
      places.Put(b);
    };
    while (out.size() < e.size) {
      const int place = out.size() >= e.text ? kText : places.Next();
      if (!d.Bit(kIsMatch + s + 2 * place)) {
        put(d.Tree(kLiteral + 256 * place));
        s = 0;
      } else {
        size_t length;
        if (s == 0 && !d.Bit(kNewOffset)) {
          length = d.Gamma(kLength);
        } else {
          const size_t high = d.Gamma(kOffsetHigh) - 1;
          last = high * 256 + d.Tree(kOffsetLow) + 1;
          length = d.Gamma(kLength) + 1;
        }
        if (last == 0 || last > out.size() || length > e.size - out.size()) return std::nullopt;
        for (size_t k = 0; k < length; ++k) put(out[out.size() - last]);
        s = 1;
      }
      if (d.Bad()) return std::nullopt;
    }
    blocks.push_back({e.start, std::move(out), e.text});
  }
  if (!packed.empty() && !d.EndsHere()) return std::nullopt;
  return blocks;
}

}  // namespace zorva::rom

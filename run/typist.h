// Typed text: the key presses and releases that type a text on the machine's
// keyboard, each due after a set number of executed instructions. The run loop
// executes at most untilNext() instructions at a time, reports them to
// Advance, and delivers every event that Due() hands out through the
// emulator's key handlers. Text therefore types the same way in the window and
// in zorva-run at any host speed, and waits while the processor is stopped.
//
//   typist.Type("10 PRINT \"HI\"\n");
//   ... run loop: typist.Advance(ran); while (auto e = typist.Due()) Deliver(*e);
//
// Characters go through our ROM's layout (machine/key_layout.h). A modifier
// stays held over a run of characters that need it, as a typist would hold
// Shift. A line end (LF, CR or CR LF) is one Enter, which arrives as the
// window's OK command. Characters without a key (a tab, anything outside
// ASCII) are skipped and counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace zorva {

struct KeyEvent {
  enum class Kind : uint8_t { Down, Up, Ok };  // Ok: Enter, as the window's OK command
  Kind kind;
  unsigned code;  // virtual-key code

  bool operator==(const KeyEvent&) const = default;
};

// Instructions between events; both at least 1.
struct TypingPace {
  uint32_t hold;  // from a key's press to its release
  uint32_t gap;   // before every other event
};

class Typist {
 public:
  static constexpr uint32_t kIdle = std::numeric_limits<uint32_t>::max();
  static constexpr TypingPace kDefaultPace{20'000, 20'000};

  // The events that type `text`, one after another, without their pacing
  // (for programs that deliver keys on their own schedule).
  static std::vector<KeyEvent> Events(std::string_view text);

  void SetPace(TypingPace pace);
  TypingPace pace() const { return pace_; }

  // Appends `text` to what is still to be typed; returns how many of its
  // characters have no key and will not be typed.
  size_t Type(std::string_view text);
  // Text typed when nothing is queued starts `instructions` later than it
  // would (once): time for the machine to start up before the first key.
  void Wait(uint32_t instructions) { wait_ += instructions; }
  // Drops what is still to be typed and returns the keys it holds down, for
  // the caller to release.
  std::vector<unsigned> Cancel();

  // Instructions until the next event is due; kIdle when nothing is queued.
  uint32_t untilNext() const { return queue_.empty() ? kIdle : countdown_; }
  // `ran` instructions have executed, at most untilNext().
  void Advance(uint32_t ran) {
    if (!queue_.empty()) countdown_ -= ran;
  }
  // The next event when it is due now; call until it returns nothing.
  std::optional<KeyEvent> Due();

  bool typing() const { return !queue_.empty(); }
  // Characters queued and not yet typed completely.
  size_t charactersLeft() const { return charactersLeft_; }
  // Characters skipped since the last call, which resets the count.
  size_t TakeSkipped() { return std::exchange(skipped_, 0); }

 private:
  struct Entry {
    KeyEvent event;
    uint32_t delay;      // instructions after the event before it
    bool endsCharacter;  // the last event of a character
  };
  void Push(KeyEvent event, uint32_t delay, bool endsCharacter = false);

  TypingPace pace_ = kDefaultPace;
  std::deque<Entry> queue_;
  uint32_t countdown_ = 0;  // until the front entry is due
  uint32_t wait_ = 0;       // added to the next first entry's delay
  size_t charactersLeft_ = 0;
  size_t skipped_ = 0;
  // Keys the delivered events hold down: a modifier and a key.
  unsigned heldModifier_ = 0;
  unsigned heldKey_ = 0;
};

}  // namespace zorva

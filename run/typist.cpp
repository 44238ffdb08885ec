#include "run/typist.h"

#include <algorithm>
#include <utility>

#include "machine/key_layout.h"
#include "machine/keyboard.h"

namespace zorva {

std::vector<KeyEvent> Typist::Events(std::string_view text) {
  Typist typist;
  typist.SetPace({1, 1});
  typist.Type(text);
  std::vector<KeyEvent> events;
  while (typist.typing()) {
    typist.Advance(typist.untilNext());
    while (const std::optional<KeyEvent> key = typist.Due()) events.push_back(*key);
  }
  return events;
}

void Typist::SetPace(TypingPace pace) {
  pace_ = {std::max<uint32_t>(pace.hold, 1), std::max<uint32_t>(pace.gap, 1)};
}

void Typist::Push(KeyEvent event, uint32_t delay, bool endsCharacter) {
  if (queue_.empty()) {
    const uint64_t due = uint64_t{delay} + std::exchange(wait_, 0);
    countdown_ = static_cast<uint32_t>(std::min<uint64_t>(due, kIdle - 1));
  }
  queue_.push_back({event, delay, endsCharacter});
  if (endsCharacter) ++charactersLeft_;
}

size_t Typist::Type(std::string_view text) {
  using Kind = KeyEvent::Kind;
  size_t skipped = 0;
  unsigned modifier = 0;  // held over the characters that need it
  const auto setModifier = [&](unsigned wanted) {
    if (modifier == wanted) return;
    if (modifier != 0) Push({Kind::Up, modifier}, pace_.gap);
    if (wanted != 0) Push({Kind::Down, wanted}, pace_.gap);
    modifier = wanted;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      setModifier(0);
      Push({Kind::Ok, vk::kReturn}, pace_.gap);
      Push({Kind::Up, vk::kReturn}, pace_.hold, true);
      continue;
    }
    const std::optional<KeyChord> chord = ChordFor(c);
    if (!chord) {
      // A UTF-8 sequence is one character: count its lead byte only.
      if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++skipped;
      continue;
    }
    setModifier(chord->modifier);
    Push({Kind::Down, chord->code}, pace_.gap);
    Push({Kind::Up, chord->code}, pace_.hold, true);
  }
  setModifier(0);
  skipped_ += skipped;
  return skipped;
}

std::optional<KeyEvent> Typist::Due() {
  if (queue_.empty() || countdown_ != 0) return std::nullopt;
  const Entry entry = queue_.front();
  queue_.pop_front();
  if (!queue_.empty()) countdown_ = queue_.front().delay;
  if (entry.endsCharacter) --charactersLeft_;

  const KeyEvent& e = entry.event;
  const bool isModifier = e.code == vk::kShift || e.code == vk::kControl;
  if (e.kind == KeyEvent::Kind::Up) {
    (isModifier ? heldModifier_ : heldKey_) = 0;
  } else {
    (isModifier ? heldModifier_ : heldKey_) = e.code;
  }
  return e;
}

std::vector<unsigned> Typist::Cancel() {
  queue_.clear();
  charactersLeft_ = 0;
  skipped_ = 0;
  std::vector<unsigned> held;
  for (unsigned* code : {&heldKey_, &heldModifier_}) {
    if (*code != 0) held.push_back(std::exchange(*code, 0));
  }
  return held;
}

}  // namespace zorva

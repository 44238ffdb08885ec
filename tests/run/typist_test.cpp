// Typed text: which keys each character lands on in our ROM's layout, and the
// events the typist hands the run loop, at which instruction counts.
#include "run/typist.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "machine/key_layout.h"
#include "machine/keyboard.h"

namespace zorva {
namespace {

using Kind = KeyEvent::Kind;
constexpr unsigned kShift = vk::kShift, kCtrl = vk::kControl;

TEST(KeyLayout, EveryPrintableCharacterHasItsOwnChordOnTheMatrix) {
  Keyboard keyboard;
  BuildKeyTable(keyboard);
  std::set<std::pair<unsigned, unsigned>> chords;
  for (char c = 0x20; c < 0x7F; ++c) {
    const auto chord = ChordFor(c);
    ASSERT_TRUE(chord) << "'" << c << "'";
    EXPECT_NE(keyboard.keyTable[chord->code], 0) << "'" << c << "'";
    EXPECT_TRUE(chord->modifier == 0 || chord->modifier == kShift || chord->modifier == kCtrl);
    EXPECT_TRUE(chords.insert({chord->code, chord->modifier}).second) << "'" << c << "' shares";
  }
  // Ctrl+C breaks a BASIC program: no character may need it.
  EXPECT_FALSE(chords.count({'C', kCtrl}));
  for (const char c : {'\t', '\x7F', '\x1B', '\x80'}) EXPECT_FALSE(ChordFor(c)) << int(c);
  EXPECT_EQ(ChordFor('\b'), (KeyChord{vk::kBack, 0}));
}

struct Timed {
  uint64_t at;  // instructions executed when the event was delivered
  KeyEvent event;
  bool operator==(const Timed&) const = default;
};

// Runs the typist as the run loop does, in steps of at most `chunk`
// instructions, until it has nothing left.
std::vector<Timed> Drain(Typist& typist, uint32_t chunk = 7) {
  std::vector<Timed> out;
  uint64_t now = 0;
  while (typist.typing()) {
    const uint32_t ran = std::min(chunk, typist.untilNext());
    typist.Advance(ran);
    now += ran;
    while (auto e = typist.Due()) out.push_back({now, *e});
  }
  return out;
}

TEST(Typist, EventsFallDueAtTheirInstructionCountsWhateverTheStepSize) {
  Typist typist;
  typist.SetPace({.hold = 30, .gap = 10});
  typist.Type("aB\n");
  const std::vector<Timed> expected = {
      {10, {Kind::Down, 'A'}},        {40, {Kind::Up, 'A'}},          {50, {Kind::Down, kShift}},
      {60, {Kind::Down, 'B'}},        {90, {Kind::Up, 'B'}},          {100, {Kind::Up, kShift}},
      {110, {Kind::Ok, vk::kReturn}}, {140, {Kind::Up, vk::kReturn}},
  };
  for (const uint32_t chunk : {1u, 7u, 1000u}) {
    Typist t = typist;
    EXPECT_EQ(Drain(t, chunk), expected) << chunk;
  }
}

std::vector<KeyEvent> Events(std::string_view text) {
  Typist typist;
  typist.SetPace({1, 1});
  typist.Type(text);
  std::vector<KeyEvent> out;
  for (const Timed& t : Drain(typist)) out.push_back(t.event);
  return out;
}

TEST(Typist, AModifierStaysHeldOverTheCharactersThatNeedIt) {
  const std::vector<KeyEvent> expected = {
      {Kind::Down, kShift}, {Kind::Down, 'H'},  {Kind::Up, 'H'},     {Kind::Down, '2'},
      {Kind::Up, '2'},      {Kind::Up, kShift}, {Kind::Down, kCtrl}, {Kind::Down, '2'},
      {Kind::Up, '2'},      {Kind::Up, kCtrl},  {Kind::Down, 'I'},   {Kind::Up, 'I'},
  };
  EXPECT_EQ(Events("H\"@i"), expected);
}

TEST(Typist, LineEndsAndCharactersWithoutAKey) {
  const auto enters = [](std::string_view text) {
    int n = 0;
    for (const KeyEvent& e : Events(text)) n += e.kind == Kind::Ok;
    return n;
  };
  EXPECT_EQ(enters("a\r\nb\rc\n\nd"), 4);                        // CR LF, CR, LF, LF
  EXPECT_EQ(Events("A\n").at(3), (KeyEvent{Kind::Up, kShift}));  // Enter never with Shift held

  Typist typist;
  EXPECT_EQ(typist.Type("a\tb\xE2\x82\xAC"
                        "c\x7F"),
            3u);  // tab, one euro sign, DEL
  EXPECT_EQ(typist.charactersLeft(), 3u);
  EXPECT_EQ(typist.Type("\xC3"), 1u);  // a sequence cut short is still one character
  EXPECT_EQ(typist.TakeSkipped(), 4u);
  EXPECT_EQ(typist.TakeSkipped(), 0u);
}

TEST(Typist, CancelDropsTheRestAndHandsBackTheKeysItHolds) {
  Typist typist;
  typist.SetPace({5, 5});
  typist.Type("Ab");
  EXPECT_EQ(typist.charactersLeft(), 2u);
  typist.Advance(5);  // Shift goes down, then A
  ASSERT_TRUE(typist.Due());
  typist.Advance(typist.untilNext());
  ASSERT_TRUE(typist.Due());
  EXPECT_EQ(typist.Cancel(), (std::vector<unsigned>{'A', kShift}));
  EXPECT_FALSE(typist.typing());
  EXPECT_EQ(typist.untilNext(), Typist::kIdle);
  EXPECT_EQ(typist.charactersLeft(), 0u);
  EXPECT_TRUE(typist.Cancel().empty());
}

TEST(Typist, TextTypedWhileTypingIsAppended) {
  Typist typist;
  typist.SetPace({3, 2});
  typist.Type("a");
  typist.Advance(2);
  ASSERT_EQ(typist.Due(), (KeyEvent{Kind::Down, 'A'}));
  typist.Type("b");  // does not restart the countdown of the release that is due
  EXPECT_EQ(typist.untilNext(), 3u);
  EXPECT_EQ(typist.charactersLeft(), 2u);
  const std::vector<Timed> rest = Drain(typist);
  ASSERT_EQ(rest.size(), 3u);
  EXPECT_EQ(rest[0], (Timed{3, {Kind::Up, 'A'}}));
  EXPECT_EQ(rest[1], (Timed{5, {Kind::Down, 'B'}}));
  EXPECT_EQ(typist.charactersLeft(), 0u);
}

TEST(Typist, AWaitDelaysTheNextTextOnceAndSaturates) {
  Typist typist;
  typist.SetPace({3, 2});
  typist.Wait(1000);
  typist.Type("a");
  EXPECT_EQ(typist.untilNext(), 1002u);
  EXPECT_EQ(Drain(typist).back(), (Timed{1005, {Kind::Up, 'A'}}));
  typist.Type("b");  // the wait was spent on the first text
  EXPECT_EQ(typist.untilNext(), 2u);
  Drain(typist);
  // A wait near the limit leaves the countdown below the idle mark.
  typist.Wait(Typist::kIdle);
  typist.Type("c");
  EXPECT_EQ(typist.untilNext(), Typist::kIdle - 1);
}

}  // namespace
}  // namespace zorva

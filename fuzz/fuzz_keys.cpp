// fuzz_keys: arbitrary sequences of key presses, releases and OK commands
// through the keyboard handlers.
//
// Input layout (missing bytes read as 0):
//   0..7   seed: the port space starts filled from it when bit 0 of byte 0 is
//          set, else all 0xFF
//   8..    two bytes per event: bits 0-1 of the first say press (0 and 3),
//          release (1) or OK (2); bit 7 of the first and the whole second byte
//          make the virtual-key code, 0 to 511
//
// Checks after every event:
//   - only the cells 0x00FF and (column << 8) | 0xFF of the 8 columns (0x7FFF
//     among them) ever change, and each event writes only the cells it should;
//   - the Shift and Ctrl flags follow the last press or release of those keys,
//     and a press shows them in bits 4 and 5 of 0x7FFF;
//   - a press shows the key's row byte in its column's cell and in 0x00FF
//     (0x00 there for a key without a place);
//   - a release leaves 0x00FF and 0xFEFF, and the column cell of a key with a
//     place, at 0xFF;
//   - OK leaves 0x7FFF = 0x0F and 0x00FF = 0xFEFF = 0xF7.
#include <array>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "machine/keyboard.h"

namespace zorva::fuzz {
namespace {

constexpr size_t kSpace = 65536;
constexpr uint16_t kAllColumns = 0x00FF;
constexpr uint16_t kModifiers = 0x7FFF;
constexpr uint16_t kFirstColumn = 0xFEFF;
// The cells the keyboard may write: 0x00FF and the eight column cells.
constexpr std::array<uint16_t, 9> kKeyCells = {0x00FF, 0xFEFF, 0xFDFF, 0xFBFF, 0xF7FF,
                                               0xEFFF, 0xDFFF, 0xBFFF, 0x7FFF};

bool IsColumnByte(unsigned b) {
  for (int column = 0; column < 8; ++column)
    if (b == (0xFFu & ~(1u << column))) return true;
  return false;
}
bool IsRowByte(unsigned b) {
  for (int row = 0; row < 6; ++row)
    if (b == (0xFFu & ~(1u << row))) return true;
  return false;
}

struct World {
  FencedBytes ports{kSpace};
  Keyboard built;  // the table as start-up builds it
  std::vector<uint8_t> initial = std::vector<uint8_t>(kSpace);

  World() {
    BuildKeyTable(built);
    // The table itself: every entry with a place is one column and one row.
    int places = 0;
    for (unsigned code = 0; code < 256; ++code) {
      const uint16_t e = built.keyTable[code];
      if (e == 0) continue;
      ++places;
      ZORVA_CHECK(IsColumnByte(e >> 8) && IsRowByte(e & 0xFF), "key %02X has entry %04X", code, e);
    }
    ZORVA_CHECK(places == 46, "%d keys with a place, not 46", places);
  }
};

World& TheWorld() {
  static World* world = new World;
  return *world;
}

uint16_t EntryOf(const Keyboard& kb, unsigned code) { return code < 256 ? kb.keyTable[code] : 0; }
uint16_t CellOf(uint16_t entry) { return static_cast<uint16_t>((entry & 0xFF00) | 0xFF); }

}  // namespace
}  // namespace zorva::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorva;
  using namespace zorva::fuzz;
  World& w = TheWorld();
  uint8_t* const ports = w.ports.data();

  ByteReader in(data, size);
  const uint64_t seed = in.Quad();
  if (seed & 1) Generator(seed).Fill(ports, kSpace);
  else std::memset(ports, 0xFF, kSpace);
  std::memcpy(w.initial.data(), ports, kSpace);

  Keyboard kb = w.built;
  bool shift = false, ctrl = false;
  while (in.restSize() >= 2) {
    const uint8_t first = in.Byte();
    const uint8_t second = in.Byte();
    const unsigned kind = first & 3;
    const unsigned code = (first & 0x80u) << 1 | second;
    const uint16_t entry = EntryOf(kb, code);
    const uint16_t cell = CellOf(entry);

    std::array<uint8_t, kKeyCells.size()> before;
    for (size_t i = 0; i < kKeyCells.size(); ++i) before[i] = ports[kKeyCells[i]];
    // The key cells this event may write.
    std::array<uint16_t, 3> writes{};
    if (kind == 1) {
      OnKeyUp(kb, ports, code);
      if (code == vk::kShift) shift = false;
      else if (code == vk::kControl) ctrl = false;
      writes = {kAllColumns, kFirstColumn, cell};
      ZORVA_CHECK(ports[kAllColumns] == 0xFF && ports[kFirstColumn] == 0xFF,
                  "release of %03X left 0x00FF=%02X 0xFEFF=%02X", code, ports[kAllColumns],
                  ports[kFirstColumn]);
      if (entry != 0)
        ZORVA_CHECK(ports[cell] == 0xFF, "release of %03X left its column %04X at %02X", code, cell,
                    ports[cell]);
    } else if (kind == 2) {
      OnOK(ports);
      writes = {kModifiers, kAllColumns, kFirstColumn};
      ZORVA_CHECK(
          ports[kModifiers] == 0x0F && ports[kAllColumns] == 0xF7 && ports[kFirstColumn] == 0xF7,
          "OK left 0x7FFF=%02X 0x00FF=%02X 0xFEFF=%02X", ports[kModifiers], ports[kAllColumns],
          ports[kFirstColumn]);
    } else {
      OnKeyDown(kb, ports, code);
      if (code == vk::kShift) shift = true;
      else if (code == vk::kControl) ctrl = true;
      writes = {kAllColumns, kModifiers, cell};
      const auto row = static_cast<uint8_t>(entry);
      ZORVA_CHECK(ports[kAllColumns] == row, "press of %03X left 0x00FF=%02X, row byte %02X", code,
                  ports[kAllColumns], row);
      if (entry != 0 && cell != kModifiers)
        ZORVA_CHECK(ports[cell] == row, "press of %03X left %04X=%02X, row byte %02X", code, cell,
                    ports[cell], row);
      if (cell == kModifiers)  // the key's own rows, whatever the modifiers do to bits 4 and 5
        ZORVA_CHECK((ports[cell] & 0xCF) == (row & 0xCF), "press of %03X left 0x7FFF=%02X", code,
                    ports[cell]);
      ZORVA_CHECK(
          ((ports[kModifiers] & 0x10) == 0) == shift && ((ports[kModifiers] & 0x20) == 0) == ctrl,
          "press of %03X left 0x7FFF=%02X with Shift %d, Ctrl %d", code, ports[kModifiers], shift,
          ctrl);
    }
    ZORVA_CHECK(kb.shiftDown == shift && kb.ctrlDown == ctrl,
                "after %03X the flags say Shift %d Ctrl %d, the keys say %d %d", code, kb.shiftDown,
                kb.ctrlDown, shift, ctrl);
    for (size_t i = 0; i < kKeyCells.size(); ++i) {
      const uint16_t c = kKeyCells[i];
      const bool mayChange = c == writes[0] || c == writes[1] || c == writes[2];
      ZORVA_CHECK(mayChange || ports[c] == before[i], "event %u on %03X changed %04X", kind, code,
                  c);
    }
  }

  // Nothing else in the port space: put the key cells back and compare it all.
  for (const uint16_t c : kKeyCells) w.initial[c] = ports[c];
  ZORVA_CHECK(std::memcmp(w.initial.data(), ports, kSpace) == 0,
              "a key handler wrote outside the key cells");
  ZORVA_CHECK(kb.keyTable == w.built.keyTable, "a key handler changed the key table");
  return 0;
}

// Host keys to virtual keys: by position from XKB keycodes (evdev + 8), by
// symbol from Qt keys when there is none, shifted symbols folded onto their key.
#include "shell/key_mapping.h"

#include <QtTest>

#include "machine/keyboard.h"

namespace zorva {

class KeyMappingTest : public QObject {
  Q_OBJECT

 private slots:
  void mapsHostKeys();
  void everyMatrixKeyHasAPosition();
};

void KeyMappingTest::mapsHostKeys() {
  const struct {
    const char* name;
    int qtKey;
    quint32 evdev;  // 0: the event has no scan code
    bool keypad;
    unsigned vk;
    bool xkbPlatform = true;  // false: scan codes are not positions
  } rows[] = {
      {"1, first of its row", 0, 2, false, '1'},
      {"semicolon", 0, 39, false, vk::kOem1},
      {"Enter", 0, 28, false, vk::kReturn},
      {"keypad 7", 0, 71, false, vk::kNumpad0 + 7},
      {"German Z: the US Y position", Qt::Key_Z, 21, false, 'Y'},
      {"German Z, no XKB platform", Qt::Key_Z, 21, false, 'Z', false},
      {"unknown position: the Qt key", Qt::Key_Z, 242, false, 'Z'},
      {"! folds to 1", Qt::Key_Exclam, 0, false, '1'},
      {"_ folds to minus", Qt::Key_Underscore, 0, false, vk::kOemMinus},
      {"keypad 3 is not 3", Qt::Key_3, 0, true, vk::kNumpad0 + 3},
      {"keypad + is not =", Qt::Key_Plus, 0, true, vk::kAdd},
      {"unknown", Qt::Key_VolumeUp, 0, false, 0},
  };
  QStringList got, want;
  for (const auto& r : rows) {
    const quint32 xkb = r.evdev ? r.evdev + 8 : 0;
    got << QStringLiteral("%1: %2").arg(r.name).arg(
        MapHostKey({r.qtKey, xkb, r.keypad}, r.xkbPlatform));
    want << QStringLiteral("%1: %2").arg(r.name).arg(r.vk);
  }
  QCOMPARE(got, want);
}

// The emulated keyboard's keys must all be reachable from a US keyboard.
void KeyMappingTest::everyMatrixKeyHasAPosition() {
  Keyboard kb;
  BuildKeyTable(kb);
  for (unsigned code = 0; code < 256; ++code) {
    bool found = kb.keyTable[code] == 0;
    for (unsigned evdev = 0; evdev < 256 && !found; ++evdev)
      found = VirtualKeyFromEvdev(evdev) == code;
    QVERIFY2(found, qPrintable(QString::number(code, 16)));
  }
}

}  // namespace zorva

QTEST_APPLESS_MAIN(zorva::KeyMappingTest)
#include "key_mapping_test.moc"

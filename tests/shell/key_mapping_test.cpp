// Host keys to virtual keys: by position from evdev codes, by symbol from Qt
// keys when there is no scan code.
#include "shell/key_mapping.h"

#include <QtTest>

#include "machine/keyboard.h"

namespace zorva {

class KeyMappingTest : public QObject {
  Q_OBJECT

 private slots:
  void evdevRows();
  void evdevOddKeys_data();
  void evdevOddKeys();
  void everyMatrixKeyHasAPosition();
  void qtKeysFoldToTheirKey_data();
  void qtKeysFoldToTheirKey();
  void positionWinsOverLayout_data();
  void positionWinsOverLayout();
};

// The four rows of a US keyboard lie at consecutive evdev codes.
void KeyMappingTest::evdevRows() {
  const struct {
    unsigned first;
    const char* keys;
  } rows[] = {{2, "1234567890"}, {16, "QWERTYUIOP"}, {30, "ASDFGHJKL"}, {44, "ZXCVBNM"}};
  for (const auto& row : rows) {
    for (unsigned i = 0; row.keys[i] != 0; ++i) {
      QCOMPARE(VirtualKeyFromEvdev(row.first + i), unsigned(row.keys[i]));
    }
  }
}

void KeyMappingTest::evdevOddKeys_data() {
  QTest::addColumn<unsigned>("evdev");
  QTest::addColumn<unsigned>("virtualKey");
  const struct {
    const char* name;
    unsigned evdev, vk;
  } rows[] = {
      {"minus", 12, vk::kOemMinus},
      {"equal", 13, vk::kOemPlus},
      {"Backspace", 14, vk::kBack},
      {"Enter", 28, vk::kReturn},
      {"semicolon", 39, vk::kOem1},
      {"grave", 41, vk::kOem3},
      {"left Shift", 42, vk::kShift},
      {"comma", 51, vk::kOemComma},
      {"dot", 52, vk::kOemPeriod},
      {"slash", 53, vk::kOem2},
      {"right Shift", 54, vk::kShift},
      {"Space", 57, vk::kSpace},
      {"F10", 68, vk::kF10},
      {"keypad 7", 71, vk::kNumpad0 + 7},
      {"keypad -", 74, vk::kSubtract},
      {"keypad 0", 82, vk::kNumpad0},
      {"F12", 88, vk::kF12},
      {"keypad Enter", 96, vk::kReturn},
      {"right Ctrl", 97, vk::kControl},
      {"right Alt", 100, vk::kMenu},
      {"Delete", 111, vk::kDelete},
      {"beyond the table", 200, 0},
  };
  for (const auto& r : rows) QTest::newRow(r.name) << r.evdev << r.vk;
}

void KeyMappingTest::evdevOddKeys() {
  QFETCH(unsigned, evdev);
  QFETCH(unsigned, virtualKey);
  QCOMPARE(VirtualKeyFromEvdev(evdev), virtualKey);
}

// The emulated keyboard's 46 keys must all be reachable from a US keyboard.
void KeyMappingTest::everyMatrixKeyHasAPosition() {
  Keyboard kb;
  BuildKeyTable(kb);
  for (unsigned code = 0; code < 256; ++code) {
    if (kb.keyTable[code] == 0) continue;
    bool found = false;
    for (unsigned evdev = 0; evdev < 256 && !found; ++evdev)
      found = VirtualKeyFromEvdev(evdev) == code;
    QVERIFY2(found, qPrintable(QString::number(code, 16)));
  }
}

void KeyMappingTest::qtKeysFoldToTheirKey_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<bool>("keypad");
  QTest::addColumn<unsigned>("virtualKey");
  const struct {
    const char* name;
    int key;
    bool keypad;
    unsigned vk;
  } rows[] = {
      {"A", Qt::Key_A, false, 'A'},
      {"! is 1", Qt::Key_Exclam, false, '1'},
      {") is 0", Qt::Key_ParenRight, false, '0'},
      {"_ is minus", Qt::Key_Underscore, false, vk::kOemMinus},
      {"+ is equal", Qt::Key_Plus, false, vk::kOemPlus},
      {": is semicolon", Qt::Key_Colon, false, vk::kOem1},
      {"> is dot", Qt::Key_Greater, false, vk::kOemPeriod},
      {"? is slash", Qt::Key_Question, false, vk::kOem2},
      {"~ is grave", Qt::Key_AsciiTilde, false, vk::kOem3},
      {"Backtab is Tab", Qt::Key_Backtab, false, vk::kTab},
      {"F5", Qt::Key_F5, false, vk::kF1 + 4},
      {"keypad 3 is not 3", Qt::Key_3, true, vk::kNumpad0 + 3},
      {"keypad + is not =", Qt::Key_Plus, true, vk::kAdd},
      {"keypad Enter", Qt::Key_Enter, true, vk::kReturn},
      {"unknown", Qt::Key_VolumeUp, false, 0},
  };
  for (const auto& r : rows) QTest::newRow(r.name) << r.key << r.keypad << r.vk;
}

void KeyMappingTest::qtKeysFoldToTheirKey() {
  QFETCH(int, key);
  QFETCH(bool, keypad);
  QFETCH(unsigned, virtualKey);
  QCOMPARE(VirtualKeyFromQtKey(key, keypad), virtualKey);
}

void KeyMappingTest::positionWinsOverLayout_data() {
  QTest::addColumn<int>("qtKey");
  QTest::addColumn<quint32>("scanCode");
  QTest::addColumn<bool>("xkb");
  QTest::addColumn<unsigned>("virtualKey");
  // XKB keycodes are evdev + 8. A German keyboard prints Z at the US Y (evdev 21).
  QTest::newRow("German Z key") << int(Qt::Key_Z) << quint32(29) << true << unsigned('Y');
  QTest::newRow("AZERTY A key") << int(Qt::Key_A) << quint32(24) << true << unsigned('Q');
  QTest::newRow("no XKB codes") << int(Qt::Key_Z) << quint32(29) << false << unsigned('Z');
  QTest::newRow("no scan code") << int(Qt::Key_Z) << quint32(0) << true << unsigned('Z');
  QTest::newRow("unknown position") << int(Qt::Key_Z) << quint32(250) << true << unsigned('Z');
}

void KeyMappingTest::positionWinsOverLayout() {
  QFETCH(int, qtKey);
  QFETCH(quint32, scanCode);
  QFETCH(bool, xkb);
  QFETCH(unsigned, virtualKey);
  QCOMPARE(MapHostKey({.qtKey = qtKey, .nativeScanCode = scanCode, .keypad = false}, xkb),
           virtualKey);
}

}  // namespace zorva

QTEST_APPLESS_MAIN(zorva::KeyMappingTest)
#include "key_mapping_test.moc"

// The main window: its menus, the keyboard's way into the machine, the
// run-point dialog, the screen at each view size, start-up, and closing while
// the processor runs.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "resources/glyph_sheet.h"
#include "shell/commands.h"
#include "shell/processor_options_dlg.h"
#include "shell/screen_view.h"
#include "shell/zorva_dlg.h"
#include "tests/shell/window_fixture.h"

namespace zorva {
namespace {

using testing::Poke;
using testing::RunSteps;
using testing::SaveRom;
using testing::Window;

// The letter H (it has ink and paper, so a cell shows both its colours) in
// `colour` (ink in the high nibble, paper in the low one) as the window should
// show it at `zoom`. The palette entries used here: 0 and 8 black, 7 white, F grey.
QImage Letter(int zoom, uint8_t colour) {
  const auto rgb = [](int n) { return n == 7 ? 0xFFFFFFFF : n == 0xF ? 0xFF808080 : 0xFF000000; };
  QImage image(8 * zoom, 8 * zoom, QImage::Format_RGB32);
  for (int y = 0; y < 8 * zoom; ++y) {
    for (int x = 0; x < 8 * zoom; ++x) {
      image.setPixel(x, y, rgb(GlyphInk('H', x / zoom, y / zoom) ? colour >> 4 : colour & 0xF));
    }
  }
  return image;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void menus();
  void keysReachTheMatrix();
  void keysComeBackFromMenus();
  void runPointDialog();
  void screenAtEachViewSize();
  void viewCommandsKeepTheWindowOnScreen();
  void startUpShowsAboutFirst();
  void closingWhileRunningEndsWithTraceClosed();
  void closeRequestWhileABoxIsOpen();
};

// Texts with their mnemonics, order, separators, greying and command ids; the
// Debug popup cannot be opened, but its commands act.
void MainWindowTest::menus() {
  // Menu by menu: the title, then the items ("-" a separator, "~" greyed).
  const QStringList texts = {
      "&File: Load Machine &Rom....|&Load Cartridge image|&Save Memory image|-|E&xit",
      "&Processor: &Start|S&top|-|~S&low|~&Medium|~&Fast|-|&Advanced...|&Reset",
      "&View: &100%|&200%|&400%|-|&Clear Screen Ram",
      "&Debug: &Log to file.|&Stop Logging|-|&Test",
      "&Help: &About ZORVA",
  };
  using namespace cmd;
  const QList<QList<int>> ids = {
      {kLoadMachineRom, kLoadCartridge, kSaveMemoryImage, 0, kExit},
      {kStart, kStop, 0, kSlow, kMedium, kFast, 0, kAdvanced, kReset},
      {kView100, kView200, kView400, 0, kClearScreenRam},
      {kLogToFile, kStopLogging, 0, kTest},
      {kAbout},
  };
  Window w;
  QMenuBar* bar = w.dlg.menuBar();
  QStringList gotTexts;
  QList<QList<int>> gotIds;
  for (const QAction* title : bar->actions()) {
    QStringList items;
    gotIds.emplaceBack();
    for (const QAction* a : (title->menu() ? title->menu() : w.dlg.debugMenu())->actions()) {
      items << (a->isSeparator() ? "-" : (a->isEnabled() ? "" : "~") + a->text());
      gotIds.last() << a->data().toInt();
    }
    gotTexts << (title->isEnabled() ? "" : "~") + title->text() + ": " + items.join('|');
  }
  QCOMPARE(gotTexts, texts);
  QCOMPARE(gotIds, ids);
  // No accelerators: every key goes to the machine.
  for (const QAction* a : w.dlg.findChildren<QAction*>()) QVERIFY(a->shortcut().isEmpty());

  w.emu.InitMachine();
  w.dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
  const auto click = [bar](int menu) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions()[menu]).center());
  };
  click(0);  // File opens: proof that the check below would see a popup
  QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
  QApplication::activePopupWidget()->close();
  QTRY_COMPARE(QApplication::activePopupWidget(), nullptr);
  click(3);
  QTest::keyClick(&w.dlg, Qt::Key_D, Qt::AltModifier);
  QTest::qWait(50);
  QCOMPARE(QApplication::activePopupWidget(), nullptr);
  w.dlg.OnCommand(cmd::kLogToFile);
  QVERIFY(w.emu.loggingOn() && QFile::exists(w.dir.filePath("trace.log")));
  w.dlg.OnCommand(cmd::kStopLogging);
  QVERIFY(!w.emu.loggingOn());
  w.dlg.OnCommand(cmd::kTest);
  QCOMPARE(w.seen, QStringList{"QMessageBox: Reserved for developers use."});
}

// Each row on a fresh window; then the ports 0x00FF (all columns), 0xBFFF
// (A's column), 0xFEFF and 0x7FFF. No box opens and nothing starts.
void MainWindowTest::keysReachTheMatrix() {
  struct Key {
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers = {};
    bool autoRepeat = false;
  };
  const auto down = QEvent::KeyPress, up = QEvent::KeyRelease;
  const struct {
    const char* name;
    std::vector<Key> keys;
    const char* ports;
  } rows[] = {
      {"Enter is the dialog's OK: RETURN", {{down, Qt::Key_Return}}, "f7 ff f7 0f"},
      {"Escape does nothing", {{down, Qt::Key_Escape}}, "ff ff ff ff"},
      {"F5 is a key, not Start", {{down, Qt::Key_F5}}, "00 ff ff ff"},
      {"auto-repeat release ignored",
       {{down, Qt::Key_A}, {up, Qt::Key_A, {}, true}},
       "df df ff ff"},
      {"Alt+A is the menu's", {{down, Qt::Key_A, Qt::AltModifier}}, "ff ff ff ff"},
  };
  QStringList got, want;
  for (const auto& row : rows) {
    Window w;
    w.emu.InitMachine();
    w.dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
    for (const Key& k : row.keys) {
      QKeyEvent event(k.type, k.key, k.modifiers, 0, 0, 0, QString(), k.autoRepeat);
      QApplication::sendEvent(&w.dlg, &event);
    }
    QCoreApplication::processEvents();
    const auto port = [&w](int p) { return QString::asprintf("%02x", w.emu.portSpace()[p]); };
    got << QStringLiteral("%1: %2 %3 %4 %5")
               .arg(row.name, port(0x00FF), port(0xBFFF), port(0xFEFF), port(0x7FFF));
    want << QStringLiteral("%1: %2").arg(row.name, row.ports);
    QVERIFY(w.dlg.isVisible() && w.seen.empty() && !w.emu.keepRunning());
  }
  QCOMPARE(got, want);
}

// Keys typed as the keyboard delivers them, to whatever holds it. A menu that
// opens takes the keyboard, and with it the releases of the keys held then:
// the machine lets go of them as the menu opens. Escape closes a menu and
// gives the keyboard back to the machine, not to the menu bar (where D would
// be the Debug title's mnemonic). Each row ends with D pressed, which must
// leave the ports as D alone does.
void MainWindowTest::keysComeBackFromMenus() {
  using Action = std::function<void(Window&)>;
  const auto key = [](QTest::KeyAction action, Qt::Key k) {
    return [=](Window& w) {
      QTest::keyEvent(action, w.dlg.windowHandle(), k);
      QTest::qWait(20);  // the menu bar's own work after a key is queued
    };
  };
  const Action altF = [](Window& w) {
    QTest::keyClick(w.dlg.windowHandle(), Qt::Key_F, Qt::AltModifier);
    QTest::qWait(20);
  };
  const Action clickFile = [](Window& w) {
    QMenuBar* bar = w.dlg.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions()[0]).center());
    QTest::qWait(20);
  };
  const Action escape = key(QTest::Press, Qt::Key_Escape);
  const Action pressD = key(QTest::Press, Qt::Key_D);
  const auto down = QTest::Press, up = QTest::Release;
  const struct {
    const char* name;
    std::vector<Action> actions;
  } rows[] = {
      {"Alt+F, Escape", {altF, escape}},
      {"Alt pressed and released alone", {key(down, Qt::Key_Alt), key(up, Qt::Key_Alt)}},
      {"Shift held as File opens to a click, released in the menu",
       {key(down, Qt::Key_Shift), clickFile, key(up, Qt::Key_Shift), escape}},
      {"W held as Alt+F opens File, released in the menu",
       {key(down, Qt::Key_W), altF, key(up, Qt::Key_W), escape}},
  };
  const auto ready = [](Window& w) {
    w.emu.InitMachine();
    w.dlg.show();
    return QTest::qWaitForWindowActive(&w.dlg);
  };
  std::vector<uint8_t> dAlone;
  {
    Window w;
    QVERIFY(ready(w));
    pressD(w);
    dAlone.assign(w.emu.portSpace().begin(), w.emu.portSpace().end());
  }
  QStringList got;
  for (const auto& row : rows) {
    Window w;
    QVERIFY(ready(w));
    for (const Action& action : row.actions) action(w);
    pressD(w);
    QStringList differences;
    for (int port = 0; port < 0x10000; ++port) {
      if (w.emu.portSpace()[port] != dAlone[port]) {
        differences << QString::asprintf("%04x: %02x", port, w.emu.portSpace()[port]);
      }
    }
    if (QApplication::activePopupWidget() != nullptr) differences << "a menu open";
    got << QStringLiteral("%1: %2").arg(row.name, differences.join(", "));
  }
  QStringList want;
  for (const auto& row : rows) want << QStringLiteral("%1: ").arg(row.name);
  QCOMPARE(got, want);
}

// Advanced...: OK checks the end address first, then the start; a bad field is
// reported and gets the focus, and Cancel then leaves the run points alone. A
// good answer applies them and moves PC at once.
void MainWindowTest::runPointDialog() {
  const QString rows[][3] = {
      {"C000", "65535", "focus startAddress, boxes 2, run points 256-512, PC 256"},
      {"0", "65536", "focus endAddress, boxes 2, run points 256-512, PC 256"},
      {"C000", "70000", "focus endAddress, boxes 2, run points 256-512, PC 256"},
      {"49152", "49200", "focus -, boxes 1, run points 49152-49200, PC 49152"},
  };
  Window w;
  w.emu.InitMachine();
  w.emu.OnAdvanced({.start = 256, .end = 512});
  for (const auto& [start, end, outcome] : rows) {
    QString focus = QStringLiteral("-");
    w.seen.clear();
    w.answer = [&](QDialog& box) {
      auto* options = qobject_cast<CProcessorOptionsDlg*>(&box);
      if (options == nullptr) return int(QDialog::Rejected);  // the error message
      options->show();
      if (!QTest::qWaitForWindowExposed(options)) return int(QDialog::Rejected);
      options->startEdit()->setText(start);
      options->endEdit()->setText(end);
      QTest::mouseClick(options->okButton(), Qt::LeftButton);
      if (options->isVisible()) focus = options->focusWidget()->objectName();
      return options->result();  // Rejected, as Cancel, while it stays open
    };
    w.dlg.OnCommand(cmd::kAdvanced);
    const RunPoints points = w.emu.runPoints();
    QCOMPARE(QString::asprintf("focus %s, boxes %d, run points %d-%d, PC %d", qPrintable(focus),
                               int(w.seen.size()), points.start, points.end, w.emu.registers().PC),
             outcome);
  }
}

// 100%, 200% and 400% (which has always meant three times): the screen's size,
// and each cell's glyph in its colours. Then, inside the same run, a
// colour-only change keeps the old colours at a screen tick and shows only
// after a full redraw: at the title tick (which also leaves an empty caption
// looking empty), and once the window is restored from minimised.
void MainWindowTest::screenAtEachViewSize() {
  struct Cell {
    int column, row;
    uint8_t colour;
  };
  const Cell cells[] = {{0, 0, 0x70}, {1, 0, 0x07}, {2, 0, 0x8F}, {3, 0, 0x00}, {39, 24, 0x70}};
  std::vector<uint8_t> rom;
  for (const Cell& c : cells) {
    Poke(rom, 0x3000 + 40 * c.row + c.column, 'H');
    Poke(rom, 0x3400 + 40 * c.row + c.column, c.colour);
  }
  // IN A,(FFh) ; CP FFh ; JR Z,back (wait for a key) or JR NZ,back (for none)
  const std::vector<uint8_t> waitForKey = {0xDB, 0xFF, 0xFE, 0xFF, 0x28, 0xFA};
  const std::vector<uint8_t> waitForNoKey = {0xDB, 0xFF, 0xFE, 0xFF, 0x20, 0xFA};
  const int wait = int(rom.size());
  rom.insert(rom.end(), waitForKey.begin(), waitForKey.end());
  Poke(rom, 0x3400, 0x07);  // a key: recolour cell (0,0)
  rom.insert(rom.end(), waitForNoKey.begin(), waitForNoKey.end());
  const int secondWait = int(rom.size());
  rom.insert(rom.end(), waitForKey.begin(), waitForKey.end());
  Poke(rom, 0x3401, 0x70);              // another key: recolour cell (1,0)
  rom.insert(rom.end(), {0x18, 0xFE});  // JR to itself
  Window w;
  QVERIFY(SaveRom(w.dir.filePath("screen.rom"), rom));
  w.emu.InitMachine();
  QVERIFY(w.emu.LoadRomFile(w.dir.filePath("screen.rom").toStdString()));
  w.dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));

  QStringList faults;
  const auto check = [&](const Cell& c, int zoom, uint8_t colour) {
    w.dlg.OnScreenTimer();
    const QImage shown = w.dlg.clientArea()->grab().toImage().copy(
        10 + 8 * zoom * c.column, 23 + 8 * zoom * c.row, 8 * zoom, 8 * zoom);
    if (shown.convertToFormat(QImage::Format_RGB32) != Letter(zoom, colour)) {
      faults << QString::asprintf("cell (%d,%d) at zoom %d in %02x", c.column, c.row, zoom, colour);
    }
  };
  const std::pair<int, int> zooms[] = {{cmd::kView100, 1}, {cmd::kView200, 2}, {cmd::kView400, 3}};
  const auto views = [&] {
    for (const auto& [view, zoom] : zooms) {
      w.dlg.OnCommand(view);
      if (w.dlg.screen()->size() != QSize(320, 200) * zoom)
        faults << QString("size at zoom %1").arg(zoom);
      for (const Cell& c : cells) check(c, zoom, c.colour);
    }
    QTest::keyPress(&w.dlg, Qt::Key_A);
  };
  const auto titleTick = [&] {
    check(cells[0], 3, 0x70);
    w.dlg.OnTitleTimer();
    check(cells[0], 3, 0x07);
    if (!w.dlg.windowTitle().trimmed().isEmpty() || w.dlg.windowTitle().isEmpty())
      faults << "caption '" + w.dlg.windowTitle() + "'";
    QTest::keyRelease(&w.dlg, Qt::Key_A);
  };
  const auto restored = [&] {
    check(cells[1], 3, 0x07);
    w.dlg.showMinimized();
    w.dlg.showNormal();
    check(cells[1], 3, 0x70);
    w.emu.OnStop();
  };
  size_t passed = 0;
  const auto steps = RunSteps({{[&] { return w.emu.registers().PC >= wait; }, views},
                               {[&] { return w.emu.memory()[0x3400] == 0x07; }, titleTick},
                               {[&] { return w.emu.registers().PC >= secondWait; },
                                [&] { QTest::keyPress(&w.dlg, Qt::Key_A); }},
                               {[&] { return w.emu.memory()[0x3401] == 0x70; }, restored}},
                              passed, [&] { w.emu.OnStop(); });
  w.dlg.OnCommand(cmd::kStart);  // runs the steps from its pump; returns at Stop
  QCOMPARE(passed, size_t{4});
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
}

// A view command that grows the window keeps it within the screen's free
// area: back from the right and bottom edges, but never past the top-left
// corner. A window that fits where it is stays there.
void MainWindowTest::viewCommandsKeepTheWindowOnScreen() {
  const struct {
    const char* name;
    QPoint from;
    int view;
    const char* outcome;
  } rows[] = {
      {"100% where it fits", {40, 30}, cmd::kView100, "stays"},
      {"200% near the bottom right", {500, 600}, cmd::kView200, "kept on screen"},
      {"400%, wider than the screen", {300, 200}, cmd::kView400, "kept on screen"},
  };
  Window w;
  w.emu.InitMachine();
  w.dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
  const QRect area = w.dlg.windowHandle()->screen()->availableGeometry();
  QCOMPARE(area.size(), QSize(800, 800));  // what the rows are made for
  // Along each axis: within the area, or from its start when larger.
  const auto kept = [](int from, int extent, int start, int length) {
    return extent > length ? from == start : from >= start && from + extent <= start + length;
  };
  QStringList got, want;
  for (const auto& row : rows) {
    w.dlg.move(row.from);
    w.dlg.OnCommand(row.view);
    const QRect frame = w.dlg.frameGeometry();
    const bool onScreen = kept(frame.left(), frame.width(), area.left(), area.width()) &&
                          kept(frame.top(), frame.height(), area.top(), area.height());
    got << QStringLiteral("%1: %2").arg(row.name, frame.topLeft() == row.from ? "stays"
                                                  : onScreen                  ? "kept on screen"
                                                                              : "off the screen");
    want << QStringLiteral("%1: %2").arg(row.name, row.outcome);
  }
  QCOMPARE(got, want);
}

// Without aquarius.rom: the About box before anything is set up, centred on
// the screen, then the missing-ROM message, the ROM dialog, and the automatic
// Start's refusal.
void MainWindowTest::startUpShowsAboutFirst() {
  Window w;
  int zoomAtAbout = 0;
  QPoint aboutOffCentre;
  w.answer = [&](QDialog& box) {
    if (w.seen.size() == 1) {
      zoomAtAbout = w.dlg.isVisible() ? -1 : w.dlg.screen()->zoom();
      box.show();
      if (QTest::qWaitForWindowExposed(&box)) {
        aboutOffCentre = box.frameGeometry().center() -
                         box.windowHandle()->screen()->availableGeometry().center();
      }
    }
    if (w.seen.last().contains(QLatin1String("Cannot run"))) {
      QMetaObject::invokeMethod(&w.dlg, &QWidget::close, Qt::QueuedConnection);
    }
    return int(QDialog::Rejected);
  };
  QCOMPARE(w.dlg.exec(), int(QDialog::Rejected));
  QCOMPARE(w.seen, (QStringList{"zorva::CAboutDlg",
                                "QMessageBox: Can't find/open file 'aquarius.rom', error = 2\n",
                                "QFileDialog", "QMessageBox: Cannot run: No ROM loaded."}));
  QCOMPARE(zoomAtAbout, 1);  // hidden and still at the constructor's zoom, not start-up's 2
  QVERIFY2(aboutOffCentre.manhattanLength() < 20,
           qPrintable(QString("%1, %2").arg(aboutOffCentre.x()).arg(aboutOffCentre.y())));
}

// A close request, with Load Cartridge in the same breath, while the processor
// runs with a trace: the run stops at once, the trace ends after a whole line,
// and the window that has ended asks for no file.
void MainWindowTest::closingWhileRunningEndsWithTraceClosed() {
  Window w;
  QVERIFY(SaveRom(w.dir.filePath("aquarius.rom"), {0x23, 0x18, 0xFD}));  // INC HL ; JR back
  uint16_t hlAtClose = 0;
  const auto closeNow = [&] {
    w.dlg.OnCommand(cmd::kLoadCartridge);
    w.dlg.close();
    hlAtClose = w.emu.registers().HL;
  };
  size_t passed = 0;
  const auto steps =
      RunSteps({{[&] { return w.emu.runLoopActive(); }, [&] { w.dlg.OnCommand(cmd::kLogToFile); }},
                {[&] { return w.emu.registers().HL > 200; }, closeNow}},
               passed, [&] { w.dlg.close(); });
  QCOMPARE(w.dlg.exec(), int(QDialog::Rejected));
  QCOMPARE(passed, size_t{2});
  QCOMPARE(w.emu.registers().HL, hlAtClose);  // not one instruction after the request
  QVERIFY(!w.emu.runLoopActive() && !w.emu.loggingOn() && !w.dlg.isVisible());
  QCOMPARE(w.seen, QStringList{"zorva::CAboutDlg"});
  QFile trace(w.dir.filePath("trace.log"));
  QVERIFY(trace.open(QIODevice::ReadOnly));
  const QByteArray text = trace.readAll();
  QVERIFY(text.size() > 200 && text.endsWith("\r\n"));
}

// An unhandled instruction in a loop brings its box back after every OK. A
// close request that the window system makes meanwhile (Qt holds it back from
// the window the box blocks) is kept and carried out as soon as the box is
// dismissed, the normal way: the run ends before the box can come back, and
// the trace log is closed.
void MainWindowTest::closeRequestWhileABoxIsOpen() {
  Window w;
  QVERIFY(SaveRom(w.dir.filePath("aquarius.rom"), {0xF3, 0x18, 0xFD}));  // DI (unhandled) ; JR back
  int boxes = 0;
  w.answer = [&](QDialog& box) {
    if (qobject_cast<QMessageBox*>(&box) == nullptr) return int(QDialog::Rejected);  // About
    if (++boxes == 1) w.dlg.OnCommand(cmd::kLogToFile);
    if (boxes == 2) w.dlg.NoteCloseRequest();
    if (boxes == 5) w.dlg.close();  // a close that Qt lets through, so that a failure ends
    return int(QDialog::Accepted);
  };
  QCOMPARE(w.dlg.exec(), int(QDialog::Rejected));
  QCOMPARE(boxes, 2);
  QVERIFY(!w.emu.loggingOn() && !w.dlg.isVisible());
  QFile trace(w.dir.filePath("trace.log"));
  QVERIFY(trace.open(QIODevice::ReadOnly));
  // After the header, JR and DI: the two instructions between the two boxes.
  const QByteArray text = trace.readAll();
  QCOMPARE(text.mid(text.indexOf("PC:")),
           "PC:   1, OP:  18, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n"
           "JR        0\r\n"
           "PC:   0, OP:  f3, A:   0, F:   0, BC:   0, DE:   0, HL    0,SP:ffff\r\n");
}

}  // namespace zorva

QTEST_MAIN(zorva::MainWindowTest)
#include "main_window_test.moc"

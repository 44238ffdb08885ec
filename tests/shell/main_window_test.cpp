// The main window: its menu bar, the view commands, the keyboard's way into
// the machine, start-up, the caption, and closing while the processor runs.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <span>

#include "shell/commands.h"
#include "shell/screen_view.h"
#include "shell/zorva_dlg.h"
#include "shell_test_support.h"

namespace zorva {

using testing::ScratchDir;
using testing::ScriptedModals;
using testing::SeenBox;
using testing::Stepper;
using testing::TestRom;

namespace {

struct Item {
  const char* text;  // nullptr: separator
  int id;
  bool enabled;
};
constexpr Item kSep{nullptr, 0, true};

void CompareItems(const QList<QAction*>& actions, std::span<const Item> expected) {
  QCOMPARE(actions.size(), qsizetype(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    const QAction* action = actions[qsizetype(i)];
    if (expected[i].text == nullptr) {
      QVERIFY(action->isSeparator());
      continue;
    }
    QCOMPARE(action->text(), QString::fromUtf8(expected[i].text));
    QCOMPARE(action->data().toInt(), expected[i].id);
    QCOMPARE(action->isEnabled(), expected[i].enabled);
  }
}

QAction* MenuBarAction(const CZorvaDlg& dlg, const QString& title) {
  for (QAction* action : dlg.menuBar()->actions()) {
    if (action->text() == title) return action;
  }
  return nullptr;
}

// One key event as a platform delivers it.
struct KeyEvent {
  QEvent::Type type;
  int key;
  quint32 scanCode = 0;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  bool autoRepeat = false;
};
using KeyEvents = QList<KeyEvent>;
constexpr auto kDown = QEvent::KeyPress;
constexpr auto kUp = QEvent::KeyRelease;

}  // namespace
}  // namespace zorva

Q_DECLARE_METATYPE(zorva::KeyEvents)

namespace zorva {

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void menuBarMatchesTheResource();
  void debugPopupCannotBeOpenedButItsCommandsAct();
  void viewCommandsSizeTheScreen_data();
  void viewCommandsSizeTheScreen();
  void keysReachTheMatrix_data();
  void keysReachTheMatrix();
  void heldKeysLetGoWhenTheFocusLeaves();
  void startUpWithoutRom();
  void runsByItselfAndKeepsTheCaption();
  void closingWhileRunningEndsWithTraceClosed();
  void noFileDialogAfterTheWindowHasEnded();
  void iconAndAboutPictureAreBuiltIn();
};

void MainWindowTest::menuBarMatchesTheResource() {
  CZorvaDlg dlg;
  QStringList titles;
  for (const QAction* action : dlg.menuBar()->actions()) titles << action->text();
  QCOMPARE(titles, (QStringList{"&File", "&Processor", "&View", "&Debug", "&Help"}));

  const Item file[] = {{"Load Machine &Rom....", cmd::kLoadMachineRom, true},
                       {"&Load Cartridge image", cmd::kLoadCartridge, true},
                       {"&Save Memory image", cmd::kSaveMemoryImage, true},
                       kSep,
                       {"E&xit", cmd::kExit, true}};
  const Item processor[] = {{"&Start", cmd::kStart, true},
                            {"S&top", cmd::kStop, true},
                            kSep,
                            {"S&low", cmd::kSlow, false},
                            {"&Medium", cmd::kMedium, false},
                            {"&Fast", cmd::kFast, false},
                            kSep,
                            {"&Advanced...", cmd::kAdvanced, true},
                            {"&Reset", cmd::kReset, true}};
  const Item view[] = {{"&100%", cmd::kView100, true},
                       {"&200%", cmd::kView200, true},
                       {"&400%", cmd::kView400, true},
                       kSep,
                       {"&Clear Screen Ram", cmd::kClearScreenRam, true}};
  const Item debug[] = {{"&Log to file.", cmd::kLogToFile, true},
                        {"&Stop Logging", cmd::kStopLogging, true},
                        kSep,
                        {"&Test", cmd::kTest, true}};
  const Item help[] = {{"&About ZORVA", cmd::kAbout, true}};
  const QList<QAction*> bar = dlg.menuBar()->actions();
  CompareItems(bar[0]->menu()->actions(), file);
  CompareItems(bar[1]->menu()->actions(), processor);
  CompareItems(bar[2]->menu()->actions(), view);
  CompareItems(dlg.debugMenu()->actions(), debug);
  CompareItems(bar[4]->menu()->actions(), help);
  QVERIFY(bar[3]->isEnabled());  // Debug: normal text, not greyed

  // No accelerators: every key goes to the machine.
  for (const QAction* action : dlg.findChildren<QAction*>()) {
    QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
  }
}

void MainWindowTest::debugPopupCannotBeOpenedButItsCommandsAct() {
  ScratchDir dir;
  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  dlg.emulator().InitMachine();
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  QMenuBar* bar = dlg.menuBar();
  const auto click = [bar](QAction* action) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
  };
  click(MenuBarAction(dlg, "&File"));  // File opens: the check below can see a popup
  QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
  QApplication::activePopupWidget()->close();
  QTRY_COMPARE(QApplication::activePopupWidget(), nullptr);

  click(MenuBarAction(dlg, "&Debug"));
  QTest::keyClick(&dlg, Qt::Key_D, Qt::AltModifier);
  QTest::qWait(50);
  QCOMPARE(QApplication::activePopupWidget(), nullptr);

  dlg.OnCommand(cmd::kLogToFile);
  QVERIFY(dlg.emulator().loggingOn());
  QVERIFY(QFile::exists(dir.file("trace.log")));
  dlg.OnCommand(cmd::kStopLogging);
  QVERIFY(!dlg.emulator().loggingOn());
  dlg.OnCommand(cmd::kTest);
  QCOMPARE(modals.kinds(), QStringList{"QMessageBox"});
  QCOMPARE(modals.seen[0].text, QStringLiteral("Reserved for developers use."));
  QCOMPARE(modals.seen[0].title, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

void MainWindowTest::viewCommandsSizeTheScreen_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<bool>("fromMenu");
  QTest::addColumn<QSize>("screen");
  QTest::newRow("100%") << cmd::kView100 << false << QSize(320, 200);
  QTest::newRow("200% from the menu") << cmd::kView200 << true << QSize(640, 400);
  QTest::newRow("400% is three times") << cmd::kView400 << false << QSize(960, 600);
  QTest::newRow("400% from the menu") << cmd::kView400 << true << QSize(960, 600);
}

void MainWindowTest::viewCommandsSizeTheScreen() {
  QFETCH(int, id);
  QFETCH(bool, fromMenu);
  QFETCH(QSize, screen);
  CZorvaDlg dlg;
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  dlg.OnCommand(id == cmd::kView200 ? cmd::kView400 : cmd::kView200);  // a size to change from
  if (fromMenu) {
    for (QAction* action : dlg.findChildren<QAction*>()) {
      if (action->data().toInt() == id) action->trigger();
    }
    QTRY_COMPARE(dlg.screen()->size(), screen);
  } else {
    dlg.OnCommand(id);
    QCOMPARE(dlg.screen()->size(), screen);
  }
  QCOMPARE(dlg.screen()->pos(), QPoint(10, 23));
  QCOMPARE(dlg.clientArea()->geometry(),
           QRect(QPoint(0, dlg.menuBar()->height()), screen + QSize(24, 36)));
  // Exactly as large as its contents, and not resizable by the user.
  QTRY_COMPARE(dlg.size(),
               QSize(screen.width() + 24, dlg.menuBar()->height() + screen.height() + 36));
  QCOMPARE(dlg.minimumSize(), dlg.size());
  QCOMPARE(dlg.maximumSize(), dlg.size());
}

void MainWindowTest::keysReachTheMatrix_data() {
  QTest::addColumn<KeyEvents>("events");
  // Then the ports 0x00FF (all columns), 0xBFFF (A's column), 0xFEFF and 0x7FFF.
  QTest::addColumn<QList<int>>("ports");
  constexpr quint32 kA = 38;  // XKB keycode of the key A
  constexpr auto kShift = Qt::ShiftModifier;
  QTest::newRow("Enter is the dialog's OK: RETURN")
      << KeyEvents{{kDown, Qt::Key_Return}} << QList<int>{0xF7, 0xFF, 0xF7, 0x0F};
  QTest::newRow("Enter released") << KeyEvents{{kDown, Qt::Key_Return}, {kUp, Qt::Key_Return}}
                                  << QList<int>{0xFF, 0xFF, 0xFF, 0x0F};
  QTest::newRow("keypad Enter too") << KeyEvents{{kDown, Qt::Key_Enter, 0, Qt::KeypadModifier}}
                                    << QList<int>{0xF7, 0xFF, 0xF7, 0x0F};
  QTest::newRow("Escape does nothing")
      << KeyEvents{{kDown, Qt::Key_Escape}} << QList<int>{0xFF, 0xFF, 0xFF, 0xFF};
  QTest::newRow("F5 is a key, not Start")
      << KeyEvents{{kDown, Qt::Key_F5}} << QList<int>{0x00, 0xFF, 0xFF, 0xFF};
  QTest::newRow("Shift+F5 is a key, not Stop")
      << KeyEvents{{kDown, Qt::Key_Shift}, {kDown, Qt::Key_F5, 0, kShift}}
      << QList<int>{0x00, 0xFF, 0xFF, 0xEF};
  QTest::newRow("Tab is a key, not focus")
      << KeyEvents{{kDown, Qt::Key_Tab}} << QList<int>{0x00, 0xFF, 0xFF, 0xFF};
  QTest::newRow("A pressed") << KeyEvents{{kDown, Qt::Key_A, kA}}
                             << QList<int>{0xDF, 0xDF, 0xFF, 0xFF};
  QTest::newRow("A released") << KeyEvents{{kDown, Qt::Key_A, kA}, {kUp, Qt::Key_A, kA}}
                              << QList<int>{0xFF, 0xFF, 0xFF, 0xFF};
  QTest::newRow("held A: no release on auto-repeat")
      << KeyEvents{{kDown, Qt::Key_A, kA}, {kUp, Qt::Key_A, kA, {}, true}}
      << QList<int>{0xDF, 0xDF, 0xFF, 0xFF};
  QTest::newRow("held A: auto-repeat presses again")
      << KeyEvents{{kDown, Qt::Key_A, kA}, {kDown, Qt::Key_F1}, {kDown, Qt::Key_A, kA, {}, true}}
      << QList<int>{0xDF, 0xDF, 0xFF, 0xFF};
  QTest::newRow("release undoes its own press")  // the layout changed while A was down
      << KeyEvents{{kDown, Qt::Key_A, kA}, {kUp, Qt::Key_Q, kA}}
      << QList<int>{0xFF, 0xFF, 0xFF, 0xFF};
  QTest::newRow("Alt+A is the menu's")
      << KeyEvents{{kDown, Qt::Key_A, kA, Qt::AltModifier}} << QList<int>{0xFF, 0xFF, 0xFF, 0xFF};
  QTest::newRow("Alt alone") << KeyEvents{{kDown, Qt::Key_Alt}, {kUp, Qt::Key_Alt}}
                             << QList<int>{0xFF, 0xFF, 0xFF, 0xFF};
  QTest::newRow("F10 is a system key")
      << KeyEvents{{kDown, Qt::Key_F10}} << QList<int>{0xFF, 0xFF, 0xFF, 0xFF};
}

// Whatever the keys, the window stays, no box opens and nothing starts.
void MainWindowTest::keysReachTheMatrix() {
  QFETCH(KeyEvents, events);
  QFETCH(QList<int>, ports);
  ScratchDir dir;
  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  dlg.emulator().InitMachine();
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  for (const KeyEvent& e : events) {
    QKeyEvent event(e.type, e.key, e.modifiers, e.scanCode, 0, 0, QString(), e.autoRepeat);
    QApplication::sendEvent(&dlg, &event);
  }
  QCoreApplication::processEvents();
  const auto port = [&dlg](uint16_t p) { return int(dlg.emulator().portSpace()[p]); };
  QCOMPARE((QList<int>{port(0x00FF), port(0xBFFF), port(0xFEFF), port(0x7FFF)}), ports);
  QVERIFY(dlg.isVisible());
  QVERIFY(modals.seen.empty());
  QVERIFY(!dlg.emulator().keepRunning());
}

void MainWindowTest::heldKeysLetGoWhenTheFocusLeaves() {
  CZorvaDlg dlg;
  dlg.emulator().InitMachine();
  dlg.show();
  QVERIFY(QTest::qWaitForWindowActive(&dlg));
  QTest::keyPress(&dlg, Qt::Key_A);
  QCOMPARE(dlg.emulator().portSpace()[0xBFFF], uint8_t{0xDF});
  QWidget other;
  other.show();
  other.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&other));
  QCOMPARE(dlg.emulator().portSpace()[0xBFFF], uint8_t{0xFF});
}

// No aquarius.rom: the About box first, then the machine and the 200% view,
// the open failure and the ROM dialog, and the automatic Start's refusal once
// the window is up.
void MainWindowTest::startUpWithoutRom() {
  ScratchDir dir;
  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  struct Moment {
    QString kind, text;
    int zoom;
    bool timers, visible;
  };
  std::vector<Moment> moments;
  QSize sizeWhenRunning;
  modals.answer = [&](QDialog&, const SeenBox& seen) {
    moments.push_back({seen.kind, seen.text, dlg.screen()->zoom(),
                       dlg.screenTimerActive() && dlg.titleTimerActive(), dlg.isVisible()});
    if (seen.text.startsWith(QLatin1String("Cannot run"))) {
      sizeWhenRunning = dlg.clientArea()->size();
      QMetaObject::invokeMethod(&dlg, &QWidget::close, Qt::QueuedConnection);
    }
    return ScriptedModals::kDefault;
  };

  QCOMPARE(dlg.exec(), int(QDialog::Rejected));

  QCOMPARE(moments.size(), size_t{4});
  QCOMPARE(moments[0].kind, QStringLiteral("zorva::CAboutDlg"));
  QCOMPARE(moments[0].zoom, 1);  // before any set-up
  QVERIFY(!moments[0].visible);
  QCOMPARE(moments[1].kind, QStringLiteral("QMessageBox"));
  QCOMPARE(moments[1].text, QStringLiteral("Can't find/open file 'aquarius.rom', error = 2\n"));
  QCOMPARE(moments[1].zoom, 2);
  QVERIFY(!moments[1].timers);
  QCOMPARE(moments[2].kind, QStringLiteral("QFileDialog"));
  QCOMPARE(modals.seen[2].nameFilters, (QStringList{"ROM Files (*.rom)", "All Files (*)"}));
  QCOMPARE(modals.seen[2].presetName, QStringLiteral("*.rom"));
  QCOMPARE(moments[3].text, QStringLiteral("Cannot run: No ROM loaded."));
  QVERIFY(moments[3].timers);
  QVERIFY(moments[3].visible);
  QCOMPARE(sizeWhenRunning, QSize(664, 436));
  QVERIFY(!dlg.isVisible());
}

// With a ROM the processor starts without a Start command; the caption is
// "Zorva" until the title timer empties it, and shows the cypher once the
// program writes the scramble port. F5 and Shift+F5 neither stop nor restart.
void MainWindowTest::runsByItselfAndKeepsTheCaption() {
  ScratchDir dir;
  TestRom rom;
  rom.Poke(0x4000, 0x55).WaitForKey().Scramble(0xA3).Spin();
  QVERIFY(rom.Save(dir.file("aquarius.rom")));
  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  const Emulator& emu = dlg.emulator();

  QString firstTitle, emptiedTitle, cypherTitle, keptTitle;
  bool runningAfterF5 = false;
  Stepper steps;
  steps
      .Then([&] { return emu.memory()[0x4000] == 0x55; },
            [&] {
              firstTitle = dlg.windowTitle();
              dlg.OnTitleTimer();
              emptiedTitle = dlg.windowTitle();
              // Held until the next step, so the program sees them.
              QTest::keyPress(&dlg, Qt::Key_F5, Qt::ShiftModifier);
              QTest::keyPress(&dlg, Qt::Key_F5);
            })
      .Then([&] { return dlg.windowTitle().contains(QLatin1String("cypher")); },
            [&] {
              runningAfterF5 = emu.runLoopActive() && emu.keepRunning();
              QTest::keyRelease(&dlg, Qt::Key_F5);
              QTest::keyRelease(&dlg, Qt::Key_F5, Qt::ShiftModifier);
              cypherTitle = dlg.windowTitle();
              dlg.OnTitleTimer();
              keptTitle = dlg.windowTitle();
              dlg.close();
            });
  steps.Start([&] { dlg.close(); });
  dlg.exec();

  QVERIFY2(steps.finished(), qPrintable(QStringLiteral("stuck at step %1").arg(steps.stuckAt())));
  QCOMPARE(modals.kinds(), QStringList{"zorva::CAboutDlg"});
  QCOMPARE(firstTitle, QStringLiteral("Zorva"));
  QCOMPARE(emptiedTitle, QString());
  QVERIFY(runningAfterF5);
  QCOMPARE(cypherTitle, QStringLiteral("Zorva - (Current cypher: a3)"));
  QCOMPARE(keptTitle, cypherTitle);
}

void MainWindowTest::closingWhileRunningEndsWithTraceClosed() {
  ScratchDir dir;
  TestRom rom;
  rom.Bytes({0x23, 0x18, 0xFD});  // loop: INC HL ; JR loop
  QVERIFY(rom.Save(dir.file("aquarius.rom")));
  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  const Emulator& emu = dlg.emulator();

  uint16_t hlAtClose = 0;
  Stepper steps;
  steps.Then([&] { return emu.runLoopActive(); }, [&] { dlg.OnCommand(cmd::kLogToFile); })
      .Then([&] { return emu.registers().HL > 200; },
            [&] {
              dlg.close();
              hlAtClose = emu.registers().HL;
            });
  steps.Start([&] { dlg.close(); });
  QCOMPARE(dlg.exec(), int(QDialog::Rejected));

  QVERIFY2(steps.finished(), qPrintable(QStringLiteral("stuck at step %1").arg(steps.stuckAt())));
  QCOMPARE(emu.registers().HL, hlAtClose);  // not one instruction after the request
  QVERIFY(!emu.runLoopActive());
  QVERIFY(!emu.loggingOn());
  QVERIFY(!dlg.screenTimerActive());
  QVERIFY(!dlg.isVisible());
  QFile trace(dir.file("trace.log"));
  QVERIFY(trace.open(QIODevice::ReadOnly));
  const QByteArray text = trace.readAll();
  QVERIFY(text.size() > 200);
  QVERIFY(text.endsWith("\r\n"));  // closed after a whole line
}

// Load Cartridge and a close request in the same breath: the run loop ends,
// re-posts the close, and its tail would open the cartridge dialog. The close
// is served first, and a window that has ended asks for no file.
void MainWindowTest::noFileDialogAfterTheWindowHasEnded() {
  ScratchDir dir;
  TestRom rom;
  rom.Spin();
  QVERIFY(rom.Save(dir.file("aquarius.rom")));
  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  Stepper steps;
  steps.Then([&] { return dlg.emulator().runLoopActive(); },
             [&] {
               dlg.OnCommand(cmd::kLoadCartridge);
               dlg.close();
             });
  steps.Start([&] { dlg.close(); });
  QCOMPARE(dlg.exec(), int(QDialog::Rejected));
  QVERIFY(steps.finished());
  QVERIFY(dlg.ended());
  QCOMPARE(modals.kinds(), QStringList{"zorva::CAboutDlg"});
  QVERIFY(!dlg.emulator().runLoopActive());
}

void MainWindowTest::iconAndAboutPictureAreBuiltIn() {
  CZorvaDlg dlg;
  QList<QSize> sizes = dlg.windowIcon().availableSizes();
  for (int side : {16, 32, 48, 64, 128})
    QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));

  ScriptedModals modals;
  dlg.SetModalRunner(modals);
  QSize picture;
  QString title;
  modals.answer = [&](QDialog& box, const SeenBox&) {
    title = box.windowTitle();
    if (const auto* label = box.findChild<QLabel*>(QStringLiteral("picture"))) {
      picture = label->pixmap().size();
    }
    return ScriptedModals::kDefault;
  };
  dlg.OnCommand(cmd::kAbout);
  QCOMPARE(title, QStringLiteral("About Zorva"));
  QCOMPARE(picture, QSize(216, 91));
}

}  // namespace zorva

QTEST_MAIN(zorva::MainWindowTest)
#include "main_window_test.moc"

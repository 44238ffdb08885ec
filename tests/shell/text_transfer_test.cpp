// Text in and out of the window: the clipboard typed with Shift+Insert, what a
// key on the real keyboard does to typing in progress, the screen copied with
// Ctrl+Insert, and files and text dropped on the window.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRegularExpression>
#include <QtTest>
#include <string>
#include <vector>

#include "shell/commands.h"
#include "shell/zorva_dlg.h"
#include "tests/shell/window_fixture.h"

namespace zorva {
namespace {

using testing::Poke;
using testing::RunSteps;
using testing::SaveRom;
using testing::Window;

// Records each new value of the all-columns key cell (0x00FF) from 0x4000 on:
// LD HL,0x4000; LD BC,0x00FF; LD E,0xFF; loop: IN A,(C); CP E; JR Z,loop;
// LD (HL),A; INC HL; LD E,A; JR loop
const std::vector<uint8_t> kRecorder = {0x21, 0x00, 0x40, 0x01, 0xFF, 0x00, 0x1E, 0xFF, 0xED,
                                        0x78, 0xBB, 0x28, 0xFB, 0x77, 0x23, 0x5F, 0x18, 0xF6};

// The row bytes the recorder saw, as hex.
QString Recorded(const Emulator& emu) {
  QStringList bytes;
  for (int at = 0x4000; emu.memory()[at] != 0; ++at)
    bytes << QString::asprintf("%02x", emu.memory()[at]);
  return bytes.join(' ');
}

bool Ready(Window& w, const std::vector<uint8_t>& rom) {
  w.emu.InitMachine();
  if (!SaveRom(w.dir.filePath("test.rom"), rom)) return false;
  if (!w.emu.LoadRomFile(w.dir.filePath("test.rom").toStdString())) return false;
  w.dlg.show();
  return QTest::qWaitForWindowActive(&w.dlg);
}

}  // namespace

class TextTransferTest : public QObject {
  Q_OBJECT

 private slots:
  void pastedTextIsTypedAndAKeyEndsIt();
  void copyGivesTheScreenAsText();
  void dropsLoadTypeOrRefuse();
};

// Shift+Insert types the clipboard with Shift let go of first; Shift pressed
// while it types stays out of the machine, a second paste is appended, and a
// key of the user's ends the typing. Characters without a key are told of once.
void TextTransferTest::pastedTextIsTypedAndAKeyEndsIt() {
  Window w;
  QVERIFY(Ready(w, kRecorder));
  // Each event some milliseconds apart, so that the steps below, which look
  // every 2 ms at best, find the typing where they expect it.
  w.emu.SetTypingPace({.hold = 3'000'000, .gap = 3'000'000});
  QGuiApplication::clipboard()->setText("a\r\nb\t");
  const auto paste = [&] {
    QTest::keyPress(&w.dlg, Qt::Key_Shift);
    QTest::keyClick(&w.dlg, Qt::Key_Insert, Qt::ShiftModifier);
  };
  size_t passed = 0;
  QString afterFirst;
  const auto steps = RunSteps(
      {{[] { return true; }, paste},
       {[&] { return w.emu.typingLeft() <= 2; },  // a and Enter typed: b left, and Shift up
        [&] {
          QTest::keyRelease(&w.dlg, Qt::Key_Shift, Qt::ShiftModifier);
          QGuiApplication::clipboard()->setText("c");
          paste();
        }},
       {[&] { return !w.emu.typing(); },
        [&] {
          QTest::keyRelease(&w.dlg, Qt::Key_Shift, Qt::ShiftModifier);
          afterFirst = Recorded(w.emu);
          QGuiApplication::clipboard()->setText("aaaaaaaaaa");
          paste();
        }},
       {[&] { return w.emu.typingLeft() <= 8; }, [&] { QTest::keyPress(&w.dlg, Qt::Key_D); }},
       {[&] { return !w.emu.typing(); }, [&] { w.emu.OnStop(); }}},
      passed, [&] { w.emu.OnStop(); });
  w.dlg.OnCommand(cmd::kStart);
  QCOMPARE(passed, size_t{5});
  // a, Enter, b, c: Shift never showed (it would be 00), the tab was skipped.
  QCOMPARE(afterFirst, QStringLiteral("df ff f7 ff df ff ef ff"));
  QCOMPARE(w.seen, QStringList{"QMessageBox: 1 character was not typed: it has no key on this "
                               "keyboard."});
  // Some a's (one may be down as D comes, and D's press lets go of it), then D (row ef) from the
  // real keyboard, and no more a's.
  const QString rest = Recorded(w.emu).mid(afterFirst.size());
  QVERIFY2(QRegularExpression("^( df ff){2,8}( df)? ef$").match(rest).hasMatch(), qPrintable(rest));
}

// Ctrl+Insert: 25 lines without trailing spaces; graphics as Unicode.
void TextTransferTest::copyGivesTheScreenAsText() {
  std::vector<uint8_t> rom;
  Poke(rom, 0x3000, 'H');
  Poke(rom, 0x3001, 'i');
  Poke(rom, 0x3002, 0x80);                 // box horizontal
  Poke(rom, 0x3003, 0x20);                 // a space, then nothing: trimmed
  Poke(rom, 0x3000 + 40 * 24 + 39, 0x7F);  // the solid block, last cell
  rom.insert(rom.end(), {0x18, 0xFE});     // JR to itself
  Window w;
  QVERIFY(Ready(w, rom));
  size_t passed = 0;
  const auto steps = RunSteps({{[&] { return w.emu.memory()[0x33E7] == 0x7F; },
                                [&] {
                                  QTest::keyClick(&w.dlg, Qt::Key_Insert, Qt::ControlModifier);
                                  w.emu.OnStop();
                                }}},
                              passed, [&] { w.emu.OnStop(); });
  QGuiApplication::clipboard()->clear();
  w.dlg.OnCommand(cmd::kStart);
  QCOMPARE(passed, size_t{1});
  const QString expected = QStringLiteral("Hi\u2500\n") + QString(23, '\n') + QString(39, ' ') +
                           QStringLiteral("\u2588\n");
  QCOMPARE(QGuiApplication::clipboard()->text(), expected);
  QVERIFY(w.emu.portSpace()[0x00FF] == 0xFF);  // no key reached the machine
}

// The way from a drop to the emulator's drop command, which tells the kinds
// apart (tests/run): each row drops on a fresh window whose machine runs, or
// was stopped first, files by name (made with a size and a filling byte) or
// plain text.
void TextTransferTest::dropsLoadTypeOrRefuse() {
  const struct {
    const char* name;
    QStringList files;  // "name:size:byte"
    QString text;       // dropped as text when there are no files
    bool stopped;
    QString outcome;
  } rows[] = {
      {"cartridge", {"game.bin:16384:17"}, {}, false, "C000=11 0000=21 typing 0 boxes 0"},
      {"ROM while running", {"sys.rom:8192:34"}, {}, false, "C000=00 0000=21 typing 0 boxes 1"},
      {"text file", {"prog.bas:12:65"}, {}, false, "C000=00 0000=21 typing 12 boxes 0"},
      {"ROM while stopped", {"sys.rom:8192:34"}, {}, true, "C000=00 0000=22 typing 0 boxes 0"},
      {"several",
       {"prog.bas:5:65", "game.bin:16384:17"},
       {},
       false,
       "C000=00 0000=21 typing 5 boxes 1"},
      {"text", {}, "10 PRINT", false, "C000=00 0000=21 typing 8 boxes 0"},
  };
  for (const auto& row : rows) {
    Window w;
    QVERIFY(Ready(w, kRecorder));
    w.emu.SetTypingPace({.hold = 1'000'000'000, .gap = 1'000'000'000});  // never done here
    auto* data = new QMimeData;  // the drop event's, deleted with the drag as Qt does
    QList<QUrl> urls;
    for (const QString& file : row.files) {
      const QStringList parts = file.split(':');
      QFile out(w.dir.filePath(parts[0]));
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(QByteArray(parts[1].toInt(), char(parts[2].toInt())));
      urls << QUrl::fromLocalFile(out.fileName());
    }
    if (urls.isEmpty()) data->setText(row.text);
    else data->setUrls(urls);
    // The drop lands while the machine runs (or after Stop); the window
    // carries it out after the event, which processEvents here brings about
    // at once. From then on the machine is stopped whenever it runs: a
    // cartridge restarts it, from the end of the run it stopped.
    bool dropped = false;
    QTimer stopper;
    const QDeadlineTimer deadline(10000);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
      if (!dropped && !deadline.hasExpired()) {
        if (row.stopped) w.emu.OnStop();
        // As a drag arrives: it enters, then drops.
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(&w.dlg, &enter);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(&w.dlg, &drop);
        QCoreApplication::processEvents();
        dropped = true;
      } else {
        w.emu.OnStop();
      }
    });
    stopper.start(2);
    w.dlg.OnCommand(cmd::kStart);
    QVERIFY(dropped);
    const auto at = [&](int address) { return QString::asprintf("%02x", w.emu.memory()[address]); };
    QCOMPARE(QStringLiteral("%1: C000=%2 0000=%3 typing %4 boxes %5")
                 .arg(row.name, at(0xC000), at(0x0000))
                 .arg(w.emu.typingLeft())
                 .arg(w.seen.size()),
             QStringLiteral("%1: %2").arg(row.name, row.outcome));
    delete data;
  }
}

}  // namespace zorva

QTEST_MAIN(zorva::TextTransferTest)
#include "text_transfer_test.moc"

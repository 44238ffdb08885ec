// The screen as the window shows it: cell colours and glyph pixels at zoom 1
// and 3, the screen's place in the client area, and a colour-only change that
// waits for a full redraw.
#include <QtTest>

#include "resources/glyph_sheet.h"
#include "shell/commands.h"
#include "shell/zorva_dlg.h"
#include "shell_test_support.h"

namespace zorva {

using testing::ScratchDir;
using testing::ScriptedModals;
using testing::Stepper;
using testing::TestRom;

namespace {

constexpr uint8_t kLetter = 'H';
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGrey = qRgb(128, 128, 128);

// The colours of the nibbles the cells below use.
QRgb Colour(unsigned nibble) {
  switch (nibble) {
    case 0x0: return kBlack;
    case 0x7: return kWhite;
    case 0x8: return kBlack;
    case 0xF: return kGrey;
    default: qFatal("no colour for nibble %x in this test", nibble);
  }
}

struct Cell {
  int column, row;
  uint8_t colour;
};
constexpr Cell kCells[] = {{0, 0, 0x70}, {1, 0, 0x07}, {2, 0, 0x8F}, {3, 0, 0x00}, {39, 24, 0x70}};

uint16_t CellOffset(const Cell& cell) { return static_cast<uint16_t>(40 * cell.row + cell.column); }

// Compares one cell of a picture of the client area with the glyph in the
// cell's colours; returns a description of the first difference.
QString CheckCell(const QImage& client, const Cell& cell, int zoom, uint8_t colour) {
  const QRgb ink = Colour(colour >> 4);
  const QRgb paper = Colour(colour & 0x0F);
  for (int y = 0; y < 8 * zoom; ++y) {
    for (int x = 0; x < 8 * zoom; ++x) {
      const QRgb want = GlyphInk(kLetter, x / zoom, y / zoom) ? ink : paper;
      const int px = 10 + (8 * cell.column) * zoom + x;
      const int py = 23 + (8 * cell.row) * zoom + y;
      const QRgb got = client.pixel(px, py) | 0xFF000000;
      if (got != want) {
        return QStringLiteral("cell (%1,%2) pixel (%3,%4): %5, expected %6")
            .arg(cell.column)
            .arg(cell.row)
            .arg(x)
            .arg(y)
            .arg(got, 8, 16)
            .arg(want, 8, 16);
      }
    }
  }
  return {};
}

}  // namespace

class ScreenViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cellsInTheirColours_data();
  void cellsInTheirColours();
  void colourOnlyChangeWaitsForFullRedraw();
};

void ScreenViewTest::cellsInTheirColours_data() {
  QTest::addColumn<int>("viewCommand");
  QTest::addColumn<int>("zoom");
  QTest::newRow("100%") << cmd::kView100 << 1;
  QTest::newRow("400%") << cmd::kView400 << 3;
}

void ScreenViewTest::cellsInTheirColours() {
  QFETCH(int, viewCommand);
  QFETCH(int, zoom);
  // The letter has ink and paper, so each cell shows both its colours.
  bool ink = false, paper = false;
  for (int i = 0; i < 64; ++i) (GlyphInk(kLetter, i % 8, i / 8) ? ink : paper) = true;
  QVERIFY(ink && paper);

  ScratchDir dir;
  TestRom rom;
  for (const Cell& cell : kCells) {
    rom.Poke(0x3000 + CellOffset(cell), kLetter).Poke(0x3400 + CellOffset(cell), cell.colour);
  }
  const uint16_t end = rom.Here();
  QVERIFY(rom.Save(dir.file("cells.rom")));

  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  Emulator& emu = dlg.emulator();
  emu.InitMachine();
  QVERIFY(emu.LoadRomFile(dir.file("cells.rom").toStdString()));
  emu.OnAdvanced({.start = 0, .end = end, .showPcSp = false});
  dlg.OnCommand(viewCommand);
  dlg.OnCommand(cmd::kStart);  // returns at the end point
  QCOMPARE(emu.registers().PC, end);
  QVERIFY(modals.seen.empty());

  const QImage client = dlg.clientArea()->grab().toImage();
  QCOMPARE(client.size(), QSize(24 + 320 * zoom, 36 + 200 * zoom));
  for (const Cell& cell : kCells) {
    const QString difference = CheckCell(client, cell, zoom, cell.colour);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
  }
  // A blank cell next to them: memory 0 is code 0 in colour 0, solid black.
  QCOMPARE(client.pixel(10 + 8 * zoom * 5 + 1, 23 + 1) | 0xFF000000, kBlack);
}

// Inside one run: the colour byte of a painted cell changes, its character
// does not. A screen tick leaves the old colours; after the title tick's full
// redraw the new ones show.
void ScreenViewTest::colourOnlyChangeWaitsForFullRedraw() {
  ScratchDir dir;
  const Cell cell{0, 0, 0x70};
  TestRom rom;
  rom.Poke(0x3000, kLetter).Poke(0x3400, 0x70).WaitForKey().Poke(0x3400, 0x07).Spin();
  QVERIFY(rom.Save(dir.file("colour.rom")));

  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  Emulator& emu = dlg.emulator();
  emu.InitMachine();
  QVERIFY(emu.LoadRomFile(dir.file("colour.rom").toStdString()));
  dlg.OnCommand(cmd::kView100);
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));

  const QString notReached = QStringLiteral("not reached");
  QString before = notReached, afterTick = notReached, afterFullRedraw = notReached;
  Stepper steps;
  steps
      .Then([&] { return emu.memory()[0x3400] == 0x70; },
            [&] {
              dlg.OnScreenTimer();
              before = CheckCell(dlg.clientArea()->grab().toImage(), cell, 1, 0x70);
              QTest::keyPress(&dlg, Qt::Key_A);
            })
      .Then([&] { return emu.memory()[0x3400] == 0x07; },
            [&] {
              dlg.OnScreenTimer();
              afterTick = CheckCell(dlg.clientArea()->grab().toImage(), cell, 1, 0x70);
              dlg.OnTitleTimer();
              dlg.OnScreenTimer();
              afterFullRedraw = CheckCell(dlg.clientArea()->grab().toImage(), cell, 1, 0x07);
              emu.OnStop();
            });
  steps.Start([&] { emu.OnStop(); });
  dlg.OnCommand(cmd::kStart);  // runs the steps from its pump; returns at Stop

  QVERIFY2(steps.finished(), qPrintable(QStringLiteral("stuck at step %1").arg(steps.stuckAt())));
  QVERIFY2(before.isEmpty(), qPrintable(before));
  QVERIFY2(afterTick.isEmpty(), qPrintable(afterTick));
  QVERIFY2(afterFullRedraw.isEmpty(), qPrintable(afterFullRedraw));
}

}  // namespace zorva

QTEST_MAIN(zorva::ScreenViewTest)
#include "screen_view_test.moc"

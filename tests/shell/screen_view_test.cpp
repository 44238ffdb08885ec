// The screen view on devices of any pixel ratio, as on a desktop scaled by
// 125 % or 175 %: every machine pixel is a square of the same whole number of
// device pixels, the largest that fits, centred on black; where the ratio is
// whole, exactly the frame enlarged as before.
#include "shell/screen_view.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "run/emulator.h"
#include "tests/support/recording_host.h"

namespace zorva {

class ScreenViewTest : public QObject {
  Q_OBJECT

 private slots:
  void wholeDevicePixelsAtEveryRatio();
};

namespace {

constexpr QRgb kUntouched = 0xFFFF00FF;  // in no cell's palette
constexpr QRgb kBlack = 0xFF000000;

// Runs a ROM that fills every cell with its address's low byte OR 11h, as
// character and as colours: no colour number is 0 or 8, so no pixel is black.
bool FillScreen(Emulator& emu, const QString& dir) {
  const char program[] = {'\x21', '\x00', '\x30',  // LD HL,3000h
                          '\x7D', '\xF6', '\x11',  // loop: LD A,L ; OR 11h
                          '\x77', '\x23',          // LD (HL),A ; INC HL
                          '\x7C', '\xFE', '\x38',  // LD A,H ; CP 38h
                          '\x20', '\xF6'};         // JR NZ,loop
  QByteArray rom(program, sizeof program);
  rom.resize(8192, '\0');
  QFile file(dir + "/fill.rom");
  if (!file.open(QIODevice::WriteOnly) || file.write(rom) != rom.size()) return false;
  file.close();
  emu.InitMachine();
  if (!emu.LoadRomFile(file.fileName().toStdString())) return false;
  emu.OnAdvanced({.start = 0, .end = sizeof program, .showPcSp = false});
  emu.OnStart();
  return emu.registers().PC == sizeof program;
}

}  // namespace

void ScreenViewTest::wholeDevicePixelsAtEveryRatio() {
  testing::RecordingHost host;
  host.budget = 1000;
  Emulator emu(host);
  QTemporaryDir dir;
  QVERIFY(FillScreen(emu, dir.path()));
  ScreenView view(emu, nullptr);
  const Screen& screen = emu.PaintScreen();
  const auto frame = [&](int x, int y) { return screen.frame[y * Screen::kWidth + x] | kBlack; };
  // Where the window puts the view: its corner falls between device pixels at most ratios.
  const QPoint at(10, 23);

  QStringList faults;
  for (const int zoom : {1, 2, 3}) {
    view.SetZoom(zoom);
    for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
      const QString where = QString("zoom %1, ratio %2: ").arg(zoom).arg(ratio);
      QImage shot(QSize(std::ceil((at.x() + view.width()) * ratio),
                        std::ceil((at.y() + view.height()) * ratio)),
                  QImage::Format_RGB32);
      shot.setDevicePixelRatio(ratio);
      shot.fill(kUntouched);
      view.render(&shot, at);

      // The view's device pixels, and those it covers whole.
      const QRectF exact(QPointF(at) * ratio, QSizeF(view.size()) * ratio);
      const QRect whole(QPoint(std::ceil(exact.left()), std::ceil(exact.top())),
                        QPoint(std::floor(exact.right()) - 1, std::floor(exact.bottom()) - 1));
      QRect picture;
      int unpainted = 0;
      for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
          const QRgb pixel = shot.pixel(x, y);
          if (pixel != kBlack && pixel != kUntouched) picture |= QRect(x, y, 1, 1);
          unpainted += pixel == kUntouched && whole.contains(x, y);
        }
      }
      if (unpainted != 0) faults << where + QString("%1 pixels not painted").arg(unpainted);
      // Largest whole factor that fits: the ratios here are exact in binary.
      const int scale = std::max(1, int(zoom * ratio));
      if (picture.size() != QSize(Screen::kWidth, Screen::kHeight) * scale) {
        faults << where + QString("picture %1 x %2, expected %3 x (320 x 200)")
                              .arg(picture.width())
                              .arg(picture.height())
                              .arg(scale);
        continue;
      }
      if (qAbs((picture.left() - exact.left()) - (exact.right() - picture.right() - 1)) > 1 ||
          qAbs((picture.top() - exact.top()) - (exact.bottom() - picture.bottom() - 1)) > 1)
        faults << where + "picture not centred";
      // Each machine pixel a scale x scale square of its colour; black around it.
      int wrong = 0;
      const QRect checked = whole | picture;
      for (int y = checked.top(); y <= checked.bottom(); ++y) {
        for (int x = checked.left(); x <= checked.right(); ++x) {
          const QPoint p = QPoint(x, y) - picture.topLeft();
          if (picture.contains(x, y))
            wrong += shot.pixel(x, y) != frame(p.x() / scale, p.y() / scale);
          else if (whole.contains(x, y)) wrong += shot.pixel(x, y) != kBlack;
        }
      }
      if (wrong != 0) faults << where + QString("%1 pixels wrong").arg(wrong);

      // At a whole ratio, the frame enlarged by zoom x ratio fills the view and
      // nothing else is touched: the picture as it has always been.
      if (ratio == std::floor(ratio)) {
        QImage before(shot.size(), QImage::Format_RGB32);
        before.fill(kUntouched);
        const int n = zoom * int(ratio);
        const QPoint origin = at * int(ratio);
        for (int y = 0; y < Screen::kHeight * n; ++y) {
          for (int x = 0; x < Screen::kWidth * n; ++x) {
            before.setPixel(origin + QPoint(x, y), frame(x / n, y / n));
          }
        }
        before.setDevicePixelRatio(ratio);
        if (shot != before) faults << where + "not as before";
      }
    }
  }
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

}  // namespace zorva

QTEST_MAIN(zorva::ScreenViewTest)
#include "screen_view_test.moc"

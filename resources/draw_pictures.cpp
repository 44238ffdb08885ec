// draw_pictures: draws Zorva's icon and About picture with QPainter and saves
// them as PNGs. Runs on the build host; needs QtGui but no window system.
//
//   draw_pictures <folder>
//
// writes into folder:
//   zorva-16.png ... zorva-128.png  the icon: a little computer whose screen
//                                   shows a "Z", laid out on a 16 x 16 grid so
//                                   that every edge falls on whole pixels
//   about.png                       216 x 91: the computer, a keyboard console
//                                   with a monitor showing coloured text
//   charset-preview.png             the glyph sheet at 4x with a cell grid
//
// Text on the pictures' screens is drawn with the emulator's own glyphs.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "resources/glyph_sheet.h"

namespace {

// The emulated machine's colour numbers: bit 0 red, 1 green, 2 blue, 3 dark.
QColor MachineColour(int n) {
  if (n == 0) return QColor(0, 0, 0);
  const int base = (n & 8) ? 0 : 127;
  return QColor(base + ((n & 1) ? 128 : 0), base + ((n & 2) ? 128 : 0), base + ((n & 4) ? 128 : 0));
}

enum Colour {
  kRed = 1,
  kGreen = 2,
  kYellow = 3,
  kMagenta = 5,
  kCyan = 6,
  kWhite = 7,
  kDarkBlue = 12
};

// One cell: glyph code in ink and paper colours, each pixel scale x scale.
void DrawGlyph(QImage& image, int left, int top, uint8_t code, QColor ink, QColor paper,
               int scale = 1) {
  QPainter p(&image);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      p.fillRect(left + x * scale, top + y * scale, scale, scale,
                 zorva::GlyphInk(code, x, y) ? ink : paper);
    }
  }
}

void DrawText(QImage& image, int left, int top, std::string_view text, QColor ink, QColor paper) {
  for (char c : text) {
    DrawGlyph(image, left, top, static_cast<uint8_t>(c), ink, paper);
    left += 8;
  }
}

// ---------------------------------------------------------------------------
// The icon. Every shape is placed on a 16 x 16 grid of units (u pixels each,
// so 1 at 16 pixels and 8 at 128); outlines are whole pixels.

const QColor kOutline(0x1c, 0x1e, 0x26);
const QColor kCase(0xe6, 0xe0, 0xcf);
const QColor kCaseShade(0xbf, 0xb7, 0xa2);
const QColor kKeyboard(0x44, 0x47, 0x52);
const QColor kKey(0xe9, 0xe5, 0xd9);
const QColor kLed(0xe8, 0x3a, 0x2e);

// The Z on the icon's screen, 6 x 5 units.
// clang-format off
constexpr const char* kIconZ[] = {
    "######",
    "...##.",
    "..##..",
    ".##...",
    "######",
};
// clang-format on

// A filled box with an outline line pixels wide; rounded by radius pixels when > 0.
void Box(QPainter& p, QRect r, QColor fill, int line, int radius) {
  if (radius <= 0) {
    p.fillRect(r, kOutline);
    p.fillRect(r.adjusted(line, line, -line, -line), fill);
    return;
  }
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(kOutline);
  p.drawRoundedRect(QRectF(r), radius, radius);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(r.adjusted(line, line, -line, -line)), radius - line, radius - line);
  p.setRenderHint(QPainter::Antialiasing, false);
}

QImage DrawIcon(int size) {
  const int u = size / 16;
  auto unit = [u](int x, int y, int w, int h) { return QRect(x * u, y * u, w * u, h * u); };
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  const int line = u >= 8 ? 2 : 1;                  // outline width
  const int gap = u >= 2 ? std::max(1, u / 4) : 0;  // between keys
  const int radius = u >= 4 ? u / 2 + line : 0;

  // Keyboard console across the bottom; the monitor stands on it and the two
  // share the outline between them.
  const QRect console(0, 11 * u - line, size, 5 * u + line - (u >= 2 ? u / 2 : 1));
  Box(p, console, kKeyboard, line, radius);
  auto key = [&](QRect r) {
    if (u >= 2) r.adjust(gap, gap, 0, 0);
    p.fillRect(r, kKey);
  };
  if (u == 1) {
    for (int row = 0; row < 2; ++row) {
      for (int k = 0; k < 6; ++k) key(unit(2 + 2 * k + row, 12 + row, 1, 1));
    }
  } else {
    const int pitch = 3 * u / 2;  // between rows of keys
    for (int row = 0; row < 2; ++row) {
      for (int k = 0; k < 7 - row; ++k)
        key(QRect((1 + 2 * k + row) * u, 11 * u + row * pitch, 2 * u, u));
    }
    key(QRect(5 * u, 11 * u + 2 * pitch, 6 * u, u - u / 4));  // space bar
  }

  const QRect monitor = unit(1, 0, 14, 11);
  Box(p, monitor, kCase, line, radius);
  if (u >= 2) {  // the darker chin
    const int top = 9 * u;
    p.fillRect(QRect(monitor.left() + line, top, monitor.width() - 2 * line,
                     monitor.bottom() + 1 - line - top),
               kCaseShade);
  }
  const QRect screen = unit(3, 2, 10, 7);
  p.fillRect(screen, MachineColour(kDarkBlue));
  if (u >= 3) {  // the screen set into the case: a dark rim above and to the left
    p.fillRect(screen.left() - line, screen.top() - line, screen.width() + line, line, kOutline);
    p.fillRect(screen.left() - line, screen.top(), line, screen.height(), kOutline);
  }
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) {
      if (kIconZ[y][x] == '#') p.fillRect(unit(5 + x, 3 + y, 1, 1), MachineColour(kYellow));
    }
  }
  if (u >= 2) p.fillRect(unit(12, 9, 1, 1).adjusted(u / 4, u / 4, -u / 4, -u / 4), kLed);
  return image;
}

// ---------------------------------------------------------------------------
// The About picture: 216 x 91, the computer on a transparent background.

QColor Mix(QColor a, QColor b, double t) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                          a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t);
}

QImage DrawAbout() {
  QImage image(216, 91, QImage::Format_ARGB32);
  image.fill(Qt::transparent);

  // The console: a keyboard wedge seen from the front and a little above.
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double backY = 58.5, frontY = 79.5, bottomY = 89.5;
    const double backL = 17.5, backR = 198.5, frontL = 3.5, frontR = 212.5;
    // shadow
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(QRectF(frontL + 2, bottomY - 3, frontR - frontL - 2, 4.5), 2, 2);
    // front face and top face
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kCaseShade);
    p.drawRoundedRect(QRectF(frontL, frontY - 2, frontR - frontL, bottomY - frontY + 2), 2, 2);
    QPolygonF top;
    top << QPointF(backL, backY) << QPointF(backR, backY) << QPointF(frontR, frontY)
        << QPointF(frontL, frontY);
    p.setBrush(kCase);
    p.drawPolygon(top);
    // accent stripes along the front
    p.setPen(Qt::NoPen);
    const int stripes[] = {kRed, kYellow, kGreen, kCyan};
    for (int i = 0; i < 4; ++i) {
      p.setBrush(MachineColour(stripes[i]).darker(110));
      p.drawRect(QRectF(frontL + 8 + i * 7, frontY + 3, 5, 3));
    }
    p.setBrush(kLed);
    p.drawEllipse(QPointF(frontR - 10, frontY + 4.5), 1.6, 1.6);

    // Keys in perspective: the key well spans t (0 back .. 1 front) and s (0 left .. 1 right).
    auto at = [&](double s, double t) {
      const double y = backY + (frontY - backY) * t;
      const double l = backL + (frontL - backL) * t, r = backR + (frontR - backR) * t;
      return QPointF(l + (r - l) * s, y);
    };
    auto quad = [&](double s0, double s1, double t0, double t1) {
      QPolygonF q;
      q << at(s0, t0) << at(s1, t0) << at(s1, t1) << at(s0, t1);
      return q;
    };
    p.setBrush(kKeyboard);
    p.setPen(QPen(kOutline, 1));
    p.drawPolygon(quad(0.06, 0.80, 0.12, 0.90));
    p.setPen(Qt::NoPen);
    const int keysInRow[] = {13, 13, 12, 11};
    for (int row = 0; row < 4; ++row) {
      const double t0 = 0.17 + row * 0.15, t1 = t0 + 0.11;
      const double offset = row * 0.012;
      for (int k = 0; k < keysInRow[row]; ++k) {
        const double s0 = 0.075 + offset + k * 0.0555, s1 = s0 + 0.045;
        p.setBrush(kKey);
        p.drawPolygon(quad(s0, s1, t0, t1));
      }
    }
    p.setBrush(kKey);
    p.drawPolygon(quad(0.22, 0.58, 0.77, 0.86));  // space bar
    // cartridge slot on the right
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kCaseShade);
    p.drawPolygon(quad(0.845, 0.955, 0.2, 0.75));
    p.setBrush(kOutline);
    p.drawPolygon(quad(0.87, 0.93, 0.3, 0.4));
  }

  // The monitor, standing behind the console.
  const QRect monitor(54, 1, 108, 60);
  const QRect screen(60, 6, 96, 40);
  {
    QPainter p(&image);
    p.fillRect(QRect(96, 60, 24, 3), kOutline);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(QRectF(monitor).translated(2, 1), 4, 4);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kCase);
    p.drawRoundedRect(QRectF(monitor).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kCaseShade);
    p.drawRect(QRectF(monitor.left() + 3, 50, monitor.width() - 6, 1));
    // knobs and power light on the chin
    p.setBrush(kKeyboard);
    p.drawEllipse(QPointF(monitor.right() - 20, 55), 2.5, 2.5);
    p.drawEllipse(QPointF(monitor.right() - 12, 55), 2.5, 2.5);
    p.setBrush(kLed);
    p.drawEllipse(QPointF(monitor.left() + 9, 55), 1.5, 1.5);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(screen.adjusted(-2, -2, 2, 2), kOutline);
    p.fillRect(screen.adjusted(-1, -1, 1, 1), Mix(kOutline, MachineColour(kDarkBlue), 0.5));
  }

  // What the monitor shows: 12 x 5 cells.
  const QColor paper = MachineColour(kDarkBlue);
  QPainter(&image).fillRect(screen, paper);
  const int x0 = screen.left(), y0 = screen.top();
  DrawText(image, x0 + 8, y0, "ZORVA 1.0", MachineColour(kYellow), paper);
  const struct {
    uint8_t code;
    int colour;
  } sprites[] = {{0x0A, kGreen}, {0x0B, kCyan},  {0x0A, kMagenta}, {0x0B, kYellow},
                 {0x0A, kRed},   {0x00, kWhite}, {0x03, kRed},     {0x01, kYellow},
                 {0x09, kWhite}, {0x0F, kCyan},  {0x04, kMagenta}, {0x1F, kGreen}};
  for (int i = 0; i < 12; ++i) {
    DrawGlyph(image, x0 + 8 * i, y0 + 8, sprites[i].code, MachineColour(sprites[i].colour), paper);
  }
  DrawText(image, x0, y0 + 16, "PRINT\"HELLO\"", MachineColour(kWhite), paper);
  DrawText(image, x0, y0 + 24, "HELLO", MachineColour(kCyan), paper);
  DrawGlyph(image, x0, y0 + 32, zorva::glyph::kSolid, MachineColour(kWhite), paper);
  return image;
}

// ---------------------------------------------------------------------------

QImage DrawCharsetPreview() {
  constexpr int kScale = 4, kCell = 8 * kScale + 1;
  QImage image(16 * kCell + 1, 16 * kCell + 1, QImage::Format_RGB32);
  image.fill(QColor(0xb0, 0xb0, 0xb0));
  for (int code = 0; code < 256; ++code) {
    DrawGlyph(image, 1 + (code % 16) * kCell, 1 + (code / 16) * kCell, static_cast<uint8_t>(code),
              Qt::black, Qt::white, kScale);
  }
  return image;
}

bool Save(const QImage& image, const QString& folder, const QString& name) {
  const QString path = folder + "/" + name;
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "%s: error: cannot write the picture\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_pictures <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  for (int size : {16, 32, 48, 64, 128}) {
    ok = Save(DrawIcon(size), folder, QString("zorva-%1.png").arg(size)) && ok;
  }
  ok = Save(DrawAbout(), folder, "about.png") && ok;
  ok = Save(DrawCharsetPreview(), folder, "charset-preview.png") && ok;
  return ok ? 0 : 1;
}

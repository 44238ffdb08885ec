#include "shell/screen_view.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "run/emulator.h"

namespace zorva {

ScreenView::ScreenView(Emulator& emu, QWidget* parent) : QWidget(parent), emu_(emu) {
  // The frame and its border cover every pixel of the widget: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  SetZoom(1);
}

void ScreenView::SetZoom(int zoom) {
  zoom_ = zoom;
  setFixedSize(Screen::kWidth * zoom, Screen::kHeight * zoom);
}

void ScreenView::paintEvent(QPaintEvent*) {
  const Screen& screen = emu_.PaintScreen();
  // A view of the emulator's frame, no copy: it lives as long as the emulator.
  const QImage frame(reinterpret_cast<const uchar*>(screen.frame.data()), Screen::kWidth,
                     Screen::kHeight, Screen::kWidth * 4, QImage::Format_RGB32);
  QPainter painter(this);
  // Drawn in device pixels: the window's backing store, or the image of a
  // grab() or render(), each with its own pixel ratio. The view's edges may
  // fall between two device pixels; they round to the nearest.
  const QTransform toDevice = painter.deviceTransform();
  const QRectF exact = toDevice.mapRect(QRectF(rect()));
  const int left = qRound(exact.left()), right = qRound(exact.right());
  const int top = qRound(exact.top()), bottom = qRound(exact.bottom());
  const int scale =
      std::max(1, std::min((right - left) / Screen::kWidth, (bottom - top) / Screen::kHeight));
  const int w = Screen::kWidth * scale, h = Screen::kHeight * scale;
  const int x = qRound(exact.left() + (exact.width() - w) / 2);
  const int y = qRound(exact.top() + (exact.height() - h) / 2);
  painter.setWorldTransform(toDevice.inverted());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect(x, y, w, h), frame);
  // The border, where the picture leaves one: above, below, left and right of it.
  const auto fill = [&painter](int x0, int y0, int x1, int y1) {
    if (x0 < x1 && y0 < y1) painter.fillRect(x0, y0, x1 - x0, y1 - y0, Qt::black);
  };
  fill(left, top, right, y);
  fill(left, y + h, right, bottom);
  fill(left, y, x, y + h);
  fill(x + w, y, right, y + h);
}

}  // namespace zorva

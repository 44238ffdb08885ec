#include "shell/screen_view.h"

#include <QImage>
#include <QPainter>

#include "run/emulator.h"

namespace zorva {

ScreenView::ScreenView(Emulator& emu, QWidget* parent) : QWidget(parent), emu_(emu) {
  // The frame covers every pixel of the widget: nothing to erase first.
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
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(rect(), frame);
}

}  // namespace zorva

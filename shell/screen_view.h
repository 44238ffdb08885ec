// The emulated screen inside the main window: each paint runs one paint pass
// of the emulator (which composes the cells that changed, or all of them after
// a full-redraw request) and shows the 320 x 200 frame enlarged by the zoom
// factor, every machine pixel a solid block of zoom x zoom host pixels.
#pragma once

#include <QWidget>

namespace zorva {

class Emulator;

class ScreenView final : public QWidget {
  Q_OBJECT

 public:
  ScreenView(Emulator& emu, QWidget* parent);

  // 1, 2 or 3; the widget takes the size of the enlarged frame.
  void SetZoom(int zoom);
  int zoom() const { return zoom_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Emulator& emu_;
  int zoom_ = 1;
};

}  // namespace zorva

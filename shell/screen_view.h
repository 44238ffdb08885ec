// The emulated screen inside the main window: each paint runs one paint pass
// of the emulator (which composes the cells that changed, or all of them after
// a full-redraw request) and shows the 320 x 200 frame enlarged by the zoom
// factor. Every machine pixel becomes the same whole number of device pixels:
// the largest that fits the view on the device it is drawn on. Where zoom times
// the device pixel ratio is whole, the frame fills the view exactly; elsewhere
// (a desktop scaled by 125 %, say) the picture is centred on a black border.
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

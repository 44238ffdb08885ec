// Close requests that Qt would drop. While a modal box is open, the window it
// blocks gets no close event: Qt discards the window manager's request (its
// close button, Alt+F4) without a word. Under X11 this watch reads that request
// (WM_DELETE_WINDOW) from the X events before Qt does and reports it, so the
// main window can carry it out once its boxes have closed. Elsewhere, or in a
// build without the X headers, there is nothing to watch and Install returns
// nothing.
//
//   auto watch = CloseRequestWatch::Install(window, [&] { ... });
#pragma once

#include <QAbstractNativeEventFilter>
#include <functional>
#include <memory>

class QWidget;

namespace zorva {

class CloseRequestWatch : public QAbstractNativeEventFilter {
 public:
  // Calls `onRequest` for each close request that the window system makes to
  // `window`, blocked or not; the watch acts while it lives.
  static std::unique_ptr<CloseRequestWatch> Install(QWidget& window,
                                                    std::function<void()> onRequest);
};

}  // namespace zorva

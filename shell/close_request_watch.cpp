#include "shell/close_request_watch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#if ZORVA_X11
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace zorva {

#if ZORVA_X11
namespace {

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(x, cookie, nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// The window manager asks a window to close with a WM_PROTOCOLS client
// message whose first word is WM_DELETE_WINDOW.
class X11CloseRequestWatch final : public CloseRequestWatch {
 public:
  X11CloseRequestWatch(xcb_connection_t* x, QWidget& window, std::function<void()> onRequest)
      : window_(window),
        onRequest_(std::move(onRequest)),
        protocols_(Atom(x, "WM_PROTOCOLS")),
        deleteWindow_(Atom(x, "WM_DELETE_WINDOW")) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
    const auto* request = static_cast<const xcb_client_message_event_t*>(message);
    if (request->format == 32 && request->type == protocols_ &&
        request->data.data32[0] == deleteWindow_ && request->window == window_.internalWinId()) {
      onRequest_();
    }
    return false;  // Qt goes on with it: a window that no box blocks closes as usual
  }

 private:
  QWidget& window_;
  std::function<void()> onRequest_;
  xcb_atom_t protocols_;
  xcb_atom_t deleteWindow_;
};

}  // namespace
#endif

std::unique_ptr<CloseRequestWatch> CloseRequestWatch::Install(QWidget& window,
                                                              std::function<void()> onRequest) {
#if ZORVA_X11
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 != nullptr && x11->connection() != nullptr) {
    return std::make_unique<X11CloseRequestWatch>(x11->connection(), window, std::move(onRequest));
  }
#else
  (void)window;
  (void)onRequest;
#endif
  return nullptr;
}

}  // namespace zorva

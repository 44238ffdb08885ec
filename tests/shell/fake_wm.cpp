// The window manager's part in the checks of the real window, which run on a
// bare X server with no window manager: it asks a window to close as its close
// button would, and minimises and restores it as a task bar would.
//
//   fake_wm close|minimise|restore WINDOW-ID
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(x, cookie, nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// WM_STATE, which a window manager keeps on each window it manages.
void SetWmState(xcb_connection_t* x, xcb_window_t window, uint32_t state) {
  const xcb_atom_t wmState = Atom(x, "WM_STATE");
  const uint32_t value[2] = {state, XCB_WINDOW_NONE};
  xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fake_wm close|minimise|restore WINDOW-ID\n");
    return 2;
  }
  const std::string_view verb = argv[1];
  const auto window = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    std::fprintf(stderr, "fake_wm: cannot reach the X server\n");
    return 1;
  }
  constexpr uint32_t kNormalState = 1, kIconicState = 3;
  if (verb == "close") {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(x, "WM_PROTOCOLS");
    event.data.data32[0] = Atom(x, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
  } else if (verb == "minimise") {
    xcb_unmap_window(x, window);
    SetWmState(x, window, kIconicState);
  } else if (verb == "restore") {
    SetWmState(x, window, kNormalState);
    xcb_map_window(x, window);
  } else {
    std::fprintf(stderr, "fake_wm: unknown request '%s'\n", argv[1]);
    return 2;
  }
  // A round trip: the server has carried out every request before we go.
  std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
  const int failed = xcb_connection_has_error(x) != 0;
  xcb_disconnect(x);
  return failed;
}

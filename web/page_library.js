// The calls the page's host makes (page_calls.h), handed on to page.js's
// object Zorva. Those that wait put the WebAssembly stack aside with Asyncify
// and resume it from the callback that page.js is given.
mergeInto(LibraryManager.library, {
  zorva_yield: function () {
    return Asyncify.handleSleep(function (wakeUp) { Zorva.yieldOnce(wakeUp); });
  },
  zorva_wait: function (ms) {
    return Asyncify.handleSleep(function (wakeUp) { Zorva.waitForEvent(ms, wakeUp); });
  },
  zorva_message: function (text, icon) {
    var message = UTF8ToString(text);
    return Asyncify.handleSleep(function (wakeUp) { Zorva.showMessage(message, icon, wakeUp); });
  },
  zorva_choose_file: function (accept) {
    var types = UTF8ToString(accept);
    return Asyncify.handleSleep(function (wakeUp) { Zorva.chooseFile(types, wakeUp); });
  },
  zorva_advanced: function (start, end, out) {
    return Asyncify.handleSleep(function (wakeUp) {
      Zorva.runPointDialog(start, end, function (points) {
        if (points) {
          HEAP32[out >> 2] = points[0];
          HEAP32[(out >> 2) + 1] = points[1];
        }
        wakeUp(points ? 1 : 0);
      });
    });
  },
  zorva_next_event: function (out) {
    var event = Zorva.takeEvent();
    if (!event) return 0;
    HEAP32[out >> 2] = event.repeat || 0;
    HEAP32[(out >> 2) + 1] = event.modifiers || 0;
    var text = 0;
    if (event.text !== undefined) {
      var size = lengthBytesUTF8(event.text) + 1;
      text = _malloc(size);
      stringToUTF8(event.text, text, size);
    }
    HEAP32[(out >> 2) + 2] = text;
    return event.kind;
  },
  zorva_next_event__deps: ['malloc'],
  zorva_set_caption: function (text) { Zorva.setCaption(UTF8ToString(text)); },
  zorva_show_frame: function (rgba) { Zorva.showFrame(HEAPU8.subarray(rgba, rgba + 320 * 200 * 4)); },
  zorva_set_zoom: function (zoom) { Zorva.setZoom(zoom); },
  zorva_ended: function () { Zorva.ended(); },
});

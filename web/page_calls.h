// The page's side of the host (page_library.js, which hands each call on to
// page.js). The calls marked "waits" return only after the browser has run:
// the WebAssembly stack is put aside with Asyncify meanwhile, so they may be
// reached only through the functions listed in ASYNCIFY_ONLY (CMakeLists.txt).
#pragma once

#include <cstdint>

extern "C" {

// Waits: lets the browser handle its events once (a zero-delay task).
void zorva_yield();
// Waits: until the page queues an event, or for `ms` milliseconds.
void zorva_wait(double ms);
// Waits: a page dialog with `text` and OK (icon 1: information), until OK.
void zorva_message(const char* text, int icon);
// Waits: the browser's file chooser, for files matching `accept` (".rom,*").
// The chosen file is written into the machine's file system; returns its
// path, malloc'ed, or null on Cancel.
char* zorva_choose_file(const char* accept);
// Waits: the run-point dialog with `start` and `end` filled in; returns 1 and
// the accepted addresses in out[0..1] on OK, 0 on Cancel.
int zorva_advanced(int start, int end, int* out);

// The next event the page has queued, or 0. out[0..1] are numbers, out[2] a
// malloc'ed UTF-8 string or null, which the caller frees.
int zorva_next_event(intptr_t* out);
void zorva_set_caption(const char* text);
// The 320 x 200 RGBA picture.
void zorva_show_frame(const uint8_t* rgba);
void zorva_set_zoom(int zoom);
void zorva_ended();
}

#!/usr/bin/env bash
# The real program under a virtual X server. On a ROM that shows each key's row
# byte in the caption: the About box comes before the window, centred on the
# screen, and closes with Return; the window is sized for 200%; its caption
# looks empty after the first second; a key typed through X (an XKB keycode,
# which the offscreen tests never see) reaches the machine, and so does a
# menu-bar letter typed after Alt+F and Escape; 400% keeps the window on the
# screen; File > Exit ends the program.
#
# With fake_wm, which asks for a close as a window manager's close button does:
# a close request that comes while an unhandled instruction's box is open ends
# the program once the box is dismissed, and one that comes with a Stop and a
# Start ends it too.
#
#   xvfb_check.sh path/to/zorva [path/to/fake_wm]     (exit status 77: skipped)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
zorva=$(realpath "${1:?usage: xvfb_check.sh path/to/zorva [path/to/fake_wm]}")
fake_wm=${2:-}

fail() {
  echo "FAILED: $*"
  sed 's/^/  zorva: /' "${work:-/nonexistent}"/*/zorva.log 2>/dev/null
  exit 1
}
need Xvfb xdotool
[ -x "$zorva" ] || fail "no program at $zorva"
start_xvfb 1280x1024

# start NAME ROM-BYTES [ENV...]: runs the program in $work/NAME on a ROM that
# starts with ROM-BYTES (printf escapes), sets zorva_pid, and waits for the
# About box, which it leaves open as $about.
start() {
  mkdir "$work/$1"
  { printf "$2"; head -c 8192 /dev/zero; } | head -c 8192 >"$work/$1/aquarius.rom"
  (cd "$work/$1" && exec env "${@:3}" "$zorva") >"$work/$1/zorva.log" 2>&1 &
  zorva_pid=$!
  pids+=("$zorva_pid")
  await_about "$work/$1/zorva.log"
}
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }  # sets X, Y, WIDTH, HEIGHT
# window WIDER|NARROWER: sets $window to a shown window of the program more,
# or less, than 600 pixels wide: the main window, or a message box.
window() {
  window=
  for id in $(xdotool search --onlyvisible --class '^zorva$' 2>/dev/null); do
    geometry "$id" 2>/dev/null || continue
    if { [ "$1" = WIDER ] && [ "$WIDTH" -gt 600 ]; } || { [ "$1" = NARROWER ] && [ "$WIDTH" -lt 600 ]; }; then
      window=$id
      return 0
    fi
  done
  return 1
}
# Dismisses the About box and waits for the main window, $main.
main_window() { window WIDER && main=$window; }
close_about() {
  xdotool windowfocus "$about" 2>/dev/null
  xdotool key Return
  until_ok 10 main_window || fail "the main window did not show after Return on the About box"
  xdotool windowfocus "$main" 2>/dev/null
}
gone() { ! kill -0 "$zorva_pid" 2>/dev/null; }
ends() {  # ends WHAT: the program must end, and well
  until_ok 10 gone || fail "$1 did not end the program"
  wait "$zorva_pid" || fail "the program ended with status $? after $1"
  echo "ok: $1 ended the program"
}
caption() { xdotool getwindowname "$main" 2>/dev/null; }

# The ROM: wait for a key (IN A,(FFh); CP FFh; JR Z,wait), then write its row
# byte to the scramble port, which shows it in the caption (OUT (FFh),A; JR wait).
shot="$work/keys/shot.ppm"
start keys '\xDB\xFF\xFE\xFF\x28\xFA\xD3\xFF\x18\xF6' ZORVA_SCREENSHOT="$shot" ZORVA_SCREENSHOT_MS=200
sleep 0.5
# The window saves pictures of itself: the first shows it is on the screen.
[ -e "$shot" ] && fail "the main window showed before the About box was closed"
geometry "$about"
off=$(((X + WIDTH / 2 - 640) ** 2 + (Y + HEIGHT / 2 - 512) ** 2))
[ "$off" -le 400 ] || fail "the About box is at $X,$Y ($WIDTH x $HEIGHT), not centred on the 1280 x 1024 screen"
close_about
geometry "$main"
[ "$WIDTH" -eq 664 ] || fail "window is $WIDTH pixels wide, expected 24 + 640"
echo "ok: About box first, centred, then a ${WIDTH} x $HEIGHT window"

# Qt shows the program's name in place of an empty caption.
past_first_second() { [ "$(caption)" != Zorva ]; }
until_ok 5 past_first_second || fail "the caption still reads 'Zorva'"
[ -n "$(caption)" ] && [ -z "$(caption | tr -d ' ')" ] ||
  fail "the caption reads '$(caption)' rather than looking empty"
echo "ok: the caption looks empty after the first second"

xdotool keydown w
sleep 0.3  # held long enough for the program's loop to see it
xdotool keyup w
caption_shows() { caption | grep -q "Current cypher: $1"; }
until_ok 5 caption_shows fd || fail "W did not reach the machine (caption: $(caption))"
echo "ok: W went through X into the keyboard matrix (row byte fd)"

# D is also the Debug title's mnemonic: the menu bar must not keep the keyboard.
xdotool key alt+f
sleep 0.5
xdotool key Escape
sleep 0.3
xdotool keydown d
sleep 0.3
xdotool keyup d
until_ok 5 caption_shows ef || fail "D after Alt+F and Escape did not reach the machine (caption: $(caption))"
echo "ok: after Alt+F and Escape the keyboard is the machine's again (D, row byte ef)"

xdotool windowmove "$main" 600 500
sleep 0.3
xdotool key alt+v
sleep 0.5
xdotool key 4
fits() { geometry "$main" && [ "$WIDTH" -gt 900 ] && [ $((X + WIDTH)) -le 1280 ] && [ $((Y + HEIGHT)) -le 1024 ]; }
until_ok 5 fits || fail "at 400% the window is at $X,$Y ($WIDTH x $HEIGHT), off the 1280 x 1024 screen"
echo "ok: 400% moved the window to $X,$Y to keep its $WIDTH x $HEIGHT on the screen"

xdotool key alt+f
sleep 0.5
xdotool key x
ends "File > Exit"

[ -x "$fake_wm" ] || { echo "ok: (the close-request checks need fake_wm)"; exit 0; }

# DI, which the processor does not handle, in a loop: its box comes back after every OK.
start box '\xF3\x18\xFD'
close_about
message_box() { window NARROWER && box=$window; }
until_ok 10 message_box || fail "the unhandled instruction's box did not appear"
"$fake_wm" close "$main" || fail "fake_wm could not ask for a close"
sleep 0.5
gone && fail "the program ended with the box still open"
xdotool windowfocus "$box" 2>/dev/null
xdotool key Return
ends "a close request while a box was open, then OK,"

# Start and Stop in one round of events, then a close request at once.
start stop-start '\x18\xFE'
close_about
sleep 0.5
xdotool key --delay 0 alt+p t alt+p s
"$fake_wm" close "$main" || fail "fake_wm could not ask for a close"
ends "a close request right after Stop and Start"

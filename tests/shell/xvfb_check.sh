#!/usr/bin/env bash
# The real program under a virtual X server: the About box comes before the
# window and closes with Return, the window is sized for 200%, a key typed
# through X (an XKB keycode, which the offscreen tests never see) reaches the
# machine, and File > Exit ends the program.
#
#   xvfb_check.sh path/to/zorva        (exit status 77: skipped)
set -u
zorva=$(realpath "${1:?usage: xvfb_check.sh path/to/zorva}")

skip() { echo "SKIPPED: $*"; exit 77; }
fail() {
  echo "FAILED: $*"
  sed 's/^/  zorva: /' "${work:-/nonexistent}/zorva.log" 2>/dev/null
  exit 1
}
{ command -v Xvfb && command -v xdotool; } >/dev/null ||
  skip "Xvfb or xdotool is not installed (Debian packages xvfb, xdotool)"
[ -x "$zorva" ] || fail "no program at $zorva"

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

# until_ok SECONDS COMMAND...: retries COMMAND every 0.1 s.
until_ok() {
  for _ in $(seq $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}

# Xvfb picks a free display itself and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=("$!")
until_ok 5 test -s "$work/display" || skip "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(cat "$work/display")"
export DISPLAY
# The real window system, whatever platform the environment asks Qt for.
export QT_QPA_PLATFORM=xcb

# The ROM: wait for a key (IN A,(FFh); CP FFh; JR Z,wait), then write its row
# byte to the scramble port, which shows it in the caption (OUT (FFh),A; JR wait).
{ printf '\xDB\xFF\xFE\xFF\x28\xFA\xD3\xFF\x18\xF6'; head -c 8182 /dev/zero; } >"$work/aquarius.rom"

# The window saves pictures of itself: the first shows it is on the screen,
# and the header's second line gives its size.
shot="$work/shot.ppm"
(cd "$work" && exec env ZORVA_SCREENSHOT="$shot" ZORVA_SCREENSHOT_MS=200 "$zorva") \
  >"$work/zorva.log" 2>&1 &
zorva_pid=$!
pids+=("$zorva_pid")

about_window() { about=$(xdotool search --name '^About Zorva$' 2>/dev/null | head -1) && [ -n "$about" ]; }
if ! until_ok 15 about_window; then
  grep -q 'platform plugin' "$work/zorva.log" && skip "Qt has no X11 platform plugin here"
  fail "the About box did not appear"
fi
sleep 0.5
[ -e "$shot" ] && fail "the main window showed before the About box was closed"
xdotool windowfocus "$about" 2>/dev/null
xdotool key Return
until_ok 10 test -s "$shot" || fail "the main window did not show after Return on the About box"
size=$(sed -n 2p "$shot")
[ "${size% *}" -eq 664 ] || fail "window is ${size% *} pixels wide, expected 24 + 640"
echo "ok: About box first, then a $size window"

main_window() { main=$(xdotool search --onlyvisible --class '^zorva$' 2>/dev/null | head -1) && [ -n "$main" ]; }
until_ok 5 main_window || fail "cannot find the main window"
xdotool windowfocus "$main" 2>/dev/null
xdotool keydown w
sleep 0.3  # held long enough for the program's loop to see it
xdotool keyup w
caption_shows_w() { xdotool getwindowname "$main" 2>/dev/null | grep -q 'Current cypher: fd'; }
until_ok 5 caption_shows_w || fail "W did not reach the machine (caption: $(xdotool getwindowname "$main"))"
echo "ok: W went through X into the keyboard matrix (row byte fd)"

xdotool key alt+f
sleep 0.5
xdotool key x
gone() { ! kill -0 "$zorva_pid" 2>/dev/null; }
until_ok 10 gone || fail "File > Exit did not end the program"
wait "$zorva_pid" || fail "the program ended with status $?"
echo "ok: File > Exit ended the program"

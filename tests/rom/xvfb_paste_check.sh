#!/usr/bin/env bash
# Text in and out of the real program on Zorva's own ROM, in a real (virtual)
# X server, with a real X client (xclip) on the other side of the clipboard:
# a short BASIC program put on the clipboard is typed with Shift+Insert, the
# X11 primary selection with a middle click on the screen, and Ctrl+Insert
# copies the screen back, which must show the program's output.
#
#   xvfb_paste_check.sh path/to/zorva path/to/aquarius.rom
#
# Exit status 77 (skipped) when Xvfb, xdotool or xclip is missing.
set -u
# The real window system, whatever platform the environment asks Qt for.
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR
usage="usage: xvfb_paste_check.sh path/to/zorva path/to/aquarius.rom"
zorva=$(realpath "${1:?$usage}")
rom=${2:?$usage}

skip() { echo "SKIPPED: $*"; exit 77; }
fail() {
  echo "FAILED: $*"
  [ -s "${work:-/nonexistent}/copied" ] && sed 's/^/  screen: |/' "$work/copied"
  sed 's/^/  zorva: /' "${work:-/nonexistent}/zorva.log" 2>/dev/null
  exit 1
}
for tool in Xvfb xdotool xclip; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (Debian packages xvfb, xdotool, xclip)"
done
[ -f "$rom" ] || fail "no ROM image at $rom"

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
cp "$rom" "$work/aquarius.rom"

# until_ok SECONDS COMMAND...: retries COMMAND every 0.1 s.
until_ok() {
  for _ in $(seq $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=("$!")
until_ok 5 test -s "$work/display" || skip "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

(cd "$work" && exec "$zorva") >"$work/zorva.log" 2>&1 &
pids+=("$!")
about_window() { about=$(xdotool search --name '^About Zorva$' 2>/dev/null | head -1) && [ -n "$about" ]; }
if ! until_ok 15 about_window; then
  grep -q 'platform plugin' "$work/zorva.log" && skip "Qt has no X11 platform plugin here"
  fail "the About box did not appear"
fi
xdotool windowfocus "$about" 2>/dev/null
xdotool key Return
main_window() { main=$(xdotool search --onlyvisible --class '^zorva$' 2>/dev/null | head -1) && [ -n "$main" ]; }
until_ok 10 main_window || fail "the main window did not show"
xdotool windowfocus "$main" 2>/dev/null

# copied: Ctrl+Insert, then the clipboard as an X client reads it, into $work/copied.
copied() {
  xdotool key ctrl+Insert
  sleep 0.2
  xclip -selection clipboard -o >"$work/copied" 2>/dev/null
}
shows() { copied && grep -qx -- "$1" "$work/copied"; }  # a line, as a pattern

until_ok 10 shows OK || fail "BASIC's prompt never showed"

# A program with the characters typed with Shift and with Ctrl, on the clipboard.
printf '10 A$="[1] & @"\r\n20 PRINT A$;6*7\r\nRUN\r\n' | xclip -selection clipboard -i 2>/dev/null
xdotool key shift+Insert
until_ok 20 shows '\[1\] & @ 42' || fail "the pasted program did not run to its output"
grep -qx -- '20 PRINT A\$;6\*7' "$work/copied" || fail "line 20 is not on the screen as pasted"
echo "ok: Shift+Insert typed the clipboard, and Ctrl+Insert gave the screen back"

# The primary selection, with the middle button over the screen.
printf 'PRINT "MID";1+1\n' | xclip -selection primary -i 2>/dev/null
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 2
until_ok 20 shows 'MID 2' || fail "the middle click did not type the primary selection"
echo "ok: a middle click typed the primary selection"

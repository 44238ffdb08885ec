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
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
usage="usage: xvfb_paste_check.sh path/to/zorva path/to/aquarius.rom"
zorva=$(realpath "${1:?$usage}")
rom=${2:?$usage}

fail() { fail_showing "$@"; }
need Xvfb xdotool xclip
[ -f "$rom" ] || fail "no ROM image at $rom"
cp "$rom" "$work/aquarius.rom"
start_xvfb 1280x1024

launch_zorva "$work"
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

#!/usr/bin/env bash
# The real program in a real (virtual) X server: the About box comes first and
# closes with Return, the window shows the screen at 200%, keys typed through
# X reach the machine, and File > Exit ends the program.
#
#   xvfb_check.sh path/to/zorva
#
# The machine runs a small ROM built here: it writes HELLO in white on black
# at the top left, makes cell (0,1) a blank in black on white, then waits for
# a key and shows its row byte as the colour of cell (0,1) and, through the
# scramble port, in the caption. The window saves pictures of itself
# (ZORVA_SCREENSHOT) as PPM files, read here with od.
#
# Exit status 77 (skipped) when Xvfb or xdotool is missing.
set -u

zorva=${1:?usage: xvfb_check.sh path/to/zorva}

skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAILED: $*"
  [ -s "${work:-/nonexistent}/zorva.log" ] && sed 's/^/  zorva: /' "$work/zorva.log"
  exit 1
}

command -v Xvfb >/dev/null || skip "Xvfb is not installed (Debian package xvfb)"
command -v xdotool >/dev/null || skip "xdotool is not installed (Debian package xdotool)"
command -v od >/dev/null || skip "od is not installed (coreutils)"
[ -x "$zorva" ] || fail "no program at $zorva"
zorva=$(realpath "$zorva")

work=$(mktemp -d)
xvfb_pid=
zorva_pid=
cleanup() {
  [ -n "$zorva_pid" ] && kill "$zorva_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=
for n in $(seq 91 160); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    display=$n
    break
  fi
done
[ -n "$display" ] || skip "no free X display number between 91 and 160"
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X$display" ] || skip "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$display"

# until SECONDS_LIMIT COMMAND...: retries COMMAND every 0.1 s.
until_ok() {
  local limit=$1
  shift
  local tries=$((limit * 10))
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# --- The ROM -----------------------------------------------------------------
rom_bytes=(
  21 00 30                                      # LD HL,3000h
  36 48 23 36 45 23 36 4C 23 36 4C 23 36 4F     # H E L L O
  21 00 34                                      # LD HL,3400h
  36 70 23 36 70 23 36 70 23 36 70 23 36 70     # white on black, five cells
  3E 20 32 28 30                                # cell (0,1): a blank
  3E 07 32 28 34                                #   in black on white
  DB FF FE FF 28 FA                             # wait: IN A,(FFh); CP FFh; JR Z,wait
  32 28 34                                      # LD (3428h),A: the row byte as colour
  D3 FF                                         # OUT (FFh),A: and in the caption
  18 F3                                         # JR wait
)
{
  for b in "${rom_bytes[@]}"; do printf "\\x$b"; done
  head -c $((8192 - ${#rom_bytes[@]})) /dev/zero
} >"$work/aquarius.rom"
[ "$(stat -c %s "$work/aquarius.rom")" -eq 8192 ] || fail "test ROM is not 8192 bytes"

# --- Reading the window's pictures ---------------------------------------------
shot="$work/shot.ppm"
width=0
height=0
header=0
# Reads the picture's header; the pixel data follows it.
read_header() {
  [ -s "$shot" ] || return 1
  local magic size max
  { read -r magic; read -r size; read -r max; } <"$shot" || return 1
  [ "$magic" = P6 ] && [ "$max" = 255 ] || return 1
  width=${size% *}
  height=${size#* }
  header=$((${#magic} + ${#size} + ${#max} + 3))
}
# pixel X Y: prints "R G B" of the picture's pixel.
pixel() {
  od -An -tu1 -v -j $((header + ($2 * width + $1) * 3)) -N 3 "$shot" | xargs
}
# The screen's top left in the picture: 10 right of the client's edge, and
# 13 + 400 above the bottom.
screen_x() { echo 10; }
screen_y() { echo $((height - 13 - 400)); }

# cell_colours COLUMN ROW: the distinct colours of the cell's 16 x 16 pixels.
cell_colours() {
  local x0=$(($(screen_x) + 16 * $1)) y0=$(($(screen_y) + 16 * $2)) y
  for y in $(seq "$y0" $((y0 + 15))); do
    od -An -tu1 -v -j $((header + (y * width + x0) * 3)) -N 48 "$shot" |
      xargs -n 3 echo
  done | sort -u
}

hello_shown() {
  read_header || return 1
  local c
  for c in 0 1 2 3 4; do
    # Ink and paper, white and black, and nothing else.
    [ "$(cell_colours "$c" 0 | tr '\n' ',')" = "0 0 0,255 255 255," ] || return 1
  done
}
cell_is() {
  read_header || return 1
  [ "$(cell_colours "$1" "$2" | tr '\n' ',')" = "$3," ]
}

# --- The run -------------------------------------------------------------------
(cd "$work" && exec env ZORVA_SCREENSHOT="$shot" ZORVA_SCREENSHOT_MS=200 "$zorva") \
  >"$work/zorva.log" 2>&1 &
zorva_pid=$!

about_window() { about=$(xdotool search --name '^About Zorva$' 2>/dev/null | head -1) && [ -n "$about" ]; }
if ! until_ok 15 about_window; then
  grep -q 'platform plugin' "$work/zorva.log" && skip "Qt has no X11 platform plugin here"
  fail "the About box did not appear"
fi
# The About box holds start-up: nothing is on the screen yet.
sleep 0.5
[ -e "$shot" ] && fail "the main window showed before the About box was closed"
xdotool windowfocus "$about" 2>/dev/null
xdotool key Return
about_gone() { ! xdotool search --name '^About Zorva$' >/dev/null 2>&1; }
until_ok 5 about_gone || fail "Return did not close the About box"

until_ok 10 hello_shown || fail "HELLO did not appear in white on black at zoom 2"
[ "$width" -eq 664 ] || fail "window is $width pixels wide, expected 24 + 640"
cell_is 0 1 "255 255 255" || fail "cell (0,1) is not a white blank"
echo "ok: About box first, then HELLO at 200% in a ${width} x ${height} window"

main_window() { main=$(xdotool search --onlyvisible --class '^zorva$' 2>/dev/null | head -1) && [ -n "$main" ]; }
until_ok 5 main_window || fail "cannot find the main window"
xdotool windowfocus "$main" 2>/dev/null
# Held long enough for the program's loop to see it.
xdotool keydown w
sleep 0.3
xdotool keyup w
caption_shows_key() { xdotool getwindowname "$main" 2>/dev/null | grep -q 'Current cypher: fd'; }
until_ok 5 caption_shows_key || fail "W did not reach the machine (caption: $(xdotool getwindowname "$main"))"
# The new colour of an unchanged blank shows at the next full redraw (1 s).
until_ok 5 cell_is 0 1 "128 0 128" || fail "cell (0,1) did not take W's row byte fd as its colour"
echo "ok: W went through X into the keyboard matrix (row byte fd)"

xdotool key alt+f
sleep 0.5
xdotool key x
gone() { ! kill -0 "$zorva_pid" 2>/dev/null; }
until_ok 10 gone || fail "File > Exit did not end the program"
wait "$zorva_pid"
status=$?
zorva_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "ok: File > Exit ended the program"

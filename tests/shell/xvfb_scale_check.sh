#!/usr/bin/env bash
# The real program under a virtual X server, on desktops scaled by 125 % and
# 150 %: the X server's own picture of the screen shows every machine pixel as
# a square of the same whole number of device pixels, at 200 % and 100 %.
#
#   xvfb_scale_check.sh path/to/zorva        (exit status 77: skipped)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
zorva=$(realpath "${1:?usage: xvfb_scale_check.sh path/to/zorva}")

fail() {
  echo "FAILED: $*"
  sed 's/^/  zorva: /' "${work:-/nonexistent}/zorva.log" 2>/dev/null
  exit 1
}
need Xvfb xdotool
[ -x "$zorva" ] || fail "no program at $zorva"

# The X server keeps the screen's pixels in $work/Xvfb_screen0, an XWD picture,
# and does not reset when one program leaves before the next one comes.
start_xvfb 1600x1200 -fbdir "$work" -noreset

# The ROM: fill the screen from 0100h (LD HL,0100h; LD DE,3000h; LD BC,0800h;
# LDIR), wait for a key (IN A,(FFh); CP FFh; JR Z,wait), then write its row
# byte to the scramble port, which shows it in the caption (OUT (FFh),A; JR wait).
# On the screen: the characters 21h-7Eh over and over, light red on light blue.
ink=$((0xFF7F7F))
paper=$((0x7F7FFF))
{
  printf '\x21\x00\x01\x11\x00\x30\x01\x00\x08\xED\xB0'
  printf '\xDB\xFF\xFE\xFF\x28\xFA\xD3\xFF\x18\xF6'
  head -c $((0x100 - 21)) /dev/zero
  LC_ALL=C awk 'BEGIN {
    for (i = 0; i < 1024; i++) printf "%c", i < 1000 ? 33 + i % 94 : 32
    for (i = 0; i < 1024; i++) printf "%c", 20
  }'
  head -c $((8192 - 0x900)) /dev/zero
} >"$work/aquarius.rom"


# --- Whole device pixels on a scaled desktop ----------------------------------
# The X server's picture: an XWD header (big-endian words), a colour map, then
# rows of 32-bit pixels, 0xRRGGBB in the low bytes.
fb="$work/Xvfb_screen0"
read -r -a xwd < <(od -An -tu4 -v --endian=big -N 100 "$fb" | tr -s ' \n' '  ')
[ "${xwd[11]}" -eq 32 ] && [ "${xwd[7]}" -eq 0 ] && [ "${xwd[14]}" -eq $((0xFF0000)) ] ||
  skip "Xvfb's screen is not 32-bit little-endian 0xRRGGBB"
screen_w=${xwd[4]}
screen_h=${xwd[5]}
row_bytes=${xwd[12]}
pixels_at=$((xwd[0] + xwd[19] * 12))

# The main window's device pixels, one row a line, one decimal 0xRRGGBB a field
# (none when the window reaches past the screen's edge).
window_pixels() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$main")"
  [ $((X + WIDTH)) -le "$screen_w" ] && [ $((Y + HEIGHT)) -le "$screen_h" ] || return 1
  # od writes each pixel in 11 characters; cut keeps the window's columns.
  od -An -tu4 -v -w"$row_bytes" -j $((pixels_at + Y * row_bytes)) -N $((HEIGHT * row_bytes)) "$fb" |
    cut -c $((11 * X + 1))-$((11 * (X + WIDTH)))
}

# cells_whole SCALE ZOOM FACTOR: the picture, found as the pixels of its two
# colours, is 320 x 200 machine pixels of FACTOR x FACTOR device pixels, each
# block of one colour; every cell holds ink; and black fills the view around
# it (as far as the view's device size leaves a margin). Sets $why if not.
cells_whole() {
  local view_w view_h bbox left top right bottom
  window_pixels >"$work/window.txt" || { why="the window does not fit on the screen"; return 1; }
  bbox=$(awk -v ink="$ink" -v paper="$paper" '
    {
      for (i = 1; i <= NF; i++) {
        v = $i % 16777216
        if (v != ink && v != paper) continue
        if (!n++ || i - 1 < l) l = i - 1
        if (i > r) r = i
        if (!t) t = NR
        b = NR
      }
    }
    END { if (n) print l, t - 1, r, b; else print "none" }' "$work/window.txt")
  [ "$bbox" != none ] || { why="no screen colours in the window"; return 1; }
  read -r left top right bottom <<<"$bbox"
  if [ $((right - left)) -ne $((320 * $3)) ] || [ $((bottom - top)) -ne $((200 * $3)) ]; then
    why="the picture is $((right - left)) x $((bottom - top)) device pixels, not $3 x (320 x 200)"
    return 1
  fi
  # The view measures 320 x 200 x zoom x scale device pixels; its margins may round by one.
  view_w=$(awk -v s="$1" -v z="$2" 'BEGIN { print int(320 * z * s) }')
  view_h=$(awk -v s="$1" -v z="$2" 'BEGIN { print int(200 * z * s) }')
  why=$(awk -v f="$3" -v l="$left" -v t="$top" -v ink="$ink" -v paper="$paper" \
    -v mx=$(((view_w - 320 * $3) / 2 - 1)) -v my=$(((view_h - 200 * $3) / 2 - 1)) '
    BEGIN { w = 320 * f; h = 200 * f; if (mx < 0) mx = 0; if (my < 0) my = 0 }
    {
      y = NR - 1
      if (y < t - my || y >= t + h + my) next
      for (i = l - mx + 1; i <= l + w + mx; i++) {
        x = i - 1
        v = $i % 16777216
        if (y < t || y >= t + h || x < l || x >= l + w) {
          if (v != 0) border++
          continue
        }
        dx = x - l; dy = y - t; m = int(dx / f)
        cell = int(dy / (8 * f)) * 40 + int(m / 8)
        # A block takes the colour of its top-left pixel; the rest must match it.
        if (dy % f == 0 && dx % f == 0) {
          first[m] = v
          if (v == ink) inked[cell] = 1
        } else if (v != first[m]) {
          if (!(cell in torn)) { torn[cell] = 1; n++ }
        }
      }
    }
    END {
      if (n) {
        for (c = 0; c < 1000 && shown < 5; c++)
          if (c in torn) list = list sprintf(" (%d,%d)", c % 40, int(c / 40)) (++shown < 5 ? "" : " ...")
        print n " cells have a machine pixel split between colours:" list
      } else if (border) {
        print border " pixels around the picture are not black"
      } else {
        for (c = 0; c < 1000; c++) if (!(c in inked)) { print "cell (" c % 40 "," int(c / 40) ") shows no ink"; exit }
        print "whole"
      }
    }' "$work/window.txt" 2>&1)
  [ "$why" = whole ]
}

# The view commands by the keyboard: Alt+V, then the item's underlined digit.
view() {
  xdotool key alt+v
  sleep 0.5
  xdotool key "$1"
}

about_closed_main_shown() {
  ! xdotool search --onlyvisible --name '^About Zorva$' >/dev/null 2>&1 && main_window
}

# SCALE ZOOM FACTOR: the largest whole number of device pixels per machine pixel.
while read -r scale zoom factor; do
  if [ "$scale" != "${started:-}" ]; then
    [ -n "${scaled_pid:-}" ] && kill "$scaled_pid" && wait "$scaled_pid" 2>/dev/null
    (cd "$work" && exec env QT_SCALE_FACTOR="$scale" "$zorva") >"$work/zorva.log" 2>&1 &
    scaled_pid=$!
    pids+=("$scaled_pid")
    started=$scale
    await_about "$work/zorva.log"
    xdotool windowfocus "$about" 2>/dev/null
    xdotool key Return
    until_ok 10 about_closed_main_shown || fail "the main window did not show at scale $scale"
    xdotool mousemove "$((screen_w - 1))" "$((screen_h - 1))"  # the pointer off the window
    xdotool windowfocus "$main" 2>/dev/null
  fi
  [ "$zoom" -eq 2 ] || view "$zoom"
  why="the window did not show"
  until_ok 5 cells_whole "$scale" "$zoom" "$factor" || fail "at scale $scale, zoom $zoom: $why"
  echo "ok: at scale $scale, zoom $zoom, every machine pixel is $factor x $factor device pixels"
done <<'EOF_CASES'
1.25 2 2
1.25 1 1
1.5 2 3
1.5 1 1
EOF_CASES

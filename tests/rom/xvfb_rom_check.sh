#!/usr/bin/env bash
# The real program on Zorva's own system ROM, in a real (virtual) X server: it
# starts in BASIC; MON typed through X brings up the monitor, whose title bar is
# drawn in its two colours with the right letters; and a command typed through
# X ("d 0000", Enter) prints the ROM's first bytes.
#
#   xvfb_rom_check.sh path/to/zorva path/to/aquarius.rom path/to/charset.txt
#
# The window saves pictures of itself (ZORVA_SCREENSHOT) as PPM files. Each
# picture is read back as text: every 16 x 16 cell of the screen (zoom 2) is
# compared, pixel by pixel, with the glyphs of charset.txt scaled to 16 x 16,
# taking the pixels of one given ink colour as ink.
#
# Exit status 77 (skipped) when Xvfb, xdotool, od or awk is missing.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"

zorva=${1:?usage: xvfb_rom_check.sh path/to/zorva path/to/aquarius.rom path/to/charset.txt}
rom=${2:?usage: xvfb_rom_check.sh path/to/zorva path/to/aquarius.rom path/to/charset.txt}
charset=${3:?usage: xvfb_rom_check.sh path/to/zorva path/to/aquarius.rom path/to/charset.txt}

fail() {
  echo "FAILED: $*"
  if [ -s "${work:-/nonexistent}/text" ]; then
    echo "  last screen read (ink $ink_read; '?' is also anything unknown):"
    sed 's/^/  |/; s/$/|/' "$work/text"
  fi
  [ -s "${work:-/nonexistent}/zorva.log" ] && sed 's/^/  zorva: /' "$work/zorva.log"
  exit 1
}

need Xvfb xdotool od awk
[ -x "$zorva" ] || fail "no program at $zorva"
[ -f "$rom" ] || fail "no ROM image at $rom (built by the zorva_rom target)"
[ "$(stat -c %s "$rom")" -eq 8192 ] || fail "$rom is not 8192 bytes"
[ -f "$charset" ] || fail "no character set at $charset"
zorva=$(realpath "$zorva")
ink_read=

# The program finds aquarius.rom in its working directory.
cp "$rom" "$work/aquarius.rom"
start_xvfb 1280x1024

# --- Colours -------------------------------------------------------------------
# Colour byte = foreground << 4 | background. Colour number n: bit 0 red,
# bit 1 green, bit 2 blue, bit 3 dark. A channel is 128 when its bit is set,
# plus 127 unless the colour is dark (so dark 0 or 128, light 127 or 255).
blue_dark="0 0 128"         # C
cyan_light="127 255 255"    # 6
white="255 255 255"         # 7
yellow_light="255 255 127"  # 3
title_ink=$blue_dark        # the title bar, C6
title_paper=$cyan_light
text_ink=$white             # text, 7C
text_paper=$blue_dark
prompt_ink=$yellow_light    # the prompt, 3C

# --- Reading the window's pictures ---------------------------------------------
shot="$work/shot.ppm"
frame="$work/frame.ppm"
width=0
height=0
header=0
# Takes the latest picture (a copy, so the next one cannot replace it while it
# is read) and reads its header; the pixel data follows it.
take_frame() {
  [ -s "$shot" ] || return 1
  cp "$shot" "$frame" 2>/dev/null || return 1
  local magic size max
  { read -r magic; read -r size; read -r max; } <"$frame" || return 1
  [ "$magic" = P6 ] && [ "$max" = 255 ] || return 1
  width=${size% *}
  height=${size#* }
  header=$((${#magic} + ${#size} + ${#max} + 3))
  [ "$(stat -c %s "$frame")" -eq $((header + width * height * 3)) ]
}
# The screen's top left in the picture: 10 right of the client's edge, and
# 13 + 400 above the bottom.
screen_x() { echo 10; }
screen_y() { echo $((height - 13 - 400)); }

# read_screen INK: reads the frame's 40 x 25 cells into
#   $work/text     25 lines of 40 characters: each cell's ink mask (its pixels
#                  of colour INK) matched against the glyphs 20-7E of the
#                  character set at 16 x 16; '?' when none matches
#   $work/colours  "COLUMN ROW COLOURS" per cell, the distinct colours of its
#                  256 pixels sorted and joined by ',' ("0 0 128,127 255 255")
read_screen() {
  ink_read=$1
  od -An -tu1 -v -w$((width * 3)) -j "$header" "$frame" |
    awk -v ink="$1" -v x0="$(screen_x)" -v y0="$(screen_y)" -v colours="$work/colours" '
      # The character set: a header line "0xNN ..." and then 8 rows of 8
      # pixels, "#" ink and "." paper.
      FNR == NR {
        if ($0 ~ /^;/ || $0 ~ /^[ \t]*$/) next
        if ($0 ~ /^0x[0-9A-Fa-f][0-9A-Fa-f]/) {
          code = hex(substr($0, 3, 2))
          next
        }
        glyph[code] = glyph[code] substr($0, 1, 8)
        next
      }
      FNR == 1 {
        # Each glyph pixel becomes 2 x 2 screen pixels.
        for (code = 32; code < 127; code++) {
          mask = ""
          for (r = 0; r < 8; r++) {
            line = ""
            for (c = 1; c <= 8; c++) {
              p = substr(glyph[code], r * 8 + c, 1)
              line = line p p
            }
            mask = mask line line
          }
          if (!(mask in char)) char[mask] = sprintf("%c", code)
        }
      }
      # One picture row a line, 3 numbers a pixel.
      {
        y = FNR - 1 - y0
        if (y < 0 || y >= 400) next
        row = int(y / 16)
        for (x = 0; x < 640; x++) {
          i = (x0 + x) * 3
          rgb = $(i + 1) " " $(i + 2) " " $(i + 3)
          cell = row * 40 + int(x / 16)
          ink_mask[cell] = ink_mask[cell] (rgb == ink ? "#" : ".")
          if (!((cell, rgb) in seen)) {
            seen[cell, rgb] = 1
            n = ++count[cell]
            colour[cell, n] = rgb
          }
        }
      }
      END {
        for (row = 0; row < 25; row++) {
          text = ""
          for (col = 0; col < 40; col++) {
            cell = row * 40 + col
            text = text ((ink_mask[cell] in char) ? char[ink_mask[cell]] : "?")
            # The few colours of a cell, sorted.
            n = count[cell]
            for (a = 1; a <= n; a++) list[a] = colour[cell, a]
            for (a = 2; a <= n; a++)
              for (b = a; b > 1 && list[b - 1] > list[b]; b--) {
                t = list[b]; list[b] = list[b - 1]; list[b - 1] = t
              }
            joined = ""
            for (a = 1; a <= n; a++) joined = joined (a > 1 ? "," : "") list[a]
            print col, row, joined > colours
          }
          print text
        }
      }
      function hex(s,   v, k) {
        v = 0
        for (k = 1; k <= length(s); k++)
          v = v * 16 + index("0123456789abcdef", tolower(substr(s, k, 1))) - 1
        return v
      }
    ' "$charset" - >"$work/text" 2>"$work/awk.log"
  [ "$(wc -l <"$work/text")" -eq 25 ] || fail "cannot read the picture: $(cat "$work/awk.log")"
}
# screen_row N: line N (0-24) of the text read last.
screen_row() { sed -n "$(($1 + 1))p" "$work/text"; }

# --- What the monitor shows ----------------------------------------------------
banner=$(printf '%-40s' " ZORVA MONITOR 1.0")

# The eight lines "D 0000" prints, from the ROM image itself:
#   AAAA: HH HH HH HH HH HH HH HH ASCII (bytes outside 20-7E as '.')
dump_lines=()
for line in 0 1 2 3 4 5 6 7; do
  read -r -a bytes < <(od -An -tu1 -v -j $((line * 8)) -N 8 "$rom")
  hexes=
  ascii=
  for b in "${bytes[@]}"; do
    hexes+=$(printf ' %02X' "$b")
    if [ "$b" -ge 32 ] && [ "$b" -le 126 ]; then
      printf -v char '%b' "\\x$(printf %02x "$b")"
      ascii+=$char
    else
      ascii+=.
    fi
  done
  dump_lines+=("$(printf '%04X:%s %s' $((line * 8)) "$hexes" "$ascii")")
done

basic_banner=$(printf '%-40s' "ZORVA BASIC 2.0")
basic_shown() {
  take_frame || return 1
  read_screen "$text_ink"
  [ "$(screen_row 0)" = "$basic_banner" ]
}

banner_shown() {
  take_frame || return 1
  read_screen "$title_ink"
  [ "$(screen_row 0)" = "$banner" ]
}

# The title bar's 40 cells: nothing but C6's two colours, both in the cells of
# the banner's letters, paper alone in its blanks.
check_title_colours() {
  local col colours want
  for col in $(seq 0 39); do
    colours=$(awk -v c="$col" '$1 == c && $2 == 0 { sub(/^[0-9]+ [0-9]+ /, ""); print }' "$work/colours")
    if [ "${banner:$col:1}" = " " ]; then
      want=$title_paper
    else
      want="$title_ink,$title_paper"
    fi
    [ "$colours" = "$want" ] ||
      fail "title bar cell $col ('${banner:$col:1}') has colours [$colours], expected [$want]"
  done
}

# The dump: eight consecutive rows, each starting with its line, in white ink.
dump_row=
dump_shown() {
  take_frame || return 1
  read_screen "$text_ink"
  local row k
  for row in $(seq 1 $((24 - 7))); do
    for k in 0 1 2 3 4 5 6 7; do
      [[ "$(screen_row $((row + k)))" == "${dump_lines[$k]}"* ]] || continue 2
    done
    dump_row=$row
    return 0
  done
  return 1
}

# press KEY: one key held briefly and released; the ROM takes a key when it
# goes down and takes it again only after it has been let go.
press() {
  xdotool keydown "$1"
  sleep 0.15
  xdotool keyup "$1"
  sleep 0.15
}

# --- The run -------------------------------------------------------------------
launch_zorva "$work" ZORVA_SCREENSHOT="$shot" ZORVA_SCREENSHOT_MS=200
about_gone() { ! xdotool search --name '^About Zorva$' >/dev/null 2>&1; }
until_ok 5 about_gone || fail "Return did not close the About box"

until_ok 15 basic_shown || fail "BASIC's first row does not read '$basic_banner' in ink $text_ink (picture $width x $height)"
[ "$width" -eq 664 ] || fail "window is $width pixels wide, expected 24 + 640 (zoom 2)"
echo "ok: the machine starts in BASIC: '$basic_banner' in white"

main_window() { main=$(xdotool search --onlyvisible --class '^zorva$' 2>/dev/null | head -1) && [ -n "$main" ]; }
until_ok 5 main_window || fail "cannot find the main window"
xdotool windowfocus "$main" 2>/dev/null
sleep 0.3
for key in m o n Return; do
  press "$key"
done
until_ok 15 banner_shown || fail "after MON the title bar does not read '$banner' in ink $title_ink"
check_title_colours
echo "ok: MON shows the title bar 'ZORVA MONITOR 1.0' in dark blue on light cyan, letter for letter"

for key in d space 0 0 0 0 Return; do
  press "$key"
done
until_ok 10 dump_shown || fail "'d 0000' did not show the dump from ${dump_lines[0]}"
echo "ok: 'd 0000' typed through X dumped the ROM's first 64 bytes on rows $dump_row-$((dump_row + 7))"
# The dump is white on dark blue and nothing else.
for col in $(seq 0 $((${#dump_lines[0]} - 1))); do
  colours=$(awk -v c="$col" -v r="$dump_row" '$1 == c && $2 == r { sub(/^[0-9]+ [0-9]+ /, ""); print }' "$work/colours")
  [ "$colours" = "$text_paper,$text_ink" ] || [ "$colours" = "$text_paper" ] ||
    fail "dump cell ($col,$dump_row) has colours [$colours], expected white on dark blue"
done
# The line above: the command as typed (white) after the prompt "> " (yellow).
[ "$(screen_row $((dump_row - 1)))" = "$(printf '%-40s' "  d 0000")" ] ||
  fail "row $((dump_row - 1)) does not read 'd 0000' in white after the prompt"
read_screen "$prompt_ink"
[[ "$(screen_row $((dump_row - 1)))" == ">  "* ]] ||
  fail "row $((dump_row - 1)) does not start with the prompt '> ' in light yellow"
echo "ok: the command line above it reads '> d 0000', the prompt in light yellow"

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

#!/usr/bin/env bash
# BASIC's SAVE and LOAD in the real program on Zorva's own ROM, in a real
# (virtual) X server, across two runs of the program in one folder: a program
# typed key by key through X runs, SAVE "WIN" writes WIN.BAS beside
# aquarius.rom with the program's listing, the window's close request ends the
# program, and in a second run LOAD "WIN" and RUN print the same rows again.
# The screen is read back with Ctrl+Insert, through the clipboard (xclip).
#
#   xvfb_files_check.sh path/to/zorva path/to/aquarius.rom [path/to/fake_wm]
#
# Without fake_wm, which asks for a close as a window manager's close button
# does, the first run ends through File > Exit instead. With ZORVA_CHECK_SHOT
# set to a file name, the second run's last picture of its window (PPM) is
# kept there.
#
# Exit status 77 (skipped) when Xvfb, xdotool or xclip is missing.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
usage="usage: xvfb_files_check.sh path/to/zorva path/to/aquarius.rom [path/to/fake_wm]"
zorva=$(realpath "${1:?$usage}")
rom=${2:?$usage}
fake_wm=${3:-}

fail() { fail_showing "$@"; }
need Xvfb xdotool xclip
[ -f "$rom" ] || fail "no ROM image at $rom"
# The program's own folder: the ROM, and the programs once saved.
folder="$work/folder"
mkdir "$folder"
cp "$rom" "$folder/aquarius.rom"
start_xvfb 1280x1024

shot="$work/shot.ppm"
gone() { ! kill -0 "$zorva_pid" 2>/dev/null; }
# start: runs the program in $folder, dismisses the About box and waits for
# BASIC's first OK in the main window ($main).
start() {
  rm -f "$work/copied" "$shot"
  launch_zorva "$folder" ZORVA_SCREENSHOT="$shot" ZORVA_SCREENSHOT_MS=200
  until_ok 10 main_window || fail "the main window did not show"
  xdotool windowfocus "$main" 2>/dev/null
  until_ok 15 shows OK || fail "BASIC's prompt never showed"
}
ends() {  # ends WHAT: the program must end, and well
  until_ok 10 gone || fail "$1 did not end the program"
  wait "$zorva_pid" || fail "the program ended with status $? after $1"
  echo "ok: $1 ended the program"
}

# copied: Ctrl+Insert, then the clipboard as an X client reads it, into $work/copied.
copied() {
  xdotool key ctrl+Insert
  sleep 0.2
  xclip -selection clipboard -o >"$work/copied" 2>/dev/null
}
shows() { copied && grep -qx -- "$1" "$work/copied"; }  # a line, as a pattern

# answer LINE: the rows below the last row that reads LINE, up to BASIC's OK
# after it, into $work/answer; fails while that OK is not on the screen.
answer() {
  copied || return 1
  awk -v line="$1" '
    $0 == line { typed = 1; done = 0; n = 0; next }
    typed && !done { if ($0 == "OK") done = 1; else rows[++n] = $0 }
    END { if (!done) exit 1; for (i = 1; i <= n; i++) print rows[i] }
  ' "$work/copied" >"$work/answer"
}

# typed TEXT: a row reads TEXT, the cursor after it or not.
typed() {
  copied && awk -v text="$1" '{ sub(/\342\226\210$/, "") } $0 == text { found = 1 } END { exit !found }' \
    "$work/copied"
}
# press KEY [MODIFIER]: one key held and released, long enough for the ROM to
# see it whatever the host's load; the ROM takes a key when it goes down and
# again only after it has been let go.
press() {
  [ -n "${2:-}" ] && xdotool keydown "$2"
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
  [ -n "${2:-}" ] && xdotool keyup "$2"
  sleep 0.1
}
# type_line TEXT: TEXT key by key, through the keys of the machine's layout: by
# position, as on a US keyboard, but with the double quote on Shift+2; capitals
# with Shift, as BASIC keeps a letter's case. Once the screen shows all of it,
# Enter.
type_line() {
  local text=$1 i c
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    case "$c" in
      [A-Z]) press "${c,}" Shift_L ;;
      [a-z0-9]) press "$c" ;;
      ' ') press space ;;
      '"') press 2 Shift_L ;;
      '*') press 8 Shift_L ;;
      ';') press semicolon ;;
      ':') press semicolon Shift_L ;;
      '=') press equal ;;
      ',') press comma ;;
      *) fail "type_line has no key for '$c'" ;;
    esac
  done
  until_ok 5 typed "$text" || fail "typed '$text', but no row of the screen reads it"
  press Return
}

program=('10 PRINT "SAVED";6*7' '20 FOR I=1 TO 3:PRINT I;:NEXT')
printf '%s\n' "${program[@]}" >"$work/expected.bas"
printf '%s\n' "SAVED 42" " 1  2  3" >"$work/expected_output"

# --- First run: type, run, save, close --------------------------------------
start
for line in "${program[@]}"; do type_line "$line"; done
type_line RUN
until_ok 10 answer RUN || fail "RUN did not come back to OK"
cp "$work/answer" "$work/first_output"
cmp -s "$work/first_output" "$work/expected_output" ||
  fail "the typed program printed [$(paste -sd '|' "$work/first_output")], expected [$(paste -sd '|' "$work/expected_output")]"
echo "ok: the program typed through X printed: $(paste -sd '|' "$work/first_output")"

type_line 'SAVE "WIN"'
until_ok 10 answer 'SAVE "WIN"' || fail "SAVE \"WIN\" did not come back to OK"
[ -s "$work/answer" ] && fail "SAVE \"WIN\" answered: $(paste -sd '|' "$work/answer")"

if [ -x "$fake_wm" ]; then
  "$fake_wm" close "$main" || fail "fake_wm could not ask for a close"
  ends "the window's close request"
else
  xdotool key alt+f
  sleep 0.5
  xdotool key x
  ends "File > Exit (no fake_wm for a close request)"
fi

saved=$(cd "$folder" && ls -- *.BAS 2>/dev/null)
[ "$saved" = WIN.BAS ] || fail "the folder holds [$(ls -A "$folder" | paste -sd ' ')], expected one program, WIN.BAS"
if ! cmp -s "$folder/WIN.BAS" "$work/expected.bas"; then
  echo "  the listing typed (<) against WIN.BAS (>), line ends shown as \$, CR as ^M:"
  diff <(cat -A "$work/expected.bas") <(cat -A "$folder/WIN.BAS") | sed 's/^/  /'
  fail "WIN.BAS does not hold the listing typed"
fi
echo "ok: SAVE \"WIN\" wrote WIN.BAS beside aquarius.rom with the listing"

# --- Second run: load, run ----------------------------------------------------
start
type_line 'LOAD "WIN"'
until_ok 10 answer 'LOAD "WIN"' || fail "LOAD \"WIN\" did not come back to OK"
[ -s "$work/answer" ] && fail "LOAD \"WIN\" answered: $(paste -sd '|' "$work/answer")"
type_line RUN
until_ok 10 answer RUN || fail "RUN after LOAD did not come back to OK"
cmp -s "$work/answer" "$work/first_output" ||
  fail "after LOAD the program printed [$(paste -sd '|' "$work/answer")], the first run [$(paste -sd '|' "$work/first_output")]"
echo "ok: in a new run LOAD \"WIN\" and RUN printed the same rows"
if [ -n "${ZORVA_CHECK_SHOT:-}" ]; then
  sleep 0.5
  cp "$shot" "$ZORVA_CHECK_SHOT" || fail "cannot keep the picture as $ZORVA_CHECK_SHOT"
fi

xdotool key alt+f
sleep 0.5
xdotool key x
ends "File > Exit"
cmp -s "$folder/WIN.BAS" "$work/expected.bas" || fail "WIN.BAS changed in the run that only loaded it"
echo "ok: WIN.BAS is as saved after the run that loaded it"

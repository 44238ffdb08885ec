# What the real-window checks share: an X server of their own, retries with a
# time limit, the program's About box and main window found through xdotool.
# Sourced after `set -u`; it makes $work (removed at exit) and $pids (killed at
# exit), and each check defines its own fail().

# The real window system, whatever platform the environment asks Qt for.
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR

skip() { echo "SKIPPED: $*"; exit 77; }

# fail_showing MESSAGE: fails the check, showing the screen as last copied
# ($work/copied) and what the program wrote ($work/zorva.log).
fail_showing() {
  echo "FAILED: $*"
  [ -s "${work:-/nonexistent}/copied" ] && sed 's/^/  screen: |/' "$work/copied"
  sed 's/^/  zorva: /' "${work:-/nonexistent}/zorva.log" 2>/dev/null
  exit 1
}

# need TOOL...: skips the check when a tool is missing.
need() {
  for tool; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
}

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

# until_ok SECONDS COMMAND...: retries COMMAND every 0.1 s.
until_ok() {
  for _ in $(seq $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}

# start_xvfb WIDTHxHEIGHT [OPTION...]: an X server on a display it picks itself
# (it writes the number once it is ready); exports DISPLAY.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp "${@:2}" 3>"$work/display" 2>"$work/xvfb.log" &
  pids+=("$!")
  until_ok 5 test -s "$work/display" || skip "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
}

about_window() { about=$(xdotool search --name '^About Zorva$' 2>/dev/null | head -1) && [ -n "$about" ]; }
main_window() { main=$(xdotool search --onlyvisible --class '^zorva$' 2>/dev/null | head -1) && [ -n "$main" ]; }

# await_about LOG: waits for the About box ($about), or skips when the
# program's LOG says Qt has no X11 platform here.
await_about() {
  until_ok 15 about_window && return 0
  grep -q 'platform plugin' "$1" && skip "Qt has no X11 platform plugin here"
  fail "the About box did not appear"
}

# launch_zorva FOLDER [VAR=VALUE...]: starts $zorva in FOLDER with those
# variables set, its output in $work/zorva.log and its pid in $zorva_pid (and
# $pids), and closes its About box with Return.
launch_zorva() {
  (cd "$1" && exec env "${@:2}" "$zorva") >"$work/zorva.log" 2>&1 &
  zorva_pid=$!
  pids+=("$zorva_pid")
  await_about "$work/zorva.log"
  xdotool windowfocus "$about" 2>/dev/null
  xdotool key Return
}

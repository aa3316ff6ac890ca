#!/usr/bin/env bash
# The wine trial of docs/windows-notes.md, run again: the trial programs of
# the windows preset under wine, headless and in an X server of their own.
# Prints what it measured; exits non-zero when a check fails.
#
#   tools/wintrial/trial.sh [BUILD_DIR]     (default build/windows)
#
# Needs scripts/install-windows-deps.sh and the targets duskwarren-wintrial
# and duskwarren-wintrial-tests built in the windows preset.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
build=$(realpath "${1:-build/windows}")
trial=$build/game/duskwarren-wintrial.exe
tests=$build/game/duskwarren-wintrial-tests.exe
source tests/support/checks.sh
source tests/support/wine.sh

[ -f "$trial" ] && [ -f "$tests" ] || die "build the trial first: cmake --build --preset windows --target duskwarren-wintrial duskwarren-wintrial-tests"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-wintrial.XXXXXX")
XVFB_PID=""
cleanup() {
  wine_prefix_remove
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# seconds_since START: seconds (to 0.1) since START, from date +%s%N.
seconds_since() {
  local ns=$(($(date +%s%N) - $1))
  printf '%d.%d' $((ns / 1000000000)) $((ns % 1000000000 / 100000000))
}

headless() {
  unset DISPLAY
  local start
  start=$(date +%s%N)
  wine_prefix_new
  note "first start of a fresh prefix (wineboot --init): $(seconds_since "$start") s"
  start=$(date +%s%N)
  wine_run 120 "$tests" >"$WORK/tests.out" 2>&1 || fail "the GoogleTest binary failed: $(tail -n 20 "$WORK/tests.out")"
  note "GoogleTest binary, headless, in that prefix: $(seconds_since "$start") s: $(grep -E '^\[  (PASSED|FAILED)' "$WORK/tests.out" | tr '\n' ' ')"
  wine_prefix_remove
}

start_x() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
  done
  [ -s "$WORK/display" ] || die "Xvfb did not start: $(cat "$WORK/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$WORK/display")"
}

# wait_for TEXT FILE SECS: true once FILE has a line TEXT (a Windows
# program's lines end in CR LF).
wait_for() {
  local deadline=$((SECONDS + $3))
  until { tr -d '\r' <"$2"; } 2>/dev/null | grep -qx "$1"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

pixel() {
  convert "$1" -format "%[pixel:p{$2,$3}]" info:
}

in_window() {
  start_x
  wine_prefix_new
  local start window
  start=$(date +%s%N)
  wine_start "$trial" --seconds 60 --shot "$(wine_path "$WORK/shot.png")"
  wait_for ready "$WINE_DIR/out" 60 || die "no window: $(cat "$WINE_DIR/err")"
  note "the trial's window is up after $(seconds_since "$start") s (in a prefix just set up)"
  window=$(xdotool search --name '^duskwarren-wintrial$' | head -n 1)
  [ -n "$window" ] || die "xdotool finds no window"
  import -window "$window" "$WORK/import.png" || fail "import -window failed"
  xwd -silent -id "$window" | convert xwd:- "$WORK/xwd.png" || fail "xwd failed"
  for picture in import xwd; do
    local differ
    differ=$(compare -metric AE "$WORK/$picture.png" "$WORK/shot.png" null: 2>&1)
    [ "$differ" = 0 ] && note "$picture -window: equal to the program's own pixels" ||
      fail "$picture -window differs from the program's pixels in $differ pixels"
  done
  xdotool key --window "$window" a 2>/dev/null
  wait_for "key A" "$WINE_DIR/out" 10 && note "xdotool key reached the program" || fail "the key did not come"
  sleep 0.5
  import -window "$window" "$WORK/keyed.png"
  [ "$(pixel "$WORK/keyed.png" 10 10)" = "srgb(255,255,0)" ] && note "the window shows the key" ||
    fail "the window does not show the key: $(pixel "$WORK/keyed.png" 10 10)"
  start=$(date +%s%N)
  wine_stop
  note "wine_stop ended the program and wine's helpers in $(seconds_since "$start") s"
  local left
  left=$(wine_left)
  [ -z "$left" ] || fail "wine processes are left: $(ps -o pid=,args= -p "$(echo "$left" | paste -sd,)")"
  xdotool search --name '^duskwarren-wintrial$' >/dev/null && fail "the window is left"
}

headless
in_window
if [ "$FAILURES" -gt 0 ]; then
  echo "$FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"

# Shared by the window tests (sourced): an X server and window manager of the
# test's own, the game (or the key echo) in it, keys typed with xdotool, and
# what the screen shows checked with window-probe.
#
# Needs the Debian packages xvfb and xdotool (the tests skip without them);
# openbox for the tests that go fullscreen. Set KEEP_WINDOW_TEST_FILES=1 to
# keep the captures of a passing run too.
set -u

# Run by hand with the build folder given, e.g.
#   DUSKWARREN_BUILD=build/window bash tests/window/cpu_test.sh
# (ctest passes the paths itself).
if [ -n "${DUSKWARREN_BUILD:-}" ]; then
  DUSKWARREN_BUILD=$(cd "$DUSKWARREN_BUILD" && pwd)
  : "${DUSKWARREN_RUNTIME_DIR:=$DUSKWARREN_BUILD/game}"
  : "${DUSKWARREN:=$DUSKWARREN_RUNTIME_DIR/duskwarren}"
  : "${DUSKWARREN_REPLAY:=$DUSKWARREN_RUNTIME_DIR/duskwarren-replay}"
  : "${WINDOW_PROBE:=$DUSKWARREN_BUILD/tests/window/window-probe}"
  : "${WINDOW_KEYECHO:=$DUSKWARREN_BUILD/tests/window/window-keyecho}"
fi

# Under the sanitizers the desktop's own libraries (D-Bus, the Mesa driver)
# leak a little at exit, where the leak checker cannot even name a driver
# that is already unloaded. Such leaks are only reported; expect_exit fails
# on a leak whose stack passes through the game's own code.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}exitcode=0"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-window.XXXXXX")
XVFB_PID=""
WM_PID=""
APP_PID=""
WID=""
FAILURES=0

note() { echo "-- $*"; }
skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}
die() {
  echo "FAIL: $*"
  exit 1
}

cleanup() {
  local status=$?
  stop_app
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] || [ -n "${KEEP_WINDOW_TEST_FILES:-}" ]; then
    echo "captures and logs kept in $WORK"
  else
    rm -rf "$WORK"
  fi
}
trap cleanup EXIT

# Ends the test: non-zero when any check failed.
finish() {
  if [ "$FAILURES" -gt 0 ]; then
    echo "$FAILURES check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}

require_x() {
  command -v Xvfb >/dev/null || skip "no X server for tests: Xvfb is not installed (Debian package xvfb)"
  command -v xdotool >/dev/null || skip "xdotool is not installed (Debian package xdotool)"
  for tool in "${WINDOW_PROBE:-}" "${DUSKWARREN:-}"; do
    [ -x "$tool" ] || die "not built: '$tool' (run the tests through ctest)"
  done
}

require_wm() {
  command -v openbox >/dev/null ||
    skip "going fullscreen needs a window manager: openbox is not installed (Debian package openbox)"
}

require_replay() {
  if [ -z "${DUSKWARREN_REPLAY:-}" ] || [ ! -x "$DUSKWARREN_REPLAY" ]; then
    skip "duskwarren-replay is not built, so there is no page to compare with"
  fi
}

# start_x [WIDTH HEIGHT]: a fresh X server on a free display, with openbox
# when it is installed.
start_x() {
  local size="${1:-1280}x${2:-1024}"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
  done
  [ -s "$WORK/display" ] || die "the X server did not start: $(cat "$WORK/xvfb.log")"
  DISPLAY=":$(head -n 1 "$WORK/display")"
  export DISPLAY
  note "X server on $DISPLAY, screen $size"
  # A desktop has a window manager; fullscreen needs one.
  if command -v openbox >/dev/null; then
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    "$WINDOW_PROBE" wm-ready 10 || die "openbox did not start: $(cat "$WORK/openbox.log")"
  fi
}

# start_app COMMAND...: runs it in the game's folder (or in APP_DIR) and
# waits for its window.
start_app() {
  (cd "${APP_DIR:-$DUSKWARREN_RUNTIME_DIR}" && exec "$@") >"$WORK/app.out" 2>"$WORK/app.err" &
  APP_PID=$!
  WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Duskwarren( - .*)?$' 2>/dev/null | head -n 1)
  [ -n "$WID" ] || die "no window appeared; $(cat "$WORK/app.err")"
  xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"
}

stop_app() {
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  fi
  APP_PID=""
}

# expect_exit CODE WHAT: the program ends within 20 seconds with CODE.
expect_exit() {
  local code
  for _ in $(seq 200); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$APP_PID" 2>/dev/null; then
    fail "$2: still running 20 seconds later"
    stop_app
    return
  fi
  wait "$APP_PID"
  code=$?
  APP_PID=""
  if [ "$code" -eq "$1" ]; then
    note "$2: exit code $code"
  else
    fail "$2: exit code $code, wanted $1; stderr: $(cat "$WORK/app.err")"
  fi
  if awk '/(Direct|Indirect) leak of/ { leak = 1 } leak && / in (dw::|main )/ { ours = 1 }
          END { exit !ours }' "$WORK/app.err"; then
    fail "$2: the program leaks memory: $(cat "$WORK/app.err")"
  fi
}

press() { xdotool key --delay 60 "$@"; }
typed() { xdotool type --delay 60 "$1"; }

# expect_page PAGE.png NAME [--aspect]: the window comes to show the page.
expect_page() {
  local page=$1 name=$2
  shift 2
  local report
  if report=$("$WINDOW_PROBE" match "$WID" "$page" --timeout 20 --save "$WORK/capture-$name.png" "$@"); then
    note "$name: $report"
  else
    fail "$name: $report (capture $WORK/capture-$name.png, page $page)"
  fi
}

# replay_page KEYS OUT.png: the page the headless game shows after KEYS.
replay_page() {
  (cd "$DUSKWARREN_RUNTIME_DIR" && "$DUSKWARREN_REPLAY" --keys "$1" --screenshot "$2") \
    >"$WORK/replay.out" 2>&1
  [ -s "$2" ] || die "duskwarren-replay made no screenshot for '$1': $(cat "$WORK/replay.out")"
}

# resize W H: the window's inside becomes W x H, at the top left of the screen.
resize() {
  xdotool windowmove --sync "$WID" 0 0 2>/dev/null || xdotool windowmove "$WID" 0 0
  xdotool windowsize --sync "$WID" "$1" "$2" 2>/dev/null || xdotool windowsize "$WID" "$1" "$2"
  expect_size "${1}x${2}" "resize"
}

window_size() { xdotool getwindowgeometry "$WID" | sed -n 's/ *Geometry: //p'; }

# expect_size WxH WHAT: the window's inside becomes that size within 10 s.
expect_size() {
  local size
  for _ in $(seq 100); do
    size=$(window_size)
    [ "$size" = "$1" ] && return
    sleep 0.1
  done
  fail "$2: the window is $size, wanted $1"
}

# expect_covered PAGE.png NAME: within 10 s the window stops showing the page
# (a panel is drawn over it).
expect_covered() {
  for _ in $(seq 50); do
    "$WINDOW_PROBE" capture "$WID" "$WORK/capture-$2.png" >/dev/null 2>&1 &&
      ! "$WINDOW_PROBE" compare "$WORK/capture-$2.png" "$1" >/dev/null 2>&1 &&
      { note "$2: the page is covered"; return; }
    sleep 0.2
  done
  fail "$2: the window still shows the page (capture $WORK/capture-$2.png)"
}

# expect_title TEXT WHAT: within 10 s the window's title holds TEXT.
expect_title() {
  local title=""
  for _ in $(seq 50); do
    title=$(xdotool getwindowname "$WID" 2>/dev/null)
    case "$title" in *"$1"*) note "$2: title '$title'"; return ;; esac
    sleep 0.2
  done
  fail "$2: the title is '$title', wanted it to hold '$1'"
}

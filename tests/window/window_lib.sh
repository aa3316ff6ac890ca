# Shared by the window tests (sourced): an X server and window manager of the
# test's own, the game (or the key echo) in it, keys typed with xdotool, and
# what the screen shows checked with window-probe.
#
# Needs the Debian packages xvfb and xdotool (the tests skip without them);
# openbox for the tests that go fullscreen. Set KEEP_WINDOW_TEST_FILES=1 to
# keep the captures of a passing run too.
#
# No test can hang: each runs under its own deadline (WINDOW_TEST_DEADLINE
# seconds, well under ctest's limit), after which it and everything it
# started get SIGTERM and, WINDOW_TEST_GRACE seconds later, SIGKILL; each
# step that waits has a limit of its own; a program that does not end on
# SIGTERM is killed.
set -u

: "${WINDOW_TEST_DEADLINE:=100}"
: "${WINDOW_TEST_GRACE:=10}"
# How long a window may take to appear (the game gives up after 10 s).
: "${WINDOW_START_TIMEOUT:=20}"
# The deadline is kept by `timeout` around the whole test, in a process
# group of its own, so that it reaches whatever the test started. Run by
# hand from a terminal, Ctrl-C stops the test instead.
if [ -z "${WINDOW_TEST_UNDER_DEADLINE:-}" ] && ! [ -t 0 ]; then
  export WINDOW_TEST_UNDER_DEADLINE=$WINDOW_TEST_DEADLINE
  exec timeout -k "$WINDOW_TEST_GRACE" "$WINDOW_TEST_DEADLINE" bash "$0" "$@"
fi

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
# The player's settings and recordings of this test alone, so that tests in
# parallel never share them (a test may name other folders of its own).
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
XVFB_PID=""
WM_PID=""
APP_PID=""
WID=""

source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

# kill_app: kills the game at once (SIGKILL, as a crash or a power cut
# would) and waits until the X server has taken its window down, so a search
# for the next window never meets it half gone.
kill_app() {
  kill -KILL "$APP_PID"
  wait "$APP_PID" 2>/dev/null
  APP_PID=""
  for _ in $(seq 50); do
    xdotool getwindowname "$WID" >/dev/null 2>&1 || break
    sleep 0.1
  done
}

# end_process PID: SIGTERM, then SIGKILL when it is still there 3 s later;
# returns once it has gone.
end_process() {
  local pid=$1
  [ -n "$pid" ] || return 0
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 30); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      echo "-- process $pid did not end on SIGTERM: killed"
      kill -KILL "$pid" 2>/dev/null
    fi
  fi
  wait "$pid" 2>/dev/null
  return 0
}

# What is needed to see why a window did not come: the program's output, the
# X server's windows and the window manager's log.
diagnose() {
  echo "---- the program's stderr:"
  cat "$WORK/app.err" 2>/dev/null
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
    echo "---- the program (pid $APP_PID) still runs, waiting in $(cat "/proc/$APP_PID/wchan" 2>/dev/null)"
  fi
  if [ -n "${DISPLAY:-}" ] && command -v xwininfo >/dev/null; then
    echo "---- the X server's windows (xwininfo -root -tree):"
    timeout 5 xwininfo -root -tree 2>&1 | head -n 60
  fi
  if [ -f "$WORK/openbox.log" ]; then
    echo "---- the window manager's log:"
    cat "$WORK/openbox.log"
  fi
  echo "---- the X server's log:"
  cat "$WORK/xvfb.log" 2>/dev/null
}

past_deadline() {
  trap - TERM
  echo "FAIL: the test ran past its deadline of ${WINDOW_TEST_UNDER_DEADLINE:-$WINDOW_TEST_DEADLINE} s"
  diagnose
  exit 1
}
trap past_deadline TERM

cleanup() {
  local status=$?
  trap - TERM
  stop_app
  end_process "$WM_PID"
  end_process "$XVFB_PID"
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
# when it is installed (and WINDOW_TEST_NO_WM is not set).
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
  if [ -z "${WINDOW_TEST_NO_WM:-}" ] && command -v openbox >/dev/null; then
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    # Only once openbox frames a window of its own does it act on every
    # request to show one (before, it may drop the request).
    timeout -k 2 30 "$WINDOW_PROBE" wm-ready 20 ||
      die "openbox did not start: $(cat "$WORK/openbox.log")"
  fi
}

# start_app COMMAND...: runs it in the game's folder (or in APP_DIR) and
# waits for its window.
# Fails the test, with what is needed to see why, when no window appears
# within WINDOW_START_TIMEOUT seconds or the program ends first.
start_app() {
  (cd "${APP_DIR:-$DUSKWARREN_RUNTIME_DIR}" && exec "$@") >"$WORK/app.out" 2>"$WORK/app.err" &
  APP_PID=$!
  WID=""
  local started=$SECONDS
  while [ -z "$WID" ] && [ $((SECONDS - started)) -lt "$WINDOW_START_TIMEOUT" ]; do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
      wait "$APP_PID"
      local code=$?
      diagnose
      APP_PID=""
      die "no window appeared: the program ended with exit code $code"
    fi
    WID=$(timeout -k 1 3 "$WINDOW_PROBE" wait-window Duskwarren 1 2>/dev/null)
  done
  if [ -z "$WID" ]; then
    diagnose
    die "no window appeared within $WINDOW_START_TIMEOUT s"
  fi
  timeout 10 xdotool windowactivate --sync "$WID" 2>/dev/null ||
    timeout 10 xdotool windowfocus --sync "$WID"
}

stop_app() {
  end_process "$APP_PID"
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

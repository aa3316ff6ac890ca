#!/bin/bash
# The game never waits without end for its window: on a desktop that never
# shows it, the game says so and exits 1. The window tests cannot hang: a
# program stuck before its window (it ignores
# SIGTERM, as a program stuck in its window system does) fails its test with
# the program's stderr, the X server's windows and the window manager's log,
# and is killed; a test that runs past its deadline is stopped, and what it
# started is gone soon after.
source "$(dirname "$0")/window_lib.sh"
require_x
LIB="$(cd "$(dirname "$0")" && pwd)/window_lib.sh"

# A stand-in for a program stuck before its first frame.
cat >"$WORK/stuck.sh" <<'STUCK'
echo $$ >"$STUCK_PID_FILE"
echo "stuck before its window" >&2
trap "" TERM
exec sleep 600
STUCK

cat >"$WORK/no_window.sh" <<CHILD
source "$LIB"
require_x
start_x 640 480
start_app bash "$WORK/stuck.sh"
finish
CHILD

cat >"$WORK/past_deadline.sh" <<CHILD
source "$LIB"
require_x
start_x 640 480
echo "\$XVFB_PID" >"$WORK/xvfb.pid"
bash "$WORK/stuck.sh" &
APP_PID=\$!
sleep 600 # a step that never ends
finish
CHILD

# run_child NAME SCRIPT DEADLINE [VARIABLE=VALUE...]: runs a test of its own
# under DEADLINE seconds (grace 5); sets CODE, TOOK and LOG.
run_child() {
  local name=$1 script=$2 deadline=$3
  shift 3
  local started=$SECONDS
  env -u WINDOW_TEST_UNDER_DEADLINE WINDOW_TEST_DEADLINE="$deadline" WINDOW_TEST_GRACE=5 \
    STUCK_PID_FILE="$WORK/$name.pid" "$@" bash "$script" </dev/null >"$WORK/$name.log" 2>&1
  CODE=$?
  TOOK=$((SECONDS - started))
  LOG=$(cat "$WORK/$name.log")
}

# expect_in NAME TEXT: the child's output holds TEXT.
expect_in() {
  [[ "$LOG" == *"$2"* ]] || fail "$1: no '$2' in its output:
$LOG"
}

# alive PID: the process is there and not a zombie waiting to be reaped.
alive() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# expect_gone WHAT PIDFILE: the process is gone, or goes within a few
# seconds of its SIGKILL (a loaded machine may take that long to end it).
expect_gone() {
  local pid
  pid=$(cat "$2" 2>/dev/null)
  if [ -n "$pid" ]; then
    for _ in $(seq 50); do
      alive "$pid" || break
      sleep 0.1
    done
  fi
  if [ -z "$pid" ]; then
    fail "$1 never started"
  elif alive "$pid"; then
    kill -KILL "$pid" 2>/dev/null
    fail "$1 (pid $pid) outlived its test"
  else
    note "$1 (pid $pid) is gone"
  fi
}

note "a desktop that never shows the window"
WINDOW_TEST_NO_WM=1 start_x 640 480
"$WINDOW_PROBE" deaf-wm 60 >"$WORK/deaf.out" &
WM_PID=$!
for _ in $(seq 100); do
  grep -q ready "$WORK/deaf.out" 2>/dev/null && break
  sleep 0.1
done
grep -q ready "$WORK/deaf.out" || die "the deaf window manager did not start"
started=$SECONDS
(cd "$DUSKWARREN_RUNTIME_DIR" && timeout -s KILL 40 "$DUSKWARREN") >/dev/null 2>"$WORK/deaf.err"
code=$?
took=$((SECONDS - started))
if [ "$code" -eq 1 ] && [ "$took" -le 25 ] &&
  grep -q "^duskwarren: cannot open the game window: the desktop did not show the window" \
    "$WORK/deaf.err"; then
  note "the game gave up after $took s: $(cat "$WORK/deaf.err")"
else
  fail "wanted exit code 1 within 25 s and the reason; got $code after $took s: $(cat "$WORK/deaf.err")"
fi
end_process "$WM_PID"
end_process "$XVFB_PID"
WM_PID=""
XVFB_PID=""
unset DISPLAY

note "a program that never shows its window"
run_child no_window "$WORK/no_window.sh" 60 WINDOW_START_TIMEOUT=3
if [ "$CODE" -ne 1 ] || [ "$TOOK" -gt 20 ]; then
  fail "no window: exit code $CODE after $TOOK s, wanted 1 within 20 s:
$LOG"
else
  note "no window: failed after $TOOK s"
fi
expect_in "no window" "no window appeared within 3 s"
expect_in "no window" "stuck before its window"
expect_in "no window" "Root window id"
command -v openbox >/dev/null && expect_in "no window" "the window manager's log"
expect_in "no window" "did not end on SIGTERM: killed"
expect_gone "the stuck program" "$WORK/no_window.pid"

note "a test that runs past its deadline"
run_child past_deadline "$WORK/past_deadline.sh" 8
if [ "$CODE" -eq 0 ] || [ "$TOOK" -gt 18 ]; then
  fail "past its deadline: exit code $CODE after $TOOK s, wanted a failure within 18 s:
$LOG"
else
  note "past its deadline: exit code $CODE after $TOOK s"
fi
expect_in "past its deadline" "ran past its deadline of 8 s"
expect_gone "the stuck program" "$WORK/past_deadline.pid"
expect_gone "its X server" "$WORK/xvfb.pid"
finish

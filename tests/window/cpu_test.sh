#!/bin/bash
# Waiting for a key costs no CPU: the game's CPU time over 5 seconds of
# waiting at the start screen, at the world set-up and in play stays under 1%
# of a core. Run by hand with DUSKWARREN_BUILD=build/<x>; set
# WINDOW_TEST_DISPLAY=current to measure in the desktop's own X server.
source "$(dirname "$0")/window_lib.sh"
require_x
if [ "${WINDOW_TEST_DISPLAY:-}" = current ]; then
  [ -n "${DISPLAY:-}" ] || skip "WINDOW_TEST_DISPLAY=current, but DISPLAY is not set"
  note "measuring on the desktop's display $DISPLAY"
else
  start_x 1280 1024
fi

ticks_per_second=$(getconf CLK_TCK)
# cpu_ticks PID: user plus system time so far, in clock ticks.
cpu_ticks() {
  # The command name in field 2 may hold blanks: count fields after its ")".
  sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# measure WHAT: CPU time of the game over 5 seconds.
measure() {
  local before after used
  before=$(cpu_ticks "$APP_PID")
  sleep 5
  after=$(cpu_ticks "$APP_PID")
  used=$((after - before))
  # Under 1% of 5 seconds: fewer than 5 hundredths of a second.
  local limit=$((ticks_per_second * 5 / 100))
  local ms=$((used * 1000 / ticks_per_second))
  if [ "$used" -lt "$limit" ]; then
    note "$1: ${ms} ms of CPU in 5 s"
  else
    fail "$1: ${ms} ms of CPU in 5 s, 1% of a core would be 50 ms"
  fi
}

start_app "$DUSKWARREN"
sleep 2
measure "waiting at the start screen"
typed "@42"
press Return
sleep 2
measure "waiting at the world set-up"
press space
sleep 2
measure "waiting in play"
typed "8642"
sleep 2
measure "waiting in play after some turns"
press Escape
expect_exit 0 "Escape in play"
finish

#!/bin/bash
# Every way out ends the program with exit code 0: Escape on the start
# screen, and the close button on the start screen, during the world set-up's
# wait for a key and in play.
source "$(dirname "$0")/window_lib.sh"
require_x
start_x 1280 1024

have_pages=""
if [ -n "${DUSKWARREN_REPLAY:-}" ] && [ -x "$DUSKWARREN_REPLAY" ]; then
  have_pages=yes
  replay_page '@42\r' "$WORK/compass.png"
  replay_page '@42\r ' "$WORK/level.png"
else
  note "duskwarren-replay is not built: the closes below follow a pause, unchecked"
fi

# reach PAGE NAME: waits until the game shows the page.
reach() {
  if [ -n "$have_pages" ]; then expect_page "$1" "$2"; else sleep 3; fi
}

start_app "$DUSKWARREN"
sleep 1
press Escape
expect_exit 0 "Escape on the start screen"

start_app "$DUSKWARREN"
sleep 1
"$WINDOW_PROBE" close "$WID" || fail "could not press the close button"
expect_exit 0 "close button on the start screen"

start_app "$DUSKWARREN"
typed "@42"
press Return
reach "$WORK/compass.png" compass
"$WINDOW_PROBE" close "$WID" || fail "could not press the close button"
expect_exit 0 "close button during the world set-up"

start_app "$DUSKWARREN"
typed "@42"
press Return space
reach "$WORK/level.png" level
"$WINDOW_PROBE" close "$WID" || fail "could not press the close button"
expect_exit 0 "close button in play"
finish

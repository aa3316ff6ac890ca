#!/bin/bash
# A run in the window, its game killed with SIGKILL, is taken up with
# duskwarren --continue on the very picture it stopped on (every key
# counts: nothing ended it), goes on, and is then taken up once more with F3
# on the start screen, and again with Enter in F4's past runs. Its one
# recording replays to the trace of all its keys.
source "$(dirname "$0")/window_lib.sh"
require_x
require_replay
export HOME="$WORK/home" XDG_PICTURES_DIR="$WORK/pictures" XDG_DATA_HOME="$WORK/data"
mkdir -p "$HOME"
recordings="$XDG_DATA_HOME/duskwarren/recordings"

moves='8642v+-26b4866662222'
more='44448888h6'
replay_page "@42\\r $moves" "$WORK/stopped.png"
replay_page "@42\\r $moves$more" "$WORK/later.png"
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $moves$more\\e" --trace "$WORK/keys.jsonl") \
  >"$WORK/replay.out" 2>&1 || die "duskwarren-replay failed: $(cat "$WORK/replay.out")"

start_x 1280 1024
start_app "$DUSKWARREN"
typed "@42"
press Return space
typed "$moves"
expect_page "$WORK/stopped.png" played
kill_app
recording=$(ls "$recordings"/*-seed42.dwrec 2>/dev/null)
[ -f "$recording" ] || die "no recording of the killed game in $recordings"

start_app "$DUSKWARREN" --continue
expect_page "$WORK/stopped.png" continued
typed "$more"
expect_page "$WORK/later.png" "played on"
press Escape
expect_exit 0 "Escape in the continued run"

[ "$(ls "$recordings"/*.dwrec)" = "$recording" ] ||
  fail "wanted one recording, $recording; found: $(ls "$recordings")"

# The start screen offers the run again; F3 takes it up, without the Escape.
start_app "$DUSKWARREN"
expect_title "F3: continue the game on seed 42" "the start screen's offer"
press F3
expect_page "$WORK/later.png" "taken up with F3"
press Escape
expect_exit 0 "Escape after F3"

# F4 lists it among the past runs, highlighted; Enter takes it up too.
start_app "$DUSKWARREN"
expect_title "F3: continue the game on seed 42" "the start screen's offer again"
press F4 Return
expect_page "$WORK/later.png" "picked in F4"
press Escape
expect_exit 0 "Escape after F4"

(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "$recording" --trace "$WORK/recording.jsonl") \
  >"$WORK/replay.out" 2>&1 || fail "duskwarren-replay --recording failed: $(cat "$WORK/replay.out")"
if cmp -s "$WORK/keys.jsonl" "$WORK/recording.jsonl"; then
  note "the whole run replays to the trace of its keys ($(wc -l <"$WORK/keys.jsonl") lines)"
else
  fail "the recording's trace differs from the keys' own"
fi
finish

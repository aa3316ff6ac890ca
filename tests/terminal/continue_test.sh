#!/bin/bash
# A run stopped with Escape and taken up again in a terminal (tmux, 80 x 30):
# duskwarren --terminal --continue shows the very screen the run stopped on,
# the run goes on, and the recordings folder then holds one recording of the
# whole run, which replays to the same trace as all its keys; the next start
# screen offers it, and F3 takes it up.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay

moves=$(for i in $(seq 10); do printf '66662222444488886624'; done)
more=$(for i in $(seq 5); do printf '8888444426'; done)
[ ${#moves} -eq 200 ] && [ ${#more} -eq 50 ] || die "the moves are miscounted"
replay_text "@42\\r $moves" "$WORK/stopped.txt"

# 1. A game on seed 42, 200 moves, Escape.
start_game 80 30
wait_for_text "Press the spacebar" 20 "the start-up report" || finish
keys -l "@42"
keys Enter
keys Space
keys -l "$moves"
expect_screen "$WORK/stopped.txt" "before Escape"
keys Escape
expect_end 0 "Escape in play"
stop_server
recordings="$XDG_DATA_HOME/duskwarren/recordings"
first=$(ls "$recordings"/*.dwrec 2>/dev/null)
[ "$(echo "$first" | wc -l)" -eq 1 ] || die "wanted one recording, found: $first"

# 2. Taken up again: the same screen, without the Escape.
start_game 80 30 "'$DUSKWARREN' --terminal --continue"
expect_screen "$WORK/stopped.txt" "continued"

# 3. 50 more moves and Escape.
keys -l "$more"
keys Escape
expect_end 0 "Escape in the continued run"
stop_server

# 4. One recording of the whole run, the same game as its keys.
newest=$(ls "$recordings"/*.dwrec)
if [ "$newest" = "$first" ]; then
  note "the run went on in its own recording"
else
  fail "wanted the run to go on in $first, found: $newest"
fi
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "$first" --trace "$WORK/continued.jsonl" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $moves$more\\e" --trace "$WORK/keys.jsonl") \
  >"$WORK/replays.out" 2>&1 || die "a replay failed: $(cat "$WORK/replays.out")"
if cmp -s "$WORK/continued.jsonl" "$WORK/keys.jsonl"; then
  note "the recording replays to the trace of all the keys ($(wc -l <"$WORK/keys.jsonl") lines)"
else
  fail "the recording's trace differs from the keys' trace"
fi

# 5. The start screen offers the run, on the row below the game; F3 takes
# it up where it stopped again.
replay_text "@42\\r $moves$more" "$WORK/later.txt"
start_game 80 30
wait_for_text "F3: continue the game on seed 42, level [0-9]*, 250 turns" 10 "the start screen's offer" &&
  note "the start screen offers the run"
keys F3
expect_screen "$WORK/later.txt" "taken up with F3"
keys Escape
expect_end 0 "Escape after F3"
finish

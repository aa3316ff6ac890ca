#!/bin/bash
# A recording from elsewhere taken up in a terminal (tmux, 80 x 30): a long
# run made by duskwarren-replay --record, copied alone into an empty folder.
# The catch-up shows how far it has got and Escape stops it with nothing
# written; let through, it reaches the run's picture, the file is left as it
# was, and the run becomes one of this machine's, which a plain --continue
# takes up at once from its checkpoint. Then the run last played is the one
# offered, and the log of a continued run is the run's own.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay

recordings="$XDG_DATA_HOME/duskwarren/recordings"
elsewhere="$WORK/elsewhere"
mkdir -p "$elsewhere" "$recordings"

# 1. A run of 400,000 keys recorded by the replay, with its checkpoint.
walk=66662222444488886624
{
  printf '@42\r '
  for i in $(seq 20000); do printf '%s' "$walk"; done
} >"$WORK/long.keys"
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --keys-file "$WORK/long.keys" --record "$WORK/long.dwrec" \
    --text-screenshot "$WORK/long.txt") >"$WORK/record.out" 2>&1 ||
  die "the replay did not record: $(cat "$WORK/record.out")"
sed -i 's/ *$//' "$WORK/long.txt"
if [ -f "$WORK/long.dwcp" ]; then
  note "--record leaves a checkpoint beside its recording"
else
  fail "--record left no checkpoint beside its recording"
fi
cp "$WORK/long.dwrec" "$elsewhere/long.dwrec"
sum=$(sha256sum <"$elsewhere/long.dwrec")

# 2. Escape while it catches up: nothing written, the file as it was.
start_game 80 30 "'$DUSKWARREN' --terminal --continue '$elsewhere/long.dwrec'"
wait_for_text "Catching up: level [0-9,]*, key [0-9,]* of 400,005" 3 "the catch-up's progress" &&
  note "the catch-up shows how far it has got"
keys Escape
expect_end 0 "Escape during the catch-up"
stop_server
[ -z "$(ls -A "$recordings")" ] || fail "the stopped catch-up wrote: $(ls "$recordings")"
[ "$(ls "$elsewhere")" = "long.dwrec" ] || fail "files beside the recording: $(ls "$elsewhere")"

# 3. Let through, it reaches the run's picture; the file is untouched.
start_game 80 30 "'$DUSKWARREN' --terminal --continue '$elsewhere/long.dwrec'"
expect_screen "$WORK/long.txt" "caught up from elsewhere"
keys Escape
expect_end 0 "Escape after the catch-up"
stop_server
[ "$(sha256sum <"$elsewhere/long.dwrec")" = "$sum" ] && [ "$(ls "$elsewhere")" = "long.dwrec" ] ||
  fail "the recording from elsewhere was changed"
run=$(ls "$recordings"/*-seed42.dwrec 2>/dev/null)
if [ "$(echo "$run" | wc -l)" -eq 1 ] && [ -f "${run%.dwrec}.dwcp" ]; then
  note "the run became $(basename "$run"), with its checkpoint"
else
  fail "wanted one run on seed 42 with its checkpoint, found: $(ls "$recordings")"
fi

# 4. A plain --continue takes it up from its checkpoint.
started=$(date +%s%N)
start_game 80 30 "'$DUSKWARREN' --terminal --continue"
expect_screen "$WORK/long.txt" "continued again"
note "taken up again in $((($(date +%s%N) - started) / 1000000)) ms, polling included"
keys Escape
expect_end 0 "Escape in the run taken up again"
stop_server

# 5. Runs A (200 moves on seed 42) and B (seed 7, newer): A continued and
# quit becomes the run last played, which F3 and --continue take.
rm -f "$recordings"/*
moves=$(for i in $(seq 10); do printf '%s' "$walk"; done)
a="$recordings/2026-01-01-000000-seed42.dwrec"
b="$recordings/2026-01-02-000000-seed7.dwrec"
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $moves" --record "$a" --log "$WORK/a.log" \
    --text-screenshot "$WORK/a.txt" &&
  "$DUSKWARREN_REPLAY" --keys "@7\\r 2222" --record "$b") >"$WORK/ab.out" 2>&1 ||
  die "the replay did not record A and B: $(cat "$WORK/ab.out")"
sed -i 's/ *$//' "$WORK/a.txt"
touch -d '1 hour ago' "$a"
start_game 80 30 "'$DUSKWARREN' --terminal --continue '$a'"
expect_screen "$WORK/a.txt" "A continued"
# The log panel holds the run's own last entries, with their levels and turns.
keys F2
JOINED=1 wait_for_text "Message log" 5 "the log panel"
capture >"$WORK/panel.txt"
keys Escape
tail -n 3 "$WORK/a.log" | while IFS= read -r line; do
  place=${line%% *} text=${line#* }
  grep -qF -- "$text" "$WORK/panel.txt" && grep -qF -- "$place" "$WORK/panel.txt" ||
    echo "$line" >>"$WORK/missing.txt"
done
if [ -s "$WORK/missing.txt" ]; then
  fail "the log panel lacks entries of the replay's log: $(cat "$WORK/missing.txt")"
else
  note "the log panel ends as the replay's log does"
fi
joins_log=$(grep -c "joins the party" "$WORK/a.log")
joins_panel=$(grep -c "joins the party" "$WORK/panel.txt")
[ "$joins_panel" -le "$joins_log" ] ||
  fail "the panel tells $joins_panel joins, the log $joins_log"
keys Escape
expect_end 0 "Escape in A"
stop_server
start_game 80 30
wait_for_text "F3: continue the game on seed 42" 10 "the start screen's offer of A" &&
  note "the start screen offers A, the run last played"
keys Escape
expect_end 0 "Escape on the start screen"
stop_server
start_game 80 30 "'$DUSKWARREN' --terminal --continue"
expect_screen "$WORK/a.txt" "--continue takes A"
keys Escape
expect_end 0 "Escape in A again"
finish

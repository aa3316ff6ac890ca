#!/bin/bash
# Past runs picked to go on with, in a terminal (tmux, 80 x 30). Two runs
# recorded by duskwarren-replay --record lie in the recordings folder, each
# with the checkpoint and the log the replay leaves where it goes on; the
# older was played last but one. In a game on seed 5, F4 lists the newer
# first; Enter on it, while another game holds it, is refused with why (the
# notice cut on its row, whole in the log) and the game goes on. Down and
# Enter pick the older: the game on seed 5 ends as a quit ends it (its
# recording and summary kept), and the run picked shows the very screen its
# recording stopped on. Its F2 log then holds what the replay's --log holds
# of that recording, levels and turns alike, and no key that steered a
# panel reached a game.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay

recordings="$XDG_DATA_HOME/duskwarren/recordings"
mkdir -p "$recordings"
moves=$(for i in $(seq 10); do printf '66662222444488886624'; done)
older="$recordings/2026-01-01-100000-seed42.dwrec"
newer="$recordings/2026-01-02-100000-seed7.dwrec"
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $moves\\e" --record "$older" &&
  "$DUSKWARREN_REPLAY" --keys '@7\r 6666\e' --record "$newer" &&
  "$DUSKWARREN_REPLAY" --recording "$older" --log "$WORK/older.log") >"$WORK/replays.out" 2>&1 ||
  die "a replay failed: $(cat "$WORK/replays.out")"
touch -d '2 hours ago' "$older"
touch -d '1 hour ago' "$newer"
for sidecar in dwcp dwlog; do
  [ -f "${older%.dwrec}.$sidecar" ] || fail "duskwarren-replay --record left no .$sidecar beside its recording"
done
replay_text "@42\\r $moves" "$WORK/older.txt"
replay_text '@5\r' "$WORK/compass.txt"

replay_text '@5\r 6666' "$WORK/seed5.txt"
# Another game holds the newer run (for a while of its own: it ends by itself).
flock -n "${newer%.dwrec}.dwlock" sleep 120 >/dev/null 2>&1 &
holder=$!

start_game 80 30 "'$DUSKWARREN' --terminal --seed 5 2>'$WORK/game.err'"
expect_screen "$WORK/compass.txt" "--seed 5"
keys Space
keys -l "6666"
keys F4
wait_for_text "─ Past runs ─" 5 "F4 opens the past runs" || finish
# The newer run first, the older below it, the newer highlighted: held, it
# is refused with why, and the game goes on as it was.
JOINED=1 wait_for_text "Seed 7,.*Seed 42," 5 "the newer run listed first" &&
  note "F4 lists the runs newest first"
keys Enter
wait_for_text "cannot continue" 5 "the held run refused" && note "a held run is refused"
expect_screen "$WORK/seed5.txt" "refused"
kill "$holder" 2>/dev/null
# The notice, cut to the row below the game (its path is long), is whole in
# the log.
keys F2
JOINED=1 wait_for_text "cannot continue .*seed7.*that run is being .*played (process" 5 \
  "the whole refusal in the log" && note "the log keeps the whole of a notice cut on its row"
keys Escape
expect_screen "$WORK/seed5.txt" "log-of-refusal-closed"
# Down moves the highlight to the older run, and no game sees it; Enter
# picks it.
keys F4
wait_for_text "─ Past runs ─" 5 "F4 opens the past runs again" || finish
keys Down
keys Enter
expect_screen "$WORK/older.txt" "picked"

# The log as the panel shows it, one entry a line as the replay writes it:
# the rows inside the frame (the picture shows on either side of it), the
# label's padding taken out, the rows an entry was wrapped onto joined.
keys F2
wait_for_text "─ Message log ─" 5 "F2 opens the log" || finish
screen_part | LC_ALL=C.UTF-8 sed -n '/─ Message log ─/,/└/p' | sed '1d;$d' |
  LC_ALL=C.UTF-8 sed -E 's/^(.{38}).*/\1/; s/^.│ //; s/ *$//' >"$WORK/f2-rows.txt"
entries=()
while IFS= read -r row; do
  if [ -z "$row" ]; then
    continue  # a page longer than the log
  elif [[ "$row" == " "* ]]; then
    [ ${#entries[@]} -gt 0 ] && entries[-1]+=" ${row#"${row%%[! ]*}"}"
  else
    entries+=("$(sed -E 's/^(L[0-9]+ T[0-9]+) +/\1 /' <<<"$row")")
  fi
done <"$WORK/f2-rows.txt"
printf '%s\n' "${entries[@]}" >"$WORK/f2.txt"
tail -n "${#entries[@]}" "$WORK/older.log" >"$WORK/older-tail.txt"
if [ ${#entries[@]} -gt 1 ] && cmp -s "$WORK/f2.txt" "$WORK/older-tail.txt"; then
  note "F2 shows the last ${#entries[@]} entries of the replay's log of the run"
else
  fail "F2 after the pick is not the tail of the replay's log:"
  diff "$WORK/older-tail.txt" "$WORK/f2.txt" | head -n 20
fi
keys Escape
expect_screen "$WORK/older.txt" "log-closed"
keys Escape
expect_end 0 "Escape in the run picked"
stop_server

# The game left for the pick is kept as a run that ended there.
left=("$recordings"/*-seed5.dwrec)
if [ -f "${left[0]}" ] && grep -qx 'ended=left' "${left[0]%.dwrec}.dwrun" 2>/dev/null; then
  note "the game left for the pick is kept, its summary saying how it ended"
else
  fail "the game on seed 5 was not kept as a run left: $(ls "$recordings")"
fi
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "${left[0]}" --trace "$WORK/left.jsonl" &&
  "$DUSKWARREN_REPLAY" --keys '@5\r 6666' --trace "$WORK/keys.jsonl") >"$WORK/left.out" 2>&1 ||
  fail "the run left does not replay: $(cat "$WORK/left.out")"
cmp -s "$WORK/left.jsonl" "$WORK/keys.jsonl" &&
  note "the run left replays to the trace of its keys: the panel's keys reached no game" ||
  fail "the run left is not the game of its keys"
finish

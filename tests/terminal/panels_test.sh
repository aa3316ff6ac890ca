#!/bin/bash
# The terminal game with the shell around it, in tmux (80 x 30): F1 and "?"
# open the keys (which name F3 too), F2 and "l" the message log, F5 and "x" the
# eight cells around the hero in words, and each closes with Escape to
# the very screen the headless game shows, for none of their keys reaches the
# game. The player's settings make the arrows walk (a bad line is named on
# the row below the game, and the game goes on). The game is recorded, and
# the recording replays to the same trace as the keys the game was given,
# and --terminal --watch plays it to its end.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay

export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
mkdir -p "$XDG_CONFIG_HOME/duskwarren"
printf 'arrow-keys = walk\r\ncolours = lots\n# a comment\n' >"$XDG_CONFIG_HOME/duskwarren/settings"

played='@42\r 8642v6+-26b48\e'
replay_text '@42\r 8642v' "$WORK/first.txt"
replay_text '@42\r 8642v6+-26b48' "$WORK/last.txt"

start_game 80 30 "XDG_CONFIG_HOME='$XDG_CONFIG_HOME' XDG_DATA_HOME='$XDG_DATA_HOME' '$DUSKWARREN' --terminal"
wait_for_text "Press the spacebar" 20 "the start-up report" || finish
wait_for_text "settings line 2: no setting is called \"colours\"" 5 "the bad settings line" || true
keys -l "@42"
keys Enter Space
keys -l "8642v"
expect_screen "$WORK/first.txt" first

panel() {  # panel KEY TITLE NAME: KEY opens the panel TITLE, Escape closes it
  keys "$1"
  wait_for_text "$2" 5 "$3 opens" && note "$3: $2 shown"
  keys Escape
  expect_screen "$WORK/first.txt" "$3-closed"
}
panel F1 "─ Keys ─" F1
panel F2 "─ Message log ─" F2
# F5 and "x" read the hero's surroundings in words: the eight cells around
# and the stairs, never reaching the game.
panel F5 "─ Around you ─" F5
keys -l "x"
wait_for_text "Down-right *[A-Z]" 5 "x names the eight cells around"
wait_for_text "Stairs *" 5 "x tells where the stairs are"
keys Escape
expect_screen "$WORK/first.txt" "x-closed"
keys -l "?"
wait_for_text "─ Keys ─" 5 "? opens the keys"
# Paging moves through the keys without closing them; they name every key
# of the terminal's own, F3 (which takes up the last run) among them.
keys PageDown
wait_for_text "F3 *Continue the last run" 5 "the keys name F3, a page down"
keys PageDown
wait_for_text "What the characters stand for" 5 "the legend, two pages down"
keys -l "l"
wait_for_text "─ Message log ─" 5 "l turns to the log"
keys Escape
expect_screen "$WORK/first.txt" "plain-keys-closed"
wait_for_text "F1 or ?: keys" 5 "the row below the game names the keys"

# The right arrow walks as 6 with arrow-keys = walk.
keys Right
keys -l "+-26b48"
expect_screen "$WORK/last.txt" played-on
keys Escape
expect_end 0 "Escape in play"

recordings=("$XDG_DATA_HOME"/duskwarren/recordings/*.dwrec)
if [ "${#recordings[@]}" -ne 1 ] || [ ! -s "${recordings[0]}" ]; then
  fail "wanted one recording, found: ${recordings[*]}"
else
  (cd "$DUSKWARREN_RUNTIME_DIR" &&
    "$DUSKWARREN_REPLAY" --recording "${recordings[0]}" --trace "$WORK/recorded.jsonl" &&
    "$DUSKWARREN_REPLAY" --keys "$played" --trace "$WORK/typed.jsonl") >"$WORK/replay.out" 2>&1 ||
    fail "duskwarren-replay: $(cat "$WORK/replay.out")"
  if cmp -s "$WORK/recorded.jsonl" "$WORK/typed.jsonl"; then
    note "the recording replays to the trace of the keys given ($(wc -l <"$WORK/typed.jsonl") lines)"
  else
    fail "the recording's trace differs from the keys': $(diff "$WORK/recorded.jsonl" "$WORK/typed.jsonl" | head -c 600)"
  fi
  # Watched in the terminal at the fastest pace, the recording plays to its
  # end and stays on its last picture until a key closes it.
  stop_server
  start_game 80 30 "XDG_CONFIG_HOME='$XDG_CONFIG_HOME' XDG_DATA_HOME='$XDG_DATA_HOME' '$DUSKWARREN' --terminal --watch '${recordings[0]}'"
  keys Space
  wait_for_text "Watching .*dwrec (paused: Space goes on)" 10 "Space pauses the recording watched"
  keys -l "++++++++ "
  wait_for_text "The end of the recording" 20 "the recording watched to its end"
  # The row below the game holds the whole notice, or as much as fits cut
  # at a word with "…": never a tail written over its last column.
  row=$(capture | sed -n 26p | sed 's/ *$//')
  if [[ "$row" == *"any key closes" || "$row" == *"…" ]] && [ "${#row}" -le 80 ]; then
    note "the end-of-watch notice fits 80 columns: $row"
  else
    fail "the end-of-watch notice overruns its row: '$row'"
  fi
  keys q
  expect_end 0 "the recording watched to its end"
fi
finish

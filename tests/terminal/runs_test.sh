#!/bin/bash
# Past runs, end to end in a terminal (tmux, 80 x 30) with folders of its own.
# A launch that quits at the start screen leaves no recording and says
# nothing. A game begun with --seed 42 plays as if @42 and Enter had been
# typed and is recorded like one; at its end one line on stderr names the
# seed, the level, the turns and the command that takes it up again; and
# `duskwarren --runs` lists it with seed 42 and the deepest level its trace
# reaches, the same once its summary is gone (made again from the recording).
# A run whose recording a file-size limit cuts is told as the file holds it:
# the summary, --runs and the exit line give the turns up to its last key
# kept, "cut off", and the line says the run is kept in part.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay
export XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config"
recordings="$XDG_DATA_HOME/duskwarren/recordings"

start_game 80 30 "'$DUSKWARREN' --terminal 2>'$WORK/quit.err'"
wait_for_text "Press the spacebar" 20 "the start-up report" || die "the game did not start"
keys Escape
expect_end 0 "Escape on the start screen"
stop_server
if [ -n "$(ls -A "$recordings" 2>/dev/null)" ]; then
  fail "a launch without a game left files: $(ls -A "$recordings")"
else
  note "a launch without a game leaves no recording"
fi
[ -s "$WORK/quit.err" ] && fail "a launch without a game said: $(cat "$WORK/quit.err")"

# A walk on seed 42 that takes the stairs to level 2.
walk='24 44444 84444444224 8886666688888666666668866 222444444 66626666666886 '
replay_text '@42\r' "$WORK/compass.txt"
replay_text "@42\\r $walk" "$WORK/walked.txt"
start_game 80 30 "'$DUSKWARREN' --terminal --seed 42 2>'$WORK/run.err'"
expect_screen "$WORK/compass.txt" "--seed 42"
keys Space
keys -l "$walk"
expect_screen "$WORK/walked.txt" "the walk"
keys Escape
expect_end 0 "Escape in play"
stop_server

files=("$recordings"/*-seed42.dwrec)
[ -f "${files[0]}" ] || die "no recording named after seed 42: $(ls -la "$recordings" 2>&1)"
[ "${#files[@]}" -eq 1 ] || fail "one game left ${#files[@]} recordings: ${files[*]}"
recording=${files[0]}
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "$recording" --trace "$WORK/recording.jsonl" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $walk\\e" --trace "$WORK/keys.jsonl") >"$WORK/replay.out" 2>&1 ||
  die "duskwarren-replay failed: $(cat "$WORK/replay.out")"
if cmp -s "$WORK/recording.jsonl" "$WORK/keys.jsonl"; then
  note "the run is recorded as if @42 and Enter had been typed"
else
  fail "the recording's trace is not that of the typed keys: $(diff "$WORK/keys.jsonl" "$WORK/recording.jsonl" | head -c 600)"
fi
deepest=$(grep -o '"levelNumber":[0-9]*' "$WORK/recording.jsonl" | cut -d: -f2 | sort -n | tail -n 1)
[ "${deepest:-0}" -ge 2 ] || die "the walk was to reach level 2; its trace reaches level '$deepest'"

wanted="duskwarren: seed 42, level $deepest, ${#walk} turns; to go on: duskwarren --terminal --continue $recording"
if [ "$(cat "$WORK/run.err")" = "$wanted" ]; then
  note "the end of the run says: $wanted"
else
  fail "the end of the run says '$(cat "$WORK/run.err")', wanted '$wanted'"
fi

# list_runs NAME: the table --runs prints, in WORK/NAME.txt; its one run must
# name seed 42, the deepest level, the walk's turns and the recording.
list_runs() {
  (cd "$DUSKWARREN_RUNTIME_DIR" && "$DUSKWARREN" --runs) >"$WORK/$1.txt" 2>"$WORK/$1.err" ||
    fail "$1: duskwarren --runs failed: $(cat "$WORK/$1.err")"
  local row
  row=$(sed -n 2p "$WORK/$1.txt" | tr -s ' ')
  if [[ "$row" =~ ^[0-9-]+\ [0-9:]+\ 42\ $deepest\ ${#walk}\ [0-9,]+\ [0-7]\ of\ 7\ quit\ $(basename "$recording")$ ]] &&
    [ "$(wc -l <"$WORK/$1.txt")" -eq 2 ]; then
    note "$1: --runs lists $row"
  else
    fail "$1: --runs lists:"
    cat "$WORK/$1.txt"
  fi
}
summary="${recording%.dwrec}.dwrun"
[ -f "$summary" ] || fail "no summary was written beside the recording"
list_runs written
rm -f "$summary"
list_runs rebuilt
[ -f "$summary" ] || fail "the summary was not made again"
cmp -s "$WORK/written.txt" "$WORK/rebuilt.txt" ||
  fail "the summary made again from the recording lists otherwise: $(diff "$WORK/written.txt" "$WORK/rebuilt.txt")"

# A run under a file-size limit of 2 KiB: 400 moves, of which the recording
# keeps some hundred keys.
rm -rf "$recordings"
moves=$(for i in $(seq 20); do printf '66662222444488886624'; done)
start_game 80 30 "ulimit -f 2; '$DUSKWARREN' --terminal --seed 42 2>'$WORK/cut.err'"
expect_screen "$WORK/compass.txt" "--seed 42 under a size limit"
keys Space
keys -l "$moves"
keys Escape
expect_end 0 "Escape in the run cut short"
stop_server
cut=$(ls "$recordings"/*.dwrec 2>/dev/null)
[ -f "$cut" ] || die "the run cut short left no recording: $(ls -la "$recordings" 2>&1)"
table() {
  (cd "$DUSKWARREN_RUNTIME_DIR" && "$DUSKWARREN" --runs) 2>&1 | sed -n 2p | tr -s ' '
}
written=$(table)
rm -f "${cut%.dwrec}.dwrun"
rebuilt=$(table)
turns=$(echo "$rebuilt" | cut -d' ' -f5)
if [ "$written" = "$rebuilt" ] && [[ "$rebuilt" == *" cut off $(basename "$cut")" ]] &&
  [ "${turns//,/}" -lt ${#moves} ]; then
  note "--runs lists what the cut recording holds, as written and made again: $rebuilt"
else
  fail "--runs lists '$written' as written, '$rebuilt' made again from the recording"
fi
line=$(cat "$WORK/cut.err")
if [[ "$line" == "duskwarren: seed 42, level 1, $turns turns; kept in part, of ${#moves} turns played ("*"(ulimit -f)); to go on: duskwarren --terminal --continue $cut" ]]; then
  note "the end of the run says: $line"
else
  fail "the end of the cut run says '$line', wanted $turns turns kept in part of ${#moves}"
fi
finish

#!/bin/bash
# One run, one game at a time (tmux, two games side by side): while game A
# plays the newest run, game B named to continue it is refused with the
# process that holds it, and a plain --continue in B takes the newest run
# no game holds. A's every key is then in its recording, which replays to
# the same trace as those keys; B's run went on in its own.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay

recordings="$XDG_DATA_HOME/duskwarren/recordings"
mkdir -p "$recordings"
older="$recordings/2026-12-01-100000-seed7.dwrec"
newer="$recordings/2026-12-02-100000-seed42.dwrec"
moves=$(for i in $(seq 10); do printf '66662222444488886624'; done)
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --keys "@7\\r 2222\\e" --record "$older" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $moves\\e" --record "$newer") \
  >"$WORK/record.out" 2>&1 || die "the runs were not recorded: $(cat "$WORK/record.out")"
replay_text "@42\\r $moves" "$WORK/stopped.txt"

# other ARGS...: tmux commands on the second game's session.
other_keys() { tm send-keys -t other "$@"; }
other_capture() { tm capture-pane -p -t other | tr '\n' ' '; }
other_wait() {
  local i
  for i in $(seq $(($2 * 10))); do
    other_capture | grep -q -- "$1" && return 0
    sleep 0.1
  done
  fail "$3: not shown within $2 seconds; the second pane shows: $(other_capture)"
  return 1
}
start_other() {
  tm new-session -d -s other -x 80 -y 30 \
    "cd '$DUSKWARREN_RUNTIME_DIR' && export LC_ALL=C.UTF-8 TERM=tmux-256color XDG_DATA_HOME='$XDG_DATA_HOME' XDG_CONFIG_HOME='$XDG_CONFIG_HOME' && $1; echo \"other ended with status \$?\"; exec sleep 1000" ||
    die "the second game did not start"
}

# 1. Game A takes up the newest run.
start_game 80 30 "'$DUSKWARREN' --terminal --continue"
expect_screen "$WORK/stopped.txt" "A continued" || finish
holder=$(tm list-panes -t game -F '#{pane_pid}')
holder=$(pgrep -P "$holder" -x duskwarren || pgrep -P "$holder")

# 2. B names it: refused, with A's process.
start_other "'$DUSKWARREN' --terminal --continue '$newer'"
other_wait "that run is being played (process $holder)" 10 "B naming the held run" &&
  note "B is told the run is being played by process $holder"
other_wait "other ended with status [1-9]" 10 "B's refusal ends it"
tm kill-session -t other

# 3. A plain --continue in B passes over it and takes the older run.
start_other "'$DUSKWARREN' --terminal --continue"
sleep 1
other_keys -l "66666"
other_keys Escape
other_wait "other ended with status 0" 20 "B's game ends"
other_capture | grep -q "seed 7" && note "B went on with the run on seed 7" ||
  fail "B did not take the run on seed 7: $(other_capture)"
tm kill-session -t other

# 4. A goes on with 33 keys and quits: every key is in the newest run.
more=$(printf '888844442222666688884444222266668')
keys -l "$more"
keys Escape
expect_end 0 "A's Escape"
stop_server
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "$newer" --trace "$WORK/continued.jsonl" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $moves$more\\e" --trace "$WORK/keys.jsonl") \
  >"$WORK/replays.out" 2>&1 || die "a replay failed: $(cat "$WORK/replays.out")"
if cmp -s "$WORK/continued.jsonl" "$WORK/keys.jsonl"; then
  note "A's recording replays to the trace of all its keys"
else
  fail "A's recording does not replay to the trace of its keys"
fi
finish

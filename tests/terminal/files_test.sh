#!/bin/bash
# The player's files as a hostile tester leaves them, in a terminal (tmux,
# 80 x 30) with folders of its own:
# - a settings line that holds terminal orders (a title, mouse reporting) is
#   named with them made visible, and the terminal keeps its title and modes;
# - FIFOs where the game finds its files (the settings, a run's summary and
#   its checkpoint) hang nothing: the game starts and offers the run,
#   --runs lists it and --continue takes it up, each FIFO passed over with
#   a line and left a FIFO;
# - under strace, the recording a continued run writes anew is synced
#   before it is renamed into place.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay
settings="$XDG_CONFIG_HOME/duskwarren/settings"
recordings="$XDG_DATA_HOME/duskwarren/recordings"
mkdir -p "$(dirname "$settings")"

# 1. Orders in a settings line reach the terminal only as visible text.
printf 'fullscreen = on\e]2;HACKED\a\e[?1000h\n' >"$settings"
start_shell 160 30
before=$(pane_info '#{pane_title}|#{mouse_any_flag}#{mouse_standard_flag}#{mouse_button_flag}')
keys -l "cd '$DUSKWARREN_RUNTIME_DIR' && '$DUSKWARREN' --terminal; echo \"ended \$?\""
keys Enter
wait_for_text "Press the spacebar" 20 "the start-up report, settings with orders" || die "no game"
keys Escape
wait_for_text '^ended 0' 20 "the end of the game with orders in its settings"
after=$(pane_info '#{pane_title}|#{mouse_any_flag}#{mouse_standard_flag}#{mouse_button_flag}')
if [ "$after" = "$before" ]; then
  note "the pane's title and mouse modes are as they were: $after"
else
  fail "the settings line changed the terminal: '$before' became '$after'"
fi
JOINED=1 wait_for_text 'not "on^\[\]2;HACKED^G^\[\[?1000h"' 5 "the settings line named, its orders visible" &&
  note "the bad line is named with its orders made visible"
stop_server

# 2. A FIFO for the settings.
rm -f "$settings"
mkfifo "$settings"
start_game 80 30 "'$DUSKWARREN' --terminal 2>'$WORK/fifo-settings.err'"
wait_for_text "Press the spacebar" 20 "the start-up report, a FIFO for settings" &&
  note "a FIFO for settings: the game starts"
keys Escape
expect_end 0 "Escape, a FIFO for settings"
stop_server
grep -q "settings is a FIFO, not a file" "$WORK/fifo-settings.err" &&
  [ "$(wc -l <"$WORK/fifo-settings.err")" -eq 1 ] ||
  fail "a FIFO for settings is not named in one line: $(cat "$WORK/fifo-settings.err")"
[ -p "$settings" ] || fail "the settings FIFO was replaced"

# 3. A run on seed 42, then FIFOs for its summary and its checkpoint.
moves=$(for i in $(seq 5); do printf '66662222444488886624'; done)
more='88884444'
replay_text '@42\r' "$WORK/compass.txt"
replay_text "@42\\r $moves" "$WORK/stopped.txt"
start_game 80 30 "'$DUSKWARREN' --terminal --seed 42 2>/dev/null"
expect_screen "$WORK/compass.txt" "--seed 42" || die "no game on seed 42"
keys Space
keys -l "$moves"
expect_screen "$WORK/stopped.txt" "before Escape"
keys Escape
expect_end 0 "Escape in play"
stop_server
recording=$(ls "$recordings"/*-seed42.dwrec 2>/dev/null)
[ -f "$recording" ] || die "no recording of the run: $(ls -la "$recordings" 2>&1)"
name=${recording%.dwrec}
rm -f "$name.dwrun" "$name.dwcp"
mkfifo "$name.dwrun" "$name.dwcp"

start_game 80 30 "'$DUSKWARREN' --terminal 2>'$WORK/offer.err'"
wait_for_text "F3: continue the game on seed 42" 20 "the start screen's offer beside FIFOs" &&
  note "the start screen offers the run beside its FIFOs"
keys Escape
expect_end 0 "Escape on the start screen"
stop_server

if (cd "$DUSKWARREN_RUNTIME_DIR" && timeout -s KILL 20 "$DUSKWARREN" --runs) \
  >"$WORK/runs.txt" 2>"$WORK/runs.err"; then
  grep -q "$(basename "$recording")" "$WORK/runs.txt" ||
    fail "--runs does not list the run: $(cat "$WORK/runs.txt")"
  grep -q "dwrun is a FIFO, not a file: passed over" "$WORK/runs.err" ||
    fail "--runs passed over the FIFO without a word: $(cat "$WORK/runs.err")"
  note "--runs lists the run and says: $(cat "$WORK/runs.err")"
else
  fail "--runs failed or hung: $(cat "$WORK/runs.err")"
fi

# 4. --continue beside the FIFOs, traced where strace can trace.
tracer=""
if can_strace; then
  # (The leak checker of a sanitizer build cannot work under a tracer.)
  tracer="ASAN_OPTIONS=\${ASAN_OPTIONS:+\$ASAN_OPTIONS:}detect_leaks=0 strace -f -qq -y"
  tracer+=" -e trace=fsync,rename,renameat,renameat2 -e signal=none -o '$WORK/continue.strace'"
else
  note "strace cannot trace here: the sync before the rename is not checked"
fi
replay_text "@42\\r $moves$more" "$WORK/later.txt"
start_game 80 30 "$tracer '$DUSKWARREN' --terminal --continue 2>'$WORK/continue.err'"
expect_screen "$WORK/stopped.txt" "continued beside FIFOs"
keys -l "$more"
expect_screen "$WORK/later.txt" "played on"
keys Escape
expect_end 0 "Escape in the continued run"
stop_server
grep -q "dwcp is a FIFO, not a file: passed over" "$WORK/continue.err" ||
  fail "--continue passed over the checkpoint FIFO without a word: $(cat "$WORK/continue.err")"
[ -p "$name.dwrun" ] && [ -p "$name.dwcp" ] || fail "a FIFO was replaced: $(ls -l "$recordings")"
if [ -n "$tracer" ]; then
  if report=$(renames_synced "$WORK/continue.strace" "$recording"); then
    note "the recording written anew: $report"
  else
    fail "the recording written anew: $report"
  fi
fi
finish

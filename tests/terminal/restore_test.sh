#!/bin/bash
# The terminal is given back as it was on every way out of the game: Escape,
# Ctrl+C, and every signal whose default ends the game (a termination
# request, a hang-up, a crash, a timer, a pipe, a user signal ...); and on
# a stop from outside, exactly as on Ctrl+Z (and where no shell could bring
# it back, a stop from outside is not taken). After each, the pane
# shows the shell's own screen again (off the alternate screen, cursor shown,
# keypad in its normal mode), with the terminal settings the shell had, and
# the shell learns how the game ended.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game

# Without a display the window game names the terminal game; without a
# terminal the terminal game says so.
message=$(cd "$DUSKWARREN_RUNTIME_DIR" &&
  env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 timeout -s KILL 10 "$DUSKWARREN" </dev/null 2>&1)
echo "$message" | grep -q -- "duskwarren --terminal" ||
  fail "the message without a display does not name --terminal: $message"
message=$(cd "$DUSKWARREN_RUNTIME_DIR" && timeout -s KILL 10 "$DUSKWARREN" --terminal </dev/null 2>&1)
status=$?
[ "$status" = 1 ] && echo "$message" | grep -q "not a terminal" ||
  fail "without a terminal: status $status, message: $message"

start_shell 80 30
keys -l "ulimit -c 0; stty -g > '$WORK/stty-before'; echo ready"
keys Enter
wait_for_text '^ready' 10 "the shell" || die "the shell does not answer"

# game_pid: the game, the shell's only child.
game_pid() { pgrep -P "$(pane_info '#{pane_pid}')" | head -n 1; }

leave_by() {
  local way=$1 status=$2
  keys -l "clear; echo before-$way; '$DUSKWARREN' --terminal"
  keys Enter
  wait_for_text "Press the spacebar" 20 "$way: the game's start-up report" || return
  [ "$(pane_info '#{alternate_on}')" = 1 ] || fail "$way: the game is not on the alternate screen"
  local pid
  pid=$(game_pid)
  case $way in
    escape) keys Escape ;;
    ctrl-c) keys C-c ;;
    *) kill "-$way" "$pid" ;;
  esac
  # The shell has the terminal again once the game is gone; only then is
  # the next line typed (a shell drops the rest of a line after Ctrl+C).
  for _ in $(seq 200); do
    [ -z "$(game_pid)" ] && break
    sleep 0.1
  done
  [ -z "$(game_pid)" ] || fail "$way: the game is still running"
  keys -l "echo \"after-$way \$?\"; stty -g > '$WORK/stty-$way'"
  keys Enter
  wait_for_text "^after-$way" 20 "$way: the shell after the game" || return
  capture | grep -q "^after-$way $status\$" ||
    fail "$way: wanted the shell to see status $status; the pane shows: $(capture | grep after-)"
  capture | grep -q "^before-$way\$" || fail "$way: the shell's screen is not back"
  capture | grep -q "Press the spacebar" && fail "$way: the game's screen is still shown"
  local flags
  flags=$(pane_info '#{alternate_on}#{cursor_flag}#{keypad_flag}')
  [ "$flags" = "010" ] ||
    fail "$way: alternate screen, cursor shown, application keypad are $flags, wanted 010"
  for _ in $(seq 50); do
    [ -s "$WORK/stty-$way" ] && break
    sleep 0.1
  done
  if cmp -s "$WORK/stty-before" "$WORK/stty-$way"; then
    note "$way: screen and terminal settings are the shell's again (status $status)"
  else
    fail "$way: the terminal settings differ: $(cat "$WORK/stty-before") / $(cat "$WORK/stty-$way")"
  fi
}

# screen_is_the_shells WHAT: off the alternate screen, cursor shown, keypad
# in its normal mode.
screen_is_the_shells() {
  local flags
  flags=$(pane_info '#{alternate_on}#{cursor_flag}#{keypad_flag}')
  [ "$flags" = "010" ] ||
    fail "$1: alternate screen, cursor shown, application keypad are $flags, wanted 010"
}

# A stop from outside: the shell's "Stopped" shows on its own screen, with
# its own settings; fg brings the game back on its screen, and Escape ends it.
stop_from_outside() {
  keys -l "clear; '$DUSKWARREN' --terminal"
  keys Enter
  wait_for_text "Press the spacebar" 20 "TSTP: the game's start-up report" || return
  kill -TSTP "$(game_pid)"
  wait_for_text "Stopped" 20 "TSTP: the shell's report of the stop" || return
  screen_is_the_shells "TSTP"
  keys -l "stty -g > '$WORK/stty-TSTP'"
  keys Enter
  for _ in $(seq 50); do
    [ -s "$WORK/stty-TSTP" ] && break
    sleep 0.1
  done
  cmp -s "$WORK/stty-before" "$WORK/stty-TSTP" || fail "TSTP: the stopped game kept the terminal's settings"
  keys -l "fg"
  keys Enter
  for _ in $(seq 100); do
    [ "$(pane_info '#{alternate_on}')" = 1 ] && break
    sleep 0.1
  done
  [ "$(pane_info '#{alternate_on}')" = 1 ] || fail "TSTP: fg did not bring the game's screen back"
  keys Escape
  for _ in $(seq 200); do
    [ -z "$(game_pid)" ] && break
    sleep 0.1
  done
  [ -z "$(game_pid)" ] || fail "TSTP: the game did not end on Escape after fg"
  screen_is_the_shells "TSTP, then fg and Escape"
  note "TSTP: stopped and continued like Ctrl+Z"
}

# Each way out with the status the shell sees (128 + the signal's number).
for way in escape:0 ctrl-c:130 TERM:143 HUP:129 SEGV:139 USR1:138 USR2:140 ALRM:142 PIPE:141 \
  XCPU:152 SYS:159 TRAP:133 RTMIN:162; do
  leave_by "${way%:*}" "${way#*:}"
done
stop_from_outside

# A stop from outside with no shell to bring the game back (tmux runs it
# alone): the game stays on its own screen and goes on taking keys.
stop_server
start_game 80 30 "exec '$DUSKWARREN' --terminal"
wait_for_text "Press the spacebar" 20 "alone: the game's start-up report" || finish
kill -TSTP "$(pane_info '#{pane_pid}')"
sleep 0.5
[ "$(pane_info '#{alternate_on}')" = 1 ] && note "alone: TSTP leaves the game on its screen" ||
  fail "alone: TSTP took the game off its screen"
keys Escape
# The game was the pane's program: its session goes with it.
for _ in $(seq 100); do
  tm has-session -t game 2>/dev/null || break
  sleep 0.1
done
tm has-session -t game 2>/dev/null && fail "alone: the game did not end on Escape after TSTP"
finish

# Shared by the terminal tests (sourced): a tmux server of the test's own
# (its own socket, no user configuration), the game played in one of its
# panes with keys typed by send-keys, and what the pane shows read with
# capture-pane. Needs the Debian package tmux (the tests skip without it).
# Set KEEP_TERMINAL_TEST_FILES=1 to keep the captures of a passing run too.
set -u

# Run by hand with the build folder given, e.g.
#   DUSKWARREN_BUILD=build/ci bash tests/terminal/play_test.sh
# (ctest passes the paths itself).
if [ -n "${DUSKWARREN_BUILD:-}" ]; then
  DUSKWARREN_BUILD=$(cd "$DUSKWARREN_BUILD" && pwd)
  : "${DUSKWARREN_RUNTIME_DIR:=$DUSKWARREN_BUILD/game}"
  : "${DUSKWARREN:=$DUSKWARREN_RUNTIME_DIR/duskwarren}"
  : "${DUSKWARREN_REPLAY:=$DUSKWARREN_RUNTIME_DIR/duskwarren-replay}"
  : "${TERMINAL_ECHO:=$DUSKWARREN_BUILD/tests/terminal/terminal-game}"
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-terminal.XXXXXX")
# The player's settings and recordings of this test alone, so that tests in
# parallel never share them (a test may name other folders of its own).
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
# The server's socket lives in the work folder, so it goes with it.
SOCKET="$WORK/tmux.socket"
SERVER_STARTED=""

source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

tm() { tmux -S "$SOCKET" -f /dev/null "$@"; }

# Ends the tmux server and everything in its panes, escalating to SIGKILL.
stop_server() {
  [ -n "$SERVER_STARTED" ] || return 0
  local pids
  pids=$(tm list-panes -a -F '#{pane_pid}' 2>/dev/null)
  tm kill-server 2>/dev/null
  for pid in $pids; do
    for child in $(pgrep -P "$pid"); do kill -KILL "$child" 2>/dev/null; done
    kill -KILL "$pid" 2>/dev/null
  done
  SERVER_STARTED=""
}

cleanup() {
  local status=$?
  kill -TERM "$WATCHDOG" 2>/dev/null
  stop_server
  if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] || [ -n "${KEEP_TERMINAL_TEST_FILES:-}" ]; then
    echo "captures kept in $WORK"
  else
    rm -rf "$WORK"
  fi
}
trap cleanup EXIT
trap 'echo "FAIL: the test ran out of time"; exit 1' TERM
# Every wait below is bounded; this ends the whole test well within ctest's
# deadline all the same.
(
  trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
  sleep "${TERMINAL_TEST_DEADLINE:-150}" &
  sleeper=$!
  wait "$sleeper" && kill -TERM $$
) &
WATCHDOG=$!

finish() {
  if [ "$FAILURES" -gt 0 ]; then
    echo "$FAILURES check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}

require_tmux() {
  command -v tmux >/dev/null || skip "tmux is not installed (Debian package tmux)"
}

require_game() {
  [ -x "${DUSKWARREN:-}" ] || die "not built: '${DUSKWARREN:-}' (run the tests through ctest)"
}

require_replay() {
  [ -x "${DUSKWARREN_REPLAY:-}" ] || skip "duskwarren-replay is not built, so there is no screen to compare with"
}

# start_pane COLUMNS ROWS COMMAND: a detached session of that size running
# COMMAND (by sh) in the game's folder, in a UTF-8 locale.
start_pane() {
  local cols=$1 rows=$2
  shift 2
  # Keys go to the program as soon as they are typed.
  tm new-session -d -s game -x "$cols" -y "$rows" \
    "cd '$DUSKWARREN_RUNTIME_DIR' && export LC_ALL=C.UTF-8 TERM=tmux-256color XDG_DATA_HOME='$XDG_DATA_HOME' XDG_CONFIG_HOME='$XDG_CONFIG_HOME' && $*" \; \
    set-option -g escape-time 0 >/dev/null ||
    die "tmux did not start"
  SERVER_STARTED=1
}

# pane_info FORMAT: a tmux format of the pane, e.g. '#{alternate_on}'.
pane_info() { tm display-message -p -t game "$1"; }

# start_game COLUMNS ROWS [COMMAND]: a session of that size playing the game
# (or COMMAND), which says how the game ended once it has.
start_game() {
  local command=${3:-"'$DUSKWARREN' --terminal"}
  # The pane's program stays after the game (tmux may drop the last output
  # of a program that ends); the server's end takes it away.
  start_pane "$1" "$2" "$command; echo \"game ended with status \$?\"; exec sleep 1000"
}

# expect_end STATUS WHAT: the game ends within 20 s with STATUS. (The pane
# itself says so: tmux does not always learn the status of its programs.)
expect_end() {
  if JOINED=1 wait_for_text "game ended with status $1 " 20 "$2: the end of the game"; then
    note "$2: the game ends with status $1"
  else
    fail "$2: wanted the game to end with status $1"
  fi
}

# start_shell COLUMNS ROWS: a session running a plain interactive shell.
start_shell() {
  start_pane "$1" "$2" "exec env PS1='$ ' bash --norc --noprofile -i"
  wait_for_text '^\$' 10 "the shell's prompt" || die "no shell prompt"
}

keys() { tm send-keys -t game "$@"; }

capture() { tm capture-pane -p -t game; }

# screen_part: the top-left 40 x 25 characters of the pane, trailing blanks cut.
screen_part() { capture | head -n 25 | LC_ALL=C.UTF-8 sed -E 's/^(.{0,40}).*/\1/; s/ *$//'; }

# wait_for_text REGEX SECONDS WHAT: the pane comes to show a line matching
# it (or, with JOINED=1, its lines joined by spaces come to match it).
wait_for_text() {
  local i
  for i in $(seq $(($2 * 10))); do
    if [ -n "${JOINED:-}" ]; then
      capture | tr '\n' ' ' | grep -q -- "$1" && return 0
    else
      capture | grep -q -- "$1" && return 0
    fi
    sleep 0.1
  done
  fail "$3: not shown within $2 seconds; the pane shows:"
  capture
  return 1
}

# replay_text KEYS OUT: what the terminal shows after KEYS, as the headless
# game draws it.
replay_text() {
  (cd "$DUSKWARREN_RUNTIME_DIR" && "$DUSKWARREN_REPLAY" --keys "$1" --text-screenshot "$2") \
    >"$WORK/replay.out" 2>&1
  [ -s "$2" ] || die "duskwarren-replay made no text screenshot for '$1': $(cat "$WORK/replay.out")"
  sed -i 's/ *$//' "$2"
}

# expect_screen FILE NAME: the pane comes to show the text of FILE at its top left.
expect_screen() {
  local i
  for i in $(seq 200); do
    screen_part >"$WORK/capture-$2.txt"
    cmp -s "$WORK/capture-$2.txt" "$1" && {
      note "$2: the terminal shows the expected screen"
      return 0
    }
    sleep 0.1
  done
  fail "$2: the terminal does not show the expected screen ($1):"
  diff "$1" "$WORK/capture-$2.txt" | head -n 20
  return 1
}

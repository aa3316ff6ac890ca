#!/bin/bash
# The keys a real terminal sends reach the game as the window gives them:
# characters, Enter, Backspace, Escape (told from the start of a sequence),
# the keypad in application mode as digits and signs, Alt with a key as the
# key, and keys without a character (arrows, Home, Delete, function keys) as
# 0 and a code, never as a command.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
[ -x "${TERMINAL_ECHO:-}" ] || die "not built: '${TERMINAL_ECHO:-}' (run the tests through ctest)"

start_game 80 30 "'$TERMINAL_ECHO' --echo"
wait_for_text "^keys:" 20 "the key echo" || finish
[ "$(pane_info '#{keypad_flag}')" = 1 ] || fail "the keypad is not in application mode"
keys KP0 KP1 KP5 KP9 KP+ KP- KPEnter
keys -l 'a~@+'
keys Space BSpace Enter
keys Up Left F1 F5 Home DC NPage
keys Escape
keys M-x
keys -l '9'
cat >"$WORK/expected.txt" <<'KEYS'
keys:
30
31
35
39
2b
2d
0d
61
7e
40
2b
20
08
0d
0048
004b
003b
003f
0047
0053
0051
1b
78
39
KEYS
expect_screen "$WORK/expected.txt" keys
keys -l q
expect_end 0 "q"
finish

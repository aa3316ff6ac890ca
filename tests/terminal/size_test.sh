#!/bin/bash
# A terminal smaller than 40 x 25 gets a message saying so instead of the
# game; once it is enlarged the game goes on where it was, and it shows the
# message again when the terminal shrinks in play.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay

replay_text '@42\r' "$WORK/compass.txt"

start_game 30 20
JOINED=1 wait_for_text "at least 40 x 25 characters; this one is 30 x 20" 20 "the size message at 30 x 20"
# What is typed while the game cannot be seen does not reach it.
keys -l "@99"
keys Enter
sleep 0.5

tm resize-window -t game -x 80 -y 30
wait_for_text "Press the spacebar" 20 "the game after enlarging" &&
  note "the game goes on at 80 x 30"
keys -l "@42"
keys Enter
expect_screen "$WORK/compass.txt" compass

tm resize-window -t game -x 39 -y 30
JOINED=1 wait_for_text "at least 40 x 25 characters; this one is 39 x 30" 20 \
  "the size message after shrinking in play"
tm resize-window -t game -x 40 -y 25
expect_screen "$WORK/compass.txt" compass-40x25
keys Escape
keys Escape
expect_end 0 "Escape"
finish

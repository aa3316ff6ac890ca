#!/bin/bash
# Three seeded games played by keys in a terminal (tmux, 80 x 30) show,
# character for character, the screens of the headless game for the same
# keys: the compass lines of the world set-up, the first level and the level
# after some turns, walked partly with the keypad. Escape ends the game with
# status 0.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_game
require_replay

# play SEED TURNS KEYPAD: TURNS typed as characters, then KEYPAD as tmux
# key names of keypad keys (which the game reads as the same digits).
play() {
  local seed=$1 turns=$2 keypad=$3 name="seed-$1"
  local digits
  digits=$(echo "$keypad" | sed 's/KP//g; s/ //g')
  replay_text "@$seed\\r" "$WORK/$name-compass.txt"
  replay_text "@$seed\\r " "$WORK/$name-level.txt"
  replay_text "@$seed\\r $turns$digits" "$WORK/$name-turns.txt"
  cmp -s "$WORK/$name-level.txt" "$WORK/$name-turns.txt" &&
    die "$name: the turns change nothing on the screen: pick others"

  start_game 80 30
  # The start-up report shows the clock, so the first screen compared is the
  # world set-up's, after the seed entry has cleared the screen.
  wait_for_text "Press the spacebar" 20 "$name: the start-up report" || return
  keys -l "@$seed"
  keys Enter
  expect_screen "$WORK/$name-compass.txt" "$name-compass"
  keys Space
  expect_screen "$WORK/$name-level.txt" "$name-level"
  keys -l "$turns"
  # shellcheck disable=SC2086
  keys $keypad
  expect_screen "$WORK/$name-turns.txt" "$name-turns"
  keys Escape
  expect_end 0 "$name: Escape in play"
  stop_server
}

play 42 '8642v+-26b' 'KP4 KP8'
play 7 '2222666' 'KP8 KP8 KP4 KP4'
play 1234 '99991111' 'KP3 KP3 KP7'
finish

#!/bin/bash
# The window's own keys never reach the game. F1 (the keys), F2 (the
# message log), F4 (the past runs) and F5 (the surroundings in words) open
# over the picture and any key closes them, after which the window shows
# the headless game's page again, pixel for pixel; F12 saves that same page
# as a PNG, with its enlargement, in the player's pictures folder and the
# title says where. Played on with panels and screenshots between its
# keys, the game ends on the very page the headless game shows for its keys
# alone.
source "$(dirname "$0")/window_lib.sh"
require_x
require_replay
export HOME="$WORK/home" XDG_PICTURES_DIR="$WORK/pictures" XDG_DATA_HOME="$WORK/data"
mkdir -p "$HOME"

seed='@42\r'
first='8642v'
then='+-26b48'
replay_page "$seed $first" "$WORK/first.png"
replay_page "$seed $first$then" "$WORK/last.png"

start_x 1280 1024
start_app "$DUSKWARREN"
expect_title "F1: keys" "the title names the key help"

typed "@42"
press Return space
typed "$first"
expect_page "$WORK/first.png" first

press F1
expect_covered "$WORK/first.png" help-open
# x closes the help; were it handed on, the monsters would take a turn.
press x
expect_page "$WORK/first.png" help-closed

press F2
expect_covered "$WORK/first.png" log-open
press Prior Up Down Next Left Right
# Escape closes the log; handed on, it would end the game.
press Escape
expect_page "$WORK/first.png" log-closed

# F5 reads the hero's surroundings in words over the picture; 4, which
# would walk west, closes it and goes no further.
press F5
expect_covered "$WORK/first.png" look-open
press 4
expect_page "$WORK/first.png" look-closed
# F4 lists the past runs (none here but the one played): Down and Enter
# steer it and close it, and reach no game.
press F4
expect_covered "$WORK/first.png" runs-open
press Down Return
expect_page "$WORK/first.png" runs-closed

press F12
expect_title "Screenshot saved: $XDG_PICTURES_DIR/duskwarren/" "F12"
shots=("$XDG_PICTURES_DIR"/duskwarren/*.png)
if [ "${#shots[@]}" -ne 2 ]; then
  fail "F12 saved ${#shots[@]} files, wanted the page and its enlargement: ${shots[*]}"
else
  for shot in "${shots[@]}"; do
    if report=$("$WINDOW_PROBE" compare "$shot" "$WORK/first.png"); then
      note "$(basename "$shot"): $report"
    else
      fail "$(basename "$shot") is not the headless game's page: $report"
    fi
  done
fi

# Panels between keys, closed by keys the game would take as commands.
press F1 F2 Return
typed "${then:0:3}"
press F2 F1 4
typed "${then:3}"
expect_page "$WORK/last.png" played-on

press Escape
expect_exit 0 "Escape in play"
finish

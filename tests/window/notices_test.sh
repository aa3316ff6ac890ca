#!/bin/bash
# A fallen member and a fallen party are told in the window's title and in
# the black bars around the page, never on the game's own pages. The whole
# party down is also told once over the picture itself; the next key takes
# it away and reaches the game, and the window shows the headless game's
# page again.
source "$(dirname "$0")/window_lib.sh"
require_x
require_replay
export HOME="$WORK/home" XDG_PICTURES_DIR="$WORK/pictures" XDG_DATA_HOME="$WORK/data"
mkdir -p "$HOME"

# Seed 42: Old Hesk falls to an Orc on the last of these keys; after "+",
# Maelis Vey, the last member standing, falls on the last of the next ones.
to_first_fall='228422424664684648842842462248882824648666628842844846428246466684288668824662422484824668486464'
to_the_end='+6226242888248646466'
replay_page "@42\\r $to_first_fall+$to_the_end" "$WORK/down.png"
replay_page "@42\\r $to_first_fall+$to_the_end~" "$WORK/again.png"
replay_page "@42\\r $to_first_fall+$to_the_end~ " "$WORK/begun.png"

start_x 1280 1024
start_app "$DUSKWARREN"
# Bars of 70 pixels at the sides, 50 above and below the page.
resize 1100 700
typed "@42"
press Return space
xdotool type --delay 20 "$to_first_fall"
expect_title "Duskwarren - Old Hesk has fallen: + or - picks another member - F1: keys" "one fallen"
press plus
expect_title "Duskwarren - F1: keys" "another member stands"
xdotool type --delay 20 "$to_the_end"
expect_title "The whole party has fallen: ~ starts again, Escape quits" "party down"
# Without bars the notice over the picture still says it.
resize 960 600
expect_covered "$WORK/down.png" party-down-notice-over-the-picture
resize 1100 700
typed "~"
expect_title "Duskwarren - F1: keys" "a fresh start"
expect_page "$WORK/again.png" fresh-start
press space
expect_page "$WORK/begun.png" played-on

press Escape
expect_exit 0 "Escape in play"
finish

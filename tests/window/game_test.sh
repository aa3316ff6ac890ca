#!/bin/bash
# A seeded game played by keys in the window shows, pixel for pixel, the
# pages the headless game shows for the same keys: the compass lines of the
# world set-up, the first level, and the level after some turns; also after
# a resize, in fullscreen and (sharply) in the 4:3 view. Escape in play ends
# the game with exit code 0.
source "$(dirname "$0")/window_lib.sh"
require_x
require_wm
require_replay

seed='@42\r'
turns='8642v+-26b48'
replay_page "$seed" "$WORK/compass.png"
replay_page "$seed " "$WORK/level.png"
replay_page "$seed $turns" "$WORK/turns.png"
cmp -s "$WORK/level.png" "$WORK/turns.png" && die "the turns change nothing on the page: pick others"

start_x 1280 1024
start_app "$DUSKWARREN"

# The start-up report shows the clock, so the first page compared is the
# world set-up's, after the seed entry has cleared the screen.
typed "@42"
press Return
expect_page "$WORK/compass.png" compass
press space
expect_page "$WORK/level.png" level
typed "$turns"
expect_page "$WORK/turns.png" turns

resize 1000 700
expect_page "$WORK/turns.png" turns-1000x700
press F11
expect_size 1280x1024 "F11 fills the screen"
expect_page "$WORK/turns.png" turns-fullscreen
press F10
expect_page "$WORK/turns.png" turns-fullscreen-4to3 --aspect
press F10 F11
expect_size 1000x700 "F11 again gives back the window"
expect_page "$WORK/turns.png" turns-windowed-again

press Escape
expect_exit 0 "Escape in play"
finish

#!/bin/bash
# In fullscreen at 1280 x 800 the picture fills the screen at 4x: no black
# bars, no title. The start screen's offer of the last run (F3) and its keys
# then show over the picture's empty rows, never on the game's own pages:
# the window differs from the F12 picture taken at that moment, and F3
# takes the run up on the headless game's very page, the offer gone.
source "$(dirname "$0")/window_lib.sh"
require_x
require_replay
export HOME="$WORK/home" XDG_PICTURES_DIR="$WORK/pictures" XDG_DATA_HOME="$WORK/data" \
  XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/duskwarren"

replay_page "@42\\r 8642" "$WORK/played.png"

start_x 1280 800
start_app "$DUSKWARREN"
typed "@42"
press Return space
typed "8642"
expect_page "$WORK/played.png" played
kill_app

printf 'fullscreen = on\n' >"$XDG_CONFIG_HOME/duskwarren/settings"
start_app "$DUSKWARREN"
expect_size 1280x800 "fullscreen at 4x"
press F12
for _ in $(seq 50); do
  picture=$(ls "$XDG_PICTURES_DIR"/duskwarren/*.png 2>/dev/null | grep -v -- '-x[0-9]*\.png$' | head -n 1)
  [ -n "$picture" ] && break
  sleep 0.2
done
[ -n "$picture" ] || die "F12 saved no picture of the start screen"
expect_covered "$picture" offer-over-the-picture
press F3
expect_page "$WORK/played.png" "taken up with F3, the offer gone"
press Escape
expect_exit 0 "Escape after F3"
finish

#!/bin/bash
# What the window shows: the page at the largest whole-number scale, centred
# with black bars, after resizes, in and out of fullscreen (F11, Alt+Enter),
# after being hidden and shown again while waiting for a key, and the sharp
# 4:3 view (F10). None of these keys reaches the game. The window's icon is
# the hero's tile, and a game folder without it still opens the window.
source "$(dirname "$0")/window_lib.sh"
require_x
require_wm
start_x 1280 1024
start_app "$WINDOW_KEYECHO" "$WORK/page.png"
page=$WORK/page.png

expect_size 960x600 "a new window on a 1280x1024 desktop (scale 3 fits three quarters)"
icon=$("$WINDOW_PROBE" icon "$WID")
[ "$icon" = 32x32 ] || fail "the window's icon is '$icon', wanted the hero's tile at 32x32"
expect_page "$page" start

resize 1000 700
expect_page "$page" bars-1000x700
resize 700 450
expect_page "$page" scale2-700x450
resize 330 210
expect_page "$page" scale1-330x210

press F11
expect_size 1280x1024 "F11 fills the screen"
expect_page "$page" fullscreen-f11
press F11
expect_size 330x210 "F11 again gives back the window as it was"
expect_page "$page" windowed-again
press alt+Return
expect_size 1280x1024 "Alt+Enter fills the screen"
expect_page "$page" fullscreen-alt-enter
press alt+Return
expect_size 330x210 "Alt+Enter again gives back the window"
expect_page "$page" windowed-after-alt-enter

note "covered, then hidden and shown again, while waiting"
"$WINDOW_PROBE" cover "$WID" || fail "could not cover the window"
expect_page "$page" uncovered
timeout 10 xdotool windowminimize --sync "$WID"
timeout 10 xdotool windowactivate --sync "$WID"
expect_page "$page" restored

resize 1200 900
press F10
expect_page "$page" four-three-1200x900 --aspect
resize 1000 700
expect_page "$page" four-three-1000x700 --aspect
press F11
expect_size 1280x1024 "fullscreen in the 4:3 view"
expect_page "$page" four-three-fullscreen --aspect
press F11
expect_size 1000x700 "back from fullscreen in the 4:3 view"
press F10
expect_page "$page" plain-again

"$WINDOW_PROBE" close "$WID" || fail "could not press the close button"
expect_exit 0 "close button"
keys=$(grep -v -e ready -e closed "$WORK/app.out")
[ -z "$keys" ] || fail "the window's own keys reached the game: $keys"

note "a folder without tiles"
mkdir "$WORK/empty"
APP_DIR=$WORK/empty start_app "$WINDOW_KEYECHO" "$WORK/page.png"
expect_page "$page" no-tiles
# (The window manager may show an icon of its own, never one of 32x32.)
icon=$("$WINDOW_PROBE" icon "$WID")
[ "$icon" != 32x32 ] || fail "an icon without the hero's tile: $icon"
"$WINDOW_PROBE" close "$WID" || fail "could not press the close button"
expect_exit 0 "close button"
finish

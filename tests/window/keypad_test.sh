#!/bin/bash
# The hero walks with the keypad whatever NumLock says: with NumLock off the
# keypad keys are arrows to the desktop and must still give 8, 6, 2 and 4;
# with NumLock on each press must move the hero once, not twice.
source "$(dirname "$0")/window_lib.sh"
require_x
require_replay

start='@42\r '
off='86624'
on='4428'
replay_page "$start$off" "$WORK/numlock-off.png"
replay_page "$start$off$on" "$WORK/numlock-on.png"
# Unless doubled keys would show, the check below could not tell.
replay_page "$start${off//?/&&}" "$WORK/doubled-off.png"
replay_page "$start$off${on//?/&&}" "$WORK/doubled-on.png"
cmp -s "$WORK/numlock-off.png" "$WORK/doubled-off.png" && die "doubled keys look the same: pick others"
cmp -s "$WORK/numlock-on.png" "$WORK/doubled-on.png" && die "doubled keys look the same: pick others"

start_x 1280 1024
start_app "$DUSKWARREN"
typed "@42"
press Return space

# Keypad keys with NumLock off: KP_Up is 8, KP_Right 6, KP_Down 2, KP_Left 4.
press KP_Up KP_Right KP_Right KP_Down KP_Left
expect_page "$WORK/numlock-off.png" numlock-off
press Num_Lock
press KP_Left KP_Left KP_Down KP_Up
expect_page "$WORK/numlock-on.png" numlock-on
press Num_Lock

press Escape
expect_exit 0 "Escape in play"
finish

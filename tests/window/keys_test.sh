#!/bin/bash
# Keys as the game receives them from the window: characters whatever the
# layout, the keypad as digits with NumLock off and on (each digit once),
# keys without a character as two bytes, nothing for modifiers alone or for
# the window's own keys, held keys repeating, keys typed while the game is
# busy kept in order; the close button ends the program with exit code 0.
source "$(dirname "$0")/window_lib.sh"
require_x
start_x 1280 1024
start_app "$WINDOW_KEYECHO" "$WORK/page.png"

for _ in $(seq 100); do
  grep -q ready "$WORK/app.out" && break
  sleep 0.1
done

note "characters and control keys"
press plus asciitilde at v W 8 space Escape Return KP_Enter BackSpace Tab
note "the keypad with NumLock off, then on, then off again"
press KP_Up KP_Right KP_Down KP_Left KP_Begin KP_Home KP_Add KP_Subtract
press Num_Lock KP_Up KP_Right KP_Down KP_Left Num_Lock
press KP_Up
note "keys without a character"
press Up Down Left Right Home End Prior Next Insert Delete F3 F9
note "modifiers alone and the window's own keys"
press shift ctrl alt super Shift_R Control_R F10 F10 F11 F11 alt+Return alt+Return F1 F2 F12
note "keys typed while the game is busy"
press s 1 2 3 KP_Up
note "a held key repeats"
xdotool keydown KP_Left
sleep 1.5
xdotool keyup KP_Left
press z

"$WINDOW_PROBE" close "$WID" || fail "could not press the close button"
expect_exit 0 "close button"

expected="ready
2b
7e
40
76
57
38
20
1b
0d
0d
08
09
38
36
32
34
35
37
2b
2d
38
36
32
34
38
00 48
00 50
00 4b
00 4d
00 47
00 4f
00 49
00 51
00 52
00 53
00 3d
00 43
73
31
32
33
38"
got=$(cat "$WORK/app.out")
head_part=$(printf '%s\n' "$got" | head -n "$(printf '%s\n' "$expected" | wc -l)")
if [ "$head_part" = "$expected" ]; then
  note "every key arrived once, in order"
else
  fail "keys differ (expected left, got right):
$(diff <(printf '%s\n' "$expected") <(printf '%s\n' "$head_part"))"
fi
rest=$(printf '%s\n' "$got" | tail -n +"$(($(printf '%s\n' "$expected" | wc -l) + 1))")
repeats=$(printf '%s\n' "$rest" | grep -c '^34$')
if [ "$repeats" -ge 3 ] && [ "$(printf '%s\n' "$rest" | grep -vc '^34$')" -eq 2 ] &&
  [ "$(printf '%s\n' "$rest" | tail -n 2 | tr '\n' ' ')" = "7a closed " ]; then
  note "held keypad 4 repeated $repeats times, then z, then the window closed"
else
  fail "after the typed keys, wanted repeated 34 lines, 7a and closed; got: $(printf '%s' "$rest" | tr '\n' ' ')"
fi
finish

#!/bin/bash
# A game played with a gamepad in the window (SDL's virtual pad): plugged in,
# the seed typed on the keyboard, south on the compass screen, then the
# d-pad's walk, shows pixel for pixel what the headless game shows for the
# keys the pad stands for; the spell picker casts Vision. The recording holds
# those keys alone and traces like them. Plugging and unplugging tell the
# player, and the keyboard plays on after the pad has gone.
source "$(dirname "$0")/window_lib.sh"
require_x
require_wm
require_replay
[ -n "${WINDOW_PADGAME:-}" ] || skip "WINDOW_PADGAME names no program"
export HOME="$WORK/home" XDG_DATA_HOME="$WORK/data"
mkdir -p "$HOME"
recordings="$XDG_DATA_HOME/duskwarren/recordings"

walk='@42\r 662248'
replay_page "$walk" "$WORK/walked.png"
replay_page "${walk}v" "$WORK/vision.png"
replay_page "${walk}v8" "$WORK/after.png"
(cd "$DUSKWARREN_RUNTIME_DIR" && "$DUSKWARREN_REPLAY" --keys "${walk}v8" --trace "$WORK/keys.jsonl") \
  >"$WORK/replay.out" 2>&1 || die "duskwarren-replay failed: $(cat "$WORK/replay.out")"

mkfifo "$WORK/pad"
start_x 1280 1024
PAD_COMMANDS="$WORK/pad" start_app "$WINDOW_PADGAME"
exec 7>"$WORK/pad"
commands=0
# pad COMMAND: the virtual pad does it; waits until it is done.
pad() {
  echo "$*" >&7
  commands=$((commands + 1))
  for _ in $(seq 100); do
    [ "$(grep -c '^done ' "$WORK/app.out")" -ge "$commands" ] && { sleep 0.15; return; }
    sleep 0.1
  done
  fail "the pad did not do '$*' within 10 s"
}

pad plug playstation
expect_title "Gamepad connected: " plugged
expect_title "(PlayStation)" "plugged: the pad's family"
typed "@42"
press Return
pad tap a
for way in right right down down left up; do pad tap "$way"; done
expect_page "$WORK/walked.png" walked
pad tap x
pad tap right
pad tap a
expect_page "$WORK/vision.png" vision
pad unplug
expect_title "Gamepad disconnected: " unplugged
typed "8"
expect_page "$WORK/after.png" keyboard-after

kill_app
exec 7>&-
files=("$recordings"/*-seed42.dwrec)
[ -f "${files[0]}" ] || die "no recording in $recordings: $(ls -la "$recordings" 2>&1)"
recorded_keys=$(awk '$1 == "k" { printf "%s ", $2 }' "${files[0]}")
wanted_keys=$(printf '@42\r 662248v8' | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //')
[ "$recorded_keys" = "$wanted_keys" ] && note "the recording holds the game's keys alone" ||
  fail "the recording's keys are '$recorded_keys', wanted '$wanted_keys'"
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "${files[0]}" --trace "$WORK/recording.jsonl") \
  >"$WORK/replay.out" 2>&1 || fail "duskwarren-replay --recording failed: $(cat "$WORK/replay.out")"
cmp -s "$WORK/keys.jsonl" "$WORK/recording.jsonl" && note "the pad's game traces like its keys" ||
  fail "the recording's trace differs: $(diff "$WORK/keys.jsonl" "$WORK/recording.jsonl" | head -c 600)"
finish

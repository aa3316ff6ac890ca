#!/bin/bash
# Every game in the window is recorded as it is played. A game played with
# the window's own keys (F1, F2, F12) between its keys, then killed with
# SIGKILL, leaves its recording in $XDG_DATA_HOME/duskwarren/recordings,
# named after its seed. Replayed headless, that recording gives the trace of
# the same keys without the window's own, and the picture the window showed;
# watched with --watch, it comes to that same picture.
source "$(dirname "$0")/window_lib.sh"
require_x
require_replay
export HOME="$WORK/home" XDG_PICTURES_DIR="$WORK/pictures" XDG_DATA_HOME="$WORK/data"
mkdir -p "$HOME"
recordings="$XDG_DATA_HOME/duskwarren/recordings"

keys='@42\r 8642v+-26b48'
replay_page "$keys" "$WORK/last.png"
(cd "$DUSKWARREN_RUNTIME_DIR" && "$DUSKWARREN_REPLAY" --keys "$keys" --trace "$WORK/keys.jsonl") \
  >"$WORK/replay.out" 2>&1 || die "duskwarren-replay failed: $(cat "$WORK/replay.out")"

start_x 1280 1024
start_app "$DUSKWARREN"
typed "@42"
press Return space
typed "8642"
press F1 x F2 Prior Escape F12
typed "v+-"
press F2 F1 Return
typed "26b48"
expect_page "$WORK/last.png" played

kill_app
files=("$recordings"/*-seed42.dwrec)
[ -f "${files[0]}" ] || die "no recording named after seed 42 in $recordings: $(ls -la "$recordings" 2>&1)"
[ "${#files[@]}" -eq 1 ] || fail "one game left ${#files[@]} recordings: ${files[*]}"
recording=${files[0]}
note "recorded: $(basename "$recording"), $(wc -c <"$recording") bytes"
# The keys the game was handed, one byte each here, and none of the window's.
recorded_keys=$(awk '$1 == "k" { printf "%s ", $2 }' "$recording")
wanted_keys=$(printf '@42\r 8642v+-26b48' | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //')
if [ "$recorded_keys" = "$wanted_keys" ]; then
  note "the recording holds the game's keys alone"
else
  fail "the recording's keys are '$recorded_keys', wanted '$wanted_keys'"
fi

# Played headless.
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "$recording" --trace "$WORK/recording.jsonl" \
    --screenshot "$WORK/recording.png") >"$WORK/replay.out" 2>&1 ||
  fail "duskwarren-replay --recording failed: $(cat "$WORK/replay.out")"
if cmp -s "$WORK/keys.jsonl" "$WORK/recording.jsonl"; then
  note "the recording's trace is the trace of the keys alone ($(wc -l <"$WORK/keys.jsonl") lines)"
else
  fail "the recording's trace differs from the keys' own: $(diff "$WORK/keys.jsonl" "$WORK/recording.jsonl" | head -c 600)"
fi
if report=$("$WINDOW_PROBE" compare "$WORK/capture-played.png" "$WORK/recording.png"); then
  note "the recording replayed shows what the window showed: $report"
else
  fail "the recording replayed shows another picture: $report"
fi

start_app "$DUSKWARREN" --watch "$recording"
expect_title "Watching $(basename "$recording")" "--watch"
press plus plus
expect_page "$WORK/last.png" watched
expect_title "the end" "--watch at the end"
press Escape
expect_exit 0 "Escape stops watching"
finish

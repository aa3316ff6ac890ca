#!/bin/bash
# Recordings end to end through duskwarren-replay: a golden game recorded
# with --record plays back with --recording to the same trace and the same
# picture as its keys; a cut file plays to its last whole entry and says
# where; other data, and a recording that contradicts its own game, are
# refused until --force, by duskwarren --watch in the same words; a folder
# without res/ warns.
set -u
GAME_DIR=${DUSKWARREN_RUNTIME_DIR:?run through ctest}
GAMES=${DUSKWARREN_GOLDEN_GAMES:?run through ctest}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-recording.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

# replay ARGS...: duskwarren-replay with a 30 s limit; sets CODE, OUT, ERR.
replay() {
  timeout -s KILL 30 "$GAME_DIR/duskwarren-replay" "$@" >"$WORK/out" 2>"$WORK/err"
  CODE=$?
  OUT=$(cat "$WORK/out")
  ERR=$(cat "$WORK/err")
}

expect() {
  local what=$1 code=$2 text=${3:-}
  if [ "$CODE" -ne "$code" ]; then
    fail "$what: exit code $CODE, wanted $code; stdout: $OUT; stderr: $ERR"
  elif [ -n "$text" ] && [[ "$OUT$ERR" != *"$text"* ]]; then
    fail "$what: wanted '$text' in the output; stdout: $OUT; stderr: $ERR"
  else
    echo "-- $what: exit code $CODE"
  fi
}

for game in fight-die-switch-restart spells; do
  keys="$GAMES/$game.keys"
  # The key files hold replay escapes, as --keys reads them.
  replay --data "$GAME_DIR" --keys "$(tr -d '\n' <"$keys")" --record "$WORK/$game.dwrec" \
    --screenshot "$WORK/$game-keys.png"
  expect "$game recorded" 0
  replay --data "$GAME_DIR" --recording "$WORK/$game.dwrec" --check "$GAMES/$game.jsonl" \
    --screenshot "$WORK/$game-recording.png"
  expect "$game played back" 0 "matches"
  cmp -s "$WORK/$game-keys.png" "$WORK/$game-recording.png" ||
    fail "$game: the recording's picture differs from the keys' picture"
  replay --data "$GAME_DIR" --keys "$(tr -d '\n' <"$keys")" --record "$WORK/$game.dwrec"
  expect "$game not written over" 2 "never written over"
done

# Cut inside its last entries: plays what is whole and says where it stopped.
rec="$WORK/fight-die-switch-restart.dwrec"
size=$(stat -c %s "$rec")
head -c $((size - 40)) "$rec" >"$WORK/cut.dwrec"
replay --data "$GAME_DIR" --recording "$WORK/cut.dwrec" --trace "$WORK/cut.jsonl"
expect "a cut recording plays" 0 "stopped at entry"
whole_lines=$(wc -l <"$GAMES/fight-die-switch-restart.jsonl")
cut_lines=$(wc -l <"$WORK/cut.jsonl")
[ "$cut_lines" -gt 40 ] && [ "$cut_lines" -lt "$whole_lines" ] ||
  fail "the cut recording gave $cut_lines trace lines of $whole_lines"

# Other tiles: refused with the reason, played with --force.
cp -r "$GAME_DIR/res" "$GAME_DIR/tiles" "$GAME_DIR/drivers" "$WORK/" 2>/dev/null
mkdir -p "$WORK/other" && mv "$WORK/res" "$WORK/tiles" "$WORK/drivers" "$WORK/other/"
printf '\x01' | dd of="$WORK/other/tiles/240b0808.til" bs=1 seek=20 conv=notrunc status=none
replay --data "$WORK/other" --recording "$rec"
expect "other tiles refused" 2 "other data or tiles"
replay --data "$WORK/other" --recording "$rec" --force --trace "$WORK/forced.jsonl"
expect "other tiles played with --force" 0 "all the same"

# rechain IN OUT SED-SCRIPT: the recording IN changed by the sed script,
# with every checksum made again, so only what it says is wrong.
rechain() {
  sed "$3" "$1" | python3 -c '
import sys
chain = 2166136261
for line in sys.stdin.read().splitlines():
    text = line.rsplit(" ", 1)[0]
    for byte in text.encode():
        chain = ((chain ^ byte) * 16777619) & 0xFFFFFFFF
    print("%s %08x" % (text, chain))' >"$2"
}
replay --data "$GAME_DIR" --keys '@42\r x66\e' --record "$WORK/quit.dwrec"
expect "a quit game recorded" 0
rechain "$WORK/quit.dwrec" "$WORK/seed7.dwrec" '1s/seed=42/seed=7/'
rechain "$WORK/quit.dwrec" "$WORK/after-end.dwrec" '/^k 1b /a k 36 0'
rechain "$WORK/quit.dwrec" "$WORK/no-escape.dwrec" '/^k 1b /d'
printf 'myhost\n' >"$WORK/hostname"
truncate -s 68000000 "$WORK/huge.dwrec"
# file, what is said, and whether --force plays it.
while IFS='|' read -r file said forced; do
  replay --data "$GAME_DIR" --recording "$WORK/$file" --trace "$WORK/claims.jsonl"
  expect "$file refused" 2 "$said"
  [ ! -e "$WORK/claims.jsonl" ] || fail "$file: a refused recording left a trace"
  replay --data "$GAME_DIR" --recording "$WORK/$file" --force
  expect "$file with --force" "$forced" "$said"
done <<'CLAIMS'
seed7.dwrec|its header says seed 7, but its keys give the levels of seed 42|0
after-end.dwrec|the game ended at key 9 of 10, and the key after it was never played|0
no-escape.dwrec|it says the game was quit, but its keys ran out first|0
hostname|this is not a Duskwarren recording|2
huge.dwrec|is longer than a recording can be (64 MiB)|2
CLAIMS

# The game itself opens and checks a recording to watch the same way, with
# the same words, before any window or terminal is taken.
if [ -x "$GAME_DIR/duskwarren" ]; then
  for file in seed7.dwrec no-escape.dwrec; do
    timeout -s KILL 30 env -u DISPLAY -u WAYLAND_DISPLAY "$GAME_DIR/duskwarren" --data "$GAME_DIR" \
      --watch "$WORK/$file" >"$WORK/out" 2>"$WORK/err"
    CODE=$? OUT=$(cat "$WORK/out") ERR=$(cat "$WORK/err")
    expect "--watch $file refused" 2 "duskwarren: cannot watch $WORK/$file: "
  done
  expect "--watch names the same contradiction" 2 "it says the game was quit, but its keys ran out first"
fi

# A folder without res/: one warning line, and the game still plays.
mkdir -p "$WORK/empty"
replay --data "$WORK/empty" --keys ' 8' --trace "$WORK/empty.jsonl"
expect "no res/ folder" 0 "has no res/ folder"
[ "$(grep -c 'no res/' "$WORK/err")" -eq 1 ] || fail "the missing res/ warning is not one line"
grep -q '"event":"level"' "$WORK/empty.jsonl" || fail "without res/ the game made no level"

[ "$FAILURES" -eq 0 ] && echo "all recording replays passed"
exit $((FAILURES > 0))

#!/bin/bash
# duskwarren-replay --log end to end: a turn that says two things keeps both,
# in order, with their level and turn (a gate gives, then the Viperess under
# the hero strikes; a key opens a door, then the Viperess strikes); the log
# has no cap; writing it changes nothing in the game; a log that cannot be
# written fails the run and leaves the path as it was.
set -u
GAME_DIR=${DUSKWARREN_RUNTIME_DIR:?run through ctest}
GAMES=${DUSKWARREN_GOLDEN_GAMES:?run through ctest}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-log.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
source "$HERE/../support/checks.sh"

# replay ARGS...: duskwarren-replay with a 30 s limit; sets CODE and ERR.
replay() {
  timeout -s KILL 30 "$GAME_DIR/duskwarren-replay" --data "$GAME_DIR" "$@" >"$WORK/out" 2>"$WORK/err"
  CODE=$?
  ERR=$(cat "$WORK/err")
}

# expect_lines FILE LINE...: the lines follow one another somewhere in FILE.
expect_lines() {
  local file=$1
  shift
  local wanted
  wanted=$(printf '%s|' "$@")
  if python3 - "$file" "$@" <<'PY'; then
import sys
lines = open(sys.argv[1], encoding="utf-8").read().split("\n")
want = sys.argv[2:]
sys.exit(0 if any(lines[i:i + len(want)] == want for i in range(len(lines))) else 1)
PY
    note "in order in $(basename "$file"): $wanted"
  else
    fail "$(basename "$file") lacks, in order: $wanted"
  fi
}

replay --keys "$(tr -d '\n' <"$HERE/logs/gate-gives-under-a-viperess.keys")" --log "$WORK/gate.log"
[ "$CODE" -eq 0 ] || fail "gate game: exit code $CODE: $ERR"
expect_lines "$WORK/gate.log" \
  "L2 T34 [Couldn't force gate][Hp -2]" "L2 T34 [Attacked by Viperess][Hp -1]" \
  "L2 T35 [Forced gate][Hp -1]" "L2 T35 [Attacked by Viperess][Hp -10]" "L2 T35 Wren has fallen"

replay --keys "$(tr -d '\n' <"$HERE/logs/door-unlocked-over-a-viperess.keys")" --log "$WORK/door.log"
[ "$CODE" -eq 0 ] || fail "door game: exit code $CODE: $ERR"
expect_lines "$WORK/door.log" \
  "L3 T266 [Unlocked door][Used 1 Key]" "L3 T266 [Attacked by Viperess][Hp -0]"

# Each "+" switches between the two members and says so: 1200 messages, more
# than the F2 panel keeps, and all of them in the file.
replay --keys "@42\r $(printf '+%.0s' $(seq 1200))" --log "$WORK/long.log"
lines=$(wc -l <"$WORK/long.log")
[ "$lines" -eq 1205 ] || fail "long game: $lines lines in the log, wanted 1205"
expect_lines "$WORK/long.log" "L1 T0 A new game begins" "L1 T0 [Maelis Vey+Old Hesk joined!]"
expect_lines "$WORK/long.log" "L1 T1200 [Switched to Old Hesk]"

# A game with its log written plays exactly as the golden game.
replay --keys "$(tr -d '\n' <"$GAMES/doors-gates.keys")" --log "$WORK/golden.log" \
  --check "$GAMES/doors-gates.jsonl"
[ "$CODE" -eq 0 ] || fail "golden game with a log: exit code $CODE: $(cat "$WORK/out")"

# A log that cannot be written fails the run with exit 2 and says why: its
# folder is missing, or the file outgrows a size limit halfway (a full disk
# looks the same). A log already there stays as it was, and no part of the
# new one is left behind.
echo "an earlier log" >"$WORK/kept.log"
for case in missing limit; do
  if [ $case = missing ]; then
    target=$WORK/missing/run.log
    replay --keys '@42\r 66' --log "$target"
  else
    target=$WORK/kept.log
    (
      ulimit -f 8
      replay --keys "@42\r $(printf '+%.0s' $(seq 1200))" --log "$target"
      exit $CODE
    )
    CODE=$? ERR=$(cat "$WORK/err")
  fi
  if [ "$CODE" -ne 2 ] || [[ "$ERR" != *"cannot write log $target: "* ]]; then
    fail "log to $target: exit code $CODE, stderr: $ERR"
  else
    note "$case: $ERR"
  fi
done
[ "$(cat "$WORK/kept.log")" = "an earlier log" ] || fail "the earlier log was changed"
left=$(ls "$WORK" | grep -c '^kept\.log\.')
[ "$left" -eq 0 ] || fail "$left pieces of the failed log were left behind"

[ "$FAILURES" -eq 0 ] || exit 1

#!/bin/bash
# Plays the golden games and long random walks on many seeds with two builds
# of duskwarren-replay and checks that their traces and screenshots agree byte
# for byte: a change made for speed must not change the game.
#   bench/same-traces.sh OLD_REPLAY NEW_REPLAY GAME_DIR
set -eu
old=$1 new=$2 data=$(cd "$3" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/dw-same-traces.XXXXXX")
trap 'rm -rf "$work"' EXIT

for keys in "$source"/tests/golden/games/*.keys; do
  name=golden-$(basename "$keys" .keys)
  head -1 "$keys" | tr -d '\n' > "$work/$name.text"
done
python3 - "$work" <<'PY'
import random, sys
for seed in range(1, 13):
    rng = random.Random(seed)
    keys = "2468" * 20 + " " * 6 + "hvwtpfb+-" + "~"
    walk = "".join(rng.choice(keys) for _ in range(1500))
    with open(f"{sys.argv[1]}/walk-{seed}.keys", "w", newline="") as out:
        out.write(f"@{seed}\r " + walk.replace("~", "~ "))
PY

differ=0 count=0
for input in "$work"/*.text "$work"/*.keys; do
  name=$(basename "${input%.*}")
  for build in old new; do
    replay=$old
    [ "$build" = new ] && replay=$new
    if [ "${input##*.}" = text ]; then
      keys=(--keys "$(cat "$input")")
    else
      keys=(--keys-file "$input")
    fi
    "$replay" --data "$data" "${keys[@]}" --trace "$work/$name.$build.jsonl" \
      --screenshot "$work/$name.$build.png" > /dev/null
  done
  count=$((count + 1))
  if ! cmp -s "$work/$name.old.jsonl" "$work/$name.new.jsonl" ||
    ! cmp -s "$work/$name.old.png" "$work/$name.new.png"; then
    echo "DIFFERENT: $name"
    differ=$((differ + 1))
  fi
done
lines=$(cat "$work"/*.new.jsonl | wc -l)
echo "$count games, $lines trace lines: $((count - differ)) identical, $differ different"
[ "$differ" -eq 0 ]

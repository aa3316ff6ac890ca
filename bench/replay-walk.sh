#!/bin/sh
# Times a long real-play walk through the whole duskwarren-replay process and
# profiles it with callgrind.
#   bench/replay-walk.sh BUILD_DIR [MOVES]
# Writes walk.keys, walk-trace.jsonl and callgrind.out.walk into the current
# folder and prints the CPU time a cycle takes with and without --trace (the
# process with no moves taken away), then callgrind's inclusive shares.
set -eu
build=$(cd "$1" && pwd)
moves=${2:-4000}
replay=${REPLAY:-$build/game/duskwarren-replay}  # REPLAY= to time another build
data="$build/game"

# A fixed walk on seed 42: mostly steps, with pick-ups, spells, Bombs and
# member switches mixed in.
python3 - "$moves" > walk.keys <<'PY'
import random, sys
rng = random.Random(16)
keys = "2468" * 20 + " " * 6 + "hvwtpf" + "b+-"
print("@42\r " + "".join(rng.choice(keys) for _ in range(int(sys.argv[1]))), end="")
PY
printf '@42\r ' > empty.keys

cpu_ns() {  # the median of five runs' CPU time (user + system)
  python3 - "$@" <<'PY2'
import resource, subprocess, sys
times = []
for _ in range(5):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    times.append((after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime))
print(int(sorted(times)[2] * 1e9))
PY2
}
plain=$(cpu_ns "$replay" --data "$data" --keys-file walk.keys)
traced=$(cpu_ns "$replay" --data "$data" --keys-file walk.keys --trace "$PWD/walk-trace.jsonl")
empty=$(cpu_ns "$replay" --data "$data" --keys-file empty.keys)
echo "CPU time a cycle without --trace: $(( (plain - empty) / moves )) ns"
echo "CPU time a cycle with --trace:    $(( (traced - empty) / moves )) ns ($(wc -c < walk-trace.jsonl) trace bytes)"

valgrind --tool=callgrind --callgrind-out-file=callgrind.out.walk \
  "$replay" --data "$data" --keys-file walk.keys > /dev/null 2>&1
callgrind_annotate --inclusive=yes callgrind.out.walk 2>/dev/null | sed -n '/PROGRAM TOTALS/,$p' |
  sed -n 4,45p | sed 's/ \[\/.*\]$//' | cut -c1-150

#!/usr/bin/env bash
# usage: fuzz/run.sh SECONDS [BUILD_DIR]
#
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehavior-
# Sanitizer) in BUILD_DIR (default build/fuzz), runs each for SECONDS on its
# checked-in corpus (fuzz/corpus/<target>, read only; new inputs go to
# BUILD_DIR/fuzz-corpus/<target>) and prints the executions and time of each.
# Exits 1 when a target crashed, hung or broke a property; the input that did
# it is kept as BUILD_DIR/fuzz-artifacts/<target>-crash-... .
set -euo pipefail
if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh SECONDS [BUILD_DIR]" >&2
  exit 2
fi
seconds=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${2:-$root/build/fuzz}" && cd "${2:-$root/build/fuzz}" && pwd)

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DDUSKWARREN_FUZZ=ON \
  -DDUSKWARREN_SDL=OFF -DDUSKWARREN_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_all -j2 >/dev/null

mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
status=0
printf '%-12s %12s %8s %10s  %s\n' target executions seconds "exec/s" result
for target in keyvalue tile typedline markedtext game recording checkpoint; do
  work="$build/fuzz-corpus/$target"
  log="$build/fuzz-logs/$target.log"
  mkdir -p "$work"
  start=$(date +%s)
  result=ok
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" \
      "$work" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    result="FAILED (see $log)"
    status=1
  fi
  elapsed=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs=${runs:-0}
  printf '%-12s %12s %8s %10s  %s\n' "$target" "$runs" "$elapsed" \
    "$(( runs / (elapsed > 0 ? elapsed : 1) ))" "$result"
done
if [[ $status -ne 0 ]]; then
  echo "a fuzz target failed; its inputs are in $build/fuzz-artifacts" >&2
fi
exit $status

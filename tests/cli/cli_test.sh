#!/bin/bash
# The command lines of the four programs, run as a player or packager types
# them: --help and --version answer and exit 0, options take "--opt value"
# and "--opt=value", and an unknown option is named as unknown (exit 2).
# The game itself is asked only what needs no window.
set -u
GAME_DIR=${DUSKWARREN_RUNTIME_DIR:?run through ctest}
VERSION=${DUSKWARREN_VERSION:?run through ctest}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-cli.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

# run NAME ARGS...: runs the program from the game folder with no display
# and a 10 s limit; sets CODE, OUT and ERR.
run() {
  local program=$1
  shift
  (cd "$GAME_DIR" && env -u DISPLAY -u WAYLAND_DISPLAY timeout -s KILL 10 "./$program" "$@") \
    >"$WORK/out" 2>"$WORK/err"
  CODE=$?
  OUT=$(cat "$WORK/out")
  ERR=$(cat "$WORK/err")
}

# expect WHAT CODE [TEXT]: the last run ended with CODE and printed TEXT.
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

for program in duskwarren duskwarren-replay duskwarren-lint duskwarren-tiles; do
  run "$program" --version
  expect "$program --version" 0
  [ "$OUT" = "$program $VERSION" ] || fail "$program --version printed '$OUT'"
  run "$program" --help
  expect "$program --help" 0 "$program"
  [ -z "$ERR" ] || fail "$program --help wrote to stderr: $ERR"
  run "$program" --bogus
  expect "$program --bogus" 2 "unknown option --bogus"
  run "$program" --bogus=1
  expect "$program --bogus=1" 2 "unknown option --bogus"
done

# Both spellings of a value.
run duskwarren-replay --timer=5 --keys '\e'
expect "replay --timer=5 --keys '\\e'" 0
run duskwarren-replay --timer 5 --keys='\e' --trace="$WORK/trace.jsonl"
expect "replay --timer 5 --keys='\\e' --trace=FILE" 0
grep -q '"reason":"quit"' "$WORK/trace.jsonl" || fail "--trace=FILE wrote no trace ending in a quit"
run duskwarren-replay --data="$WORK/nowhere" --keys '\e'
expect "replay --data=DIR" 2 "$WORK/nowhere"
run duskwarren-replay --timer=soon --keys '\e'
expect "replay --timer=soon" 2 "--timer needs a number of seconds"
run duskwarren-replay --keys
expect "replay --keys without its text" 2 "--keys"
run duskwarren-replay --timer 5
expect "replay without keys" 2 "give exactly one of --keys, --keys-file and --recording"
# Keys that look like options are still keys ('-' picks the previous member).
run duskwarren-replay --keys - --trace "$WORK/dash.jsonl"
expect "replay --keys -" 0
run duskwarren --data "$WORK/nowhere"
expect "duskwarren --data DIR that is not there" 2 "$WORK/nowhere"
run duskwarren-tiles --tolerance=300 to-tile a.png b.til
expect "tiles --tolerance=300" 2 "--tolerance needs a number 0..255"

# Empty values, folders and files that are not there are refused, naming
# the option, before anything is played or written.
mkdir -p "$WORK/folder"
while IFS='|' read -r program option value said; do
  value=${value//WORK/$WORK}
  said=${said//WORK/$WORK}
  if [ "$program" = duskwarren-replay ]; then
    run "$program" --keys '\e' "$option" "$value"
  else
    run "$program" "$option" "$value"
  fi
  expect "$program $option '$value'" 2 "$option: $said"
done <<'VALUES'
duskwarren-replay|--trace||the value is empty
duskwarren-replay|--screenshot||the value is empty
duskwarren-replay|--text-screenshot||the value is empty
duskwarren-replay|--check||the value is empty
duskwarren-replay|--record||the value is empty
duskwarren-replay|--data||the value is empty
duskwarren-replay|--keys-file|WORK/folder|WORK/folder is a folder, not a file
duskwarren-replay|--check|WORK/folder|WORK/folder is a folder, not a file
duskwarren-replay|--recording|WORK/folder|WORK/folder is a folder, not a file
duskwarren-replay|--trace|WORK/folder|WORK/folder is a folder, not a file
duskwarren-replay|--screenshot|WORK/nowhere/a.png|cannot write WORK/nowhere/a.png: there is no folder WORK/nowhere
duskwarren-replay|--keys-file|WORK/nothing|cannot read WORK/nothing: No such file or directory
duskwarren|--watch||the value is empty
duskwarren|--watch|WORK/folder|WORK/folder is a folder, not a file
duskwarren|--data||the value is empty
VALUES
[ ! -e "$GAME_DIR/.dwrec" ] || fail "an empty value made a file"

# Every reader has a cap: a file over it is refused whole, with its size.
cp -r "$GAME_DIR/res" "$GAME_DIR/tiles" "$GAME_DIR/drivers" "$WORK/folder/"
head -c 100 /dev/zero >"$WORK/keys"
truncate -s 17M "$WORK/keys"
run duskwarren-replay --keys-file "$WORK/keys"
expect "a keys file over its cap" 2 "is longer than a keys file can be (16 MiB)"
for file in res/party.dat tiles/219b0808.til; do
  cp "$GAME_DIR/$file" "$WORK/saved" && truncate -s 17M "$WORK/folder/$file"
  run duskwarren-replay --data "$WORK/folder" --keys '\e'
  expect "replay with a $file over its cap" 2 "$file is longer than a game file can be (16 MiB)"
  run duskwarren --data "$WORK/folder" --terminal
  expect "duskwarren with a $file over its cap" 2 "$file is longer than a game file can be (16 MiB)"
  cp "$WORK/saved" "$WORK/folder/$file"
done

# No display: one line that says so, at once, instead of a game nobody sees.
started=$(date +%s%N)
run duskwarren
took=$((($(date +%s%N) - started) / 1000000))
expect "duskwarren without a display" 1 "duskwarren: no display: set DISPLAY or WAYLAND_DISPLAY"
[ "$(printf '%s\n' "$ERR" | wc -l)" -eq 1 ] || fail "without a display, wanted one line; got: $ERR"
[ "$took" -lt 5000 ] || fail "without a display, the game took $took ms to say so"
echo "-- without a display: said so in $took ms"
# A driver that shows nothing runs when asked for by name.
run_dummy() {
  (cd "$GAME_DIR" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy \
    timeout -s KILL 3 ./duskwarren) >/dev/null 2>&1
}
run_dummy
[ $? -eq 137 ] || fail "SDL_VIDEODRIVER=dummy: the game did not run"

if [ "$FAILURES" -gt 0 ]; then
  echo "$FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"

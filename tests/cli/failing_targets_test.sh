#!/bin/bash
# No program ever deletes, truncates or replaces a path it did not make
# itself, nor a file its owner may not write. Every output of every program is aimed at a character device
# that fails every write (as a full disk does) and at a file that a
# file-size limit keeps from growing; each run must end with a non-zero
# status of its own (not killed by the limit) and leave its target as it
# was, with no stray file beside it.
set -u
GAME_DIR=${DUSKWARREN_RUNTIME_DIR:?run through ctest}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-targets.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"

# What the outputs are made from.
IN="$WORK/in"
mkdir -p "$IN/lint/res"
(cd "$GAME_DIR" &&
  ./duskwarren-replay --keys '@7\r 66' --screenshot "$IN/page.png" --trace "$IN/golden.jsonl") ||
  die "cannot make the inputs"
printf 'not a party\r\n' >"$IN/lint/res/party.dat"

# Each line: the program and its arguments, T standing for the target; a
# target given as ">T" is the program's standard output.
OUTPUTS=$(
  cat <<'TABLE'
duskwarren-replay --keys @7\r\x2066 --trace T
duskwarren-replay --keys @7\r\x2066 --screenshot T
duskwarren-replay --keys @7\r\x2066 --text-screenshot T
duskwarren-replay --keys @7\r\x2066 --record T
duskwarren-replay --keys @7\r\x2066 --check IN/golden.jsonl >T
duskwarren-replay --help >T
duskwarren --version >T
duskwarren --help >T
duskwarren-lint IN/lint >T
duskwarren-tiles to-tile IN/page.png T
duskwarren-tiles to-png tiles/120b0808.til T
duskwarren-tiles join tiles T
duskwarren-tiles check tiles >T
duskwarren-tiles --version >T
TABLE
)

# state PATH: what must not change about a target.
state() {
  if [ -c "$1" ]; then
    stat -c 'device %t:%T' "$1"
  else
    stat -c '%F %s' "$1" && md5sum <"$1"
  fi
}

# aim KIND LIMIT TARGET: runs every output at TARGET (under ulimit -f LIMIT
# blocks) and checks that it failed and left TARGET and its folder alone.
aim() {
  local kind=$1 limit=$2 target=$3 line before after args stdout
  while read -r line; do
    [ -n "$line" ] || continue
    stdout=
    args=()
    for word in $line; do
      case $word in
        ">T") stdout=$target ;;
        T) args+=("$target") ;;
        IN/*) args+=("$IN/${word#IN/}") ;;
        *) args+=("$(printf '%b' "$word")") ;;
      esac
    done
    before=$(state "$target")
    local listing
    listing=$(ls -A "$(dirname "$target")")
    # The messages go through a pipe, which no file-size limit holds back.
    (cd "$GAME_DIR" && ulimit -f "$limit" &&
      exec timeout -s KILL 30 "./${args[0]}" "${args[@]:1}" 2>&1 >>"${stdout:-/dev/null}") |
      cat >"$WORK/err"
    local code=${PIPESTATUS[0]}
    after=$(state "$target")
    if [ "$code" -eq 0 ] || [ "$code" -ge 128 ]; then
      fail "$kind: '$line' ended with $code, wanted a failure of its own: $(cat "$WORK/err")"
    elif [ "$before" != "$after" ]; then
      fail "$kind: '$line' changed its target: $before -> $after"
    elif [ "$listing" != "$(ls -A "$(dirname "$target")")" ]; then
      fail "$kind: '$line' left files beside its target: $(ls -A "$(dirname "$target")")"
    else
      note "$kind: '$line' failed with $code: $(head -c 160 "$WORK/err" | head -n 1)"
    fi
  done <<<"$OUTPUTS"
}

mkdir -p "$WORK/device" "$WORK/limited"
if mknod "$WORK/device/full" c 1 7 2>/dev/null && [ -c "$WORK/device/full" ]; then
  aim "a device that is always full" unlimited "$WORK/device/full"
else
  note "mknod is refused here: the device is left out"
fi
printf 'a file of the player\n' >"$WORK/limited/precious"
aim "a file-size limit" 0 "$WORK/limited/precious"

# A trace that meets the limit part-way through a longer game: the target
# is still the player's file, and nothing is left beside it.
(cd "$GAME_DIR" && ulimit -f 8 &&
  exec ./duskwarren-replay --keys '@7\r 6666222244448888' --trace "$WORK/limited/precious") 2>&1 |
  cat >"$WORK/err"
code=${PIPESTATUS[0]}
[ "$code" -eq 2 ] && grep -q "file-size limit" "$WORK/err" ||
  fail "a trace cut by the limit: status $code, said: $(cat "$WORK/err")"
[ "$(cat "$WORK/limited/precious")" = "a file of the player" ] &&
  [ "$(ls -A "$WORK/limited")" = precious ] || fail "a trace cut by the limit harmed its target"

# Targets that are written through, never replaced: a link keeps being a
# link to the file it names (made when missing), a FIFO stays a FIFO and
# gets the bytes.
mkdir -p "$WORK/through"
cd "$WORK/through" || die "no folder for the links"
printf 'old\n' >shot.png
ln -s shot.png to-shot.png
ln -s later.jsonl to-later.jsonl
mkfifo pipe
timeout -s KILL 30 cat pipe >from-pipe &
reader=$!
"$GAME_DIR/duskwarren-replay" --data "$GAME_DIR" --keys '@7\r 66' --screenshot to-shot.png \
  --trace to-later.jsonl --text-screenshot pipe >/dev/null 2>"$WORK/err" ||
  fail "writing through links and a FIFO failed: $(cat "$WORK/err")"
wait "$reader"
[ -L to-shot.png ] && [ -L to-later.jsonl ] && [ -p pipe ] ||
  fail "a link or the FIFO was replaced: $(ls -l)"
cmp -s shot.png "$IN/page.png" || fail "the file a link names did not get the screenshot"
grep -q '"reason":"keys"' later.jsonl || fail "the missing file a link names did not get the trace"
[ "$(wc -l <from-pipe)" -eq 25 ] || fail "the FIFO did not pass the 25 lines on: $(wc -l <from-pipe)"
cd "$WORK" || die "no work folder"

# Files their owner may not write over: a read-only screenshot (mode 0444)
# and an unreadable trace (mode 000) are refused with a line that says so
# and left as they were. Run as the owner, an ordinary user: the mode bits
# are what counts, though the administrator may write anything.
mkdir -p "$WORK/owned"
printf 'a read-only picture\n' >"$WORK/owned/shot.png"
printf 'an unreadable trace\n' >"$WORK/owned/trace.jsonl"
chmod 444 "$WORK/owned/shot.png"
chmod 000 "$WORK/owned/trace.jsonl"
owner=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 711 "$WORK"
  chown -R 65534:65534 "$WORK/owned"
  owner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
for refusal in "--screenshot shot.png read-only (mode 0444)" \
  "--trace trace.jsonl cannot be read (Permission denied)"; do
  read -r option file words <<<"$refusal"
  before=$(state "$WORK/owned/$file")
  listing=$(ls -A "$WORK/owned")
  (cd "$GAME_DIR" && exec timeout -s KILL 30 "${owner[@]}" ./duskwarren-replay --keys '@7\r 66' \
    "$option" "$WORK/owned/$file") >/dev/null 2>"$WORK/err"
  code=$?
  if [ "$code" -ne 2 ] || ! grep -qF "$words, so it is left as it was" "$WORK/err"; then
    fail "$option to a file mode $(stat -c %a "$WORK/owned/$file"): status $code, said: $(cat "$WORK/err")"
  elif [ "$(state "$WORK/owned/$file")" != "$before" ] || [ "$(ls -A "$WORK/owned")" != "$listing" ]; then
    fail "$option to a file mode $(stat -c %a "$WORK/owned/$file") changed it or left files beside it"
  else
    note "$option to a file its owner may not write: $(cat "$WORK/err")"
  fi
done

[ "$FAILURES" -eq 0 ] || die "$FAILURES check(s) failed"
echo "all checks passed"

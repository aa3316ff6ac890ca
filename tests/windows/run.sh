#!/usr/bin/env bash
# The Windows build, tested under wine: after the Linux tests, CI runs
#
#   tests/windows/run.sh [LINUX_BUILD]
#
# which builds the toolchain's libraries (once per machine), the windows
# preset and the package, then checks under wine:
#   1. the unit tests (ctest --preset windows, the wine server kept up);
#   2. the golden games and long walks: duskwarren-replay.exe gives the same
#      traces and screenshots as the Linux build's (bench/same-traces.sh);
#   3. a recording made under wine replays on Linux to the same trace, and
#      one made on Linux replays under wine;
#   4. the game's window under Xvfb: the start screen, a short game equal to
#      the Linux replay's page, continued after a kill, F10 kept in the
#      settings (tests/windows/window_test.sh);
#   5. the installer installs and uninstalls, leaving the player's runs and
#      settings (packaging/windows/check-install.sh).
# LINUX_BUILD is the Linux build to compare with (default build/ci, built
# already, with tests/window/window-probe). Each step has a deadline and
# prints its time; wine is ended after each; the exit status is non-zero
# when any step failed.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
source tests/support/wine.sh

linux=${1:-build/ci}
linux_replay=$linux/game/duskwarren-replay
linux_game=$linux/game
[ -x "$linux_replay" ] || { echo "no $linux_replay: build the ci preset first" >&2; exit 1; }
# ccache, where the machine has it, makes a second build cheap.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-windows.XXXXXX")
export linux linux_replay linux_game WORK
failed=()
trap 'wine_prefix_remove; rm -rf "$WORK"' EXIT

# step NAME SECONDS COMMAND...: runs COMMAND with a deadline.
step() {
  local name=$1 deadline=$2 start=$SECONDS
  shift 2
  echo "== $name"
  # The step runs in a shell of its own, so that its deadline reaches all
  # it started; wine's server and helpers, outside it, end with wine_stop.
  if timeout -k 10 "$deadline" bash -c "source tests/support/wine.sh; $(declare -f); \"\$@\"" \
    step "$@"; then
    echo "== $name: passed in $((SECONDS - start)) s"
  else
    echo "== $name: FAILED after $((SECONDS - start)) s"
    failed+=("$name")
  fi
}

build() {
  scripts/install-windows-deps.sh &&
    cmake --preset windows >/dev/null &&
    cmake --build --preset windows -j"${JOBS:-$(nproc)}"
}

# The unit tests, one wine process per test case, with the server of the
# preset's prefix kept up so each starts at once.
unit_tests() {
  local status=0
  WINEPREFIX=$PWD/build/windows/wine wine_server_keep || return 1
  ctest --preset windows -j"${JOBS:-$(nproc)}" --timeout 120 || status=$?
  WINEPREFIX=$PWD/build/windows/wine wine_stop
  return $status
}

# duskwarren-replay.exe, called as the Linux one is.
replay_wrapper() {
  cat >"$WORK/replay-wine" <<WRAP
#!/usr/bin/env bash
exec wine "$PWD/build/windows/game/duskwarren-replay.exe" "\$@" | tr -d '\r'
WRAP
  chmod +x "$WORK/replay-wine"
}

golden_games() {
  wine_server_keep || return 1
  bench/same-traces.sh "$linux_replay" "$WORK/replay-wine" "$linux_game"
}

# Each golden game recorded by one build and replayed by the other: the
# traces agree.
recordings_cross() {
  local keys name bad=0 from to
  wine_server_keep || return 1
  for keys in tests/golden/games/*.keys; do
    name=$(basename "$keys" .keys)
    for from in linux wine; do
      to=wine
      [ "$from" = wine ] && to=linux
      run_replay "$from" --data "$linux_game" --keys "$(head -1 "$keys" | tr -d '\n')" \
        --record "$WORK/$name.$from.dwrec" --trace "$WORK/$name.$from.jsonl" >/dev/null || bad=1
      run_replay "$to" --data "$linux_game" --recording "$WORK/$name.$from.dwrec" \
        --trace "$WORK/$name.$from-on-$to.jsonl" >/dev/null || bad=1
      if ! cmp -s "$WORK/$name.$from.jsonl" "$WORK/$name.$from-on-$to.jsonl"; then
        echo "$name: recorded on $from, replayed on $to: the traces differ" >&2
        bad=1
      fi
    done
  done
  return $bad
}

run_replay() {
  local which=$1
  shift
  if [ "$which" = wine ]; then "$WORK/replay-wine" "$@"; else "$linux_replay" "$@"; fi
}

installer() {
  scripts/package-windows.sh && packaging/windows/check-install.sh
}

window() {
  WINDOWS_GAME=build/windows/game LINUX_BUILD=$linux bash tests/windows/window_test.sh
}

total=$SECONDS
step "Windows build" 3600 build
if [ ${#failed[@]} -eq 0 ]; then
  step "unit tests under wine" 1200 unit_tests
  WINEPREFIX=$PWD/build/windows/wine wine_stop
  # The player's folders of the wine prefix (Pictures and the like) would be
  # links into the home folder: the programs under test get one of their own.
  export HOME=$WORK/home
  mkdir -p "$HOME"
  wine_prefix_new || exit 1
  replay_wrapper
  step "golden games under wine" 900 golden_games
  wine_stop
  step "recordings across wine and Linux" 600 recordings_cross
  wine_stop
  step "the window under wine" 300 window
  wine_stop
  step "the package and its installer" 900 installer
fi
echo "== Windows: $((SECONDS - total)) s"
if [ ${#failed[@]} -gt 0 ]; then
  echo "== failed: ${failed[*]}"
  exit 1
fi

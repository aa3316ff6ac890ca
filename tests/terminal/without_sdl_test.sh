#!/bin/bash
# A build without SDL (-DDUSKWARREN_SDL=OFF) still has the terminal game. The
# source tree is configured that way in a folder beside this build, and only
# the duskwarren program (with the data it plays from) is built there. It
# links no SDL; without --terminal it says plainly that it has no window
# (status 1); with --terminal it plays in tmux to the screen the headless
# game shows for the same keys.
source "$(dirname "$0")/terminal_lib.sh"
require_tmux
require_replay
[ -n "${WITHOUT_SDL_BUILD:-}" ] && [ -n "${DUSKWARREN_SOURCE_DIR:-}" ] ||
  die "run through ctest (WITHOUT_SDL_BUILD and DUSKWARREN_SOURCE_DIR name the folders)"

# The build is made afresh each run only where its cache is gone; the
# compiler launcher (ccache) of the main build is used when it has one.
note "configuring $WITHOUT_SDL_BUILD"
timeout -s KILL 120 cmake -S "$DUSKWARREN_SOURCE_DIR" -B "$WITHOUT_SDL_BUILD" -G "$CMAKE_GENERATOR_NAME" \
  -DDUSKWARREN_SDL=OFF -DDUSKWARREN_TESTS=OFF ${WITHOUT_SDL_ARGS:-} >"$WORK/configure.log" 2>&1 ||
  die "the build without SDL does not configure: $(tail -n 20 "$WORK/configure.log")"
note "building duskwarren there"
timeout -s KILL 900 cmake --build "$WITHOUT_SDL_BUILD" --target duskwarren -j2 >"$WORK/build.log" 2>&1 ||
  die "the build without SDL does not build duskwarren: $(grep -m 5 -A 5 -E 'error|Error' "$WORK/build.log")"
game="$WITHOUT_SDL_BUILD/game"
[ -x "$game/duskwarren" ] || die "no $game/duskwarren"

if ldd "$game/duskwarren" | grep -qi sdl; then
  fail "the game without SDL links it: $(ldd "$game/duskwarren" | grep -i sdl)"
fi
said=$(timeout -s KILL 10 "$game/duskwarren" --data "$game" </dev/null 2>&1)
status=$?
if [ "$status" -eq 1 ] && [[ $said == *"this build has no window: play in the terminal with duskwarren --terminal"* ]]; then
  note "without --terminal: \"$said\" (status 1)"
else
  fail "without --terminal the game said \"$said\" (status $status)"
fi
timeout -s KILL 10 "$game/duskwarren" --help | grep -q "This build has no window" ||
  fail "--help does not say that this build has no window"

replay_text '@42\r 8642v' "$WORK/played.txt"
start_game 80 30 "'$game/duskwarren' --data '$game' --terminal"
wait_for_text "Press the spacebar" 20 "the start-up report" || finish
keys -l "@42"
keys Enter Space
keys -l "8642v"
expect_screen "$WORK/played.txt" played
keys Escape
expect_end 0 "Escape in play"
finish

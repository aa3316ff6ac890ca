#!/bin/bash
# The Windows game in its window, under wine and an X server of the test's
# own (tests/window/window_lib.sh), read back with XGetImage:
# - the window shows the start screen, pixel for pixel the picture the game
#   itself saves with F12 into the player's Pictures folder (but for the
#   keys the window shows below it);
# - a seeded game typed into it shows the Linux headless game's page for the
#   same keys; killed (as a power cut would), it is taken up with --continue
#   on that very page, goes on to the next, and its one recording replays on
#   Linux to the trace of all its keys;
# - F10 (the 4:3 view) is kept in the player's settings in %APPDATA%.
#
#   WINEPREFIX=... WINDOWS_GAME=build/windows/game LINUX_BUILD=build/ci \
#     bash tests/windows/window_test.sh
#
# WINEPREFIX is a prefix set up already (tests/support/wine.sh); everything
# wine runs in it is ended when the test ends.
: "${WINDOWS_GAME:?the game folder of the windows build}" "${LINUX_BUILD:?the Linux build}"
: "${WINEPREFIX:?a wine prefix}"
WINDOWS_GAME=$(cd "$WINDOWS_GAME" && pwd)
LINUX_BUILD=$(cd "$LINUX_BUILD" && pwd)
export DUSKWARREN_RUNTIME_DIR=$LINUX_BUILD/game
export DUSKWARREN_REPLAY=$DUSKWARREN_RUNTIME_DIR/duskwarren-replay
export WINDOW_PROBE=$LINUX_BUILD/tests/window/window-probe
# A first start under wine takes a few seconds more than on Linux.
export WINDOW_START_TIMEOUT=${WINDOW_START_TIMEOUT:-60}
export WINDOW_TEST_DEADLINE=${WINDOW_TEST_DEADLINE:-240}
source "$(dirname "$0")/../window/window_lib.sh"
source "$(dirname "$0")/../support/wine.sh"
_wine_quiet
trap 'status=$?; wine_stop; (exit $status); cleanup' EXIT
# The game under wine, as the window tests start a program.
export DUSKWARREN=$WORK/duskwarren-wine
printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$WINDOWS_GAME/duskwarren.exe" >"$DUSKWARREN"
chmod +x "$DUSKWARREN"
APP_DIR=$WINDOWS_GAME
require_x
require_replay


# The player's folders as the game finds them (wine sets them up).
windows_folder() { winepath -u "$(wine cmd /c "echo $1" | tr -d '\r')"; }
settings=$(windows_folder '%APPDATA%')/Duskwarren/settings
recordings=$(windows_folder '%LOCALAPPDATA%')/Duskwarren/recordings
pictures=$(windows_folder '%USERPROFILE%')/Pictures/Duskwarren
[ -d "$(dirname "$recordings")" ] && [ -n "$(ls -A "$(dirname "$recordings")")" ] &&
  die "the prefix holds runs already: $(dirname "$recordings")"

moves='8642v+-26b4866662222'
more='44448888h6'
replay_page "@42\\r $moves" "$WORK/stopped.png"
replay_page "@42\\r $moves$more" "$WORK/later.png"
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --keys "@42\\r $moves$more\\e" --trace "$WORK/keys.jsonl") \
  >"$WORK/replay.out" 2>&1 || die "duskwarren-replay failed: $(cat "$WORK/replay.out")"

# settled NAME: waits (up to 20 s) until the window shows the same picture
# twice, a second apart, kept as $WORK/NAME.png: the start screen is drawn
# and waits for a key.
settled() {
  local _
  "$WINDOW_PROBE" capture "$WID" "$WORK/$1.png" >/dev/null 2>&1
  for _ in $(seq 20); do
    sleep 1
    "$WINDOW_PROBE" capture "$WID" "$WORK/$1.next.png" >/dev/null 2>&1 || continue
    cmp -s "$WORK/$1.png" "$WORK/$1.next.png" && return 0
    mv "$WORK/$1.next.png" "$WORK/$1.png"
  done
  fail "$1: the window kept changing for 20 s"
}

start_x 1280 1024
start_app "$DUSKWARREN"
# The picture F12 saves is the page the window shows (then with a notice over
# it), in a 960 x 600 window at scale 3.
settled start
press F12
picture=""
for _ in $(seq 100); do
  picture=$(ls "$pictures"/*.png 2>/dev/null | grep -v -- '-x[0-9]*\.png$' | head -n 1)
  [ -n "$picture" ] && break
  sleep 0.2
done
[ -n "$picture" ] || die "F12 saved no picture of the start screen in $pictures"
# The window shows the start screen's keys over the page's empty bottom rows
# (the picture has none): the page's top 160 rows are compared.
convert "$WORK/start.png" -crop 960x480+0+0 +repage "$WORK/start-top.png" &&
  convert "$picture" -crop 320x160+0+0 +repage "$WORK/picture-top.png" ||
  die "ImageMagick could not crop the start screen"
if report=$("$WINDOW_PROBE" compare "$WORK/start-top.png" "$WORK/picture-top.png"); then
  note "the start screen: $report"
else
  fail "the start screen: $report (capture $WORK/start.png, picture $picture)"
fi

typed "@42"
press Return space
typed "$moves"
expect_page "$WORK/stopped.png" played
kill_app
recording=$(ls "$recordings"/*-seed42.dwrec 2>/dev/null)
[ -f "$recording" ] || die "no recording of the killed game in $recordings"

start_app "$DUSKWARREN" --continue
expect_page "$WORK/stopped.png" continued
typed "$more"
expect_page "$WORK/later.png" "played on"
press Escape
expect_exit 0 "Escape in the continued run"
[ "$(ls "$recordings"/*.dwrec)" = "$recording" ] ||
  fail "wanted one recording, $recording; found: $(ls "$recordings")"
(cd "$DUSKWARREN_RUNTIME_DIR" &&
  "$DUSKWARREN_REPLAY" --recording "$recording" --trace "$WORK/recording.jsonl") \
  >"$WORK/replay.out" 2>&1 || fail "duskwarren-replay --recording failed: $(cat "$WORK/replay.out")"
if cmp -s "$WORK/keys.jsonl" "$WORK/recording.jsonl"; then
  note "the run recorded under wine replays on Linux to the trace of its keys"
else
  fail "the wine recording's trace on Linux differs from the keys' own"
fi

start_app "$DUSKWARREN"
settled again
press F10
for _ in $(seq 100); do
  grep -q "view-4-3 = on" "$settings" 2>/dev/null && break
  sleep 0.1
done
press Escape
expect_exit 0 "Escape on the start screen"
if grep -q "view-4-3 = on" "$settings" 2>/dev/null; then
  note "F10 is kept in $settings"
else
  fail "F10 is not kept in the settings: $(cat "$settings" 2>&1)"
fi
finish

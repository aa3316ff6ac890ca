#!/bin/bash
# The Debian package, end to end: CPack builds it from this build tree; its
# control fields, file list, desktop entry, AppStream file, icons and manual
# pages are checked; it is unpacked with dpkg-deb -x into a temporary root,
# and the unpacked programs are started from folders that hold no game data:
# duskwarren-replay plays a scripted game of several levels and must write
# the build tree's trace and screenshot byte for byte, and the window game,
# started in a temporary $HOME, must show the build tree's pages.
#
# Run by hand: ctest --preset ci -L package (set KEEP_WINDOW_TEST_FILES=1 to
# keep the package and the captures).
# The whole test's deadline: cpack alone may take minutes on a loaded machine
# (its own limit is 420 s), so the window tests' 100 s would cut it short.
: "${WINDOW_TEST_DEADLINE:=850}"
source "$DUSKWARREN_SOURCE_DIR/tests/window/window_lib.sh"

for name in CPACK_CONFIG CPACK_COMMAND DUSKWARREN_RUNTIME_DIR DUSKWARREN_REPLAY; do
  [ -n "${!name:-}" ] || die "$name is not set (run the test through ctest)"
done
command -v dpkg-deb >/dev/null || skip "dpkg-deb is not installed"

# ---------------------------------------------------------------- build the package
note "building the package"
timeout -k 10 420 "$CPACK_COMMAND" -G DEB --config "$CPACK_CONFIG" -B "$WORK/cpack" \
  >"$WORK/cpack.log" 2>&1 || die "cpack failed: $(tail -n 30 "$WORK/cpack.log")"
debs=("$WORK"/cpack/duskwarren_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || die "cpack made no single duskwarren_*.deb: $(ls "$WORK/cpack")"
DEB=${debs[0]}
note "$(basename "$DEB"): $(stat -c %s "$DEB") bytes"

field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = duskwarren ] || fail "Package is '$(field Package)'"
if [ -n "${DUSKWARREN_VERSION:-}" ]; then
  [ "$(field Version)" = "$DUSKWARREN_VERSION" ] ||
    fail "Version is '$(field Version)', the project's is $DUSKWARREN_VERSION"
fi
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -ge 3 ] || fail "the Description has no long part"
depends=$(field Depends)
for library in libc6 libstdc++6 libsdl2 libpng16; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: '$depends'"
done

# ---------------------------------------------------------------- what it holds
mkdir -p "$WORK/root"
ROOT=$(cd "$WORK/root" && pwd -P)
dpkg-deb -x "$DEB" "$ROOT" || die "dpkg-deb -x failed"
dpkg-deb -c "$DEB" >"$WORK/contents"
# Every file and folder belongs to root and is readable by all.
awk '$2 != "root/root" { print }' "$WORK/contents" >"$WORK/not-root"
[ -s "$WORK/not-root" ] && fail "not owned by root: $(head -n 3 "$WORK/not-root")"

expect_file() { [ -f "$ROOT/$1" ] || fail "the package lacks /$1"; }
# Debian's layout: the game in /usr/games, started by that path from the menu.
[ -x "$ROOT/usr/games/duskwarren" ] || fail "the package lacks the game /usr/games/duskwarren"
for program in duskwarren-replay duskwarren-lint duskwarren-tiles; do
  [ -x "$ROOT/usr/bin/$program" ] || fail "the package lacks the program /usr/bin/$program"
done
[ -e "$ROOT/usr/bin/duskwarren" ] && fail "the game is in /usr/bin as well"
DATA="$ROOT/usr/share/duskwarren"
for file in res/party.dat res/spells.dat res/rose.dat res/shops.dat drivers/mouse.bin; do
  cmp -s "$DATA/$file" "$DUSKWARREN_RUNTIME_DIR/$file" || fail "/usr/share/duskwarren/$file differs from the build's"
done
tiles=$(find "$DATA/tiles" -name '[0-9][0-9][0-9]b0808.til' | wc -l)
[ "$tiles" -eq 256 ] || fail "the package holds $tiles tile files, not 256"
[ "$(find "$DATA" -type f | wc -l)" -eq 261 ] || fail "/usr/share/duskwarren holds other files: $(find "$DATA" -type f | grep -v '/tiles/\|/res/\|mouse.bin')"
DESKTOP="$ROOT/usr/share/applications/duskwarren.desktop"
expect_file usr/share/applications/duskwarren.desktop
grep -qx 'Exec=/usr/games/duskwarren' "$DESKTOP" || fail "the menu entry does not start /usr/games/duskwarren"
METAINFO=$(ls "$ROOT"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)
[ -n "$METAINFO" ] || fail "the package holds no AppStream file in /usr/share/metainfo"
for size in 16 32 48 64 128 256; do
  icon="usr/share/icons/hicolor/${size}x${size}/apps/duskwarren.png"
  expect_file "$icon"
  [ -f "$ROOT/$icon" ] || continue
  file -b "$ROOT/$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
    fail "/$icon is not a $size x $size RGBA PNG: $(file -b "$ROOT/$icon")"
done
for page in man6/duskwarren.6 man1/duskwarren-replay.1 man1/duskwarren-lint.1 man1/duskwarren-tiles.1; do
  expect_file "usr/share/man/$page.gz"
  if [ -f "$ROOT/usr/share/man/$page.gz" ] && command -v man >/dev/null; then
    text=$(MANWIDTH=80 man -l "$ROOT/usr/share/man/$page.gz" 2>&1)
    [[ "$text" == *OPTIONS* && "$text" == *--help* ]] || fail "$page reads: ${text:0:300}"
  fi
done
for doc in README.md modding.md copyright changelog.gz; do expect_file "usr/share/doc/duskwarren/$doc"; done

# The desktop entry and the AppStream file as a desktop and a software
# centre read them.
if command -v desktop-file-validate >/dev/null; then
  report=$(desktop-file-validate "$DESKTOP" 2>&1) || fail "desktop-file-validate: $report"
  [ -z "$report" ] || fail "desktop-file-validate: $report"
else
  fail "desktop-file-validate is not installed (Debian package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  [ -n "$METAINFO" ] && { report=$(appstreamcli validate --no-net "$METAINFO" 2>&1) ||
    fail "appstreamcli validate: $report"; }
else
  fail "appstreamcli is not installed (Debian package appstream)"
fi
if [ "${DUSKWARREN_SANITIZED:-0}" = 1 ]; then
  note "a sanitizer build is no release: the package is not linted"
elif command -v lintian >/dev/null; then
  timeout -k 10 180 lintian --no-cfg "$DEB" >"$WORK/lintian.log" 2>&1
  grep '^E: ' "$WORK/lintian.log" >"$WORK/lintian-errors" && fail "lintian: $(cat "$WORK/lintian-errors")"
  note "lintian: $(grep -c '^W: ' "$WORK/lintian.log") warning(s), no error"
else
  note "lintian is not installed: the package is not linted"
fi

# ---------------------------------------------------------------- a scripted game from elsewhere
# The same keys in the build tree and, for the unpacked program, in a folder
# with no game data: the unpacked data must give the same game.
keys=$(tr -d '\n' <"$DUSKWARREN_SOURCE_DIR/tests/golden/games/walk-pickup-stairs.keys")
(cd "$DUSKWARREN_RUNTIME_DIR" && timeout -k 5 60 "$DUSKWARREN_REPLAY" --keys "$keys" \
  --trace "$WORK/build.jsonl" --screenshot "$WORK/build.png") >"$WORK/build-replay.log" 2>&1 ||
  die "the build tree's replay failed: $(cat "$WORK/build-replay.log")"
ELSEWHERE="$WORK/elsewhere"
mkdir -p "$ELSEWHERE"
(cd "$ELSEWHERE" && timeout -k 5 60 "$ROOT/usr/bin/duskwarren-replay" --keys "$keys" \
  --trace "$ELSEWHERE/installed.jsonl" --screenshot "$ELSEWHERE/installed.png") \
  >"$WORK/installed-replay.out" 2>"$WORK/installed-replay.err" ||
  fail "the unpacked replay failed: $(cat "$WORK/installed-replay.err")"
expected_note="using the game data in $ROOT/usr/share/duskwarren"
grep -qF "$expected_note" "$WORK/installed-replay.err" ||
  fail "the unpacked replay did not say it uses $ROOT/usr/share/duskwarren: $(cat "$WORK/installed-replay.err")"
[ "$(wc -l <"$WORK/installed-replay.err")" -eq 1 ] ||
  fail "the unpacked replay said more than one line: $(cat "$WORK/installed-replay.err")"
if cmp -s "$WORK/build.jsonl" "$ELSEWHERE/installed.jsonl"; then
  note "the unpacked replay plays the build tree's game ($(wc -l <"$WORK/build.jsonl") trace lines)"
else
  fail "the unpacked replay's trace differs from the build tree's: $(diff "$WORK/build.jsonl" "$ELSEWHERE/installed.jsonl" | head -n 4)"
fi
cmp -s "$WORK/build.png" "$ELSEWHERE/installed.png" || fail "the unpacked replay's last screen differs"
# It wrote nothing but what it was asked to.
[ "$(ls "$ELSEWHERE" | wc -l)" -eq 2 ] || fail "the replay left files behind: $(ls "$ELSEWHERE")"

# ---------------------------------------------------------------- the window game from $HOME
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null || [ ! -x "${WINDOW_PROBE:-}" ]; then
  note "no Xvfb, xdotool or window-probe: the window game is not started"
  [ "$FAILURES" -gt 0 ] && finish
  skip "the package passed its checks, but the window game could not be started"
fi
export HOME="$WORK/home"
mkdir -p "$HOME"
DUSKWARREN="$ROOT/usr/games/duskwarren"
require_x
replay_page '@42\r' "$WORK/compass.png"
replay_page '@42\r ' "$WORK/level.png"
start_x 1280 1024
APP_DIR="$HOME" start_app "$DUSKWARREN"
typed "@42"
press Return
expect_page "$WORK/compass.png" compass
press space
expect_page "$WORK/level.png" "first level"
press Escape
expect_exit 0 "Escape in play"
grep -qF "$expected_note" "$WORK/app.err" ||
  fail "the unpacked game did not say it uses $ROOT/usr/share/duskwarren: $(cat "$WORK/app.err")"
# (The desktop's libraries may keep caches under ~/.cache; the game itself
# writes nothing.)
[ -z "$(ls "$HOME")" ] || fail "the game left files in \$HOME: $(ls "$HOME")"
finish

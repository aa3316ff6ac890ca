#!/usr/bin/env bash
# Checks the Windows installer under wine, in a wine prefix of its own: a
# silent install into Program Files and into C:\Games\Duskwarren, each then
# uninstalled. The installer's and uninstaller's exit codes say nothing (an
# installer that cannot run under a 64-bit wine still exits 0, and the
# uninstaller goes on in a copy of itself), so the files are looked at:
#
#   - every file of the zip's folder is installed, byte for byte, with the
#     uninstaller, a Start-menu and a desktop shortcut to the game with its
#     icon, and the entry in the list of installed programs;
#   - the uninstaller takes all of that away, leaves a file the player put in
#     the game's folder (and so the folder), and never touches the player's
#     settings and runs in %APPDATA%\Duskwarren and %LOCALAPPDATA%\Duskwarren.
#
#   packaging/windows/check-install.sh [SETUP.exe ZIP]
#
# (default: build/package/duskwarren-<version>-setup.exe and -win64.zip, as
# scripts/package-windows.sh makes them). Exits non-zero when a check fails.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
source tests/support/checks.sh
source tests/support/wine.sh

version=$(sed -nE 's/^project\(Duskwarren VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
setup=$(realpath "${1:-build/package/duskwarren-$version-setup.exe}")
zip=$(realpath "${2:-build/package/duskwarren-$version-win64.zip}")
[ -f "$setup" ] && [ -f "$zip" ] || die "no $setup or $zip: run scripts/package-windows.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/duskwarren-setup.XXXXXX")
trap 'wine_prefix_remove; rm -rf "$WORK"' EXIT
unzip -q "$zip" -d "$WORK/zip" || die "cannot unpack $zip"
expected=$(echo "$WORK"/zip/*/)
unset DISPLAY
wine_prefix_new

# A Windows folder of the prefix as a path here.
unix_path() {
  winepath -u "$(wine cmd /c "echo $1" | tr -d '\r')"
}

# The player's settings and a run, as the game keeps them.
appdata=$(unix_path '%APPDATA%')
localappdata=$(unix_path '%LOCALAPPDATA%')
mkdir -p "$appdata/Duskwarren" "$localappdata/Duskwarren/recordings"
run=2026-12-01-100000-seed7.dwrec
echo "view-4-3 = on" >"$appdata/Duskwarren/settings"
echo "a run" >"$localappdata/Duskwarren/recordings/$run"

shortcuts() {
  find "$WINEPREFIX/drive_c" -name Duskwarren.lnk
}

uninstall_entry() {
  grep -c 'CurrentVersion\\\\Uninstall\\\\Duskwarren\]' "$WINEPREFIX/system.reg"
}

# check_installed DIR: DIR holds the zip's files, the uninstaller, and the
# shortcuts and the uninstall entry are there.
check_installed() {
  local dir=$1 file missing=0 link
  while read -r file; do
    cmp -s "$expected/$file" "$dir/$file" || missing=$((missing + 1))
  done < <(cd "$expected" && find . -type f)
  [ "$missing" -eq 0 ] && note "all $(cd "$expected" && find . -type f | wc -l) files installed" ||
    fail "$missing files missing or different in $dir"
  [ -f "$dir/uninstall.exe" ] || fail "no uninstall.exe"
  [ "$(shortcuts | wc -l)" -eq 2 ] || fail "not a Start-menu and a desktop shortcut: $(shortcuts)"
  while read -r link; do
    strings -el "$link" | grep -q 'duskwarren\.exe' || fail "$link does not start duskwarren.exe"
    strings -el "$link" | grep -q 'duskwarren\.ico' || fail "$link has not the game's icon"
  done < <(shortcuts)
  [ "$(uninstall_entry)" -eq 1 ] || fail "no entry in the list of installed programs"
}

# install_uninstall WINDOWS_DIR [PLAYER_FILE]: installs into WINDOWS_DIR
# (default: Program Files), checks, puts PLAYER_FILE into the game's
# folder when given, uninstalls and checks what is left.
install_uninstall() {
  local windir=$1 player_file=${2:-} dir status=0
  wine_run 180 "$setup" /S ${windir:+"/D=$windir"} || status=$?
  wine_wait 60
  dir=$(unix_path "${windir:-%ProgramFiles%\\Duskwarren}")
  note "installed into $dir (the installer said $status)"
  check_installed "$dir"
  [ -f "$dir/uninstall.exe" ] || return
  [ -n "$player_file" ] && echo "mine" >"$dir/$player_file"
  status=0
  wine_run 180 "$dir/uninstall.exe" /S || status=$?
  wine_wait 60
  note "uninstalled (the uninstaller said $status)"
  if [ -n "$player_file" ]; then
    [ "$(find "$dir" -mindepth 1 2>/dev/null)" = "$dir/$player_file" ] ||
      fail "the game's folder should hold only the player's file: $(find "$dir" 2>&1 | head)"
  else
    [ ! -e "$dir" ] || fail "the game's folder is left: $(find "$dir" | head)"
  fi
  [ -z "$(shortcuts)" ] || fail "shortcuts are left: $(shortcuts)"
  [ "$(uninstall_entry)" -eq 0 ] || fail "the uninstall entry is left"
  [ "$(cat "$appdata/Duskwarren/settings")" = "view-4-3 = on" ] || fail "the settings are gone"
  [ "$(cat "$localappdata/Duskwarren/recordings/$run")" = "a run" ] || fail "the player's run is gone"
}

install_uninstall "" "my-picture.png"
install_uninstall 'C:\Games\Duskwarren'
if [ "$FAILURES" -gt 0 ]; then
  echo "$FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"

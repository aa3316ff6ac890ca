#!/usr/bin/env bash
# Builds the Windows release: the windows preset's four programs with the
# game's data, packed as
#
#   build/package/duskwarren-<version>-win64.zip   a folder duskwarren-<version>\
#                                                  to unpack and play from
#   build/package/duskwarren-<version>-setup.exe   an installer (NSIS, 64-bit)
#
# The folder holds duskwarren.exe, duskwarren-replay.exe, duskwarren-lint.exe
# and duskwarren-tiles.exe (stripped, importing only system DLLs), res\,
# tiles\, drivers\, README.txt, LICENSE.txt and COPYRIGHT.txt (with Windows
# line ends) and duskwarren.ico. The installer installs the same into
# Program Files, with a Start-menu shortcut and an optional desktop shortcut
# (packaging/windows/duskwarren.nsi).
#
#   scripts/package-windows.sh [--game-dir DIR] [--stand-in EXE]
#
#   --game-dir DIR  take res\, tiles\ and drivers\ from the game folder DIR
#                   (default: the windows build's, build/windows/game)
#   --stand-in EXE  pack EXE under each program's name instead of building
#                   them, to try the packaging alone; needs --game-dir (a
#                   Linux build's game folder, say build/ci/game)
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  sed -n '/^#   scripts/,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}

game_dir=""
stand_in=""
while [ $# -gt 0 ]; do
  case "$1" in
    --game-dir) [ $# -ge 2 ] || usage; game_dir=$2; shift 2 ;;
    --stand-in) [ $# -ge 2 ] || usage; stand_in=$2; shift 2 ;;
    *) usage ;;
  esac
done

programs=(duskwarren duskwarren-replay duskwarren-lint duskwarren-tiles)
version=$(sed -nE 's/^project\(Duskwarren VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }
name=duskwarren-$version
out=build/package
stage_root=$out/windows
stage=$stage_root/$name

scripts/install-windows-deps.sh
if [ -n "$stand_in" ]; then
  [ -f "$stand_in" ] || { echo "no stand-in program $stand_in" >&2; exit 1; }
  [ -n "$game_dir" ] || { echo "--stand-in needs --game-dir (say, build/ci/game)" >&2; exit 1; }
  echo "Packing $stand_in in place of the programs"
else
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"${JOBS:-2}" --target "${programs[@]}" game_data game_tiles
  game_dir=${game_dir:-build/windows/game}
fi
for dir in res tiles drivers; do
  [ -d "$game_dir/$dir" ] || { echo "no $dir/ in the game folder $game_dir" >&2; exit 1; }
done

# Only the system's own DLLs: whatever else an .exe imports would be missing
# on a player's machine.
system_dlls='^(advapi32|bcrypt|comdlg32|dinput8|dwmapi|gdi32|imm32|kernel32|msvcrt|ole32|oleaut32|setupapi|shell32|shlwapi|user32|version|winmm|ws2_32)\.dll$'
check_imports() {
  local dll bad=0
  for dll in $(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -qE "$system_dlls"; then
      echo "$1 imports $dll, which is not a system DLL" >&2
      bad=1
    fi
  done
  return $bad
}

# ---------------------------------------------------------------- the folder
rm -rf "$stage_root"
mkdir -p "$stage"
for program in "${programs[@]}"; do
  exe=${stand_in:-build/windows/game/$program.exe}
  x86_64-w64-mingw32-strip -o "$stage/$program.exe" "$exe"
  check_imports "$stage/$program.exe"
done
mkdir -p "$stage/res" "$stage/tiles" "$stage/drivers"
cp "$game_dir"/res/*.dat "$stage/res/"
cp "$game_dir"/drivers/mouse.bin "$stage/drivers/"
cp "$game_dir"/tiles/[0-9][0-9][0-9]b0808.til "$stage/tiles/"
[ "$(ls "$stage/tiles" | wc -l)" -eq 256 ] || { echo "$game_dir/tiles/ does not hold the 256 tiles" >&2; exit 1; }
# Texts with Windows line ends, named so that a double click opens them.
for text in README.md:README.txt LICENSE:LICENSE.txt COPYRIGHT:COPYRIGHT.txt; do
  sed 's/\r$//; s/$/\r/' "${text%%:*}" >"$stage/${text##*:}"
done
cp packaging/windows/duskwarren.ico "$stage/"
# The same files give the same archive: every date is the last commit's.
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
find "$stage" -exec touch -h -d "@$stamp" {} +

zip=$out/$name-win64.zip
rm -f "$zip.tmp"
(cd "$stage_root" && find "$name" -print | LC_ALL=C sort | zip -X -q -@ "../$name-win64.zip.tmp")
mv -f "$zip.tmp" "$zip"

# ---------------------------------------------------------------- the installer
# install-files.nsh puts each file in place; uninstall-files.nsh deletes
# each, then each folder that is left empty, deepest first.
lists=$stage_root/nsis
mkdir -p "$lists"
if grep -q '[$"]' <(cd "$stage" && find . -mindepth 1); then
  echo "a file name in $stage holds \$ or \": the installer's lists cannot name it" >&2
  exit 1
fi
{
  (cd "$stage" && find . -type d | LC_ALL=C sort) | while read -r dir; do
    win=${dir#.}
    echo "SetOutPath \"\$INSTDIR${win//\//\\}\""
    (cd "$stage/$dir" && find . -maxdepth 1 -type f | LC_ALL=C sort) | while read -r file; do
      echo "File \"$(realpath "$stage/$dir/$file")\""
    done
  done
} >"$lists/install-files.nsh"
{
  (cd "$stage" && find . -type f | LC_ALL=C sort) | while read -r file; do
    win=${file#.}
    echo "Delete \"\$INSTDIR${win//\//\\}\""
  done
  (cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r) | while read -r dir; do
    win=${dir#.}
    echo "RMDir \"\$INSTDIR${win//\//\\}\""
  done
} >"$lists/uninstall-files.nsh"

setup=$out/$name-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$(realpath "$stage")" \
  -DFILES="$(realpath "$lists")" -DOUTFILE="$(realpath "$setup").tmp" packaging/windows/duskwarren.nsi
mv -f "$setup.tmp" "$setup"

for file in "$zip" "$setup"; do
  echo "package: $file ($(du -k "$file" | cut -f1) KiB)"
done

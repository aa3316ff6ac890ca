#!/usr/bin/env bash
# Installs the Debian packages Duskwarren needs to build, play and test,
# and nothing when they are all there already. Packages named on the
# command line are installed instead of the usual list (the browser build's
# script uses this).
set -euo pipefail

packages=(
  build-essential cmake pkg-config g++ clang libclang-rt-14-dev
  libsdl2-dev libpng-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool openbox x11-apps x11-utils imagemagick python3 valgrind
  dpkg-dev file help2man desktop-file-utils appstream lintian
  tmux strace
)
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

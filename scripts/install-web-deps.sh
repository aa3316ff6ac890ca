#!/usr/bin/env bash
# Installs what the browser build and its tests need, and nothing that is
# there already: Debian's emscripten and chromium, node and npm when missing,
# and the pinned browser-test packages (npm ci in tests/browser). No browser
# or compiler is downloaded from anywhere else.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(emscripten chromium python3)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests' own packages, exactly as locked.
if [ "${1:-}" != "--no-tests" ]; then
  npm ci --prefix tests/browser --no-audit --no-fund
fi

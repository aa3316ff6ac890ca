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

scripts/install-deps.sh "${packages[@]}"

# The tests' own packages, exactly as locked.
if [ "${1:-}" != "--no-tests" ]; then
  npm ci --prefix tests/browser --no-audit --no-fund
fi

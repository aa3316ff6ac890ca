#!/usr/bin/env bash
# Installs what is missing, builds Duskwarren and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
cd build/release/game
exec ./duskwarren "$@"

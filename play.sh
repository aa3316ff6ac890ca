#!/usr/bin/env bash
# Installs what is missing, builds the game (with its data and tiles, and
# nothing else) and starts it; arguments go to the game (./play.sh --help).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset play >/dev/null
cmake --build --preset play -j"$(nproc)"
cd build/play/game
exec ./duskwarren "$@"

#!/usr/bin/env bash
# Installs what is missing, builds Duskwarren with warnings as errors and
# runs every test (the window tests run in a virtual X server).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$(nproc)"
ctest --preset ci -j"$(nproc)" "$@"

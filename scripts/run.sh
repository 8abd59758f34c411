#!/usr/bin/env bash
# Installs the Debian packages, builds the app and launches it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${ZENTU_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTU_BUILD_TESTS=OFF -DZENTU_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target zentu
exec "$build/src/zentu" "$@"

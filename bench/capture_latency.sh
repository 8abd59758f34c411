#!/usr/bin/env bash
# Hotkey -> overlay visible on screen, hotkey -> overlay mapped and hotkey ->
# PNG of the real program on its own 1920x1080 Xvfb (openbox, tint2), 9 runs
# each (read the medians). Usage: bench/capture_latency.sh [build dir]
# (env: ZENTU_BINARY times another build of the program)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
export ZENTU_BINARY="${ZENTU_BINARY:-$build/src/zentu}"
export ZENTU_XVFB_SCREEN="${ZENTU_XVFB_SCREEN:-1920x1080x24}"
exec "$here/../tests/support/with-x11.sh" bash -c "setxkbmap -model pc105 -layout us && exec '$build/bench/bench_capture_latency'"

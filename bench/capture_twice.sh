#!/usr/bin/env bash
# Two full-screen captures in a row in the real program, on its own 1920x1080
# Xvfb (openbox, tint2): hotkey -> PNG on disk for a capture with nothing of
# ours on screen, and for one pressed as soon as the previous capture's PNG is
# written, while its toast still shows. 9 runs each (read the medians; the
# second must be as fast as the first). Usage: bench/capture_twice.sh [build dir]
# (env: ZENTU_BINARY times another build of the program)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
export ZENTU_BINARY="${ZENTU_BINARY:-$build/src/zentu}"
export ZENTU_XVFB_SCREEN="${ZENTU_XVFB_SCREEN:-1920x1080x24}"
exec "$here/../tests/support/with-x11.sh" bash -c \
  "setxkbmap -model pc105 -layout us && exec '$build/bench/bench_capture_latency' --benchmark_filter='firstCapture|secondCaptureRightAfter'"

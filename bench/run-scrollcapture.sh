#!/usr/bin/env bash
# Runs the scrolling-capture benchmark on its own Xvfb display with openbox.
# Usage: bench/run-scrollcapture.sh [build-dir]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
exec "$here/../tests/support/with-x11.sh" "$build/bench/bench_scrollcapture"

#!/usr/bin/env bash
# Runs the scrolling-capture benchmark on its own Xvfb display with openbox:
# the test list, and Debian's Chromium, Evince and xterm where installed.
# Reports seconds per screen and accuracy for each.
# Usage: bench/run-scrollcapture.sh [build-dir] [benchmark filter]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
filter="${2:-.}"
exec "$here/../tests/support/with-x11.sh" "$build/bench/bench_scrollcapture" --benchmark_filter="$filter" \
  --benchmark_counters_tabular=true

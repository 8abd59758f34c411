#!/usr/bin/env bash
# Runs the scrolling-capture benchmark on its own Xvfb display with openbox:
# the test list, and Debian's Chromium, Firefox ESR, Evince, xterm, zenity and
# Mousepad where installed. Reports, per application, seconds per screen of
# output (from the start of the scroll loop to the PNG on disk) and the items
# found once, whole and in order, of how many.
# Usage: bench/run-scrollcapture.sh [build-dir] [benchmark filter]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
filter="${2:-.}"
exec "$here/../tests/support/with-x11.sh" "$build/bench/bench_scrollcapture" --benchmark_filter="$filter" \
  --benchmark_counters_tabular=true

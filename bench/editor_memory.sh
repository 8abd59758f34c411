#!/usr/bin/env bash
# Memory the real program gives back after editing, read from outside as a
# user's tools would (/proc): on its own Xvfb + openbox + tint2, the program is
# started in fresh folders and left to settle; then used as before a first edit
# (the tray panel opened and closed, the capture overlay opened, aimed and
# cancelled: both draw text, as everything a user does before an editor opens
# does); then full-screen captures (Super+Shift+6) each open the editor on the
# capture, which is closed again (Alt+F4, as a user would). Memory is read at
# rest after the start, after that first use, 60 s after the first editor
# closed, and 60 s and 120 s after the tenth: RSS and private dirty memory each
# time, and how far the later readings lie from the first three (the used state
# is what a user has right before an editor opens; what the first editor
# leaves, its code paged in, stays; ten leave no more than one). Last, the
# mappings that grew since the used state, by name (a library's code, a font
# file, the heap), say what holds the rest.
# Usage: bench/editor_memory.sh [path/to/zentu]   (env: EDITORS=10 SETTLE=15 AFTER=60 SCREEN=1920x1080x24;
# SMAPS_DIR=folder keeps /proc/<pid>/smaps at each reading, to compare mappings)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=$(realpath "${1:-$here/../build/src/zentu}")
if [[ "${ZENTU_BENCH_INNER:-}" != 1 ]]; then
  ZENTU_BENCH_INNER=1 ZENTU_XVFB_SCREEN="${SCREEN:-1920x1080x24}" exec "$here/../tests/support/with-x11.sh" "$0" "$binary"
fi

editors=${EDITORS:-10}
settle=${SETTLE:-15}
after=${AFTER:-60}
work=$(mktemp -d)
trap 'kill -TERM "${pid:-0}" 2>/dev/null && wait "$pid" 2>/dev/null; rm -rf "$work"' EXIT

source "$here/fresh-env.sh"
source "$here/proc-probe.sh"
readings=0
reading() { # label
  memory "$pid" "$1"
  readings=$((readings + 1))
  cat "/proc/$pid/smaps" > "$work/$readings.smaps"
  if [[ -n "${SMAPS_DIR:-}" ]]; then
    mkdir -p "$SMAPS_DIR"; cp "$work/$readings.smaps" "$SMAPS_DIR/"
  fi
}
# Rss and Private_Dirty per mapping name (a file's name, [heap], [anon] for the
# unnamed ones) in two readings: those that grew by 64 kB or more.
grown_mappings() {
  awk 'FNR == 1 { reading++ }
       /^[0-9a-f]+-[0-9a-f]+ / { name = $6 == "" ? "[anon]" : $6; sub(/.*\//, "", name); name = name " " $2; next }
       /^Rss:/ { rss[name, reading] += $2; names[name] = 1 }
       /^Private_Dirty:/ { dirty[name, reading] += $2 }
       END {
         for (n in names) {
           dr = rss[n, 2] - rss[n, 1]; dd = dirty[n, 2] - dirty[n, 1]
           if (dr >= 64 || dd >= 64) printf "%8d %8d  %s\n", dr, dd, n
         }
       }' "$1" "$2" | sort -rn | awk 'BEGIN { print "grown since the start (kB):   RSS  private dirty  mapping" } { printf "  %8d %8d  %s %s\n", $1, $2, $3, $4 }'
}

editor_windows() { xdotool search --all --onlyvisible --pid "$pid" --name '^Zentu\.it Editor$' 2>/dev/null || true; }
one_editor() { [[ $(editor_windows | wc -l) -eq 1 ]]; }
no_editor() { [[ -z "$(editor_windows)" ]]; }

setxkbmap -model pc105 -layout us 2>/dev/null || true
sync "$binary" 2>/dev/null || true
until_true 10 test -n "$(tray_hosts)" || true

fresh_env "$work/run"
${ZENTU_BENCH_ENV:-} "$binary" 2>/dev/null &
pid=$!
until_true 30 embedded "$pid" || { echo "no tray icon after 30 s"; exit 1; }
sleep "$settle"
reading "fresh start"
rss0=$(rss_kb "$pid"); dirty0=$(private_dirty_kb "$pid")
use_app "$pid"
sleep "$after"
reading "used, before the first editor"
rssu=$(rss_kb "$pid"); dirtyu=$(private_dirty_kb "$pid")

edit_once() { # n
  xdotool mousemove 900 500
  xdotool key super+shift+6
  until_true 20 one_editor || { echo "editor $1 did not open"; exit 1; }
  local window
  window=$(editor_windows | head -1)
  # The picture settles on screen before the user closes the window again.
  sleep 1
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool key alt+F4
  until_true 20 no_editor || { echo "editor $1 did not close"; exit 1; }
}
compare() { # label, rss kB, dirty kB
  awk -v label="$1" -v r0="$2" -v r1="$rss" -v d0="$3" -v d1="$dirty" 'BEGIN {
    printf "%s: RSS %.1f -> %.1f MB (%+.1f %%), private dirty %.1f -> %.1f MB (%+.1f %%)\n",
           label, r0 / 1024, r1 / 1024, 100 * (r1 - r0) / r0, d0 / 1024, d1 / 1024, 100 * (d1 - d0) / d0 }'
}

edit_once 1
sleep "$after"
reading "${after} s after the first editor closed"
rss1=$(rss_kb "$pid"); dirty1=$(private_dirty_kb "$pid")
for i in $(seq 2 "$editors"); do edit_once "$i"; done
reading "right after the last editor closed"
sleep "$after"
reading "${after} s after the last editor closed"
rss=$(rss_kb "$pid"); dirty=$(private_dirty_kb "$pid")
compare "$editors editors, $after s after, against the fresh start" "$rss0" "$dirty0"
compare "$editors editors, $after s after, against the used state" "$rssu" "$dirtyu"
compare "$editors editors, $after s after, against one" "$rss1" "$dirty1"
sleep "$after"
reading "$((2 * after)) s after the last editor closed"
rss=$(rss_kb "$pid"); dirty=$(private_dirty_kb "$pid")
compare "$editors editors, $((2 * after)) s after, against the fresh start" "$rss0" "$dirty0"
compare "$editors editors, $((2 * after)) s after, against the used state" "$rssu" "$dirtyu"
compare "$editors editors, $((2 * after)) s after, against one" "$rss1" "$dirty1"
grown_mappings "$work/2.smaps" "$work/$readings.smaps"

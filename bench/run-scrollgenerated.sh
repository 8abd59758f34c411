#!/usr/bin/env bash
# Runs the scrolling capture on generated pages in Chromium and Firefox ESR,
# each share of the seeds on its own Xvfb display with openbox, and prints the
# share complete, the share honest and seconds per screen per browser and pick.
# Usage: bench/run-scrollgenerated.sh [build-dir] [seeds per browser] [shards] [window|section|both|inner]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
seeds="${2:-200}"
shards="${3:-2}"
picks="${4:-window}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
per=$(( (seeds + shards - 1) / shards ))
pids=()
for ((i = 0; i < shards; i++)); do
  first=$(( 1 + i * per ))
  count=$(( per < seeds - i * per ? per : seeds - i * per ))
  (( count > 0 )) || break
  "$here/../tests/support/with-x11.sh" "$build/bench/bench_scrollgenerated" "$first" "$count" both "$picks" \
    > "$out/shard$i.txt" 2>&1 &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || true; done
# Every capture line, then the shares over all shards.
cat "$out"/shard*.txt | grep -E '^(chromium|firefox) (window|section|inner) seed' | sort -t' ' -k4,4n
cat "$out"/shard*.txt | awk '
  $1 == "RESULT" {
    for (i = 0; i < 2; i++) {
      k = i ? $2 : $2 " " $3
      n[k]++; c[k] += $5; h[k] += $6; s[k] += $7; sc[k] += $8
    }
  }
  END {
    print ""
    for (k in n) printf "%-18s %4d captures  complete %5.1f %%  honest %5.1f %%  %.2f s per screen\n", k, n[k], 100*c[k]/n[k], 100*h[k]/n[k], (sc[k] > 0 ? s[k]/sc[k] : 0)
  }' | sort

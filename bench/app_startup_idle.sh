#!/usr/bin/env bash
# Start-up and idle cost of the real program on its own Xvfb + openbox + tint2:
#  - time from process start to the tray icon embedded in tint2's tray (several runs),
#  - CPU time and memory (RSS, PSS) over an idle period with the app's timers running.
# Usage: bench/app_startup_idle.sh [path/to/zentu]   (env: RUNS=5 IDLE_SECONDS=60)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=$(realpath "${1:-$here/../build/src/zentu}")
if [[ "${ZENTU_BENCH_INNER:-}" != 1 ]]; then
  ZENTU_BENCH_INNER=1 exec "$here/../tests/support/with-x11.sh" "$0" "$binary"
fi

runs=${RUNS:-5}
idle=${IDLE_SECONDS:-60}
tick=$(getconf CLK_TCK)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$here/fresh-env.sh"

tray_hosts() { xdotool search --class tint2 2>/dev/null || true; }

embedded() { # pid -> true when one of its windows sits inside tint2
  local ids host
  ids=$(xdotool search --pid "$1" 2>/dev/null | while read -r w; do printf '0x%x\n' "$w"; done) || true
  [[ -z "$ids" ]] && return 1
  for host in $(tray_hosts); do
    if xwininfo -tree -id "$host" 2>/dev/null | grep -qiF -f <(echo "$ids"); then return 0; fi
  done
  return 1
}

for _ in $(seq 1 200); do [[ -n "$(tray_hosts)" ]] && break; sleep 0.05; done

times=()
for run in $(seq 1 "$runs"); do
  fresh_env "$work/run$run"
  start=$(date +%s%N)
  "$binary" 2>/dev/null &
  pid=$!
  until embedded "$pid"; do
    if (( ($(date +%s%N) - start) > 20000000000 )); then echo "run $run: no tray icon after 20 s"; exit 1; fi
    sleep 0.005
  done
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  times+=("$ms")
  echo "run $run: tray icon embedded after ${ms} ms"
  if (( run < runs )); then kill -TERM "$pid"; wait "$pid" || true; fi
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
echo "start -> tray icon: median $(echo "$sorted" | sed -n "$(( (runs + 1) / 2 ))p") ms, min $(echo "$sorted" | head -1) ms, max $(echo "$sorted" | tail -1) ms"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
sleep 5 # let start-up work settle
t0=$(cpu_ticks "$pid"); w0=$(date +%s%N)
sleep "$idle"
t1=$(cpu_ticks "$pid"); w1=$(date +%s%N)
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
pss=$(awk '/^Pss:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null || echo "?")
awk -v dt="$(( t1 - t0 ))" -v tick="$tick" -v wall="$(( (w1 - w0) / 1000000 ))" 'BEGIN {
  cpu = dt / tick; printf "idle %.1f s: CPU %.3f s = %.3f %%\n", wall / 1000, cpu, 100 * cpu / (wall / 1000) }'
echo "memory: RSS $(( rss / 1024 )) MB (peak $(( hwm / 1024 )) MB), PSS $(( pss / 1024 )) MB"
grep -c . "$XDG_DATA_HOME/Zentu.it/debug.log" | xargs -I{} echo "debug.log lines after idle: {}"
kill -TERM "$pid"; wait "$pid" || true

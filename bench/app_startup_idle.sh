#!/usr/bin/env bash
# Start-up and rest cost of the real program on its own Xvfb + openbox + tint2,
# read from outside as a user's tools would (/proc):
#  - time from process start to the tray icon embedded in tint2's tray (several runs),
#  - memory 5 s after start: RSS as ps shows it, PSS, and private dirty memory
#    (what the process alone costs), from /proc/<pid>/status and smaps_rollup,
#  - CPU time and wake-ups over the idle window 20-60 s after start.
# With USE=1 the last run is used before the idle window (tray panel opened and
# closed, an interactive capture started and cancelled) and its memory is read
# again afterwards.
# Usage: bench/app_startup_idle.sh [path/to/zentu]   (env: RUNS=5 IDLE_FROM=20 IDLE_TO=60 USE=0)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=$(realpath "${1:-$here/../build/src/zentu}")
if [[ "${ZENTU_BENCH_INNER:-}" != 1 ]]; then
  ZENTU_BENCH_INNER=1 exec "$here/../tests/support/with-x11.sh" "$0" "$binary"
fi

runs=${RUNS:-5}
idle_from=${IDLE_FROM:-20}
idle_to=${IDLE_TO:-60}
tick=$(getconf CLK_TCK)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$here/fresh-env.sh"
source "$here/proc-probe.sh"

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

sleep_until() { # seconds after $start
  local left=$(( start + $1 * 1000000000 - $(date +%s%N) ))
  (( left > 0 )) && sleep "$(awk -v ns="$left" 'BEGIN { printf "%.3f", ns / 1e9 }')"
  return 0
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
wakeups() { # pid -> one line per thread: id and context switches so far
  local task
  for task in /proc/"$1"/task/*; do
    awk -v id="${task##*/}" '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print id, n }' "$task/status" 2>/dev/null
  done
}
run_ns() { # pid -> one line per thread: id and nanoseconds on a CPU so far (finer than the ticks)
  local task
  for task in /proc/"$1"/task/*; do
    awk -v id="${task##*/}" '{ print id, $1 }' "$task/schedstat" 2>/dev/null
  done
}
woken() { # per-thread counts before, after -> how many happened in between (threads started since count whole)
  awk 'NR == FNR { before[$1] = $2; next } { n += $2 - ($1 in before ? before[$1] : 0) } END { print n + 0 }' \
    <(echo "$1") <(echo "$2")
}

setxkbmap -model pc105 -layout us 2>/dev/null || true
# A freshly linked program's pages are still dirty in the page cache and would
# count as its private dirty memory.
sync "$binary" 2>/dev/null || true
until_true 10 test -n "$(tray_hosts)" || true

times=()
for run in $(seq 1 "$runs"); do
  fresh_env "$work/run$run"
  start=$(date +%s%N)
  "$binary" 2>/dev/null &
  pid=$!
  if ! until_true 20 embedded "$pid"; then echo "run $run: no tray icon after 20 s"; exit 1; fi
  times+=("$(ms_since "$start")")
  echo "run $run: tray icon embedded after ${times[-1]} ms"
  if (( run < runs )); then kill -TERM "$pid"; wait "$pid" || true; fi
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
echo "start -> tray icon: median $(echo "$sorted" | sed -n "$(( (runs + 1) / 2 ))p") ms, min $(echo "$sorted" | head -1) ms, max $(echo "$sorted" | tail -1) ms"

sleep_until 5
memory "$pid" "5 s after start"
if [[ "${USE:-0}" == 1 ]]; then
  use_app "$pid"
  sleep 2
  memory "$pid" "after use"
fi

sleep_until "$idle_from"
t0=$(cpu_ticks "$pid"); s0=$(wakeups "$pid"); n0=$(run_ns "$pid"); w0=$(date +%s%N)
sleep_until "$idle_to"
t1=$(cpu_ticks "$pid"); s1=$(wakeups "$pid"); n1=$(run_ns "$pid"); w1=$(date +%s%N)
awk -v dt="$(( t1 - t0 ))" -v tick="$tick" -v wall="$(( (w1 - w0) / 1000000 ))" -v sw="$(woken "$s0" "$s1")" \
    -v ns="$(woken "$n0" "$n1")" -v from="$idle_from" -v to="$idle_to" 'BEGIN {
  cpu = dt / tick; s = wall / 1000
  printf "idle %d-%d s after start: CPU %.3f s = %.3f %% of one core (/proc/<pid>/stat); %.1f ms = %.4f %% (schedstat); %.1f wake-ups/s\n",
         from, to, cpu, 100 * cpu / s, ns / 1e6, 100 * ns / 1e9 / s, sw / s }'
memory "$pid" "at the end"
grep -c . "$XDG_DATA_HOME/Zentu.it/debug.log" | xargs -I{} echo "debug.log lines after idle: {}"
kill -TERM "$pid"; wait "$pid" || true

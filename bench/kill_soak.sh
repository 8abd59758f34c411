#!/usr/bin/env bash
# Crash soak of the real program on its own Xvfb + openbox + tint2: start it,
# take full-screen captures (Super+Shift+6) and let another program change the
# clipboard at random intervals, kill -9 it at a random moment, start it again
# on the same data folder, and so on. While it runs, an observer reads both
# history files every few milliseconds. Checked:
#  - at every observation and after every kill, each record on disk has its
#    picture (screenshots also their thumbnail);
#  - nothing that was ever on disk (acknowledged) is missing after a kill or
#    after the next start (the histories stay below their limits, so nothing
#    is trimmed);
#  - no start reports an unreadable history or a missing picture.
# Captures and copies that never reached the disk (in flight at a kill, or
# several copies within one 0.4 s poll, of which only the last is recorded)
# are counted, not errors.
# Usage: bench/kill_soak.sh [build dir]   (env: RUNS=25, SEED)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
if [[ "${ZENTU_SOAK_INNER:-}" != 1 ]]; then
  ZENTU_SOAK_INNER=1 exec "$here/../tests/support/with-x11.sh" "$0" "$build"
fi

runs=${RUNS:-25}
RANDOM=${SEED:-$$}
binary="$build/src/zentu"
owner="$build/tests/clipboard_owner"
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
setxkbmap -model pc105 -layout us

source "$here/fresh-env.sh"
fresh_env "$work"
base="$XDG_DATA_HOME/Zentu.it"
seen="$work/seen.json"
echo '{}' > "$seen"

# observe <seen file> <stop file>: records every id seen on disk, and fails on a
# record whose picture is missing.
observe() {
  python3 - "$base" "$1" "$2" <<'PY'
import json, os, sys, time
base, seenPath, stop = sys.argv[1:4]
seen = json.load(open(seenPath))
problems = []
def look():
    for name in ("screenshots.json", "clipboard.json"):
        try:
            records = json.load(open(os.path.join(base, name)))
        except (OSError, ValueError):
            continue
        for r in records:
            if name == "screenshots.json":
                files = [os.path.join(base, "Screenshots", r["fileName"]),
                         os.path.join(base, "Thumbnails", r.get("thumbnailFileName", r["fileName"]))]
            else:
                files = [os.path.join(base, "ClipboardImages", r["imageFileName"])] if r["type"] == "image" else []
            for f in files:
                if not os.path.exists(f):
                    problems.append("record names a missing picture: " + f)
            seen[r["id"]] = name
while not os.path.exists(stop):
    look()
    time.sleep(0.005)
look()
json.dump(seen, open(seenPath, "w"))
if problems:
    print("\n".join(sorted(set(problems))))
    sys.exit(1)
PY
}

# missing <seen file>: ids seen on disk that are no longer there.
missing() {
  python3 - "$base" "$1" <<'PY'
import json, os, sys
base, seenPath = sys.argv[1:3]
seen = json.load(open(seenPath))
present = set()
for name in ("screenshots.json", "clipboard.json"):
    try:
        present |= {r["id"] for r in json.load(open(os.path.join(base, name)))}
    except (OSError, ValueError):
        pass
lost = [i for i in seen if i not in present]
print(len(lost))
PY
}

count_records() { python3 -c "import json,sys; print(len(json.load(open(sys.argv[1]))))" "$1" 2>/dev/null || echo 0; }

captures=0 copies=0 violations=0 inflight_shots=0 inflight_copies=0
owner_pid=""
for run in $(seq 1 "$runs"); do
  "$binary" > "$work/app.log" 2>&1 &
  app=$!
  deadline=$((SECONDS + 30))
  until grep -q "Hotkey registriert action=openClipboard" "$base/debug.log" 2>/dev/null; do
    (( SECONDS < deadline )) || { echo "run $run: no start"; exit 1; }
    sleep 0.05
  done
  if grep -E "nicht lesbar|Bild fehlt" "$base/debug.log"; then
    echo "run $run: the start reported damage"; violations=$((violations + 1))
  fi
  if [[ $(missing "$seen") != 0 ]]; then
    echo "run $run: the start lost acknowledged records"; violations=$((violations + 1))
  fi

  rm -f "$work/stop"
  observe "$seen" "$work/stop" > "$work/observer.out" &
  observer=$!
  shots_before=$(count_records "$base/screenshots.json")
  texts_before=$(count_records "$base/clipboard.json")
  asked_shots=0 asked_copies=0
  # 2 to 8 actions, 50 to 600 ms apart; the kill comes 0 to 800 ms after the last.
  for _ in $(seq 1 $((2 + RANDOM % 7))); do
    if (( RANDOM % 2 )); then
      xdotool keydown Super_L keydown Shift_L key 15 keyup Shift_L keyup Super_L
      asked_shots=$((asked_shots + 1))
    else
      exec {feed}> >("$owner" text "soak $run-$RANDOM-$RANDOM" > /dev/null 2>&1)
      [[ -n "$owner_pid" ]] && eval "exec ${owner_pid}>&-"
      owner_pid=$feed
      asked_copies=$((asked_copies + 1))
    fi
    sleep "0.$(printf '%03d' $((50 + RANDOM % 550)))"
  done
  sleep "0.$(printf '%03d' $((RANDOM % 800)))"
  if ! kill -9 "$app" 2>/dev/null; then
    echo "run $run: the program ended by itself"; tail -20 "$work/app.log"; violations=$((violations + 1))
  fi
  wait "$app" 2>/dev/null || true
  touch "$work/stop"
  if ! wait "$observer"; then
    cat "$work/observer.out"; violations=$((violations + 1))
  fi
  lost=$(missing "$seen")
  if [[ "$lost" != 0 ]]; then
    echo "run $run: $lost acknowledged records lost by the kill"; violations=$((violations + 1))
  fi
  shots_after=$(count_records "$base/screenshots.json")
  texts_after=$(count_records "$base/clipboard.json")
  captures=$((captures + asked_shots)) copies=$((copies + asked_copies))
  inflight_shots=$((inflight_shots + asked_shots - (shots_after - shots_before)))
  inflight_copies=$((inflight_copies + asked_copies - (texts_after - texts_before)))
  echo "run $run: $asked_shots captures, $asked_copies copies asked; on disk after kill -9: $shots_after screenshots, $texts_after clipboard entries"
done
[[ -n "$owner_pid" ]] && eval "exec ${owner_pid}>&-"

echo "kill -9 soak: $runs kills, $captures captures and $copies clipboard changes asked"
echo "  on disk: $(count_records "$base/screenshots.json") screenshots, $(count_records "$base/clipboard.json") clipboard entries; $(python3 -c "import json,sys; print(len(json.load(open(sys.argv[1]))))" "$seen") records ever seen on disk"
echo "  never on disk (in flight at a kill, or copies within one poll): $inflight_shots captures, $inflight_copies clipboard changes"
echo "  violations (record without picture, acknowledged record lost, damaged start): $violations"
(( violations == 0 ))

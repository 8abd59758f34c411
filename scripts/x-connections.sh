#!/usr/bin/env bash
# How many X connections the program holds once it idles: starts it on its own
# Xvfb desktop (tests/support/with-x11.sh) with empty settings, waits until the
# count has stayed the same for two seconds, and prints it.
#   scripts/x-connections.sh [path/to/zentu]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../build/src/zentu}")
if [[ "${X_CONNECTIONS_INNER:-}" != 1 ]]; then
  X_CONNECTIONS_INNER=1 exec "$here/../tests/support/with-x11.sh" "$0" "$program"
fi
home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$home"' EXIT
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
  XDG_RUNTIME_DIR="$home/run" "$program" > "$home/log" 2>&1 &
pid=$!
mkdir -m 700 -p "$home/run"
count() { # the sockets of the program whose peer is the X server's
  python3 - "$pid" <<'PY'
import re, subprocess, sys
pid = sys.argv[1]
lines = subprocess.run(["ss", "-xpn"], capture_output=True, text=True).stdout.splitlines()
server, ours = set(), set()
for line in lines[1:]:
    f = line.split()
    if len(f) < 8:
        continue
    local, local_inode, peer_inode = f[4], f[5], f[7]
    if "X11-unix" in local:
        server.add(peer_inode)
    if re.search(r"pid=%s," % pid, line):
        ours.add(local_inode)
print(len(ours & server))
PY
}
last=-1; same=0
for _ in $(seq 1 600); do
  kill -0 "$pid" 2>/dev/null || { echo "the program ended:"; cat "$home/log"; exit 1; }
  now=$(count)
  if [[ "$now" == "$last" && "$now" != 0 ]]; then same=$((same + 1)); else same=0; fi
  last=$now
  [[ $same -ge 20 ]] && { echo "$now"; exit 0; }
  sleep 0.1
done
echo "no steady count"; exit 1

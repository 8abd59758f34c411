# Sourced by the benchmark scripts that watch the real program from outside,
# as a user's tools would: waiting on conditions, the tray, and memory from /proc.

until_true() { # timeout in s, command...: polls the command until it succeeds
  local deadline=$(( $(date +%s%N) + $1 * 1000000000 )); shift
  until "$@"; do
    (( $(date +%s%N) < deadline )) || return 1
    sleep 0.02
  done
}

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

memory() { # pid, label
  local status=/proc/$1/status rollup=/proc/$1/smaps_rollup
  awk -v label="$2" '
    FILENAME ~ /status$/ && /^(VmRSS|RssAnon|RssFile|RssShmem):/ { v[$1] = $2 }
    FILENAME ~ /rollup$/ && /^(Pss|Private_Dirty):/ { v[$1] = $2 }
    END { printf "memory %s: RSS %.1f MB (anon %.1f, file %.1f, shmem %.1f), PSS %.1f MB, private dirty %.1f MB\n",
            label, v["VmRSS:"] / 1024, v["RssAnon:"] / 1024, v["RssFile:"] / 1024, v["RssShmem:"] / 1024,
            v["Pss:"] / 1024, v["Private_Dirty:"] / 1024 }' "$status" "$rollup"
}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
private_dirty_kb() { awk '/^Private_Dirty:/ { print $2 }' "/proc/$1/smaps_rollup"; }

use_app() { # pid: the panel from the tray icon and back, a capture started and cancelled
  local icon
  icon=$(xdotool search --pid "$1" 2>/dev/null | while read -r w; do
    if xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable'; then echo "$w"; fi; done | head -1)
  panel_up() { [[ $(xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l) -gt 1 ]]; }
  panel_down() { ! panel_up "$1"; }
  xdotool mousemove --window "$icon" 4 4 click 1
  until_true 10 panel_up "$1" || echo "panel did not open"
  sleep 1
  xdotool key Escape
  until_true 10 panel_down "$1" || echo "panel did not close"
  xdotool mousemove 900 500
  xdotool key super+shift+2
  until_true 10 panel_up "$1" || echo "overlay did not open"
  # The pointer moves over the frozen screen, as when one aims.
  xdotool mousemove 960 540 sleep 0.25 mousemove 1000 600 sleep 0.25
  xdotool key Escape
  until_true 10 panel_down "$1" || echo "overlay did not close"
}

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

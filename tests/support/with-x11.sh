#!/usr/bin/env bash
# Runs one test against its own X server: Xvfb on a free display (chosen by
# Xvfb itself, so parallel tests never collide), openbox as window manager and
# tint2 as tray host. Waits for each to be ready instead of sleeping.
# The desktop can be set up as people have theirs:
#   ZENTU_XVFB_SCREEN    the screen, WIDTHxHEIGHTxDEPTH (default 1920x1080x24)
#   ZENTU_XVFB_MONITORS  RandR monitors on that screen, "WxH+X+Y ..." (a
#                        screen split into monitors, as two displays side by side)
#   ZENTU_XFT_DPI        the X resource Xft.dpi, as desktop settings write it for
#                        a HiDPI screen (192 for twice the size)
#   ZENTU_COMPOSITOR=1   a compositing manager (xcompmgr) besides openbox
set -u
test_binary="$1"; shift
geometry="${ZENTU_XVFB_SCREEN:-1920x1080x24}"
workdir=$(mktemp -d)
cleanup() {
  [[ -n "${tint_pid:-}" ]] && kill "$tint_pid" 2>/dev/null
  [[ -n "${cm_pid:-}" ]] && kill "$cm_pid" 2>/dev/null
  [[ -n "${wm_pid:-}" ]] && kill "$wm_pid" 2>/dev/null
  [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT

exec 3> "$workdir/displayfd"
Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp +extension RANDR +extension XTEST \
  +extension MIT-SHM +extension Composite -noreset > "$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 200); do
  [[ -s "$workdir/displayfd" ]] && break
  sleep 0.05
done
display=$(tr -d '\n' < "$workdir/displayfd")
if [[ -z "$display" ]]; then
  echo "with-x11: Xvfb did not start"; cat "$workdir/xvfb.log"; exit 1
fi
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

wait_for() { # condition, description
  for _ in $(seq 1 200); do eval "$1" >/dev/null 2>&1 && return 0; sleep 0.05; done
  echo "with-x11: timed out waiting for $2"; return 1
}
wait_for "xdpyinfo" "the X server" || exit 1

if [[ -n "${ZENTU_XFT_DPI:-}" ]]; then
  echo "Xft.dpi: $ZENTU_XFT_DPI" | xrdb -nocpp -merge || { echo "with-x11: xrdb failed"; exit 1; }
fi
if [[ -n "${ZENTU_XVFB_MONITORS:-}" ]]; then
  n=0
  for m in $ZENTU_XVFB_MONITORS; do
    w=${m%%x*}; rest=${m#*x}; h=${rest%%+*}
    # The first monitor takes the screen's output (so RandR lists only ours).
    output=none; ((n == 0)) && output=screen
    xrandr --setmonitor "zentu$n" "$w/$((w * 254 / 960))x$h/$((h * 254 / 960))${m#"${w}x${h}"}" "$output" > /dev/null \
      || { echo "with-x11: xrandr --setmonitor $m failed"; exit 1; }
    n=$((n + 1))
  done
  wait_for "[[ \$(xrandr --listmonitors | head -1) == 'Monitors: $n' ]]" "$n monitors" || exit 1
fi

# openbox with a config that gives no window decorations a test did not ask for.
HOME_FOR_WM="$workdir/wmhome"; mkdir -p "$HOME_FOR_WM"
HOME="$HOME_FOR_WM" openbox --sm-disable > "$workdir/openbox.log" 2>&1 &
wm_pid=$!
wait_for "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" "openbox" || exit 1

if [[ "${ZENTU_COMPOSITOR:-}" == 1 ]]; then
  xcompmgr > "$workdir/xcompmgr.log" 2>&1 &
  cm_pid=$!
fi

if [[ "${ZENTU_NO_TRAY:-}" != 1 ]] && command -v tint2 >/dev/null; then
  HOME="$HOME_FOR_WM" tint2 > "$workdir/tint2.log" 2>&1 &
  tint_pid=$!
  wait_for "xdotool search --class tint2" "tint2 window" || true
fi

"$test_binary" "$@"

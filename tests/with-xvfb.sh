#!/usr/bin/env bash
# Runs a command on a private X display, with a window manager (--wm) and a notification area
# (--tray) when asked, and stops what it started afterwards, also when the command fails.
#   with-xvfb.sh [--wm] [--tray] COMMAND...
set -u
wm=0
tray=0
while :; do
    case "${1:-}" in
    --wm) wm=1; shift ;;
    --tray) tray=1; shift ;;
    *) break ;;
    esac
done

dir=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# -displayfd lets the server pick a free display number, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
pids+=($!)
for _ in $(seq 500); do
    [ -s "$dir/display" ] && break
    sleep 0.01
done
if [ ! -s "$dir/display" ]; then
    echo "with-xvfb: Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$dir/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

if [ "$wm" = 1 ]; then
    openbox --sm-disable >"$dir/openbox.log" 2>&1 &
    pids+=($!)
    # openbox owns the WM_S0 selection once it manages the screen.
    for _ in $(seq 500); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.01
    done
fi

if [ "$tray" = 1 ]; then
    # trayer is an XEmbed notification area that runs under Xvfb.
    trayer --edge top --align left --widthtype request --height 24 --SetDockType false \
        --SetPartialStrut false --transparent false >"$dir/trayer.log" 2>&1 &
    pids+=($!)
    # Its panel window appears once it has taken the notification area's selection.
    for _ in $(seq 500); do
        xwininfo -root -tree 2>/dev/null | grep -q '"panel": ("panel" "trayer")' && break
        sleep 0.01
    done
fi

"$@"

#!/usr/bin/env bash
# Re-makes the README's screenshots, one per tab, under a private X server with a window manager:
#   packaging/make-screenshots.sh [PROGRAM]     (default: build/bin/merow-hopsmeld-helper)
# Writes packaging/screenshots/{alcohol-content,bottling-gravity,about}.png.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../build/bin/merow-hopsmeld-helper}")
out=$here/screenshots

if [ -z "${HOPSMELD_SHOTS_INSIDE:-}" ]; then
    exec env HOPSMELD_SHOTS_INSIDE=1 /usr/bin/python3 "$here/../tests/e2e/desktop.py" --tray trayer -- "$0" "$program"
fi

LC_ALL=C.UTF-8 PULSE_SERVER=unix:/nonexistent/no-sound "$program" 2>/dev/null &
app=$!
trap 'kill $app 2>/dev/null' EXIT
window=
for _ in $(seq 1000); do
    window=$(xdotool search --onlyvisible --name '^Merow Hopsmeld Helper$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.01
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
xdotool windowactivate --sync "$window"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
menu_bar=$((HEIGHT - 352))
click() { xdotool mousemove --window "$window" "$1" "$((menu_bar + $2))" click 1; sleep 0.3; }
shot() {
    xdotool mousemove 0 1023 # the pointer out of the picture
    sleep 0.3
    import -window "$(xdotool getwindowfocus -f)" -frame "$out/$1.png" 2>/dev/null ||
        import -window "$window" "$out/$1.png"
}
mkdir -p "$out"

# The worked examples: 1.050 and 1.010; 1.050 at 5.25% by volume.
xdotool type --delay 20 1.050; xdotool key Tab
xdotool type --delay 20 1.010; xdotool key Tab space
shot alcohol-content
click 140 10
click 190 67;  xdotool type --delay 20 1.050
click 190 107; xdotool type --delay 20 5.25
click 183 187
shot bottling-gravity
click 262 10
shot about
echo "screenshots in $out"

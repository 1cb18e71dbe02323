#!/usr/bin/env bash
# End to end, as a brewer would: start the program on a private display with a window manager
# and a private sound server, type gravities, press Calculate from the keyboard, hear the cue;
# then type nonsense and get the error message instead of a sound.
#   e2e-calculate.sh PROGRAM   (run under with-xvfb.sh --wm and with-pulse.sh)
set -u
program=$1
dir=$(mktemp -d)
app=
rec=
cleanup() {
    [ -n "$rec" ] && kill "$rec" 2>/dev/null
    [ -n "$app" ] && kill "$app" 2>/dev/null
    wait 2>/dev/null
    [ -n "${KEEP_E2E:-}" ] && cp "$dir/rec.raw" /tmp/e2e-rec.raw
    rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

parec --raw --format=s16le --channels=1 --rate=8000 --latency-msec=20 \
    --device="$HOPSMELD_TEST_SINK.monitor" >"$dir/rec.raw" &
rec=$!
started=$(date +%s%N)
"$program" 2>"$dir/app.log" &
app=$!

window=
for _ in $(seq 500); do
    window=$(xdotool search --onlyvisible --name '^Merow Hopsmeld Helper$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.01
done
[ -n "$window" ] || fail "the window did not appear"
xdotool windowactivate --sync "$window"
sleep 0.5

# The caret starts in the original gravity box.
xdotool type --delay 30 "1.050"
xdotool key Tab
xdotool type --delay 30 "1.010"
xdotool key Tab space
sleep 1.5

# Nonsense in the final gravity: the message, no sound.
xdotool key shift+Tab ctrl+a
xdotool type --delay 30 "abc"
xdotool key Tab space
message=
for _ in $(seq 300); do
    message=$(xdotool search --onlyvisible --name '^Hopsmeld Error$' 2>/dev/null | head -n1)
    [ -n "$message" ] && break
    sleep 0.01
done
[ -n "$message" ] || fail "no error message for nonsense input"
xdotool key Return
sleep 1.5
kill -0 "$app" 2>/dev/null || fail "the program ended"

# The monitor arrives late: wait until the recording covers the time that has passed.
want=$(( ($(date +%s%N) - started) / 1000000 * 16 - 1600 ))
for _ in $(seq 500); do
    [ "$(stat -c %s "$dir/rec.raw")" -ge "$want" ] && break
    sleep 0.01
done
kill "$rec"; wait "$rec" 2>/dev/null; rec=
python3 - "$dir/rec.raw" <<'PY' || exit 1
import math, struct, sys
data = open(sys.argv[1], "rb").read()
samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
window = 80  # 10 ms at 8 kHz
loud = [math.sqrt(sum(s * s for s in samples[i:i + window]) / window) > 328  # -40 dBFS
        for i in range(0, len(samples) - window, window)]
# A burst starts where it is loud after at least 100 ms of quiet.
bursts = sum(1 for i, l in enumerate(loud) if l and not any(loud[max(0, i - 10):i]))
print("seconds recorded: %.1f, bursts of sound: %d" % (len(samples) / 8000, bursts))
sys.exit(0 if bursts == 1 else 1)
PY
echo "PASS: calculated with a cue, refused nonsense with the message and no cue"

#!/usr/bin/env bash
# Runs a command against a private PulseAudio server with one null sink, "testsink", whose
# monitor can be recorded. The server lives in its own runtime folder: a sound server
# already running on the machine is never touched. Stops it afterwards, also on failure.
#   with-pulse.sh COMMAND...
set -u
dir=$(mktemp -d)
pid=
keepalive=
cleanup() {
    [ -n "$keepalive" ] && kill "$keepalive" 2>/dev/null
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export XDG_RUNTIME_DIR="$dir" HOME="$dir"
export PULSE_SERVER="unix:$dir/pulse/native"
unset PULSE_SINK PULSE_SOURCE
mkdir -p "$dir/pulse"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    -L "module-native-protocol-unix socket=$dir/pulse/native" \
    -L "module-null-sink sink_name=testsink" >"$dir/pulse.log" 2>&1 &
pid=$!
for _ in $(seq 500); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.01
done
if ! pactl info >/dev/null 2>&1; then
    echo "with-pulse: the sound server did not start:" >&2
    cat "$dir/pulse.log" >&2
    exit 1
fi
export HOPSMELD_TEST_SINK=testsink
# An idle null sink feeds its monitor late and leaves the silences out, so a recording would lose
# the gaps between sounds. A stream of silence keeps the sink running and the time line whole.
pacat --raw --latency-msec=20 /dev/zero 2>/dev/null &
keepalive=$!

"$@"

#!/usr/bin/env bash
# Runs a command with what a screen reader would have: a private session bus and an accessibility
# bus on it. Stops what it started, also when the command fails.
#   with-atspi.sh COMMAND...   (inside with-xvfb.sh)
set -u
if [ -z "${HOPSMELD_E2E_OWN_BUS:-}" ]; then
    # dbus-run-session stops its bus daemon when this script ends. An inherited accessibility bus
    # address would lead the program and the test to someone else's bus.
    exec env -u AT_SPI_BUS_ADDRESS HOPSMELD_E2E_OWN_BUS=1 dbus-run-session -- "$0" "$@"
fi

dir=$(mktemp -d)
# The accessibility bus puts its socket here; nothing of ours lands in a shared runtime folder.
export XDG_RUNTIME_DIR=$dir
launcher=
descendants() {
    local child
    for child in $(pgrep -P "$1"); do
        echo "$child"
        descendants "$child"
    done
}
running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null)
    [ -n "$state" ] && [ "${state#Z}" = "$state" ]
}
cleanup() {
    if [ -n "$launcher" ]; then
        # The launcher's bus daemon and the registry that bus started end with it; wait for them
        # as well, or they outlive the display and complain about it.
        local pid rest
        rest=$(descendants "$launcher")
        kill "$launcher" 2>/dev/null
        wait "$launcher" 2>/dev/null
        for pid in $rest; do
            for _ in $(seq 300); do
                running "$pid" || break
                sleep 0.01
            done
            running "$pid" && kill "$pid" 2>/dev/null
        done
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
# Wait until it owns its name; asking for the name earlier would start a second launcher.
for _ in $(seq 500); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true' \
        && break
    sleep 0.01
done

"$@"

#!/usr/bin/env bash
# The installed program, started through bin/'s link from an unrelated folder, finds its sound
# and help beside itself in lib/: under strace, a calculation opens Burp.wav, Alt+H opens
# Hopsmeld.html and Alt+B Beerhlp.html, each from the install tree and nowhere else. Its window
# also carries the class the desktop entry's StartupWMClass names.
#   test-install-run.sh BUILD_DIR   (run under with-xvfb.sh --wm)
set -u
build=$1
name=merow-hopsmeld-helper
dir=$(mktemp -d)
tracer=
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$tracer" ] && wait "$tracer" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; failures=$((failures + 1)); fi
}
window_named() { # window_named REGEX: the visible window of that title, waiting up to 10 s
    local window=
    for _ in $(seq 200); do
        window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        [ -n "$window" ] && break
        sleep 0.05
    done
    echo "$window"
}
opened() { # opened PATH: strace saw PATH opened successfully
    grep -E "openat\(AT_FDCWD, \"$1\", [^)]*\) = [0-9]+$" "$dir/trace" >/dev/null
}

# Keys go to the active window, which needs the window manager up; on a busy machine it can be
# slower than with-xvfb.sh waits for.
for _ in $(seq 400); do
    xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break
    sleep 0.05
done

cmake --install "$build" --prefix "$dir/prefix" >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log"; exit 1; }
here=$dir/prefix/lib/$name
mkdir "$dir/elsewhere"
cd "$dir/elsewhere"
strace -f -qq -e trace=openat -o "$dir/trace" "$dir/prefix/bin/$name" 2>"$dir/app.log" &
tracer=$!

main=$(window_named '^Merow Hopsmeld Helper$')
if [ -z "$main" ]; then
    echo "FAIL  the window did not appear"; cat "$dir/app.log"; exit 1
fi
app=$(xdotool getwindowpid "$main")
check "the program runs from the install tree" \
    test "$(readlink "/proc/$app/exe")" = "$here/$name"
check "its window class is the desktop entry's StartupWMClass" \
    bash -c "xprop -id '$main' WM_CLASS | grep -qF '\"$(sed -n 's/^StartupWMClass=//p' \
        "$dir/prefix/share/applications/"*.desktop)\"'"

# A calculation: gravities in, Calculate from the keyboard; the cue reads its file.
xdotool windowactivate --sync "$main"
sleep 0.5
xdotool type --delay 30 "1.050"
xdotool key Tab
xdotool type --delay 30 "1.010"
xdotool key Tab space
sleep 1

xdotool key alt+h
help=$(window_named '^Merow Hopsmeld Helper Help$')
check "Alt+H shows the help document" test -n "$help"
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key alt+b
guide=$(window_named '^Beer Guide$')
check "Alt+B shows the beer guide" test -n "$guide"
sleep 0.5

kill "$app"
wait "$tracer"
tracer=
app=
check "Burp.wav was read from $here" opened "$here/Burp.wav"
check "Hopsmeld.html was read from $here" opened "$here/Hopsmeld.html"
check "Beerhlp.html was read from $here" opened "$here/Beerhlp.html"
strays=$(grep -E '(Burp\.wav|Hopsmeld\.html|Beerhlp\.html)"' "$dir/trace" | grep -vF "\"$here/" || true)
check "no other copies were looked for${strays:+: $strays}" test -z "$strays"

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; tail -n 20 "$dir/app.log"; exit 1; }

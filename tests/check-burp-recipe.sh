#!/usr/bin/env bash
# The committed Burp.wav is exactly what its recipe makes.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$here/assets/make_burp.py" "$out/Burp.wav"
cmp "$here/assets/Burp.wav" "$out/Burp.wav"
echo "Burp.wav matches its recipe"

#!/usr/bin/env bash
# The committed sound and art are exactly what their recipes make, and every link inside a help
# page has its target.    check-assets.sh SOURCE_DIR
set -eu
src=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
/usr/bin/python3 "$src/assets/make_burp.py" "$out/Burp.wav"
cmp "$src/assets/Burp.wav" "$out/Burp.wav"
mkdir "$out/art"
/usr/bin/python3 "$src/assets/art/make-art.py" "$out/art"
for made in "$out"/art/*; do cmp "$made" "$src/assets/art/${made##*/}"; done
/usr/bin/python3 - "$src"/assets/help/*.html <<'PY'
import re, sys
for page in sys.argv[1:]:
    html = open(page, encoding="utf-8").read()
    targets = set(re.findall(r'(?:id|name)="([^"]+)"', html))
    missing = [link for link in re.findall(r'href="#([^"]*)"', html) if link not in targets]
    assert re.search(r"<title>\s*\S", html) and not missing, (page, missing)
PY
echo "assets match their recipes; help links resolve"

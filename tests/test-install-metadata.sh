#!/usr/bin/env bash
# The installed desktop entry and AppStream metadata: both pass their validators, and they point
# at what was installed with them (the command, the icon, each other) and carry the version.
#   test-install-metadata.sh BUILD_DIR
set -u
build=$1
id=org.example.HopsmeldHelper
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; failures=$((failures + 1)); fi
}
key() { sed -n "s/^$1=//p" "$desktop"; }

cmake --install "$build" --prefix "$dir/prefix" >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log"; exit 1; }
desktop=$dir/prefix/share/applications/$id.desktop
metainfo=$dir/prefix/share/metainfo/$id.metainfo.xml
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

check "desktop-file-validate passes" desktop-file-validate "$desktop"
check "appstreamcli validate --no-net passes" appstreamcli validate --no-net "$metainfo"

exec_line=$(key Exec)
check "Exec ($exec_line) is the installed command" test -L "$dir/prefix/bin/${exec_line%% *}"
check "Icon is the id" test "$(key Icon)" = "$id"
icons=$(find "$dir/prefix/share/icons/hicolor" -name "$(key Icon).*" | wc -l)
check "the Icon is installed in the hicolor theme ($icons files)" test "$icons" -ge 9
check "StartupWMClass is the command's name" test "$(key StartupWMClass)" = "${exec_line%% *}"
check "Categories include Utility and Calculator" \
    bash -c "grep -q '^Categories=.*Utility;' '$desktop' && grep -q '^Categories=.*Calculator;' '$desktop'"
check "Keywords are given" test -n "$(key Keywords)"
check "GenericName is given" test -n "$(key GenericName)"

# The metainfo, read as XML rather than as lines.
python3 - "$metainfo" "$id" "$version" <<'PY' || failures=$((failures + 1))
import sys
import xml.etree.ElementTree as ET
path, id_, version = sys.argv[1:4]
c = ET.parse(path).getroot()
checks = [
    ("the component is a desktop application", c.get("type") == "desktop-application"),
    ("its id is " + id_, c.findtext("id") == id_),
    ("it launches %s.desktop" % id_,
     [(l.get("type"), l.text) for l in c.iterfind("launchable")] == [("desktop-id", id_ + ".desktop")]),
    ("metadata licence CC0-1.0, project licence MIT",
     (c.findtext("metadata_license"), c.findtext("project_license")) == ("CC0-1.0", "MIT")),
    ("the release is " + version + " with a date",
     [(r.get("version"), bool(r.get("date"))) for r in c.iterfind("releases/release")] == [(version, True)]),
    ("the content rating is OARS 1.1 and names alcohol",
     c.find("content_rating").get("type") == "oars-1.1" and
     [a.get("id") for a in c.iterfind("content_rating/content_attribute")] == ["drugs-alcohol"]),
    ("three screenshots, by file name",
     [i.text.rsplit("/", 1)[-1] for i in c.iterfind("screenshots/screenshot/image")] ==
     ["alcohol-content.png", "bottling-gravity.png", "about.png"]),
    ("a developer is named", bool((c.findtext("developer_name") or "").strip())),
]
for what, good in checks:
    print("%s  %s" % ("ok  " if good else "FAIL", what))
sys.exit(0 if all(good for _, good in checks) else 1)
PY

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }

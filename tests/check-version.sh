#!/bin/sh
# The version is written once, in project(); the About tab, the help page, the Windows record,
# the metadata, the manual page and the package all take it from there. A version typed by hand
# anywhere else goes stale at the next release.
#   check-version.sh SOURCE_DIR
cd "$1" || exit 1
set -- $(sed -n 's/^project(MerowHopsmeldHelper VERSION \([0-9]*\)\.\([0-9]*\)\.\([0-9]*\).*/\1 \2 \3/p' CMakeLists.txt)
[ $# -eq 3 ] || { echo "FAIL: no version in project()"; exit 1; }
# X.Y.Z, the Windows record's X,Y,0,Z and its text X.0Y.000Z
forms="$1\.$2\.$3|$1, ?$2, ?0, ?$3|$1\.0*$2\.0*$3"
if git grep -nIE "(^|[^0-9.])($forms)([^0-9]|$)" -- . ':!CMakeLists.txt' ':!bench/results'; then
    echo "FAIL: the version written by hand"
    exit 1
fi
# So is the one contact address (About tab, help, package, metadata); tests name it to check it.
if git grep -nIE '[[:alnum:]._-]+@[[:alnum:]-]+\.[[:alnum:].-]+' -- . ':!CMakeLists.txt' ':!tests'; then
    echo "FAIL: an e-mail address written by hand"
    exit 1
fi

#!/usr/bin/env bash
# The version is written once, in the project() line of CMakeLists.txt. A copy of the sources
# given another version must carry it, and nothing of the old one, into the About tab and the
# application (compiled from their own sources), the Windows version record, the AppStream
# metadata, the help page, the Debian package with its changelog and manual page; the README
# must name no version at all.
#   check-version.sh SOURCE_DIR
set -u
source=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; failures=$((failures + 1)); fi
}
has() { grep -qF -- "$2" "$1"; }
lacks() { ! grep -qF -- "$2" "$1"; }

old=$(sed -n 's/^project(MerowHopsmeldHelper VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
new=9.8.76 # two-digit minor and patch show the zero padding of the Windows record's text
tar -C "$source" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$dir" -xf - --one-top-level=src
sed -i "s/^project(MerowHopsmeldHelper VERSION $old/project(MerowHopsmeldHelper VERSION $new/" \
    "$dir/src/CMakeLists.txt"
check "the project's version $old is replaced by $new" has "$dir/src/CMakeLists.txt" "VERSION $new"

b=$dir/build
cmake -S "$dir/src" -B "$b" -G "Unix Makefiles" >"$dir/log" 2>&1 &&
    cmake --build "$b" --target program_assets package_documents >>"$dir/log" 2>&1 &&
    # Only the two objects that name the version, not the whole program.
    make -C "$b/window" form1_layout.o >>"$dir/log" 2>&1 &&
    make -C "$b/app" main.o >>"$dir/log" 2>&1 || { cat "$dir/log"; exit 1; }
strings -a "$b/window/CMakeFiles/hopsmeld_window.dir/form1_layout.cpp.o" >"$dir/layout.txt"
strings -a -el "$b/app/CMakeFiles/merow-hopsmeld-helper.dir/main.cpp.o" >"$dir/main.txt"
zcat "$b/packaging/changelog.gz" | head -n1 >"$dir/changelog.txt"
zcat "$b/packaging/merow-hopsmeld-helper.1.gz" >"$dir/man.txt"

check "About tab: \"Version $new\"" has "$dir/layout.txt" "Version $new"
check "the application's version" has "$dir/main.txt" "$new"
check "Windows record: FILEVERSION" has "$b/packaging/hopsmeld.rc" "FILEVERSION 9,8,0,76"
check "Windows record: PRODUCTVERSION" has "$b/packaging/hopsmeld.rc" "PRODUCTVERSION 9,8,0,76"
check "Windows record: FileVersion text" has "$b/packaging/hopsmeld.rc" '"FileVersion", "9.08.0076"'
check "Windows record: ProductVersion text" has "$b/packaging/hopsmeld.rc" '"ProductVersion", "9.08.0076"'
check "AppStream release" has "$b/packaging/org.example.HopsmeldHelper.metainfo.xml" \
    "<release version=\"$new\""
check "help page" has "$b/bin/Hopsmeld.html" "version <b>$new</b>"
check "Debian package version" has "$b/CPackConfig.cmake" "set(CPACK_PACKAGE_VERSION \"$new\")"
check "Debian changelog" has "$dir/changelog.txt" "merow-hopsmeld-helper ($new)"
check "manual page" has "$dir/man.txt" "Merow Hopsmeld Helper $new"
for file in layout.txt main.txt man.txt; do
    check "no $old left in $file" lacks "$dir/$file" "$old"
done
for file in packaging/hopsmeld.rc packaging/org.example.HopsmeldHelper.metainfo.xml \
    bin/Hopsmeld.html; do
    check "no $old left in $file" lacks "$b/$file" "$old"
done
check "the README names no version" test -z "$(grep -E '[0-9]+\.[0-9]+\.[0-9]+' "$source/README.md")"
[ "$failures" = 0 ]

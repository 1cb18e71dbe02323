#!/usr/bin/env bash
# The Debian package, made by CPack into a folder of its own: its control fields, dependencies
# that dpkg-shlibdeps worked out from the libraries the program links, the same files as
# `cmake --install`, a stripped program, and no lintian errors or warnings.
#   test-install-deb.sh BUILD_DIR
set -u
build=$1
name=merow-hopsmeld-helper
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; failures=$((failures + 1)); fi
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$dir/out/${name}_${version}_$arch.deb
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$dir/out" >"$dir/cpack.log" 2>&1 ||
    { cat "$dir/cpack.log"; exit 1; }
check "cpack made $(basename "$deb")" test -f "$deb" || exit 1
field() { dpkg-deb --field "$deb" "$1"; }
dpkg-deb --info "$deb"

check "Package is $name" test "$(field Package)" = "$name"
check "Version is $version" test "$(field Version)" = "$version"
check "Architecture is $arch" test "$(field Architecture)" = "$arch"
check "Section is utils" test "$(field Section)" = utils
check "the Maintainer has an address" bash -c "dpkg-deb --field '$deb' Maintainer | grep -q '<.*@.*>'"
check "the Description has a synopsis and an extended part" \
    test "$(dpkg-deb --field "$deb" Description | wc -l)" -ge 2

# Every library the program links to must be a versioned dependency on the package that
# holds it: dpkg-shlibdeps' work, not a list kept by hand.
depends=$(field Depends)
program=$build/bin/$name
needed=$(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }')
check "the program links libraries" test -n "$needed"
for library in $needed; do
    path=$(ldd "$program" | awk -v lib="$library" '$1 == lib { print $3 }')
    # dpkg knows a library by the path its package ships, which /usr merging can hide.
    owner=$( (dpkg -S "$path" || dpkg -S "$(readlink -f "$path")") 2>/dev/null | head -n1 | cut -d: -f1)
    pattern=$(sed 's/[.+]/\\&/g' <<<"$owner")
    check "$library (${owner:-no package}) is a versioned dependency" \
        bash -c "[ -n '$owner' ] && grep -qE '(^|, )$pattern \(>= [^)]+\)' <<<'$depends'"
done
for package in libqt6widgets6 libc6; do
    check "$package is among them" bash -c "grep -qE '(^|, )$package \(>= ' <<<'$depends'"
done
check "nothing of Qt Multimedia, and so of FFmpeg or GStreamer" \
    bash -c "! grep -qE 'libqt6multimedia|libav|gstreamer' <<<'$depends'"
for package in qt6-qpa-plugins fonts-liberation2; do
    check "$package, loaded without linking, is named too" \
        bash -c "grep -qE '(^|, )$package(,|$| )' <<<'$depends'"
done

# The same tree as an install into /usr.
DESTDIR="$dir/installed" cmake --install "$build" --prefix /usr >/dev/null
dpkg-deb -x "$deb" "$dir/unpacked"
listing() { (cd "$1" && find . \( -type f -o -type l \) -printf '%p %Y %l\n' | sort); }
difference=$(diff <(listing "$dir/installed") <(listing "$dir/unpacked"))
check "the package holds what cmake --install puts in /usr${difference:+:
$difference}" test -z "$difference"
check "the link in /usr/bin is relative" \
    test "$(readlink "$dir/unpacked/usr/bin/$name")" = "../lib/$name/$name"
check "the packed program is stripped" \
    bash -c "file -L '$dir/unpacked/usr/lib/$name/$name' | grep -q ', stripped'"
check "the built program was not, so the package stripped it" \
    bash -c "file -L '$program' | grep -q ', not stripped'"
check "dpkg-deb lists md5sums for every file" \
    test "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./md5sums | wc -l)" = \
         "$(find "$dir/unpacked" -type f | wc -l)"

if lintian --version >/dev/null 2>&1; then
    lintian --fail-on error,warning --display-info "$deb" >"$dir/lintian.log" 2>&1
    status=$?
    grep -E '^[EWI]:' "$dir/lintian.log"
    check "lintian finds no errors or warnings" test "$status" = 0
else
    check "lintian is installed" false
fi

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }

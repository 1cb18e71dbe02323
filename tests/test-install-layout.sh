#!/usr/bin/env bash
# The install tree, installed twice from the build: once with --prefix and once under DESTDIR.
# Every file where it belongs and equal to its source, the command a relative link that still
# resolves when the whole tree is moved, icons of the size their folder names.
#   test-install-layout.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source=$2
id=org.example.HopsmeldHelper
name=merow-hopsmeld-helper
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; failures=$((failures + 1)); fi
}
expected=()
same() { expected+=("$2"); cmp -s "$1" "$2"; }
png_size() { # width x height from the PNG header
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'
}

layout() { # layout ROOT: the checks on one installed tree
    local root=$1 program=$1/lib/$name/$name link=$1/bin/$name
    expected=("$program" "$link" "$root/share/doc/$name/copyright" "$root/share/doc/$name/changelog.gz"
              "$root/share/man/man1/$name.1.gz")
    check "the program is in lib/$name" test -x "$program" -a -f "$program" -a ! -L "$program"
    for file in Burp.wav help/Hopsmeld.html help/Beerhlp.html; do
        check "$(basename "$file") is beside the program" same "$source/assets/$file" \
            "$root/lib/$name/$(basename "$file")"
    done
    check "bin/$name is a symbolic link" test -L "$link"
    check "the link is relative: $(readlink "$link")" \
        test "$(readlink "$link")" = "../lib/$name/$name"
    check "the link resolves to the program" test "$(readlink -f "$link")" = "$(readlink -f "$program")"
    check "the desktop entry is share/applications/$id.desktop" \
        same "$source/packaging/linux/$id.desktop" "$root/share/applications/$id.desktop"
    check "the metainfo is share/metainfo/$id.metainfo.xml" \
        same "$build/packaging/$id.metainfo.xml" "$root/share/metainfo/$id.metainfo.xml"
    for size in 16 22 24 32 48 64 128 256; do
        local icon=$root/share/icons/hicolor/${size}x$size/apps/$id.png
        check "the ${size}x$size icon is the ${size}-pixel art" same "$source/assets/art/icon-$size.png" "$icon"
        check "the ${size}x$size icon is ${size}x$size pixels" test "$(png_size "$icon")" = "${size}x$size"
    done
    check "the scalable icon is the SVG art" same "$source/assets/art/hopsmeld-icon.svg" \
        "$root/share/icons/hicolor/scalable/apps/$id.svg"
    check "the copyright file carries the licence" \
        grep -q "^ Permission is hereby granted" "$root/share/doc/$name/copyright"
    check "the changelog names the version" \
        bash -c "zcat '$root/share/doc/$name/changelog.gz' | head -n1 | grep -qF '$name ($version)'"
    check "the manual page is there" gzip -t "$root/share/man/man1/$name.1.gz"
    # Nothing more than that: anything else installed would be a surprise in the package.
    local extra
    extra=$(comm -23 <(find "$root" -type f -o -type l | sort) <(printf '%s\n' "${expected[@]}" | sort))
    check "nothing else installed${extra:+: $extra}" test -z "$extra"
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

echo "# cmake --install --prefix"
cmake --install "$build" --prefix "$dir/prefix" >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log"; exit 1; }
layout "$dir/prefix"

echo "# DESTDIR with --prefix /opt/hopsmeld"
DESTDIR="$dir/stage" cmake --install "$build" --prefix /opt/hopsmeld >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log"; exit 1; }
check "nothing was written to /opt/hopsmeld itself" test ! -e /opt/hopsmeld
layout "$dir/stage/opt/hopsmeld"

echo "# the tree moved elsewhere"
mv "$dir/prefix" "$dir/moved"
check "the moved link still resolves to the moved program" \
    test "$(readlink -f "$dir/moved/bin/$name")" = "$dir/moved/lib/$name/$name"

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }

#!/usr/bin/env bash
# The Debian package: no lintian errors or warnings, the files where a desktop looks for them
# (listed here by hand), the program hardened, the desktop entry and metadata valid.
#   check-package.sh BUILD_DIR
set -eu
build=$1 name=merow-hopsmeld-helper id=org.example.HopsmeldHelper
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$dir" >"$dir/cpack.log" || { cat "$dir/cpack.log"; exit 1; }
deb=$(echo "$dir"/*.deb)
lintian --fail-on error,warning "$deb"
dpkg-deb -x "$deb" "$dir/root"
expected() {
    printf '%s\n' usr/bin/$name usr/lib/$name/{$name,modules/hopsmeld-sound.so,Burp.wav} \
        usr/lib/$name/{Hopsmeld,Beerhlp}{,_de}.html usr/lib/$name/translations/${name}_de.qm \
        usr/share/{applications/$id.desktop,metainfo/$id.metainfo.xml,man/man1/$name.1.gz} \
        usr/share/doc/$name/{copyright,changelog.gz} usr/share/icons/hicolor/scalable/apps/$id.svg
    for s in 16 22 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/$id.png"; done
}
diff -u <(expected | sort) <(cd "$dir/root" && find . -type f -o -type l | sed 's|^\./||' | sort)
test "$(readlink "$dir/root/usr/bin/$name")" = "../lib/$name/$name"
hardening-check --nocfprotection "$dir/root/usr/lib/$name/$name"
# The sound module copies only buffers whose sizes are known at run time (memcpy, memset and
# memmove inside std::vector and std::string), which fortification cannot check.
hardening-check --nocfprotection --nofortify "$dir/root/usr/lib/$name/modules/hopsmeld-sound.so"
desktop-file-validate "$dir/root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$dir/root/usr/share/metainfo/$id.metainfo.xml"
dpkg-deb -f "$deb" Depends | grep -q qt6-qpa-plugins # a plugin, which shlibdeps cannot see
dpkg-deb -f "$deb" Depends | grep -q xdg-utils # xdg-open, started for the e-mail link
contact=$(dpkg-deb -f "$deb" Maintainer | sed 's/.*<\(.*\)>/\1/') # the About tab's, as its test says
test "$contact" = hopsmeld-helper@example.org
grep -q "<update_contact>$contact</update_contact>" "$dir/root/usr/share/metainfo/$id.metainfo.xml"
# Qt's plugin for Wayland sessions, Qt's own texts in the window's language
test "$(dpkg-deb -f "$deb" Recommends)" = "qt6-wayland, qt6-translations-l10n"
! dpkg-deb -f "$deb" Depends | grep -qE 'libqt6multimedia|libav|gstreamer' # a burp needs no FFmpeg
echo "the package is complete and clean"

#!/usr/bin/env bash
# A copy of the sources given another project() version carries it, and nothing of the old one,
# into the About tab, the application, the Windows version record (which must compile), the
# AppStream metadata, the help page and the Debian package; the README names none.
#   check-version.sh SOURCE_DIR
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
old=$(sed -n 's/^project(MerowHopsmeldHelper VERSION \([0-9.]*\).*/\1/p' "$1/CMakeLists.txt")
new=9.8.76 # two-digit minor and patch show the zero padding of the Windows record's text
tar -C "$1" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$dir" -xf - --one-top-level=src
sed -i "s/^project(MerowHopsmeldHelper VERSION $old/project(MerowHopsmeldHelper VERSION $new/" \
    "$dir/src/CMakeLists.txt"
failures=0
! grep -qE '[0-9]+\.[0-9]+\.[0-9]+' "$1/README.md" || { echo "FAIL: the README names a version"; failures=1; }
cd "$dir" || exit 1
{ cmake -S src -B build -G "Unix Makefiles" && cmake --build build --target program_assets package_documents &&
    # Only the two objects that name the version, not the whole program.
    make -C build/window form1_layout.o && make -C build/app main.o &&
    # From a folder of its own: the paths in the record must hold wherever it is compiled.
    (mkdir rc && cd rc && x86_64-w64-mingw32-windres --preprocessor=cpp -i ../build/packaging/hopsmeld.rc -o ../rc.res)
} >log 2>&1 || { cat log; exit 1; }
strings -a build/window/CMakeFiles/hopsmeld_window.dir/form1_layout.cpp.o >layout.txt
strings -a -el build/app/CMakeFiles/merow-hopsmeld-helper.dir/main.cpp.o >main.txt
strings -a -el rc.res | tr '\n' ' ' >res.txt
zcat build/packaging/changelog.gz | head -n1 >changelog.txt
zcat build/packaging/merow-hopsmeld-helper.1.gz >man.txt
while IFS='|' read -r file text; do
    grep -qF -- "$text" "$file" || { echo "FAIL: $file lacks $text"; failures=1; }
done <<END
layout.txt|Version $new
main.txt|$new
build/packaging/hopsmeld.rc|FILEVERSION 9,8,0,76
build/packaging/hopsmeld.rc|PRODUCTVERSION 9,8,0,76
res.txt|FileVersion 9.08.0076
res.txt|ProductVersion 9.08.0076
build/packaging/org.example.HopsmeldHelper.metainfo.xml|<release version="$new"
build/bin/Hopsmeld.html|version <b>$new</b>
build/CPackConfig.cmake|set(CPACK_PACKAGE_VERSION "$new")
changelog.txt|merow-hopsmeld-helper ($new)
man.txt|Merow Hopsmeld Helper $new
END
grep -lF -- "$old" layout.txt main.txt man.txt build/packaging/*.{rc,xml} build/bin/Hopsmeld.html &&
    { echo "FAIL: those still name $old"; failures=1; }
exit $failures

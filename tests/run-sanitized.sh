#!/usr/bin/env bash
# Builds the whole project again with AddressSanitizer and UndefinedBehaviorSanitizer in a folder
# of its own and runs every test there. A report ends the program it is in with an error, and
# is also written to a file: a test that starts the program without checking how it ended
# cannot hide one.
#   run-sanitized.sh SOURCE_DIR BUILD_DIR [CTEST ARGUMENTS...]
set -u
source_dir=$1
build=$2
shift 2

# The sanitized build defines no entry that starts it again; this guards against a stray nesting.
if [ -n "${HOPSMELD_SANITIZED_RUN:-}" ]; then
    echo "run-sanitized: already inside a sanitized run" >&2
    exit 1
fi
export HOPSMELD_SANITIZED_RUN=1

# clang by choice: with GCC's runtime an undefined-behaviour report ignores log_path below.
compiler=${HOPSMELD_SANITIZE_CXX:-$(command -v clang++-14 || command -v clang++ || true)}
cmake -S "$source_dir" -B "$build" -DHOPSMELD_SANITIZE=ON ${compiler:+-DCMAKE_CXX_COMPILER="$compiler"} ||
    exit 1
cmake --build "$build" -j2 || exit 1

reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# Leaks count too: the whole suite runs clean without any suppression.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
cd "$build"
# The hardening and Debian package checks are left out: they judge the release program and
# package (fortified calls, dependencies), and instrumentation changes both.
ctest --output-on-failure -LE sanitizer-driver -E '^(hardening|test_install_deb)$' "$@"
status=$?

found=$(find "$reports" -type f | sort)
if [ -n "$found" ]; then
    for file in $found; do
        echo "=== $file" >&2
        cat "$file" >&2
    done
    echo "run-sanitized: sanitizer reports above" >&2
    exit 1
fi
exit $status

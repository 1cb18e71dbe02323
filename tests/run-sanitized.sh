#!/usr/bin/env bash
# The unit and widget tests again, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in a folder of their own, and the number fuzzer there.
#   run-sanitized.sh SOURCE_DIR BUILD_DIR
set -eu
# Unoptimised: it builds faster, and the sanitizers find as much.
cmake -S "$1" -B "$2" -DHOPSMELD_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug >/dev/null
# Everything: a test labelled unit or widget that was not built would count as failed.
cmake --build "$2" -j2
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$2" && ctest --output-on-failure -j2 -L 'unit|widget|fuzz'

#!/usr/bin/env bash
# The unit and widget tests again, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in a folder of their own.
#   run-sanitized.sh SOURCE_DIR BUILD_DIR
set -eu
# Unoptimised, with line tables only: it builds fastest, and the reports still name the lines.
cmake -S "$1" -B "$2" -DHOPSMELD_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_FLAGS=-gline-tables-only >/dev/null
cmake --build "$2" -j2 --target test_calc test_window test_failure_report test_readable \
    program_assets
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$2" && ctest --output-on-failure -j2 -L 'unit|widget'

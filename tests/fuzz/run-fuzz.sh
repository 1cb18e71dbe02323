#!/usr/bin/env bash
# Builds the number-text fuzzer with clang in its own folder and runs it from the committed seed
# corpus with a fixed seed for a fixed time. A crash, a sanitizer report or a broken rule fails.
#   run-fuzz.sh BUILD_DIR [SECONDS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=${2:-60}

# clang-14 comes with its libFuzzer runtime (libclang-rt-14-dev); a plain clang++ will do elsewhere.
compiler=${HOPSMELD_FUZZ_CXX:-$(command -v clang++-14 || command -v clang++ || true)}
if [ -z "$compiler" ]; then
    echo "run-fuzz: no clang++ found (Debian: clang-14 libclang-rt-14-dev)" >&2
    exit 1
fi
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2

# New inputs go to a scratch folder, emptied first so every run starts from the same corpus;
# the committed corpus is only read.
rm -rf "$build/found" "$build/artifacts"
mkdir -p "$build/found" "$build/artifacts"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"$build/fuzz_numbers" -seed=1 -max_total_time="$seconds" -max_len=512 -timeout=10 \
    -dict="$here/numbers.dict" -artifact_prefix="$build/artifacts/" -print_final_stats=1 \
    "$build/found" "$here/corpus"

#!/usr/bin/env bash
# A short, bounded fuzzing run of the number conversions (make test runs it).
#
# Builds the fuzz targets with clang and libFuzzer in build-fuzz/, then runs
# each over a copy of its corpus from tests/fuzz/corpus/, so the corpus in the
# repository stays as it is. Quiet unless something fails; any crash,
# sanitizer report or violated property fails the run and keeps the input that
# caused it in build-fuzz/artifacts/.
#
# Environment:
#   LOCKER_FUZZ_SECONDS  seconds per target (60 unless set)
#   FUZZ_BUILD           the build folder (build-fuzz unless set)
#   CXX_CLANG            the clang++ to use (clang++ unless set)
set -euo pipefail

cd "$(dirname "$0")/.."
seconds=${LOCKER_FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-build-fuzz}
clang=${CXX_CLANG:-clang++}
targets=(numbers)

if ! command -v "$clang" >/dev/null 2>&1; then
    echo "Fuzzing skipped: $clang is not installed."
    exit 0
fi
# libFuzzer ships with clang's runtime; make sure this clang has it.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$probe/probe.cpp"
if ! "$clang" -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1; then
    echo "Fuzzing skipped: $clang has no libFuzzer."
    exit 0
fi

log="$probe/build.log"
if ! { cmake -S . -B "$build" -DCMAKE_CXX_COMPILER="$clang" -DLOCKER_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        cmake --build "$build" --target "${targets[@]/#/fuzz_}" --parallel; } >"$log" 2>&1; then
    cat "$log"
    echo "Fuzzing: the fuzz targets did not build." >&2
    exit 1
fi

artifacts="$build/artifacts"
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
    corpus="$probe/corpus-$target"
    cp -r "tests/fuzz/corpus/$target" "$corpus"
    program="$build/tests/fuzz/fuzz_$target"
    out="$probe/fuzz-$target.log"
    if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$program" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$corpus" >"$out" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out")
        echo "Fuzzing $target: ${runs:-?} inputs in ${seconds} s, no failure."
    else
        status=1
        grep -v -E '^(#[0-9]+|INFO:|stat::)' "$out" | tail -n 60 >&2
        kept=$(ls -t "$artifacts/$target-"* 2>/dev/null | head -n 1)
        echo "Fuzzing $target FAILED. Replay the input that failed with:" >&2
        echo "  $program ${kept:-$artifacts/$target-<file>}" >&2
    fi
done
exit $status

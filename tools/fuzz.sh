#!/usr/bin/env bash
# Builds the reader fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given number of seconds.
# A finding (crash, sanitizer report, input slower than 1 s, allocation beyond the limit)
# stops its target and leaves the input in build-fuzz/artifacts/; copy it into
# fuzz/regressions/<target>/ (make the folder if it is the first) once fixed, where the test
# suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=${*:-fd_reader ir_reader cgp_reader fd_plot}
build=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUOMTEL_FUZZ=ON -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build "$build" --parallel --target $(for t in $targets; do echo "${t}_fuzzer"; done)

mkdir -p "$build/artifacts"
status=0
for t in $targets; do
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    echo "== $t: $seconds s"
    # New inputs go to the working corpus; the seeds and kept regressions are read only. Git
    # keeps no empty folder, and libFuzzer stops at a missing one: only those there are passed.
    inputs=("$corpus")
    for kept in "fuzz/corpus/$t" "fuzz/regressions/$t"; do
        if [ -d "$kept" ]; then inputs+=("$kept"); fi
    done
    if ! "$build/bin/${t}_fuzzer" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
        -malloc_limit_mb=256 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/${t}-" \
        "${inputs[@]}" 2>"$build/$t.log"; then
        status=1
        echo "   FINDING: see $build/$t.log and $build/artifacts/"
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|cov: " "$build/$t.log" |
        grep -E "stat::|DONE" | tail -3 | sed 's/^/   /'
done
exit $status

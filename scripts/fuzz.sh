#!/bin/sh
# Builds the libFuzzer targets (fuzz/*_fuzzer.cpp) with clang into build/fuzz
# and runs each for a bounded time on a copy of its seed corpus
# (fuzz/corpus/<name without _fuzzer>/). FUZZ_SECONDS (default 60) is the
# total, split evenly across the fuzzers. Exits non-zero when a fuzzer
# reports a crash, a leak, a timeout or a failed check.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${FUZZ_BUILD_DIR:-$ROOT/build/fuzz}
TOTAL=${FUZZ_SECONDS:-60}
JOBS=${FUZZ_BUILD_JOBS:-2}

fuzzers=""
for source in "$ROOT"/fuzz/*_fuzzer.cpp; do
    [ -e "$source" ] || continue
    fuzzers="$fuzzers $(basename "$source" .cpp)"
done
if [ -z "$fuzzers" ]; then
    echo "fuzz.sh: no fuzzers in $ROOT/fuzz" >&2
    exit 1
fi
count=$(echo $fuzzers | wc -w)
each=$((TOTAL / count))
[ "$each" -ge 1 ] || each=1

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTORVANE_FUZZ=ON -DTORVANE_TESTS=OFF -DTORVANE_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build "$BUILD" -j"$JOBS" --target $fuzzers

mkdir -p "$BUILD/artifacts"
failed=0
for name in $fuzzers; do
    seeds="$ROOT/fuzz/corpus/${name%_fuzzer}"
    work=$(mktemp -d)
    echo "== $name: ${each}s"
    # New inputs go to the scratch corpus; the committed seeds stay as they are.
    if "$BUILD/fuzz/$name" -max_total_time="$each" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$BUILD/artifacts/$name-" "$work" $( [ -d "$seeds" ] && echo "$seeds" ); then
        echo "== $name: no failure"
    else
        echo "== $name: FAILED (artifacts in $BUILD/artifacts)" >&2
        failed=1
    fi
    rm -rf "$work"
done
exit $failed

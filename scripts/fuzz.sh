#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each for a bounded time
# (FUZZ_SECONDS, default 20). A crash, hang or sanitizer report fails the script.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/build-fuzz"
seconds="${FUZZ_SECONDS:-20}"
targets=(fuzz_wildcard fuzz_condition fuzz_ini fuzz_tips fuzz_rtf)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}" CCACHE_NOHASHDIR=1
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTARVEX_FUZZ=ON -DTARVEX_BUILD_TESTS=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== $target (${seconds}s)"
    log="$build/$target.log"
    # Findings (crash-*, timeout-*) are written into build-fuzz/.
    if ! (cd "$build" && "./fuzz/$target" -max_total_time="$seconds" -timeout=5 \
        -rss_limit_mb=1024 -max_len=4096 "$corpus" >"$log" 2>&1); then
        tail -n 60 "$log"
        exit 1
    fi
    tail -n 1 "$log"
done

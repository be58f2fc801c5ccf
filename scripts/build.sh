#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as first argument).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
launcher=()
# ccache, where installed, makes rebuilds of unchanged files free.
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}" CCACHE_NOHASHDIR=1
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

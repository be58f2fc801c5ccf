#!/usr/bin/env bash
# Installs what is needed, builds and starts Tarvex in a working directory
# (default ~/Tarvex). The program offers to create a new, empty contacts file there
# when none exists.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
workdir="${1:-$HOME/Tarvex}"
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh"
mkdir -p "$workdir"
cd "$workdir"
exec "$top/build/tarvex" "${@:2}"

#!/usr/bin/env bash
# Configures and builds Kanro into the folder given (default: build).
# Extra arguments go to CMake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true
launcher=()
# Rebuilds in several checkouts share one compiler cache when ccache is there.
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$here" -B "$build" -G Ninja "${launcher[@]}" "$@"
cmake --build "$build" -j"$(nproc)"

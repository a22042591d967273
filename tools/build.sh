#!/usr/bin/env bash
# Configures and builds Kanro into the folder given (default: build).
# Extra arguments go to CMake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true
cmake -S "$here" -B "$build" -G Ninja "$@"
cmake --build "$build" -j"$(nproc)"

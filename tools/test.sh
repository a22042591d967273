#!/usr/bin/env bash
# Installs what Kanro needs, builds it with warnings as errors, runs every test,
# then builds the core again with AddressSanitizer and UBSan and runs the unit
# tests there too.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/install-deps.sh"

# WebEngine refuses its sandbox as root; tests render offscreen without a GPU.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
export QT_QPA_PLATFORM=offscreen

echo "== Build (warnings are errors)"
"$here/tools/build.sh" "$here/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKANRO_WERROR=ON
echo "== Tests"
(cd "$here/build-test" && ctest --output-on-failure --timeout 600 -j2)

echo "== Unit tests under AddressSanitizer and UBSan"
"$here/tools/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKANRO_WERROR=ON -DKANRO_SANITIZE=ON \
  -DKANRO_BUILD_GUI=OFF -DKANRO_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$here/build-asan" && ctest --output-on-failure --timeout 900 -j2 -L unit)

#!/usr/bin/env bash
# Installs what Kanro needs, builds it and starts the desktop program.
# The build folder is a working data folder (Css and Image sit beside the
# executables); pass --data-dir DIR to keep your data elsewhere.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/install-deps.sh"
"$here/tools/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKANRO_BUILD_TESTS=OFF -DKANRO_BUILD_BENCH=OFF
exec "$here/build/bin/kanro" "$@"

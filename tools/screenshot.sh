#!/usr/bin/env bash
# Runs the demo under a virtual X server and saves a screenshot of the main
# window. Usage: tools/screenshot.sh [OUTPUT.png] [SECONDS]
# The demo gets a fresh settings folder and data folder each time, so the
# picture shows a first start: the download runs, then today's listing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$here/docs/screenshot.png"}
wait_seconds=${2:-15}
kanro=${KANRO_BIN:-"$here/build/bin/kanro"}
for tool in Xvfb import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (tools/install-deps.sh --screenshot)" >&2; exit 1; }
done
[ -x "$kanro" ] || { echo "screenshot.sh: build kanro first ($kanro)" >&2; exit 1; }

work=$(mktemp -d)
display=":$((90 + RANDOM % 100))"
cleanup() {
  [ -n "${kanro_pid:-}" ] && kill "$kanro_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  if [ -n "${KANRO_SCREENSHOT_LOG:-}" ]; then cp "$work/kanro.log" "$KANRO_SCREENSHOT_LOG" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
DISPLAY="$display" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share" TMPDIR="$work" \
  QT_QPA_PLATFORM=xcb "$kanro" --demo --data-dir "$work/data" >"$work/kanro.log" 2>&1 &
kanro_pid=$!
sleep "$wait_seconds"

mkdir -p "$(dirname "$out")"
DISPLAY="$display" import -window root "$out"
echo "$out"

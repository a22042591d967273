#!/usr/bin/env bash
# Installs the Debian 12 packages Kanro needs to build, run and test.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-webengine-dev qt6-translations-l10n xdg-utils
  libcurl4-openssl-dev libpcre2-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  tinyproxy ripgrep perl fonts-ipafont-gothic
  xmltv-util python3-icalendar python3-html5lib socat
)
# Node and npm for the real tuner server of the tests: Debian's unless a
# Node is installed already (its own npm comes with it).
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

# --screenshot: also what tools/screenshot.sh needs (a virtual X server and import).
if [ "${1:-}" = "--screenshot" ]; then packages+=(xvfb imagemagick); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi

# The real tuner server the tuner-source tests start (from npm, without its
# install scripts; the tests install it there too when it is missing).
tuner_dir=${KANRO_TUNER_SERVER_DIR:-"$HOME/.cache/kanro/tuner-server"}
if [ ! -f "$tuner_dir/node_modules/mirakurun/lib/server.js" ]; then
  mkdir -p "$tuner_dir"
  npm install --ignore-scripts --no-audit --no-fund --prefix "$tuner_dir" mirakurun@3.9.0-rc.4
fi

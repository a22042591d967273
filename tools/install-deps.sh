#!/usr/bin/env bash
# Installs the Debian 12 packages Kanro needs to build, run and test.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-webengine-dev
  libcurl4-openssl-dev libpcre2-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  tinyproxy ripgrep perl fonts-ipafont-gothic
  xmltv-util python3-icalendar python3-html5lib
)

# --screenshot: also what tools/screenshot.sh needs (a virtual X server and import).
if [ "${1:-}" = "--screenshot" ]; then packages+=(xvfb imagemagick); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"

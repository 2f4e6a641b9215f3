#!/bin/bash
# Installs the Debian packages the build, the program and the tests need (only those missing), keeping
# Recommends: Wine's launcher, its fonts and X libraries come in as Recommends.
set -euo pipefail
packages=(cmake make g++ googletest libbenchmark-dev clang libclang-rt-14-dev
          g++-mingw-w64-x86-64 wine64 wine fonts-wine xvfb xdotool x11-utils imagemagick python3-jsonschema)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null

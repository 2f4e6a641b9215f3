#!/bin/bash
# Draws the program's icon again into res/QuorvelManager.ico (it is kept in the repository; run this after
# changing res/icon/make_icon.cpp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$(mktemp)
trap 'rm -f "$tool"' EXIT
g++ -std=c++20 -O2 -o "$tool" "$root/res/icon/make_icon.cpp"
"$tool" "$root/res/QuorvelManager.ico"
echo "wrote res/QuorvelManager.ico"

#!/bin/bash
# The up-to-date check of a 512 MiB game folder under Wine, against reading
# the same files with the same block size (bench/UpdateCheckWinBench.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_root=${VEMOR_BUILD_ROOT:-$root/build}
scripts/build win64 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/tools/wine-run" --prefix "$build_root/win64/wineprefix" \
    "$build_root/win64/bench_update_check_wine.exe" | tr -d '\r'

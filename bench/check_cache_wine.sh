#!/bin/bash
# The up-to-date check of a 1 GiB game folder under Wine with and without the
# check cache, against reading the same files (bench/CheckCacheWinBench.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_root=${VEMOR_BUILD_ROOT:-$root/build}
scripts/build win64 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/tools/wine-run" --prefix "$build_root/win64/wineprefix" \
    "$build_root/win64/bench_check_cache_wine.exe" | tr -d '\r'

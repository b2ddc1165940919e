#!/bin/bash
# The identity step of start-up, timed under Wine in the 64-bit build.
set -euo pipefail
cd "$(dirname "$0")/.."
build_root=${VEMOR_BUILD_ROOT:-$(pwd)/build}
scripts/build win64 >/dev/null
tools/wine-run --prefix "$build_root/win64/wineprefix" "$build_root/win64/bench_identity.exe"

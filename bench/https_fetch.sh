#!/bin/bash
# A fetch of the launcher's over HTTPS against the same fetch over plain
# HTTP, under Wine, against the loopback servers of the HTTPS test: the first
# fetch of a process (five starts of each, in turns), then the fetches after it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_root=${VEMOR_BUILD_ROOT:-$root/build}
scripts/build win64 >/dev/null
export wine_run=$root/tools/wine-run prefix=$build_root/win64/wineprefix
export program=$build_root/win64/bench_https_fetch.exe
fetches() {
    for _ in 1 2 3 4 5; do
        for scheme in https http; do
            echo "$scheme $("$wine_run" --prefix "$prefix" "$program" first $scheme | tr -d '\r')"
        done
    done | /usr/bin/python3 -c '
import statistics, sys
times = {}
for line in sys.stdin:
    scheme, ms = line.split()
    times.setdefault(scheme, []).append(float(ms))
https, http = statistics.median(times["https"]), statistics.median(times["http"])
print("first fetch of a process under Wine (median of 5): https %.1f ms, http %.1f ms, ratio %.2f"
      % (https, http, https / http))'
    "$wine_run" --prefix "$prefix" "$program" | tr -d '\r'
}
export -f fetches
/usr/bin/python3 tools/tls/tls_servers.py --certs "$build_root/win64/tls" \
    --trust "$wine_run" --prefix "$prefix" "$build_root/win64/vemor-trust-ca.exe" -- bash -c fetches

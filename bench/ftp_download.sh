#!/bin/bash
# FTP download of a 64 MiB file from the loopback demo FTP server under Wine:
# the launcher's download against a bare WinINet loop (64 KiB reads into a
# flushed local file) fetching the same file in the same run, in turns.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_root=${VEMOR_BUILD_ROOT:-$root/build}
scripts/build win64 >/dev/null
program=$build_root/win64/bench_ftp_download.exe
work=$(mktemp -d)
server=
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && { wait "$server" 2>/dev/null || true; }
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/root" "$work/out"
head -c $((64 << 20)) /dev/urandom >"$work/root/big.bin"
/usr/bin/python3 tools/demo/ftp_server.py --port 0 --root "$work/root" --ready-file "$work/port" \
    >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
size=$(stat -c %s "$work/root/big.bin")
crc=$(/usr/bin/python3 -c "import zlib,sys; print(zlib.crc32(open(sys.argv[1],'rb').read()))" "$work/root/big.bin")

read -r ours bare < <(cd "$work/out" &&
    "$root/tools/wine-run" --prefix "$build_root/win64/wineprefix" "$program" "$port" big.bin "$size" "$crc" |
    tr -d '\r')
for copy in big.bin bare.bin; do
    cmp -s "$work/out/$copy" "$work/root/big.bin" || { echo "ftp download: $copy differs"; exit 1; }
done
echo "ftp download 64 MiB under Wine: launcher ${ours} s, bare WinINet loop ${bare} s," \
    "ratio $(/usr/bin/python3 -c "print(round($ours / $bare, 2))")"

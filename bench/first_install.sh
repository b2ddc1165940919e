#!/bin/bash
# A first install under Wine: 500 small files in 10 folders through a
# pyftpdlib server that delays every reply by 50 ms, as a round trip on a real
# line would. The launcher's time against the least any client could need:
# the files' bytes at the loopback speed (measured in the same run) plus one
# round trip per file.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_root=${VEMOR_BUILD_ROOT:-$root/build}
scripts/build win64 >/dev/null
program=$build_root/win64/bench_first_install.exe
work=$(mktemp -d)
servers=()
cleanup() {
    for server in "${servers[@]}"; do kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/files" "$work/big" "$work/out"
/usr/bin/python3 - "$work" <<'PY'
import os, random, sys, zlib
work = sys.argv[1]
random.seed(20)
lines = []
for i in range(500):
    folder, name = "folder%d" % (i % 10), "file%03d.dat" % i
    data = random.randbytes(random.randint(1000, 40000))
    os.makedirs(os.path.join(work, "files", folder), exist_ok=True)
    with open(os.path.join(work, "files", folder, name), "wb") as f:
        f.write(data)
    lines.append("%s\\%s|%d|%d" % (folder, name, zlib.crc32(data), len(data)))
with open(os.path.join(work, "list.txt"), "w", newline="") as f:
    f.write("\n".join(lines) + "\n")
PY
head -c $((64 << 20)) /dev/urandom >"$work/big/big.bin"

start_server() { # root delay ready-file
    /usr/bin/python3 - "$@" <<'PY' >/dev/null 2>&1 &
import os, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
root, delay, ready = sys.argv[1], float(sys.argv[2]), sys.argv[3]

class Late(FTPHandler):
    """Every reply leaves after `delay` seconds, in order."""
    def respond(self, resp, logfun=None):
        if delay:
            self.ioloop.call_later(delay, FTPHandler.respond, self, resp)
        else:
            FTPHandler.respond(self, resp)

authorizer = DummyAuthorizer()
authorizer.add_user("kel", "tQwa3mxp", root, perm="elr")
Late.authorizer, Late.masquerade_address = authorizer, "127.0.0.1"
server = FTPServer(("127.0.0.1", 0), Late)
with open(ready + ".tmp", "w") as f:
    f.write(str(server.address[1]))
os.replace(ready + ".tmp", ready)
server.serve_forever()
PY
    servers+=($!)
}
start_server "$work/files" 0.05 "$work/delayed.port"
start_server "$work/big" 0 "$work/plain.port"
for _ in $(seq 100); do [ -s "$work/delayed.port" ] && [ -s "$work/plain.port" ] && break; sleep 0.1; done

read -r took bare speed < <(cd "$work/out" &&
    "$root/tools/wine-run" --prefix "$build_root/win64/wineprefix" "$program" \
        "$(cat "$work/delayed.port")" "$(cat "$work/plain.port")" "Z:${work//\//\\}\\list.txt" big.bin |
    tr -d '\r')
diff -r "$work/files" "$work/out" >/dev/null || { echo "first install: files differ"; exit 1; }
bytes=$(du -sb --apparent-size "$work/files" | cut -f1)
/usr/bin/python3 - "$took" "$bare" "$speed" "$bytes" <<'PY'
import sys
took, bare, speed, size = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
least = size / speed + 500 * 0.05
print("first install of 500 files (%.1f MB) in 10 folders, replies 50 ms late, under Wine: "
      "launcher %.1f s, bytes at loopback speed plus one round trip per file %.1f s (ratio %.2f), "
      "a bare WinINet loop over the same files %.1f s (ratio %.2f)"
      % (size / 1e6, took, least, took / least, bare, took / bare))
PY

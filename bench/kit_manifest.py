"""The kit's /files.php for a 512 MiB set of 64 files under PHP's built-in
web server: the first request (no CRC cache: every file is read) against
computing the same CRCs with zlib, and a later request (all CRCs cached)
against fetching a small static file from the same server; then under Apache
with mod_php, 20 requests at once on a cold cache against zlib's CRCs."""
import concurrent.futures
import os
import shutil
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "kit"))
from kit_server import KitServer, deploy  # noqa: E402
from real_servers import Apache, let_web_server_write  # noqa: E402

FILES, FILE_SIZE, ROUNDS = 64, 8 * 1024 * 1024, 5
PAST = 1700000000


def fastest(action, rounds=ROUNDS, before=None):
    best = None
    for _ in range(rounds):
        if before:
            before()
        start = time.perf_counter()
        action()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def zlib_crcs(paths):
    for path in paths:
        crc = 0
        with open(path, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                crc = zlib.crc32(block, crc)


def main():
    work = tempfile.mkdtemp()
    try:
        files = os.path.join(work, "files")
        paths = []
        block = os.urandom(1 << 20)
        for i in range(FILES):
            path = os.path.join(files, "base" if i % 2 else "japlus", "pack%02d.pk3" % i)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                for j in range(FILE_SIZE >> 20):
                    f.write(bytes([i, j]) + block[2:])
            os.utime(path, (PAST, PAST))
            paths.append(path)
        kit = deploy(work, files, servers=b"10.0.0.1|Bench\n")
        os.makedirs(os.path.join(kit, "public", "INFO"), exist_ok=True)
        with open(os.path.join(kit, "public", "INFO", "serverlist.inf"), "wb") as f:
            f.write(b"stamp\r\n10.0.0.1|Bench\r\n")
        server = KitServer(kit)
        try:
            cache = os.path.join(kit, "files-crc.json")

            def manifest():
                status, body, _ = server.get("/files.php")
                if status != 200 or body.count(b"\r\n") != FILES + 1:
                    raise SystemExit("files.php answered %d: %r" % (status, body[:200]))

            def drop_cache():
                if os.path.exists(cache):
                    os.remove(cache)

            first = fastest(manifest, rounds=3, before=drop_cache)
            crc_reference = fastest(lambda: zlib_crcs(paths), rounds=3)
            manifest()  # fills the cache for the later requests
            later = fastest(manifest, rounds=20)
            static = fastest(lambda: server.get("/INFO/serverlist.inf"), rounds=20)
        finally:
            server.stop()
        os.chmod(work, 0o755)
        let_web_server_write(kit)
        apache = Apache(kit, work)
        try:
            def twenty():
                with concurrent.futures.ThreadPoolExecutor(20) as pool:
                    answers = list(pool.map(lambda _: apache.get("/files.php")[0], range(20)))
                if answers != [200] * 20:
                    raise SystemExit("Apache answered %r" % answers)
            concurrent_first = fastest(twenty, rounds=3, before=drop_cache)
        finally:
            apache.stop()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    size = FILES * FILE_SIZE >> 20
    print("kit /files.php, %d MiB in %d files, first request (no CRC cache): %.1f ms; "
          "zlib's crc32 of the same files %.1f ms; ratio %.2f"
          % (size, FILES, first * 1e3, crc_reference * 1e3, first / crc_reference))
    print("kit /files.php, later request (CRCs cached): %.2f ms; a small static file from the "
          "same server %.2f ms; ratio %.2f" % (later * 1e3, static * 1e3, later / static))
    print("kit /files.php under Apache with mod_php, 20 requests at once on a cold cache: %.1f ms "
          "until the last answer; zlib's crc32 of the set %.1f ms; ratio %.2f"
          % (concurrent_first * 1e3, crc_reference * 1e3, concurrent_first / crc_reference))


if __name__ == "__main__":
    main()

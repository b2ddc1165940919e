"""The real launcher against the community's server kit: the kit's PHP pages
under PHP's built-in web server on the launcher's portal port, and the demo
FTP server over the same file set."""
import os
import shutil
import subprocess
import sys

from harness import expect, read, read_records, wait_for, write
from update_scenarios import TITLE, LAUNCH, STATUS, pattern, server_cache, status

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "kit"))
from kit_server import KitServer, deploy, make_server_list  # noqa: E402

SERVERS = (b"# the community's servers\n"
           b"10.1.2.3:29071|Vemor Duel\n"
           b"127.0.0.2|Vemor FFA\n"
           b"localhost|Vemor Local\n")


def start_ftp(h, root):
    ready = os.path.join(h.build, "e2e", "kit-ftp.ready")
    if os.path.exists(ready):
        os.remove(ready)
    process = subprocess.Popen(["/usr/bin/python3", os.path.join(h.source, "tools", "demo", "ftp_server.py"),
                                "--root", root, "--port", str(h.ftp_port), "--ready-file", ready],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    h.servers.append(process)
    wait_for(lambda: os.path.exists(ready) or process.poll() is not None, "the FTP server")
    expect(process.poll() is None, "the FTP server did not start")


def scenario_kit_update(h):
    """A game folder brought to the kit's file set byte for byte (missing,
    changed, current and empty files in sub-folders, a deleted one), and the
    game's server cache listing the kit's servers under the kit's stamp."""
    place = os.path.join(h.build, "e2e", "kit-community")
    shutil.rmtree(place, ignore_errors=True)
    files = {"base\\vemor_skins.pk3": pattern(1500000, 5), "japlus\\maps\\duel.pk3": pattern(300000, 9),
             "japlus\\community.cfg": b"seta community 2\r\n", "current.txt": b"same bytes\r\n",
             "empty.dat": b""}
    file_set = os.path.join(place, "files")
    for rel, content in files.items():
        write(os.path.join(file_set, *rel.split("\\")), content)
    kit = deploy(place, file_set, delete=["old/stale.pk3"], servers=SERVERS)
    code, _, err = make_server_list(kit)
    expect(code == 0, "the server-list tool refused: " + err)
    stamp = read(os.path.join(kit, "public", "INFO", "serverlist.inf")).split(b"\r\n")[0]
    h.servers.append(KitServer(kit, port=h.portal_port, log=os.path.join(place, "php.log")))
    start_ftp(h, file_set)

    folder = h.game_folder("kit-update")
    write(os.path.join(folder, "japlus", "community.cfg"), b"seta community 1\r\n")
    write(os.path.join(folder, "current.txt"), b"same bytes\r\n")
    write(os.path.join(folder, "old", "stale.pk3"), b"stale")
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 90000)
    expect(status(h) == "Up to date", f"status {status(h)!r}")
    for rel, content in files.items():
        got = read(os.path.join(folder, *rel.split("\\")))
        expect(got == content, f"{rel}: {len(got)} bytes differ from the kit's {len(content)}")
    expect(not os.path.exists(os.path.join(folder, "old", "stale.pk3")), "stale file kept")

    expected = server_cache([([10, 1, 2, 3], 29071, b"Vemor Duel"), ([127, 0, 0, 2], 29070, b"Vemor FFA")])
    # localhost is stored as the game's loopback entry: type 2, no address.
    local = (bytes([2, 0, 0, 0]) + bytes(16) + b"Vemor Local".ljust(32, b"\0") + bytes(92) +
             bytes([1, 0, 0, 0]) + bytes(16))
    split = 16 + 2176 * 164 + 2 * 164
    expected = expected[:8] + bytes([3, 0, 0, 0]) + expected[12:split] + local + expected[split + 164:]
    cache = os.path.join(folder, "servercache.dat")
    wait_for(lambda: os.path.exists(cache) and os.path.getsize(cache) == len(expected), "servercache.dat")
    expect(read(cache) == expected, "servercache.dat does not list the kit's servers")
    ini = read(os.path.join(folder, "vemor.ini")).replace(b"\r\n", b"\n")
    expect(b"[Orvintal]\nserverlist=" + stamp + b"\n" in ini, f"vemor.ini {ini!r}")

    h.driver("click", *TITLE, "--id", LAUNCH)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    expect(len(read_records(os.path.join(folder, "jamp-started.txt"))) == 1, "the game did not start")


SCENARIOS = [scenario_kit_update]

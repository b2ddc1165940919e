"""The update: the real launcher against the community kit (under PHP's
built-in web server) and the demo FTP server."""
import os
import shutil
import sys

from harness import (LAUNCH, STATUS, TITLE, check_files, expect, expect_server_cache, ini,
                     leftovers, pattern, put_files, read, read_records, wait_for, write)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "kit"))
from kit_server import KitServer, deploy, make_server_list  # noqa: E402


def scenario_update(h):
    """Started from another folder (a shortcut's "Start in"), the launcher
    brings its game folder to the kit's file set (missing, changed, current,
    empty and deleted files) while the bar moves and the status names the file;
    then "Up to date", the server cache lists the kit's servers (a broken line
    skipped, localhost as loopback) under its stamp, and "Launch!" works. The
    start folder is left as it was."""
    place = os.path.join(h.build, "e2e", "kit-community")
    shutil.rmtree(place, ignore_errors=True)
    files = {"base\\vemor_new.pk3": pattern(4 * 1024 * 1024, 7),
             "japlus\\maps\\duel.pk3": pattern(300000, 9),
             "japlus\\community.cfg": b"seta community 2\r\n", "current.txt": b"same bytes\r\n",
             "empty.dat": b""}
    file_set = os.path.join(place, "files")
    put_files(file_set, files)
    kit = deploy(place, file_set, delete=["old/stale.pk3", "decoy.txt"],
                 servers=b"# the community's servers\n10.1.2.3:29071|Vemor Duel\n"
                         b"127.0.0.2|Vemor FFA\nlocalhost|Vemor Local\n")
    code, _, err = make_server_list(kit)
    expect(code == 0, "the server-list tool refused: " + err)
    served = os.path.join(kit, "public", "INFO", "serverlist.inf")
    stamp = read(served).split(b"\r\n")[0]
    write(served, read(served) + b"broken line\r\n")
    h.servers.append(KitServer(kit, port=h.portal_port, log=os.path.join(place, "php.log")))
    h.start_demo(files=file_set, rate=500000)

    folder = h.game_folder("update")
    put_files(folder, {"japlus\\community.cfg": b"seta community 1\r\n", "current.txt": b"same bytes\r\n",
                       "old\\stale.pk3": b"stale", "decoy.txt": b"listed", "keep.txt": b"the player's own"})
    start = os.path.join(h.build, "e2e", "start-folder")
    shutil.rmtree(start, ignore_errors=True)
    write(os.path.join(start, "decoy.txt"), b"the user's own file")
    process = h.start_launcher(folder, cwd=start, shown=True)
    h.driver("wait-control", *TITLE, "--id", STATUS, "--text", "Downloading base\\vemor_new.pk3...",
             "--timeout", 30000)
    expect(h.control(LAUNCH)["enabled"] == "0", "Launch! enabled while downloading")
    positions = set()  # the bar moves: two positions on the way, neither empty nor full
    wait_for(lambda: positions.add(h.progress()) or len(positions - {0, 100}) >= 2, "the bar to move", 30)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 60000)
    expect((h.status(), h.progress()) == ("Up to date", 0), f"status {h.status()!r}, bar not empty")

    check_files(folder, files)
    for gone in ("old\\stale.pk3", "decoy.txt"):
        expect(not os.path.exists(os.path.join(folder, *gone.split("\\"))), f"{gone} kept")
    expect(read(os.path.join(folder, "keep.txt")) == b"the player's own", "keep.txt touched")
    expect(not leftovers(folder), f"partial files left: {leftovers(folder)}")
    expect_server_cache(folder, [([10, 1, 2, 3], 29071, b"Vemor Duel"), ([127, 0, 0, 2], 29070, b"Vemor FFA")],
                        local=b"Vemor Local")
    expect(b"[Orvintal]\nserverlist=" + stamp + b"\n" in ini(folder), f"vemor.ini {ini(folder)!r}")

    h.driver("click", *TITLE, "--id", LAUNCH)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    expect(len(read_records(os.path.join(folder, "jamp-started.txt"))) == 1, "the game did not start")
    expect(os.listdir(start) == ["decoy.txt"], f"start folder {os.listdir(start)}")
    expect(read(os.path.join(start, "decoy.txt")) == b"the user's own file", "the start folder's decoy")


SCENARIOS = [scenario_update]

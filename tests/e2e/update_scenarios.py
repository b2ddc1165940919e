"""The update: the real launcher against the community kit (under PHP's
built-in web server) or the demo portal, and the demo FTP server."""
import os
import shutil

from harness import (LAUNCH, TITLE, check_files, community, expect, expect_server_cache, ini,
                     leftovers, pattern, put_files, read, read_records, write)
from kit_server import KitServer, deploy, make_server_list
from update_servers import free_port, start_breaking_proxy


def scenario_update(h):
    """Started from another folder (a shortcut's "Start in"), the launcher
    brings its game folder to the kit's file set (missing, changed, current,
    empty and deleted files); then "Up to date", the server cache lists the
    kit's servers (a broken line skipped, localhost as loopback) under its
    stamp, and "Launch!" works. The start folder is left as it was. (The bar
    and the status during a download: every_close_asks_while_downloading.)"""
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
    h.start_demo(files=file_set)

    folder = h.game_folder("update")
    put_files(folder, {"japlus\\community.cfg": b"seta community 1\r\n", "current.txt": b"same bytes\r\n",
                       "old\\stale.pk3": b"stale", "decoy.txt": b"listed", "keep.txt": b"the player's own"})
    start = os.path.join(h.build, "e2e", "start-folder")
    shutil.rmtree(start, ignore_errors=True)
    write(os.path.join(start, "decoy.txt"), b"the user's own file")
    process = h.start_launcher(folder, cwd=start, shown=True)
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


def scenario_first_install_over_a_breaking_link(h):
    files = {"base\\assets.pk3": pattern(2 * 1024 * 1024, 5), "japlus\\maps\\duel.pk3": pattern(700000, 3),
             "japlus\\small.cfg": b"seta small 1\r\n"}
    upstream = free_port()
    h.start_demo(community(h, "breaking", files), ftp_port=upstream)
    counts = os.path.join(h.build, "e2e", "breaking-counts")
    shutil.rmtree(counts, ignore_errors=True)
    os.makedirs(counts)
    port, proxy = start_breaking_proxy(upstream, counts, 400000, 2, port=h.ftp_port)
    h.servers.append(proxy)
    folder = h.game_folder("first-install")
    h.run(folder)
    check_files(folder, files)
    expect(not leftovers(folder), f"partial files left: {leftovers(folder)}")
    log = read(os.path.join(folder, "vemor.log"))
    expect(log.count(b"trying again from byte") == 2, "not two retries in vemor.log")
    sent = int(read(os.path.join(counts, "%d.sent" % port)))
    expect(sent == sum(map(len, files.values())), f"the server sent {sent} bytes")


SCENARIOS = [scenario_update, scenario_first_install_over_a_breaking_link]

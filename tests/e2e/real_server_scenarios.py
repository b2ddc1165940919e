"""The launcher against the kit as a community runs it: Debian's Apache with
mod_php for the portal and vsftpd for the files, each with a configuration of
the test's own on the ports the launcher was built for. The signed ones: the
launcher built with the test public key, the kit signing with its private key."""
import os
import shutil

from harness import (LAUNCH, TITLE, change_in_place, check_files, expect, expect_server_cache,
                     folder_snapshot, ini, leftovers, pattern, publish_signed, put_files, read,
                     read_records, wait_for, write)
from kit_server import deploy, make_server_list, write_config
from real_servers import Apache, Vsftpd, let_web_server_write

FILES = {"base\\vemor_new.pk3": pattern(2 * 1024 * 1024, 7), "japlus\\maps\\duel.pk3": pattern(300000, 9),
         "japlus\\community.cfg": b"seta community 2\r\n", "empty.dat": b""}


class Community:
    def __init__(self, h, name, servers, delete=()):
        self.place = os.path.join(h.build, "e2e", "real-" + name)
        shutil.rmtree(self.place, ignore_errors=True)
        self.files = os.path.join(self.place, "files")
        put_files(self.files, FILES)
        # An upload left half done, as the kit must never list it.
        write(os.path.join(self.files, "base", ".vemor_next.pk3.Xy12Ab"), b"half")
        self.kit = deploy(self.place, self.files, delete, servers=servers)
        let_web_server_write(self.kit)
        h.servers.append(Apache(self.kit, self.place, port=h.portal_port))
        self.ftp = Vsftpd(self.files, self.place, port=h.ftp_port)
        h.servers.append(self.ftp)

    def fetched(self):
        return [name.lstrip("/") for name in self.ftp.fetched()]

    def replace(self, rel, data):
        # As the admin's guide says: uploaded beside the set, then moved in.
        incoming = os.path.join(self.place, "incoming")
        write(os.path.join(incoming, "upload"), data)
        os.replace(os.path.join(incoming, "upload"), os.path.join(self.files, *rel.split("\\")))


def scenario_kit_on_apache_and_vsftpd(h):
    """Started from another folder (a shortcut's "Start in"), the launcher
    brings its game folder to the set (missing, changed, current, empty and
    deleted files); then "Up to date", the server cache lists the kit's
    servers (a broken line skipped, localhost as loopback) under its stamp,
    "Launch!" works, and the start folder is left as it was. (The bar and the
    status during a download: every_close_asks_while_downloading.) Later a
    file of the set that changed is fetched again; files changed in place
    with size and time put back are not read (the check cache) nor fetched;
    one whose time changed is read again, and fetched."""
    c = Community(h, "plain", b"# the community's servers\n10.1.2.3:29071|Vemor Duel\n127.0.0.2|Vemor FFA\n"
                  b"localhost|Vemor Local\n", delete=["old/stale.pk3", "decoy.txt"])
    expect(make_server_list(c.kit)[0] == 0, "the server-list tool refused")
    served = os.path.join(c.kit, "public", "INFO", "serverlist.inf")
    stamp = read(served).split(b"\r\n")[0]
    write(served, read(served) + b"broken line\r\n")
    folder = h.game_folder("real-plain-game")
    # community.cfg is remembered from its read, the others as verified downloads.
    put_files(folder, {"japlus\\community.cfg": FILES["japlus\\community.cfg"], "japlus\\maps\\duel.pk3": b"old",
                       "old\\stale.pk3": b"stale", "decoy.txt": b"listed", "keep.txt": b"the player's own"})
    start = os.path.join(c.place, "start-folder")
    write(os.path.join(start, "decoy.txt"), b"the user's own file")
    process = h.start_launcher(folder, cwd=start, shown=True)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 60000)
    expect((h.status(), h.progress()) == ("Up to date", 0), f"status {h.status()!r}, bar not empty")
    check_files(folder, FILES)
    expect(sorted(c.fetched()) == sorted(n.replace("\\", "/") for n in FILES if n != "japlus\\community.cfg"),
           f"fetched {c.fetched()}")
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

    def run(expected, *fetched):
        before = len(c.fetched())
        h.run(folder)
        check_files(folder, expected)
        expect(sorted(c.fetched()[before:]) == sorted(fetched), f"fetched {c.fetched()[before:]}")

    c.replace("japlus\\maps\\duel.pk3", pattern(300001, 3))
    changed = {rel: change_in_place(os.path.join(folder, *rel.split("\\")), 0)
               for rel in ("base\\vemor_new.pk3", "japlus\\community.cfg")}
    changed["japlus\\maps\\duel.pk3"] = pattern(300001, 3)
    run(dict(FILES, **changed), "japlus/maps/duel.pk3")
    change_in_place(os.path.join(folder, "base", "vemor_new.pk3"), 1, keep_time=False)
    run(dict(FILES, **dict(changed, **{"base\\vemor_new.pk3": FILES["base\\vemor_new.pk3"]})),
        "base/vemor_new.pk3")


def scenario_signed_kit_on_apache_and_vsftpd(h):
    """Server names in the players' languages reach the game's cache as listed.
    Then an older signed manifest served again is refused (what it deletes
    stays), and so is the accepted one edited after signing; the stored
    sequence stays, and the log names each refusal's reason."""
    duel, arena = "Академия Дуэль".encode(), "Arena São Paulo".encode()
    c = Community(h, "signed", b"10.1.2.3:29071|" + duel + b"\n127.0.0.2|" + arena + b"\n",
                  delete=["old/stale.pk3", "japlus/later.cfg"])
    manifest = os.path.join(c.kit, "public", "signed", "files.txt")
    first = publish_signed(c.kit, c.place)
    older = read(manifest)
    write_config(c.kit, c.files, ["old/stale.pk3"])
    newer = publish_signed(c.kit, c.place)
    folder = h.game_folder("real-signed-game", launcher="vemor-testkey.exe")
    put_files(folder, {"japlus\\community.cfg": b"seta community 1\r\n", "old\\stale.pk3": b"stale",
                       "japlus\\maps\\duel.pk3": FILES["japlus\\maps\\duel.pk3"]})
    h.run(folder)
    check_files(folder, FILES)
    expect(not os.path.exists(os.path.join(folder, "old", "stale.pk3")), "stale file kept")
    expect_server_cache(folder, [([10, 1, 2, 3], 29071, duel), ([127, 0, 0, 2], 29070, arena)])
    wait_for(lambda: b"serverlistsequence=%d\n" % newer in ini(folder), "the list's sequence")
    expect(b"manifestsequence=%d\n" % newer in ini(folder), f"vemor.ini {ini(folder)!r}")

    accepted = read(manifest)
    write(manifest, older)
    write(os.path.join(folder, "japlus", "later.cfg"), b"made after the newer set")
    h.run(folder, "Update failed")
    expect(read(os.path.join(folder, "japlus", "later.cfg")) == b"made after the newer set",
           "the older manifest's delete was done")

    write(manifest, accepted.replace(b"delete old\\stale.pk3\n", b"delete keep.txt\n"))
    write(os.path.join(folder, "keep.txt"), b"the player's own file")
    before = folder_snapshot(folder)
    h.run(folder, "Update failed")
    after = folder_snapshot(folder)
    for log in ("vemor.log", "vemor.old.log"):  # every run writes its log
        before.pop(log), after.pop(log)
    expect(after == before, f"files changed: {sorted(set(after) ^ set(before))}")
    expect(b"manifestsequence=%d\n" % newer in ini(folder), f"vemor.ini {ini(folder)!r}")
    for log, reason in (("vemor.old.log", b"sequence %d is older than %d" % (first, newer)),
                        ("vemor.log", b"bad signature")):
        text = read(os.path.join(folder, log))
        expect(b"signed manifest refused: " + reason in text, f"{log} without {reason!r}: {text!r}")


SCENARIOS = [scenario_kit_on_apache_and_vsftpd]
SIGNED_SCENARIOS = [scenario_signed_kit_on_apache_and_vsftpd]

"""The launcher against the kit as a community runs it: Debian's Apache with
mod_php for the portal and vsftpd for the files, each with a configuration of
the test's own on the ports the launcher was built for. The signed ones: the
launcher built with the test public key, the kit signing with its private key."""
import os
import shutil

from harness import (change_in_place, check_files, expect, expect_server_cache, folder_snapshot,
                     ini, pattern, publish_signed, put_files, read, wait_for, write)
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
    """A file of the set that changed is fetched again. Files changed in place
    with size and time put back are not read (the check cache) nor fetched;
    one whose time changed is read again, and fetched."""
    c = Community(h, "plain", b"10.1.2.3:29071|Vemor Duel\n")
    expect(make_server_list(c.kit)[0] == 0, "the server-list tool refused")
    folder = h.game_folder("real-plain-game")
    # Remembered from its read; the others as verified downloads.
    write(os.path.join(folder, "japlus", "community.cfg"), FILES["japlus\\community.cfg"])

    def run(expected, *fetched):
        before = len(c.fetched())
        h.run(folder)
        check_files(folder, expected)
        expect(sorted(c.fetched()[before:]) == sorted(fetched), f"fetched {c.fetched()[before:]}")

    run(FILES, *(n.replace("\\", "/") for n in FILES if n != "japlus\\community.cfg"))
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

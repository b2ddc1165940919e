"""The launcher built with the test public key against the kit signing with the
matching private key: signed updates land byte for byte; nothing unsigned or
older than what was accepted is put in place."""
import os
import shutil

from harness import (check_files, expect, expect_server_cache, folder_snapshot, ini, pattern,
                     publish_signed, put_files, read, wait_for, write)
from kit_server import KitServer, deploy, write_config


class SignedCommunity:

    def __init__(self, h, name, files, delete=()):
        self.place = os.path.join(h.build, "e2e", "signed-community-" + name)
        shutil.rmtree(self.place, ignore_errors=True)
        self.files = os.path.join(self.place, "files")
        put_files(self.files, files)
        self.kit = deploy(self.place, self.files, delete,
                          servers=b"10.1.2.3:29071|Vemor Duel\n127.0.0.2|Vemor FFA\n")
        self.manifest = os.path.join(self.kit, "public", "signed", "files.txt")
        self.sequence = self.publish()
        h.servers.append(KitServer(self.kit, port=h.portal_port, log=os.path.join(self.place, "php.log")))
        h.start_demo(files=self.files)

    def publish(self):
        return publish_signed(self.kit, self.place)


def scenario_signed_update(h):
    """After a signed update, an older signed manifest and the accepted one
    edited after signing are refused, and the stored sequence stays."""
    files = {"base\\vemor_skins.pk3": pattern(1500000, 5), "japlus\\community.cfg": b"seta community 2\r\n",
             "current.txt": b"same bytes\r\n", "empty.dat": b""}
    c = SignedCommunity(h, "update", files, delete=["old/stale.pk3", "japlus/later.cfg"])
    older = read(c.manifest)
    write_config(c.kit, c.files, ["old/stale.pk3"])
    newer = c.publish()
    expect(newer > c.sequence, "the sequence did not grow")
    folder = h.game_folder("signed-update", launcher="vemor-testkey.exe")
    put_files(folder, {"japlus\\community.cfg": b"seta community 1\r\n", "current.txt": b"same bytes\r\n",
                       "old\\stale.pk3": b"stale"})
    h.run(folder)
    check_files(folder, files)
    expect(not os.path.exists(os.path.join(folder, "old", "stale.pk3")), "stale file kept")
    expect_server_cache(folder, [([10, 1, 2, 3], 29071, b"Vemor Duel"), ([127, 0, 0, 2], 29070, b"Vemor FFA")])
    wait_for(lambda: b"serverlistsequence=%d\n" % newer in ini(folder), "the list's sequence")
    expect(b"manifestsequence=%d\n" % newer in ini(folder), f"vemor.ini {ini(folder)!r}")

    accepted = read(c.manifest)
    write(c.manifest, older)
    write(os.path.join(folder, "japlus", "later.cfg"), b"made after the newer set")
    h.run(folder, "Update failed")
    expect(read(os.path.join(folder, "japlus", "later.cfg")) == b"made after the newer set",
           "the older manifest's delete was done")

    write(c.manifest, accepted.replace(b"delete old\\stale.pk3\n", b"delete keep.txt\n"))
    write(os.path.join(folder, "keep.txt"), b"the player's own file")
    before = folder_snapshot(folder)
    h.run(folder, "Update failed")
    after = folder_snapshot(folder)
    for log in ("vemor.log", "vemor.old.log"):  # every run writes its log
        before.pop(log), after.pop(log)
    expect(after == before, f"files changed: {sorted(set(after) ^ set(before))}")
    expect(b"manifestsequence=%d\n" % newer in ini(folder), f"vemor.ini {ini(folder)!r}")
    for log, reason in (("vemor.old.log", b"sequence %d is older than %d" % (c.sequence, newer)),
                        ("vemor.log", b"bad signature")):
        text = read(os.path.join(folder, log))
        expect(b"signed manifest refused: " + reason in text, f"{log} without {reason!r}: {text!r}")


SCENARIOS = [scenario_signed_update]

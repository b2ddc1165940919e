"""A launcher built with the community's (test) public key against the kit,
which signs with the matching private key, and the demo FTP server: signed
updates work byte for byte, and nothing that was not signed, nor anything
older than what was accepted, is put in place."""
import os
import re
import shutil
import subprocess
import sys
import zlib

from harness import (check_files, expect, expect_server_cache, folder_snapshot, ini, leftovers,
                     pattern, put_files, read, server_cache, wait_for, write)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "kit"))
from kit_server import KitServer, deploy, write_config  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def forge_same_crc(data, seed):
    """Other bytes of the same size and CRC-32: the middle changed, the last
    four bytes chosen to bring the CRC back (what anyone can do to a CRC)."""
    table = []
    for i in range(256):
        c = i
        for _ in range(8):
            c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
        table.append(c)
    by_top = {entry >> 24: i for i, entry in enumerate(table)}
    body = bytearray(data[:-4])
    for i in range(len(body) // 3, len(body) // 3 + 64):
        body[i] ^= seed
    # The register that four zero bytes turn into the wanted one, run backwards.
    register = zlib.crc32(data) ^ 0xFFFFFFFF
    for _ in range(4):
        index = by_top[register >> 24]
        register = (((register ^ table[index]) << 8) | index) & 0xFFFFFFFF
    tail = (register ^ zlib.crc32(bytes(body)) ^ 0xFFFFFFFF).to_bytes(4, "little")
    forged = bytes(body) + tail
    assert len(forged) == len(data) and zlib.crc32(forged) == zlib.crc32(data) and forged != data
    return forged


class SignedCommunity:
    """The kit over a file set, signed with the test key, served on the
    launcher's portal port, and the demo FTP server over the same file set."""

    def __init__(self, h, name, files, delete=()):
        self.place = os.path.join(h.build, "e2e", "signed-community-" + name)
        shutil.rmtree(self.place, ignore_errors=True)
        self.files = os.path.join(self.place, "files")
        put_files(self.files, files)
        self.kit = deploy(self.place, self.files, delete,
                          servers=b"10.1.2.3:29071|Vemor Duel\n127.0.0.2|Vemor FFA\n")
        # git keeps no owner-only mode, and the tool refuses a key others may read.
        self.key = os.path.join(self.place, "test-signing-key.pem")
        shutil.copy(os.path.join(HERE, "test-signing-key.pem"), self.key)
        os.chmod(self.key, 0o600)
        self.manifest = os.path.join(self.kit, "public", "signed", "files.txt")
        self.sequence = self.publish()
        h.servers.append(KitServer(self.kit, port=h.portal_port, log=os.path.join(self.place, "php.log")))
        h.start_demo(files=self.files)

    def publish(self):
        result = subprocess.run(["php", os.path.join(self.kit, "sign.php"), "publish", self.key],
                                capture_output=True, text=True, timeout=120)
        expect(result.returncode == 0, "sign.php refused: " + result.stderr)
        return int(re.search(r"as sequence (\d+)", result.stdout).group(1))


def run(h, folder, status):
    process = h.open(folder)
    expect(h.status() == status, f"status {h.status()!r}, not {status!r}")
    h.leave(process)


def scenario_signed_update(h):
    """Missing, changed and deleted files end in the signed state byte for
    byte; the game's server cache comes from the signed server list; both
    sequences are remembered. Then an older signed manifest, served again, is
    refused (what it deletes stays), and so is the accepted one edited after
    signing (nothing deleted); the remembered sequence stays."""
    files = {"base\\vemor_skins.pk3": pattern(1500000, 5), "japlus\\community.cfg": b"seta community 2\r\n",
             "current.txt": b"same bytes\r\n", "empty.dat": b""}
    c = SignedCommunity(h, "update", files, delete=["old/stale.pk3", "japlus/later.cfg"])
    older = read(c.manifest)
    write_config(c.kit, c.files, ["old/stale.pk3"])
    newer = c.publish()
    expect(newer > c.sequence, "the sequence did not grow")
    folder = h.game_folder("signed-update", launcher="vemor-testkey.exe")
    write(os.path.join(folder, "japlus", "community.cfg"), b"seta community 1\r\n")
    write(os.path.join(folder, "current.txt"), b"same bytes\r\n")
    write(os.path.join(folder, "old", "stale.pk3"), b"stale")
    run(h, folder, "Up to date")
    check_files(folder, files)
    expect(not os.path.exists(os.path.join(folder, "old", "stale.pk3")), "stale file kept")
    expect_server_cache(folder, server_cache([([10, 1, 2, 3], 29071, b"Vemor Duel"),
                                              ([127, 0, 0, 2], 29070, b"Vemor FFA")]))
    wait_for(lambda: b"serverlistsequence=%d\n" % newer in ini(folder), "the list's sequence")
    expect(b"manifestsequence=%d\n" % newer in ini(folder), f"vemor.ini {ini(folder)!r}")

    accepted = read(c.manifest)
    write(c.manifest, older)
    write(os.path.join(folder, "japlus", "later.cfg"), b"made after the newer set")
    run(h, folder, "Update failed")
    expect(read(os.path.join(folder, "japlus", "later.cfg")) == b"made after the newer set",
           "the older manifest's delete was done")

    write(c.manifest, accepted.replace(b"delete old\\stale.pk3\n", b"delete keep.txt\n"))
    write(os.path.join(folder, "keep.txt"), b"the player's own file")
    before = folder_snapshot(folder)
    run(h, folder, "Update failed")
    after = folder_snapshot(folder)
    for log in ("vemor.log", "vemor.old.log"):  # every run writes its log
        before.pop(log), after.pop(log)
    expect(after == before, f"files changed: {sorted(set(after) ^ set(before))}")
    expect(b"manifestsequence=%d\n" % newer in ini(folder), f"vemor.ini {ini(folder)!r}")


def scenario_signed_forged_launcher(h):
    """A new launcher whose bytes fail their signed SHA-256 (same size and
    CRC-32) is never put in place: no vemor.new, no piece of it, no hand-off to
    eu.exe (not even of a vemor.new an earlier run left), and the update has
    failed."""
    new_launcher = pattern(700000, 11)
    c = SignedCommunity(h, "forged-launcher", {"vemor.exe": new_launcher})
    write(os.path.join(c.files, "vemor.exe"), forge_same_crc(new_launcher, 0x33))
    folder = h.game_folder("signed-forged-launcher", launcher="vemor-testkey.exe")
    write(os.path.join(folder, "vemor.new"), b"stale launcher of an earlier run")
    run(h, folder, "Update failed")
    expect(read(os.path.join(folder, "vemor.new")) == b"stale launcher of an earlier run",
           "vemor.new changed")
    expect(not leftovers(folder), f"partial files left: {leftovers(folder)}")
    expect(not os.path.exists(os.path.join(folder, "eu-started.txt")), "eu.exe was started")


SCENARIOS = [scenario_signed_update, scenario_signed_forged_launcher]

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

from harness import expect, folder_snapshot, read, wait_for, write
from kit_scenarios import start_ftp
from update_scenarios import LAUNCH, TITLE, pattern, server_cache, status

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "kit"))
from kit_server import KitServer, deploy, write_config  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SERVERS = b"10.1.2.3:29071|Vemor Duel\n127.0.0.2|Vemor FFA\n"


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
        for rel, content in files.items():
            write(os.path.join(self.files, *rel.split("\\")), content)
        os.makedirs(self.files, exist_ok=True)
        self.kit = deploy(self.place, self.files, delete, servers=SERVERS)
        # git keeps no owner-only mode, and the tool refuses a key others may read.
        self.key = os.path.join(self.place, "test-signing-key.pem")
        shutil.copy(os.path.join(HERE, "test-signing-key.pem"), self.key)
        os.chmod(self.key, 0o600)
        self.signed = os.path.join(self.kit, "public", "signed")
        self.sequence = self.publish()
        h.servers.append(KitServer(self.kit, port=h.portal_port, log=os.path.join(self.place, "php.log")))
        start_ftp(h, self.files)

    def publish(self):
        result = subprocess.run(["php", os.path.join(self.kit, "sign.php"), "publish", self.key],
                                capture_output=True, text=True, timeout=120)
        expect(result.returncode == 0, "sign.php refused: " + result.stderr)
        return int(re.search(r"as sequence (\d+)", result.stdout).group(1))

    def manifest_path(self):
        return os.path.join(self.signed, "files.txt")


def keyed_game_folder(h, name):
    """A game folder whose launcher is the test build with the test key."""
    folder = h.game_folder("signed-" + name)
    shutil.copy(os.path.join(h.build, "vemor-testkey.exe"), os.path.join(folder, "vemor.exe"))
    return folder


def run_until_ready(h, folder):
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 90000)
    return process


def ini(folder):
    return read(os.path.join(folder, "vemor.ini")).replace(b"\r\n", b"\n")


def exit_launcher(h, process):
    h.driver("click", *TITLE, "--id", 1003)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")


def scenario_signed_update(h):
    """Missing, changed and deleted files end in the signed state byte for
    byte; the game's server cache comes from the signed server list; both
    sequences are remembered."""
    files = {"base\\vemor_skins.pk3": pattern(1500000, 5), "japlus\\community.cfg": b"seta community 2\r\n",
             "current.txt": b"same bytes\r\n", "empty.dat": b""}
    c = SignedCommunity(h, "update", files, delete=["old/stale.pk3"])
    folder = keyed_game_folder(h, "update")
    write(os.path.join(folder, "japlus", "community.cfg"), b"seta community 1\r\n")
    write(os.path.join(folder, "current.txt"), b"same bytes\r\n")
    write(os.path.join(folder, "old", "stale.pk3"), b"stale")
    process = run_until_ready(h, folder)
    expect(status(h) == "Up to date", f"status {status(h)!r}")
    for rel, content in files.items():
        expect(read(os.path.join(folder, *rel.split("\\"))) == content, f"{rel} differs")
    expect(not os.path.exists(os.path.join(folder, "old", "stale.pk3")), "stale file kept")
    cache = os.path.join(folder, "servercache.dat")
    expected = server_cache([([10, 1, 2, 3], 29071, b"Vemor Duel"), ([127, 0, 0, 2], 29070, b"Vemor FFA")])
    wait_for(lambda: os.path.exists(cache) and os.path.getsize(cache) == len(expected), "servercache.dat")
    expect(read(cache) == expected, "servercache.dat does not list the signed servers")
    wait_for(lambda: b"serverlistsequence=%d\n" % c.sequence in ini(folder), "the list's sequence")
    expect(b"manifestsequence=%d\n" % c.sequence in ini(folder), f"vemor.ini {ini(folder)!r}")
    exit_launcher(h, process)


def scenario_signed_forged_file(h):
    """A file replaced on the FTP server by other bytes of the same size and
    CRC-32 is refused: the player's copy stays and the update has failed."""
    good = pattern(300000, 9)
    c = SignedCommunity(h, "forged", {"base\\maps.pk3": good})
    write(os.path.join(c.files, "base", "maps.pk3"), forge_same_crc(good, 0x5A))
    folder = keyed_game_folder(h, "forged")
    write(os.path.join(folder, "base", "maps.pk3"), b"the player's old copy")
    process = run_until_ready(h, folder)
    expect(status(h) == "Update failed", f"status {status(h)!r}")
    expect(read(os.path.join(folder, "base", "maps.pk3")) == b"the player's old copy",
           "the forged file replaced the player's copy")
    leftovers = [n for _, _, names in os.walk(folder) for n in names if n.endswith(".part")]
    expect(not leftovers, f"partial files left: {leftovers}")
    exit_launcher(h, process)


def scenario_signed_manifest_edited(h):
    """A manifest edited after signing is refused whole: nothing deleted,
    nothing fetched."""
    c = SignedCommunity(h, "edited", {"base\\new.pk3": pattern(20000, 3)}, delete=["old/stale.pk3"])
    text = read(c.manifest_path())
    write(c.manifest_path(), text.replace(b"delete old\\stale.pk3\n", b"delete keep.txt\n"))
    folder = keyed_game_folder(h, "edited")
    write(os.path.join(folder, "old", "stale.pk3"), b"stale")
    write(os.path.join(folder, "keep.txt"), b"the player's own file")
    before = folder_snapshot(folder)
    process = run_until_ready(h, folder)
    expect(status(h) == "Update failed", f"status {status(h)!r}")
    after = folder_snapshot(folder)
    after.pop("vemor.ini", None)
    after.pop("servercache.dat", None)
    after.pop("vemor.log", None)  # every run writes its log
    expect(after == before, f"files changed: {sorted(set(after) ^ set(before))}")
    expect(b"manifestsequence" not in (ini(folder) if os.path.exists(os.path.join(folder, "vemor.ini")) else b""),
           "a refused manifest's sequence was kept")
    exit_launcher(h, process)


def scenario_signed_older_refused(h):
    """An older signed manifest, served again after a newer one was accepted,
    is refused: what it lists is neither deleted nor fetched."""
    c = SignedCommunity(h, "older", {"base\\a.pk3": b"first"}, delete=["japlus/later.cfg"])
    older = read(c.manifest_path())
    # The newer set no longer deletes japlus/later.cfg.
    write_config(c.kit, c.files, [])
    newer_sequence = c.publish()
    expect(newer_sequence > c.sequence, "the sequence did not grow")
    folder = keyed_game_folder(h, "older")
    process = run_until_ready(h, folder)
    expect(status(h) == "Up to date", f"status {status(h)!r}")
    expect(b"manifestsequence=%d\n" % newer_sequence in ini(folder), f"vemor.ini {ini(folder)!r}")
    exit_launcher(h, process)

    write(c.manifest_path(), older)
    write(os.path.join(folder, "japlus", "later.cfg"), b"made after the newer set")
    process = run_until_ready(h, folder)
    expect(status(h) == "Update failed", f"status {status(h)!r}")
    expect(read(os.path.join(folder, "japlus", "later.cfg")) == b"made after the newer set",
           "the older manifest's delete was done")
    expect(b"manifestsequence=%d\n" % newer_sequence in ini(folder), f"vemor.ini {ini(folder)!r}")
    exit_launcher(h, process)


def scenario_signed_forged_launcher(h):
    """A new launcher whose bytes fail their signed SHA-256 (same size and
    CRC-32) never reaches eu.exe: no vemor.new, no hand-off, the launcher stays."""
    new_launcher = pattern(700000, 11)
    c = SignedCommunity(h, "forged-launcher", {"vemor.exe": new_launcher})
    write(os.path.join(c.files, "vemor.exe"), forge_same_crc(new_launcher, 0x33))
    folder = keyed_game_folder(h, "forged-launcher")
    process = run_until_ready(h, folder)
    expect(status(h) == "Update failed", f"status {status(h)!r}")
    expect(not os.path.exists(os.path.join(folder, "vemor.new")), "vemor.new was put in place")
    expect(not os.path.exists(os.path.join(folder, "eu-started.txt")), "eu.exe was started")
    exit_launcher(h, process)
    expect(not os.path.exists(os.path.join(folder, "eu-started.txt")), "eu.exe was started")


SCENARIOS = [scenario_signed_update, scenario_signed_forged_file, scenario_signed_manifest_edited,
             scenario_signed_older_refused, scenario_signed_forged_launcher]

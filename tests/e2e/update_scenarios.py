"""Scenarios of the update work: the real launcher against the demo portal and
FTP server on the ports it was built for."""
import os
import shutil
import struct
import subprocess
import time
import zlib

from harness import expect, fields, read, read_records, wait_for, write

TITLE = ["--title", "Vemor Academy", "--class", "#32770"]
# The status text is the progress bar's own text.
PROGRESS, LAUNCH, STATUS, EXIT = 1000, 1001, 1000, 1003
IDYES, IDNO = 6, 7


def pattern(size, seed):
    return bytes((i * seed + i // 253) & 0xFF for i in range(size))


def community(h, name, files, server_list=None, delete=None):
    """A data folder for the demo portal: the file set, the server list and
    the delete list."""
    data = os.path.join(h.build, "e2e", "community-" + name)
    shutil.rmtree(data, ignore_errors=True)
    for rel, content in files.items():
        write(os.path.join(data, "files", *rel.split("\\")), content)
    os.makedirs(os.path.join(data, "files"), exist_ok=True)
    if server_list is not None:
        write(os.path.join(data, "serverlist.inf"), server_list)
    if delete:
        write(os.path.join(data, "delete.txt"), delete)
    return data


def status(h):
    return fields(h.driver("control", *TITLE, "--id", STATUS))["text"]


def server_cache(servers):
    """servercache.dat built from the game's tables: counts of sources 2, 1, 3,
    the tables' size, then the tables of sources 2, 1 and 3."""
    entries = b""
    for address, port, name in servers:
        record = struct.pack("<I", 4) + bytes(address) + bytes(10) + struct.pack(">H", port)
        record += name[:31].ljust(32, b"\0") + bytes(64) + bytes(28) + struct.pack("<i", 1)
        entries += record + bytes(16)
    head = struct.pack("<iiii", -1, 0, len(servers), 377856)
    return head + bytes(2048 * 164 + 128 * 164) + entries + bytes((128 - len(servers)) * 164)


def scenario_update(h):
    """Missing, changed, current and to-be-deleted files end exactly in the
    manifest's state while the bar moves and the status names each file; then
    "Up to date", "Launch!" works, and the server cache and its stamp are written."""
    big = pattern(4 * 1024 * 1024, 7)
    files = {"base\\vemor_new.pk3": big, "japlus\\community.cfg": b"seta community 2\r\n",
             "current.txt": b"same bytes\r\n", "empty.dat": b""}
    servers = b"stamp 42\r\n10.1.2.3:29071|Vemor Duel\r\n127.0.0.2|Vemor FFA\r\nbroken line\r\n"
    data = community(h, "update", files, servers, b"old\\stale.pk3\r\n")
    h.start_demo(data, rate=500000)
    folder = h.game_folder("update")
    write(os.path.join(folder, "japlus", "community.cfg"), b"seta community 1\r\n")
    write(os.path.join(folder, "current.txt"), b"same bytes\r\n")
    write(os.path.join(folder, "old", "stale.pk3"), b"stale")
    write(os.path.join(folder, "keep.txt"), b"the player's own file")
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", STATUS, "--text", "Downloading base\\vemor_new.pk3...",
             "--timeout", 30000)
    h.screenshot("update-downloading")
    expect(fields(h.driver("control", *TITLE, "--id", LAUNCH))["enabled"] == "0",
           "Launch! enabled while downloading")
    # Two different positions on the way, neither empty nor full: the bar moves.
    positions = set()
    deadline = time.monotonic() + 30
    while len(positions - {0, 100}) < 2 and time.monotonic() < deadline:
        positions.add(int(fields(h.driver("progress", *TITLE, "--id", PROGRESS))["pos"]))
    expect(len(positions - {0, 100}) >= 2, f"the bar did not move: {sorted(positions)}")
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 60000)
    expect(status(h) == "Up to date", f"status {status(h)!r}")
    expect(fields(h.driver("progress", *TITLE, "--id", PROGRESS))["pos"] == "0", "bar not empty")

    for rel, content in files.items():
        got = read(os.path.join(folder, *rel.split("\\")))
        expect(got == content, f"{rel}: {len(got)} bytes differ from the server's {len(content)}")
    expect(not os.path.exists(os.path.join(folder, "old", "stale.pk3")), "stale file kept")
    expect(read(os.path.join(folder, "keep.txt")) == b"the player's own file", "keep.txt touched")
    leftovers = [n for _, _, names in os.walk(folder) for n in names if n.endswith(".part")]
    expect(not leftovers, f"partial files left: {leftovers}")

    expected = server_cache([([10, 1, 2, 3], 29071, b"Vemor Duel"), ([127, 0, 0, 2], 29070, b"Vemor FFA")])
    cache = os.path.join(folder, "servercache.dat")
    wait_for(lambda: os.path.exists(cache) and os.path.getsize(cache) == len(expected),
             "servercache.dat")
    expect(read(cache) == expected, "servercache.dat differs from the game's layout")
    ini = read(os.path.join(folder, "vemor.ini")).replace(b"\r\n", b"\n")
    expect(b"[Orvintal]\nserverlist=stamp 42\n" in ini, f"vemor.ini {ini!r}")

    h.driver("click", *TITLE, "--id", LAUNCH)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    expect(len(read_records(os.path.join(folder, "jamp-started.txt"))) == 1, "the game did not start")


def scenario_update_failed(h):
    """The portal is down: the status says so and "Launch!" is still enabled."""
    folder = h.game_folder("update-failed")
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 30000)
    expect(status(h) == "Update failed", f"status {status(h)!r}")
    h.driver("click", *TITLE, "--id", EXIT)  # finished: no question asked
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    expect(not os.path.exists(os.path.join(folder, "servercache.dat")), "a cache without a list")


def scenario_exit_while_downloading(h):
    """"Exit" during a slow download asks first: No goes on, Yes stops without
    leaving a piece of the file in place of the player's copy."""
    data = community(h, "slow", {"base\\slow.pk3": pattern(4 * 1024 * 1024, 3)})
    h.start_demo(data, rate=200000)
    folder = h.game_folder("exit-downloading")
    write(os.path.join(folder, "base", "slow.pk3"), b"the old good copy")
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", STATUS, "--text", "Downloading base\\slow.pk3...",
             "--timeout", 30000)
    h.driver("click", *TITLE, "--id", EXIT)
    box = fields(h.driver("msgbox", "--timeout", 10000))
    expect(box["text"] == "Are you sure to stop updating?", f"question {box['text']!r}")
    # While the session runs, message boxes carry the session's own title.
    expect(box["caption"] == "VemorStarter", f"caption {box['caption']!r}")
    h.driver("answer", "--button", IDNO)
    before = int(fields(h.driver("progress", *TITLE, "--id", PROGRESS))["pos"])
    wait_for(lambda: int(fields(h.driver("progress", *TITLE, "--id", PROGRESS))["pos"]) > before,
             "the download going on after No")
    expect(process.poll() is None, "the launcher ended after No")
    h.driver("click", *TITLE, "--id", EXIT)
    h.driver("msgbox", "--timeout", 10000)
    h.driver("answer", "--button", IDYES)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    time.sleep(1)  # the update thread ends with the process; nothing may follow it
    expect(read(os.path.join(folder, "base", "slow.pk3")) == b"the old good copy",
           "the player's copy was replaced by a piece")
    expect(not os.path.exists(os.path.join(folder, "jamp-started.txt")), "the game was started")


def scenario_self_update(h):
    """A new launcher arrives as vemor.new, eu.exe starts in the game folder
    with an empty command line, and the window closes without launching."""
    new_launcher = pattern(700000, 11)
    data = community(h, "self", {"vemor.exe": new_launcher})
    h.start_demo(data)
    folder = h.game_folder("self-update")
    original = read(os.path.join(folder, "vemor.exe"))
    process = h.start_launcher(folder)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    expect(read(os.path.join(folder, "vemor.new")) == new_launcher, "vemor.new bytes")
    expect(read(os.path.join(folder, "vemor.exe")) == original, "vemor.exe was overwritten")
    wait_for(lambda: os.path.exists(os.path.join(folder, "eu-started.txt")), "eu.exe")
    record = read_records(os.path.join(folder, "eu-started.txt"))[0]
    expect(record["cmdline"] in (b"", b"eu.exe", b'"eu.exe"'), f"command line {record['cmdline']!r}")
    expect(record["cwd"].rstrip(b"\\").lower().endswith(b"self-update"), f"cwd {record['cwd']!r}")
    expect(record["vemor.new"] == str(len(new_launcher)), f"vemor.new at start {record['vemor.new']}")
    expect(not os.path.exists(os.path.join(folder, "jamp-started.txt")), "the game was started")


def scenario_self_update_not_arrived(h):
    """The manifest lists a new launcher that the FTP server does not have: no
    hand-off (a vemor.new left by an earlier run is not handed over), the run
    ends as "Update failed" and "Launch!" works."""
    new_launcher = pattern(50000, 13)
    data = community(h, "self-missing", {})
    write(os.path.join(data, "files.php"),
          b"#\r\nvemor.exe|%d|%d\r\n" % (zlib.crc32(new_launcher), len(new_launcher)))
    h.start_demo(data)
    folder = h.game_folder("self-update-missing")
    write(os.path.join(folder, "vemor.new"), b"stale launcher of an earlier run")
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 30000)
    expect(status(h) == "Update failed", f"status {status(h)!r}")
    expect(process.poll() is None, "the launcher closed")
    h.driver("click", *TITLE, "--id", EXIT)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    expect(not os.path.exists(os.path.join(folder, "eu-started.txt")), "eu.exe was started")
    expect(read(os.path.join(folder, "vemor.new")) == b"stale launcher of an earlier run",
           "vemor.new changed")


def scenario_started_from_another_folder(h):
    """Started with another current folder (a shortcut's "Start in", an
    elevated console): the launcher works in its own folder. A decoy in the
    start folder that the manifest lists for deletion survives; the game
    folder is updated and nothing of the launcher's lands in the start folder."""
    data = community(h, "elsewhere", {"base\\fresh.pk3": pattern(3000, 5)},
                     b"stamp\r\n10.1.2.3|Vemor Duel\r\n", b"decoy.txt\r\n")
    h.start_demo(data)
    folder = h.game_folder("started-elsewhere")
    write(os.path.join(folder, "decoy.txt"), b"listed for deletion")
    start = os.path.join(h.build, "e2e", "start-folder")
    shutil.rmtree(start, ignore_errors=True)
    write(os.path.join(start, "decoy.txt"), b"the user's own file")
    process = subprocess.Popen(h.wine_run + [os.path.join(folder, "vemor.exe")], cwd=start,
                               env=h.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    h.started.append(process)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 30000)
    expect(status(h) == "Up to date", f"status {status(h)!r}")
    wait_for(lambda: os.path.exists(os.path.join(folder, "servercache.dat")), "servercache.dat")
    h.driver("click", *TITLE, "--id", EXIT)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    expect(read(os.path.join(folder, "base", "fresh.pk3")) == pattern(3000, 5), "fresh.pk3")
    expect(not os.path.exists(os.path.join(folder, "decoy.txt")), "the game folder's decoy kept")
    expect(read(os.path.join(start, "decoy.txt")) == b"the user's own file", "the start folder's decoy")
    expect(sorted(os.listdir(start)) == ["decoy.txt"], f"start folder {sorted(os.listdir(start))}")


SCENARIOS = [scenario_update, scenario_update_failed, scenario_exit_while_downloading,
             scenario_self_update, scenario_self_update_not_arrived,
             scenario_started_from_another_folder]

"""Scenarios of the check cache and the log: the real launcher run twice over
one game folder, and the log a failed run leaves for an admin."""
import os
import re

from harness import expect, read, write
from update_scenarios import EXIT, LAUNCH, TITLE, community, pattern, status


def run_until_finished(h, folder):
    """One start of the launcher that ends its update and leaves by Exit."""
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 60000)
    result = status(h)
    h.driver("click", *TITLE, "--id", EXIT)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    return result


def change_in_place(path, at, keep_time=True):
    """The byte at `at` changed, the length kept; the last-write time put back
    unless told."""
    info = os.stat(path)
    data = bytearray(read(path))
    data[at] ^= 0xFF
    write(path, bytes(data))
    mtime = info.st_mtime_ns if keep_time else info.st_mtime_ns + 10 ** 10
    os.utime(path, ns=(info.st_atime_ns, mtime))
    return bytes(data)


def scenario_second_run_reads_nothing(h):
    """A second start over an unchanged folder takes every file as checked
    without reading it: files changed between the runs with their size and
    time put back still count as current and are not fetched. A file whose
    time changed is read again, and fetched."""
    files = {"base\\assets.pk3": pattern(3 * 1024 * 1024, 5),
             "japlus\\community.cfg": b"seta community 3\r\n" * 40}
    h.start_demo(community(h, "check-cache", files))
    folder = h.game_folder("check-cache")
    # One file to download (remembered as verified), one already current
    # (remembered from its read).
    write(os.path.join(folder, "japlus", "community.cfg"), files["japlus\\community.cfg"])
    expect(run_until_finished(h, folder) == "Up to date", "first run not up to date")
    paths = {rel: os.path.join(folder, *rel.split("\\")) for rel in files}
    for rel, path in paths.items():
        expect(read(path) == files[rel], f"{rel} not in the community's state after the first run")

    changed = {rel: change_in_place(path, 0) for rel, path in paths.items()}
    expect(run_until_finished(h, folder) == "Up to date", "second run not up to date")
    for rel, path in paths.items():
        expect(read(path) == changed[rel], f"{rel} was read or fetched on the second run")

    change_in_place(paths["base\\assets.pk3"], 1, keep_time=False)
    expect(run_until_finished(h, folder) == "Up to date", "third run not up to date")
    expect(read(paths["base\\assets.pk3"]) == files["base\\assets.pk3"],
           "a file with a new time was not checked again")


def scenario_failed_run_log(h):
    """With the portal down, vemor.log names the manifest request and its
    WinINet error; the run before is kept as vemor.old.log; and a log that
    cannot be written does not stop the launcher."""
    folder = h.game_folder("failed-log")
    expect(run_until_finished(h, folder) == "Update failed", "the update did not fail")
    first = read(os.path.join(folder, "vemor.log")).decode("latin-1")
    requests = [line for line in first.splitlines() if "/files.php" in line]
    expect(any(re.search(r"\b12\d\d\d\b", line) for line in requests),
           f"no WinINet error for the manifest request in {first!r}")
    run_until_finished(h, folder)
    expect(read(os.path.join(folder, "vemor.old.log")).decode("latin-1") == first,
           "the previous run's log was not kept")
    # A log that cannot be written (both names taken by folders) changes nothing.
    unwritable = h.game_folder("unwritable-log")
    for name in ("vemor.log", "vemor.old.log"):
        os.makedirs(os.path.join(unwritable, name))
    expect(run_until_finished(h, unwritable) == "Update failed", "no log, no launcher")


SCENARIOS = [scenario_second_run_reads_nothing, scenario_failed_run_log]

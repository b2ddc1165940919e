"""The check cache: the real launcher run three times over one game folder."""
import os

from harness import community, expect, pattern, read, write


def change_in_place(path, at, keep_time=True):
    info = os.stat(path)
    data = bytearray(read(path))
    data[at] ^= 0xFF
    write(path, bytes(data))
    os.utime(path, ns=(info.st_atime_ns, info.st_mtime_ns + (0 if keep_time else 10 ** 10)))
    return bytes(data)


def scenario_second_run_reads_nothing(h):
    files = {"base\\assets.pk3": pattern(3 * 1024 * 1024, 5),
             "japlus\\community.cfg": b"seta community 3\r\n" * 40}
    h.start_demo(community(h, "check-cache", files))
    folder = h.game_folder("check-cache")
    # One file to download (remembered as verified), one already current
    # (remembered from its read).
    write(os.path.join(folder, "japlus", "community.cfg"), files["japlus\\community.cfg"])
    paths = {rel: os.path.join(folder, *rel.split("\\")) for rel in files}

    def run(expected, what):
        h.run(folder)
        for rel, path in paths.items():
            expect(read(path) == expected[rel], f"{rel} after the {what} run")

    run(files, "first")
    changed = {rel: change_in_place(path, 0) for rel, path in paths.items()}
    run(changed, "second")
    change_in_place(paths["base\\assets.pk3"], 1, keep_time=False)
    run(dict(changed, **{"base\\assets.pk3": files["base\\assets.pk3"]}), "third")


SCENARIOS = [scenario_second_run_reads_nothing]

"""The launcher window: "Launch!" with the configuration staged and the stored
account passed on, the layout (no page ever loads: Wine has no HTML engine),
and every way of closing it during a download."""
import hashlib
import os
import re
import time

from harness import (EXIT, IDNO, IDYES, LAUNCH, PROGRESS, TITLE, check_files, community, expect,
                     fields, pattern, put_files, read, read_records, wait_for)

VK_RETURN, VK_ESCAPE, VK_F4, VK_F5 = 0x0D, 0x1B, 0x73, 0x74

PLAYER_CONFIG = (b'// written by the game\r\nunbindall\r\nbind w "+forward"\r\nseta jp_duelSound "1"\r\n'
                 b'seta name "Padawan"\r\nBIND MOUSE1 "+attack"\r\n\r\nseta jpx 2\n bind x y\r\n'
                 b'seta cl_maxpackets "30"')
STAGED_MAIN = (b'// written by the game\r\nseta name "Padawan"\r\n\r\n bind x y\r\n'
               b'seta cl_maxpackets "30"\r\n')
STAGED_EXTRA = b"unbindall\r\nbind w \"+forward\"\r\nBIND MOUSE1 \"+attack\"\r\n"


def cookie(mid, code, lang):
    # Wine shows no drive serial: the key is the digest of the constant alone.
    key = hashlib.md5(b"qz73MRA").hexdigest().encode()
    scrambled = bytes(b ^ key[i % 32] for i, b in enumerate(mid.ljust(64, b"\0") + code.ljust(64, b"\0")))
    return scrambled + lang.ljust(64, b"\0")


def scenario_launch(h):
    data = community(h, "window", {})
    h.start_demo(data)
    folder = h.game_folder("launch")
    stored = cookie(b"m1", b"c2", b"pt-BR")
    put_files(folder, {"japlus\\jampconfig.cfg": PLAYER_CONFIG, "cookie.dat": stored,
                       "japlus\\urlRedirect_cache.txt": b"http://old/\r\n"})
    # The stand-in game saves its clan password at exit, as the real one does.
    process = h.open(folder, {"JAMP_STANDIN_SAVE": "1"})
    h.driver("key", *TITLE, "--vk", VK_F5)
    # A second copy says so under the program's own title and ends; the first
    # goes on undisturbed (the system may list an ended process a moment longer).
    before = fields(h.driver("window", *TITLE))
    second = h.start_launcher(folder)
    box = fields(h.driver("msgbox", "--caption", "vemor", "--timeout", 30000))
    expect((box["text"], box["buttons"]) == ("Another instance is already run", "1"), f"box {box}")
    h.driver("answer", "--caption", "vemor", "--button", 1)
    expect(h.wait_exit(second, "the second copy") == 0, "second copy exit code")
    wait_for(lambda: h.driver("running", "--image", "vemor.exe") == "1", "one copy left")

    frame = fields(h.driver("window", *TITLE))
    expect(frame == before and (frame["w"], frame["h"]) == ("635", "277"), f"window {frame}")
    layout = [[c[k] for k in ("x", "y", "w", "h", "text")] for c in map(h.control, (PROGRESS, LAUNCH, EXIT))]
    expect(layout[:2] == [["9", "193", "617", "25", "Up to date"], ["151", "231", "158", "33", "Launch!"]]
           and layout[2][:2] == ["326", "231"], f"layout {layout}")

    h.driver("click", *TITLE, "--id", LAUNCH)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    records = read_records(os.path.join(folder, "jamp-started.txt"))
    expect(len(records) == 1, f"game started {len(records)} times")
    expect(records[0]["cmdline"] == b"jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg "
                                    b"+set cp_clanPwd m1:c2", f"command line {records[0]['cmdline']!r}")
    staged = {"japlus\\jampconfig.cfg": STAGED_MAIN, "japlus\\jampconfig_ex.cfg": STAGED_EXTRA}
    expect({rel: records[0][rel] for rel in staged} == staged, f"the game saw {records[0]}")
    check_files(folder, dict(staged, **{"cookie.dat": stored}))  # after the game
    expect(sorted(os.listdir(os.path.join(folder, "japlus"))) ==
           ["jampconfig.cfg", "jampconfig_ex.cfg"], "files left under japlus")
    # The portal page was asked for under the launcher's name too, which the
    # kit's sign-in log keeps.
    agents = read(os.path.join(data, "tabs-agents.txt")).decode(errors="replace")
    expect(re.search(r"\bvemor/\d+\.\d+\.\d+ \(plain\)$", agents, re.M), f"page agents {agents!r}")


def scenario_every_close_asks_while_downloading(h):
    h.start_demo(community(h, "closes", {"base\\big.pk3": pattern(12 * 1024 * 1024, 5)}),
                 rate=300000)
    folder = h.game_folder("closes")
    stored = cookie(b"m1", b"c2", b"en")
    put_files(folder, {"base\\big.pk3": b"the old good copy", "cookie.dat": stored})
    process = h.start_launcher(folder, shown=True)
    h.driver("wait-control", *TITLE, "--id", PROGRESS, "--text", "Downloading base\\big.pk3...",
             "--timeout", 30000)
    expect(h.control(LAUNCH)["enabled"] == "0", "Launch! enabled while downloading")

    for to in ("window", "popup"):
        h.driver("key", *TITLE, "--to", to, "--vk", VK_RETURN)
    time.sleep(1)
    expect(h.driver("msgbox", "--timeout", 0, expect_ok=False) is None, "Enter asked to stop")
    expect(process.poll() is None, "Enter closed the launcher")
    closes = [("click", "--id", EXIT),
              ("key", "--to", "window", "--vk", VK_ESCAPE),
              ("key", "--to", "popup", "--vk", VK_ESCAPE),
              ("key", "--to", "window", "--alt", 1, "--vk", VK_F4),
              ("key", "--to", "popup", "--alt", 1, "--vk", VK_F4),
              ("close",)]
    for way in closes:
        h.driver(way[0], *TITLE, *way[1:])
        box = fields(h.driver("msgbox", "--timeout", 10000))
        expect((box["caption"], box["text"]) == ("VemorStarter", "Are you sure to stop updating?"),
               f"{way}: question {box}")
        h.driver("answer", "--button", IDNO)
        before = h.progress()
        wait_for(lambda: h.progress() > before, f"the download going on after No to {way}")
        expect(process.poll() is None, f"the launcher ended after No to {way}")

    h.driver("click", *TITLE, "--id", EXIT)
    h.driver("msgbox", "--timeout", 10000)
    h.driver("answer", "--button", IDYES)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    time.sleep(1)  # the update thread ends with the process; nothing may follow it
    expect(read(os.path.join(folder, "base", "big.pk3")) == b"the old good copy",
           "the player's copy was replaced by a piece")
    expect(not os.path.exists(os.path.join(folder, "jamp-started.txt")), "the game was started")
    expect(read(os.path.join(folder, "cookie.dat")) == stored, "cookie.dat changed")


SCENARIOS = [scenario_launch, scenario_every_close_asks_while_downloading]

"""Scenarios of the launcher window itself: its layout while the portal page
cannot load (Wine has no HTML engine, so it never loads here), the stored
account reaching the game through a run in which the portal never answered,
and every way of closing the window during a download."""
import hashlib
import os
import time

from harness import expect, fields, read, read_records, wait_for, write
from update_scenarios import community, pattern

TITLE = ["--title", "Vemor Academy", "--class", "#32770"]
PROGRESS, LAUNCH, EXIT = 1000, 1001, 1003
IDYES, IDNO = 6, 7
VK_RETURN, VK_ESCAPE, VK_F4 = 0x0D, 0x1B, 0x73


def cookie(key, mid, code, lang):
    """cookie.dat as the launcher stores it: the two access values scrambled
    with the key text, the language plain, 64 bytes each."""
    def field(value, scrambled):
        data = value[:64].ljust(64, b"\0")
        if scrambled:
            data = bytes(b ^ key[i % len(key)] for i, b in enumerate(data))
        return data
    return field(mid, True) + field(code, True) + field(lang, False)


def wine_cookie_key():
    # The drive probe finds no serial under Wine, so the key is the digest of
    # the constant alone.
    return hashlib.md5(b"qz73MRA").hexdigest().encode()


def control(h, ident):
    return fields(h.driver("control", *TITLE, "--id", ident))


def scenario_compact_window_when_the_portal_cannot_load(h):
    """The window stays at 635 x 277 with the bar at (9, 193) and the buttons at
    y 231; F5 changes nothing; "Launch!" works once the update has ended, and
    the game gets the stored clan password, which the close keeps as it was."""
    data = os.path.join(h.build, "e2e", "community-window")
    os.makedirs(os.path.join(data, "files"), exist_ok=True)
    h.start_demo(data)
    folder = h.game_folder("compact-window")
    stored = cookie(wine_cookie_key(), b"m1", b"c2", b"pt-BR")
    write(os.path.join(folder, "cookie.dat"), stored)
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 30000)
    h.driver("key", *TITLE, "--vk", 0x74)

    frame = fields(h.driver("window", *TITLE))
    expect((frame["w"], frame["h"]) == ("635", "277"), f"window {frame}")
    bar, launch, leave = control(h, PROGRESS), control(h, LAUNCH), control(h, EXIT)
    expect((bar["x"], bar["y"], bar["w"], bar["h"]) == ("9", "193", "617", "25"), f"bar {bar}")
    expect((launch["x"], launch["y"], launch["w"], launch["h"]) == ("151", "231", "158", "33"),
           f"Launch! {launch}")
    expect((leave["x"], leave["y"]) == ("326", "231"), f"Exit {leave}")
    expect(bar["text"] == "Up to date", f"status {bar['text']!r}")
    h.screenshot("compact-window")

    h.driver("click", *TITLE, "--id", LAUNCH)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    game = read_records(os.path.join(folder, "jamp-started.txt"))
    expect(len(game) == 1, "the game did not start")
    expect(game[0]["cmdline"].endswith(b" +set cp_clanPwd m1:c2"), f"{game[0]['cmdline']!r}")
    # No page ever loaded, so nothing was read from it: the stored login stays.
    expect(read(os.path.join(folder, "cookie.dat")) == stored, "cookie.dat changed")


def progress(h):
    return int(fields(h.driver("progress", *TITLE, "--id", PROGRESS))["pos"])


def scenario_every_close_asks_while_downloading(h):
    """Escape and Alt+F4 on the frame (as after a click on the skin) and on the
    popup, and the taskbar's close, all ask "Are you sure to stop updating?";
    after No the download goes on. Enter closes nothing. Yes stops the
    download, starts no game and keeps the stored login."""
    data = community(h, "closes", {"base\\big.pk3": pattern(12 * 1024 * 1024, 5)})
    h.start_demo(data, rate=300000)
    folder = h.game_folder("closes")
    write(os.path.join(folder, "base", "big.pk3"), b"the old good copy")
    stored = cookie(wine_cookie_key(), b"m1", b"c2", b"en")
    write(os.path.join(folder, "cookie.dat"), stored)
    process = h.start_launcher(folder)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", PROGRESS, "--text", "Downloading base\\big.pk3...",
             "--timeout", 30000)

    for to in ("window", "popup"):
        h.driver("key", *TITLE, "--to", to, "--vk", VK_RETURN)
    time.sleep(1)
    expect(h.driver("msgbox", "--timeout", 0, expect_ok=False) is None, "Enter asked to stop")
    expect(process.poll() is None, "Enter closed the launcher")
    closes = [("key", "--to", "window", "--vk", VK_ESCAPE),
              ("key", "--to", "popup", "--vk", VK_ESCAPE),
              ("key", "--to", "window", "--alt", 1, "--vk", VK_F4),
              ("key", "--to", "popup", "--alt", 1, "--vk", VK_F4),
              ("close",)]
    for way in closes:
        h.driver(way[0], *TITLE, *way[1:])
        box = fields(h.driver("msgbox", "--timeout", 10000))
        expect(box["text"] == "Are you sure to stop updating?", f"{way}: question {box}")
        h.driver("answer", "--button", IDNO)
        before = progress(h)
        wait_for(lambda: progress(h) > before, f"the download going on after No to {way}")
        expect(process.poll() is None, f"the launcher ended after No to {way}")

    h.driver("key", *TITLE, "--to", "popup", "--alt", 1, "--vk", VK_F4)
    h.driver("answer", "--button", IDYES)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")
    time.sleep(1)  # the update thread ends with the process; nothing may follow it
    expect(read(os.path.join(folder, "base", "big.pk3")) == b"the old good copy",
           "the player's copy was replaced by a piece")
    expect(not os.path.exists(os.path.join(folder, "jamp-started.txt")), "the game was started")
    expect(read(os.path.join(folder, "cookie.dat")) == stored, "cookie.dat changed")


SCENARIOS = [scenario_compact_window_when_the_portal_cannot_load,
             scenario_every_close_asks_while_downloading]

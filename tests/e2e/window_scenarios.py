"""Scenarios of the launcher window itself: its layout while the portal page
cannot load (Wine has no HTML engine, so it never loads here) and the stored
account reaching the game through a run in which the portal never answered."""
import hashlib
import os

from harness import expect, fields, read, read_records, write

TITLE = ["--title", "Vemor Academy", "--class", "#32770"]
PROGRESS, LAUNCH, EXIT = 1000, 1001, 1003


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


SCENARIOS = [scenario_compact_window_when_the_portal_cannot_load]

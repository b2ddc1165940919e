#!/usr/bin/env python3
"""Whole-program scenarios: the real launcher (either build, under the runner
given for it) in a game folder under Wine, operated through the Windows test
driver, with results checked byte for byte. Screenshots land in
<build>/e2e-artifacts."""
import argparse
import os
import sys
import traceback

from harness import (Harness, expect, fields, folder_snapshot, read, read_records,
                     wait_for, write)
import kit_scenarios
import cache_scenarios
import signed_scenarios
import update_scenarios
import window_scenarios

TITLE = ["--title", "Vemor Academy", "--class", "#32770"]
LAUNCH, EXIT = 1001, 1003
COMMAND_LINE = b"jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg +set cp_clanPwd :"

PLAYER_CONFIG = (b"// written by the game\r\n"
                 b"unbindall\r\n"
                 b"bind w \"+forward\"\r\n"
                 b"seta jp_duelSound \"1\"\r\n"
                 b"seta name \"Padawan\"\r\n"
                 b"BIND MOUSE1 \"+attack\"\r\n"
                 b"\r\n"
                 b"seta jpx 2\n"
                 b" bind x y\r\n"
                 b"seta cl_maxpackets \"30\"")
STAGED_MAIN = (b"// written by the game\r\n"
               b"seta name \"Padawan\"\r\n"
               b"\r\n"
               b" bind x y\r\n"
               b"seta cl_maxpackets \"30\"\r\n")
STAGED_EXTRA = b"unbindall\r\nbind w \"+forward\"\r\nBIND MOUSE1 \"+attack\"\r\n"


def open_launcher(h, folder, extra_env=None):
    """The launcher with its update ended: no demo portal runs here, so it
    fails at once and "Launch!" is enabled."""
    process = h.start_launcher(folder, extra_env)
    h.driver("find", *TITLE, "--visible", "--timeout", 30000)
    h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 30000)
    return process


def scenario_launch(h):
    """"Launch!": the game sees the staged files and the exact command line;
    afterwards no clan password line is left and the binds are in the extra file."""
    folder = h.game_folder("launch")
    cfg = os.path.join(folder, "japlus", "jampconfig.cfg")
    write(cfg, PLAYER_CONFIG)
    write(os.path.join(folder, "japlus", "urlRedirect_cache.txt"), b"http://old/\r\n")
    # The stand-in game saves its clan password at exit, as the real one does.
    process = open_launcher(h, folder, {"JAMP_STANDIN_SAVE": "1"})
    launch = fields(h.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1))
    expect(launch["text"] == "Launch!", f"launch button text {launch['text']!r}")
    h.screenshot("launch-window")
    h.driver("click", *TITLE, "--id", LAUNCH)
    expect(h.wait_exit(process, "the launcher") == 0, "launcher exit code")

    records = read_records(os.path.join(folder, "jamp-started.txt"))
    expect(len(records) == 1, f"game started {len(records)} times")
    game = records[0]
    expect(game["cmdline"] == COMMAND_LINE, f"command line {game['cmdline']!r}")
    seen_main = game["japlus\\jampconfig.cfg"]
    seen_extra = game["japlus\\jampconfig_ex.cfg"]
    expect(seen_main == STAGED_MAIN, f"the game saw {seen_main!r}")
    expect(seen_extra == STAGED_EXTRA, f"the game saw extra {seen_extra!r}")
    expect(read(cfg) == STAGED_MAIN, f"configuration after the game: {read(cfg)!r}")
    expect(read(os.path.join(folder, "japlus", "jampconfig_ex.cfg")) == STAGED_EXTRA,
           "extra configuration after the game")
    expect(sorted(os.listdir(os.path.join(folder, "japlus"))) ==
           ["jampconfig.cfg", "jampconfig_ex.cfg"], "files left under japlus")


def scenario_second_instance(h):
    """A second copy says "Another instance is already run" under the program's
    own title and ends; the first copy goes on undisturbed."""
    folder = h.game_folder("second")
    write(os.path.join(folder, "japlus", "jampconfig.cfg"), PLAYER_CONFIG)
    first = open_launcher(h, folder)
    before = fields(h.driver("window", *TITLE))
    second = h.start_launcher(folder)
    box = fields(h.driver("msgbox", "--caption", "vemor", "--timeout", 30000))
    expect(box["text"] == "Another instance is already run", f"message {box['text']!r}")
    expect(box["buttons"] == "1", f"buttons {box['buttons']}")
    h.screenshot("second-instance")
    h.driver("answer", "--caption", "vemor", "--button", 1)
    expect(h.wait_exit(second, "the second copy") == 0, "second copy exit code")
    expect(first.poll() is None, "the first copy ended too")
    after = fields(h.driver("window", *TITLE))
    expect(after == before, f"first window changed: {before} -> {after}")
    # The system may list an ended process for a moment longer.
    wait_for(lambda: h.driver("running", "--image", "vemor.exe") == "1", "one copy left")
    h.driver("click", *TITLE, "--id", EXIT)
    h.wait_exit(first, "the first copy")
    expect(not os.path.exists(os.path.join(folder, "jamp-started.txt")), "the game was started")


def scenario_exit(h):
    """"Exit", closing the window and Escape start nothing and touch no file
    under japlus."""
    for way in ("exit-button", "close", "escape"):
        folder = h.game_folder("exit-" + way)
        write(os.path.join(folder, "japlus", "jampconfig.cfg"), PLAYER_CONFIG)
        write(os.path.join(folder, "japlus", "jampconfig_ex.cfg"), b"bind old\r\n")
        write(os.path.join(folder, "japlus", "urlRedirect_cache.txt"), b"http://old/\r\n")
        before = folder_snapshot(os.path.join(folder, "japlus"))
        process = open_launcher(h, folder)
        if way == "exit-button":
            h.driver("click", *TITLE, "--id", EXIT)
        elif way == "close":
            h.driver("close", *TITLE)
        else:
            # Escape can close the window before the driver posts the key's
            # release, which the driver reports as a failure; the launcher
            # ending below is what proves the key worked.
            h.driver("key", *TITLE, "--vk", 0x1B, expect_ok=False)
        expect(h.wait_exit(process, f"the launcher ({way})") == 0, "launcher exit code")
        expect(not os.path.exists(os.path.join(folder, "jamp-started.txt")),
               f"the game was started ({way})")
        expect(folder_snapshot(os.path.join(folder, "japlus")) == before,
               f"files under japlus changed ({way})")


SCENARIOS = ([scenario_launch, scenario_second_instance, scenario_exit] + update_scenarios.SCENARIOS +
             cache_scenarios.SCENARIOS +
             window_scenarios.SCENARIOS + kit_scenarios.SCENARIOS)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--signed", action="store_true",
                        help="the scenarios of signed updates, on the launcher built with the test key")
    parser.add_argument("--runner", help="tools/wine-run (the default) or tools/wine-run32")
    parser.add_argument("only", nargs="*")
    args = parser.parse_args()
    h = Harness(args.build, args.source, args.runner)
    try:
        passed, failed = run(h, signed_scenarios.SCENARIOS if args.signed else SCENARIOS, args.only)
    finally:
        h.stop_driver()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


def run(h, scenarios, only):
    passed = failed = 0
    for scenario in scenarios:
        name = scenario.__name__[len("scenario_"):]
        if only and name not in only:
            continue
        try:
            scenario(h)
            passed += 1
            print(f"PASS {name}", flush=True)
        except Exception:
            failed += 1
            print(f"FAIL {name}", flush=True)
            traceback.print_exc()
            h.screenshot("failed-" + name)
        finally:
            h.cleanup()
    return passed, failed


if __name__ == "__main__":
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.exit(main())

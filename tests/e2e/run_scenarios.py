#!/usr/bin/env python3
"""Whole-program scenarios: the real launcher under Wine, operated through the
Windows test driver. Screenshots of failures land in <build>/e2e-artifacts."""
import argparse
import os
import re
import sys
import traceback

from harness import EXIT, TITLE, Harness, expect, folder_snapshot, read, write
import https_scenarios
import real_server_scenarios
import selfupdate_scenarios
import update_scenarios
import window_scenarios
from window_scenarios import PLAYER_CONFIG


def scenario_portal_down(h):
    folder = h.game_folder("portal-down")
    write(os.path.join(folder, "japlus", "jampconfig.cfg"), PLAYER_CONFIG)
    write(os.path.join(folder, "japlus", "jampconfig_ex.cfg"), b"bind old\r\n")
    write(os.path.join(folder, "japlus", "urlRedirect_cache.txt"), b"http://old/\r\n")
    before = folder_snapshot(os.path.join(folder, "japlus"))
    log = os.path.join(folder, "vemor.log")
    for way in ("exit-button", "close", "escape"):
        if way == "escape":
            for name in ("vemor.log", "vemor.old.log"):
                os.remove(os.path.join(folder, name))
                os.makedirs(os.path.join(folder, name))
        process = h.open(folder)
        expect(h.status() == "Update failed", f"status {h.status()!r} ({way})")
        if way == "exit-button":
            h.driver("click", *TITLE, "--id", EXIT)
        elif way == "close":
            h.driver("close", *TITLE)
        else:
            # The window may close before the driver posts the key's release,
            # a failure to the driver; the launcher's end proves the key.
            h.driver("key", *TITLE, "--vk", 0x1B, expect_ok=False)
        expect(h.wait_exit(process, f"the launcher ({way})") == 0, "launcher exit code")
        expect(not any(os.path.exists(os.path.join(folder, n)) for n in ("jamp-started.txt", "servercache.dat"))
               and folder_snapshot(os.path.join(folder, "japlus")) == before, f"game, cache or japlus ({way})")
        if way == "exit-button":
            first = read(log).decode("latin-1")
            expect(re.search(r"/files\.php.*\b12\d\d\d\b", first),
                   f"no WinINet error for the manifest request in {first!r}")
        elif way == "close":
            expect(read(os.path.join(folder, "vemor.old.log")).decode("latin-1") == first,
                   "the previous run's log was not kept")


SCENARIOS = ([scenario_portal_down] + window_scenarios.SCENARIOS + update_scenarios.SCENARIOS +
             selfupdate_scenarios.SCENARIOS +
             real_server_scenarios.SCENARIOS)
SIGNED_SCENARIOS = real_server_scenarios.SIGNED_SCENARIOS


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--signed", action="store_true", help="signed updates, on the test-key build")
    parser.add_argument("--https", action="store_true", help="the portal over HTTPS, on its own build")
    parser.add_argument("--runner", help="tools/wine-run (the default) or tools/wine-run32")
    parser.add_argument("only", nargs="*")
    args = parser.parse_args()
    h = Harness(args.build, args.source, args.runner)
    passed = failed = 0
    try:
        chosen = (SIGNED_SCENARIOS if args.signed else
                  https_scenarios.SCENARIOS if args.https else SCENARIOS)
        for scenario in chosen:
            name = scenario.__name__[len("scenario_"):]
            if args.only and name not in args.only:
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
    finally:
        h.stop_driver()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.exit(main())

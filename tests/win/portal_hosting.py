#!/usr/bin/python3
"""Runs the portal view's hosting test against the demo portal server.

Starts tools/demo/portal_server.py on a free port, runs the Windows test
that navigates the view there (under Wine), and checks that the test ran
and passed and that the server saw the page request.

    portal_hosting.py --build BUILD_DIR --source SOURCE_DIR
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        ready = os.path.join(tmp, "ready")
        log_path = os.path.join(tmp, "server.log")
        with open(log_path, "w") as log:
            server = subprocess.Popen(
                ["/usr/bin/python3", os.path.join(args.source, "tools/demo/portal_server.py"),
                 "--port", "0", "--data", os.path.join(args.source, "tools/demo/community"),
                 "--ready-file", ready],
                stdout=subprocess.DEVNULL, stderr=log)
        try:
            deadline = time.time() + 20
            while not os.path.exists(ready) and time.time() < deadline:
                time.sleep(0.05)
            with open(ready) as f:
                port = int(f.read())
            url = "http://127.0.0.1:%d/tabs.php?lang=pt-BR" % port
            env = dict(os.environ, VEMOR_PORTAL_URL=url)
            test = subprocess.run(
                [os.path.join(args.source, "tools/wine-run"), "--prefix",
                 os.path.join(args.build, "wineprefix"),
                 os.path.join(args.build, "tests/win_tests.exe"),
                 "--gtest_filter=BrowserWindow.NavigatingToThePortal*"],
                env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                timeout=240)
        finally:
            server.terminate()
            server.wait(timeout=10)
        with open(log_path) as f:
            requests = f.read()

    print(test.stdout)
    print(requests)
    failures = []
    if test.returncode != 0 or "[  PASSED  ] 1 test" not in test.stdout:
        failures.append("the hosting test did not pass")
    if "SKIPPED" in test.stdout:
        failures.append("the hosting test was skipped")
    if '"GET /tabs.php?lang=pt-BR HTTP/1.1"' not in requests:
        failures.append("the server never saw the portal page request")
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""The Windows runners' interface the scenarios rely on: exit code, output and
errors come back; the caller's folder and variables hold; a missing program
fails; a signal to the runner ends the program; no mount is left on the host."""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time


def mounts():  # less binfmt_misc's, mounted once for good
    with open("/proc/self/mountinfo") as f:
        return {line.split()[4] for line in f} - {"/proc/sys/fs/binfmt_misc"}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    runner = [os.path.abspath(args.runner), "--prefix", os.path.join(build, "wineprefix")]
    work = os.path.join(build, "runner test")
    os.makedirs(work, exist_ok=True)
    before = mounts()
    result = subprocess.run(
        runner + ["cmd", "/c", "echo out %VEMOR_PROBE%& echo err 1>&2& cd& exit 7"],
        cwd=work, env=dict(os.environ, VEMOR_PROBE="probe value"), capture_output=True, text=True,
        errors="replace", timeout=1200)  # the first 32-bit run on a machine builds its environment
    lines = result.stdout.splitlines() + [""]
    missing = subprocess.run(runner + [os.path.join(work, "missing.exe")], cwd=work,
                             capture_output=True, timeout=300)
    # A driver waiting for a window that never comes, under a name of its own
    # (scenarios may run drivers meanwhile): the runner's end must end it.
    waiting = os.path.join(work, "runner-probe.exe")
    shutil.copy(os.path.join(build, "vemor-driver.exe"), waiting)
    process = subprocess.Popen(
        runner + [waiting, "find", "--title", "no such window", "--timeout", "60000"],
        cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    time.sleep(15)
    waited = process.poll() is None
    process.send_signal(signal.SIGTERM)
    try:
        ended = process.wait(timeout=20) is not None
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        ended = process.wait() is None
    left = subprocess.run(
        runner + [os.path.join(build, "vemor-driver.exe"), "running", "--image", "runner-probe.exe"],
        cwd=work, capture_output=True, text=True, timeout=300).stdout.strip()
    checks = [
        (result.returncode == 7, f"exit code {result.returncode}"),
        (lines[0] == "out probe value", f"output {result.stdout!r}"),
        (lines[1].lower().replace("\\", "/").endswith(work.lower()), f"working folder {lines[1:]!r}"),
        ([line.strip() for line in result.stderr.splitlines()][-1:] == ["err"],
         f"errors {result.stderr!r}"),
        (missing.returncode != 0, "a missing program reported success"),
        (waited, "the waiting driver ended on its own"),
        (ended, "the runner did not end within 20 s of SIGTERM"),
        (left == "0", f"the stopped program still runs ({left} copies)"),
        (mounts() <= before, f"mounts left on the host: {mounts() - before}"),
    ]
    failures = [message for ok, message in checks if not ok]
    print("".join("FAIL " + f + "\n" for f in failures) + f"{int(not failures)} passed, {int(bool(failures))} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

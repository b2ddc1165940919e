"""Shared pieces of the end-to-end scenarios: a game folder with the real
launcher in it, the launcher started under Wine, the Windows test driver, and
screenshots of the X display the launcher draws on."""
import os
import re
import signal
import shutil
import subprocess
import time


class Failed(Exception):
    pass


class Harness:
    def __init__(self, build, source):
        self.build = os.path.abspath(build)
        self.source = os.path.abspath(source)
        self.wine_run = [os.path.join(self.source, "tools", "wine-run"),
                         "--prefix", os.path.join(self.build, "wineprefix")]
        self.artifacts = os.path.join(self.build, "e2e-artifacts")
        os.makedirs(self.artifacts, exist_ok=True)
        env = dict(os.environ)
        for line in subprocess.run(self.wine_run + ["--env"], check=True, capture_output=True,
                                   text=True).stdout.splitlines():
            key, _, value = line.partition("=")
            env[key] = value
        self.env = env
        self.started = []
        self.servers = []

    # ---------------------------------------------------------- game folder
    def game_folder(self, name):
        """A fresh game folder holding the launcher and the stand-in game."""
        folder = os.path.join(self.build, "e2e", name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(os.path.join(folder, "japlus"))
        for program in ("vemor.exe", "jamp.exe", "eu.exe"):
            shutil.copy(os.path.join(self.build, program), folder)
        return folder

    # ---------------------------------------------------------- processes
    def start_launcher(self, folder, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        process = subprocess.Popen(self.wine_run + [os.path.join(folder, "vemor.exe")],
                                   cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, start_new_session=True)
        self.started.append(process)
        return process

    def cleanup(self):
        """Ends whatever a failed scenario left running (a copy waiting on a
        message box would hold the single-instance mutex for the next one)
        and the demo servers it started."""
        for process in self.started:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
                process.wait()
        self.started = []
        for process in self.servers:
            process.terminate()
            process.wait()
        self.servers = []

    # ---------------------------------------------------------- demo community
    def start_demo(self, data, rate=0, portal_port=8111, ftp_port=2121):
        """The demo portal (data folder with files/ inside) and FTP server on the
        ports the launcher was built for; stopped by cleanup()."""
        demo = os.path.join(self.source, "tools", "demo")
        files = os.path.join(data, "files")
        commands = [
            [os.path.join(demo, "portal_server.py"), "--data", data, "--port", str(portal_port)],
            [os.path.join(demo, "ftp_server.py"), "--root", files, "--port", str(ftp_port)]
            + (["--rate", str(rate)] if rate else []),
        ]
        for command in commands:
            ready = os.path.join(data, "ready-%d" % len(self.servers))
            if os.path.exists(ready):
                os.remove(ready)
            process = subprocess.Popen(["/usr/bin/python3"] + command + ["--ready-file", ready],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.servers.append(process)
            wait_for(lambda: os.path.exists(ready) or process.poll() is not None,
                     "a demo server")
            if process.poll() is not None:
                raise Failed("demo server did not start: " + " ".join(command))

    def wait_exit(self, process, what, timeout=60):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGTERM)
            raise Failed(f"{what} did not end within {timeout} s")

    def driver(self, *args, expect_ok=True):
        """Runs one driver command; returns its output line."""
        result = subprocess.run(self.wine_run + [os.path.join(self.build, "vemor-driver.exe")] +
                                [str(a) for a in args], env=self.env, capture_output=True,
                                text=True, errors="replace", timeout=120)
        if expect_ok and result.returncode != 0:
            raise Failed(f"driver {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout.strip() if result.returncode == 0 else None

    def screenshot(self, name):
        path = os.path.join(self.artifacts, name + ".png")
        subprocess.run(["import", "-window", "root", "-display", self.env["DISPLAY"], path],
                       env=self.env, check=False, capture_output=True, timeout=60)
        return path


def expect(condition, message):
    if not condition:
        raise Failed(message)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def fields(line):
    """Parses a driver line "k=v k=v ... text=rest of line"; a message box
    line is "caption=... text=... buttons=..."."""
    box = re.fullmatch(r"caption=(.*) text=(.*) buttons=(.*)", line)
    if box:
        return {"caption": box.group(1), "text": box.group(2), "buttons": box.group(3)}
    result = {}
    rest = line
    while rest:
        key, _, rest = rest.partition("=")
        if key == "text":
            result[key] = rest
            break
        value, _, rest = rest.partition(" ")
        result[key] = value
    return result


def folder_snapshot(folder):
    """Every file under folder with its bytes, to prove nothing was touched."""
    snapshot = {}
    for root, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                snapshot[os.path.relpath(path, folder)] = f.read()
    return snapshot


def read_records(path):
    """The stand-in programs' records: a list of dicts, one per start."""
    with open(path, "rb") as f:
        data = f.read()
    records, record, pos = [], {}, 0
    while pos < len(data):
        end = data.index(b"\n", pos)
        header = data[pos:end].decode("latin-1")
        pos = end + 1
        if header == "end":
            records.append(record)
            record = {}
            continue
        parts = header.split(" ")
        if parts[0] in ("cmdline", "cwd", "file"):
            name = parts[0] if parts[0] != "file" else " ".join(parts[1:-1])
            length = int(parts[-1])
            if length < 0:
                record[name] = None
                continue
            record[name] = data[pos:pos + length]
            pos += length + 1
        else:
            record[parts[0]] = " ".join(parts[1:])
    return records


def wait_for(condition, what, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise Failed(f"timed out waiting for {what}")

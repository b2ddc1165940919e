"""Shared pieces of the end-to-end scenarios: a game folder with the real
launcher in it, the launcher started under Wine, the Windows test driver, and
screenshots of the X display the launcher draws on. The same scenarios run
against either build; the runner (tools/wine-run for the 64-bit build,
tools/wine-run32 for the 32-bit one) is the only difference."""
import os
import re
import signal
import shutil
import socket
import subprocess
import time


class Failed(Exception):
    pass


def built_ports(build):
    """The portal and FTP ports fixed into the launcher of a build folder: the
    shipping build keeps the ordinary FTP port 21, the Wine build the demo's."""
    values = {}
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            key, _, value = line.strip().partition("=")
            values[key.split(":")[0]] = value
    host = values["VEMOR_PORTAL_HOST"]
    return (int(host.rpartition(":")[2]) if ":" in host else 80), int(values["VEMOR_FTP_PORT"])


class Harness:
    def __init__(self, build, source, runner=None):
        self.build = os.path.abspath(build)
        self.source = os.path.abspath(source)
        self.wine_run = [os.path.abspath(runner or os.path.join(self.source, "tools", "wine-run")),
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
        self.served = None  # (driver process, connection)
        self.portal_port, self.ftp_port = built_ports(self.build)

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
    def start_demo(self, data, rate=0):
        """The demo portal (data folder with files/ inside) and FTP server on the
        ports the launcher was built for; stopped by cleanup()."""
        portal_port, ftp_port = self.portal_port, self.ftp_port
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
        """Runs one driver command; returns its output line. One driver keeps
        running and takes the commands over a loopback connection: starting a
        Windows program costs seconds under the emulated 32-bit Wine."""
        words = [str(a) for a in args]
        if any("\t" in w or "\n" in w for w in words):
            raise Failed(f"driver arguments with a TAB or line end: {words}")
        connection = self._driver_connection()
        try:
            connection.sendall(("\t".join(words) + "\n").encode())
            reader = connection.makefile("rb")
            head = reader.readline().split()
            if len(head) != 3:
                raise OSError("the driver closed the connection")
            code, out_size, err_size = map(int, head)
            output = reader.read(out_size).decode(errors="replace")
            errors = reader.read(err_size).decode(errors="replace")
            reader.close()
        except OSError as error:
            self.stop_driver()
            raise Failed(f"driver {' '.join(words)}: {error}")
        if expect_ok and code != 0:
            raise Failed(f"driver {' '.join(words)}: {errors.strip()}")
        return output.strip() if code == 0 else None

    def _driver_connection(self, timeout=120):
        if self.served and self.served[0].poll() is None:
            return self.served[1]
        self.stop_driver()
        with socket.socket() as listener:
            listener.bind(("127.0.0.1", 0))
            listener.listen(1)
            listener.settimeout(0.5)
            process = subprocess.Popen(
                self.wine_run + [os.path.join(self.build, "vemor-driver.exe"), "serve", "--port",
                                 str(listener.getsockname()[1])],
                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            deadline = time.monotonic() + timeout
            while True:
                try:
                    connection, _ = listener.accept()
                    break
                except socket.timeout:
                    if process.poll() is not None or time.monotonic() > deadline:
                        if process.poll() is None:
                            os.killpg(process.pid, signal.SIGTERM)
                            process.wait()
                        raise Failed("the driver did not connect")
        # The longest waits the scenarios ask of the driver are 60 s.
        connection.settimeout(timeout)
        self.served = (process, connection)
        return connection

    def stop_driver(self):
        """Ends the running driver: it stops when its connection closes."""
        if not self.served:
            return
        process, connection = self.served
        self.served = None
        connection.close()
        try:
            process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGTERM)
            process.wait()

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

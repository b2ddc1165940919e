"""Shared pieces of the end-to-end scenarios: game folders, the launcher under
the build's Wine runner, the Windows test driver and the demo servers."""
import os
import re
import signal
import shutil
import socket
import struct
import subprocess
import sys
import time
from pathlib import Path

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "kit"), os.path.join(HERE, "..", "win")]

TITLE = ["--title", "Vemor Academy", "--class", "#32770"]
# The status text is the progress bar's own text.
PROGRESS = STATUS = 1000
LAUNCH, EXIT = 1001, 1003
IDYES, IDNO = 6, 7


class Failed(Exception):
    pass


class Harness:
    def __init__(self, build, source, runner=None):
        self.build = os.path.abspath(build)
        self.source = os.path.abspath(source)
        self.wine_run = [os.path.abspath(runner or os.path.join(self.source, "tools", "wine-run")),
                         "--prefix", os.path.join(self.build, "wineprefix")]
        self.env = dict(os.environ, **dict(line.partition("=")[::2] for line in subprocess.run(
            self.wine_run + ["--env"], check=True, capture_output=True, text=True).stdout.splitlines()))
        self.started, self.servers, self.served = [], [], None  # served: (driver, connection)
        # The ports built into the launcher (portal "[scheme://]name[:port]",
        # else the scheme's own).
        with open(os.path.join(self.build, "CMakeCache.txt")) as cache:
            built = dict((k.split(":")[0], v) for k, _, v in (l.strip().partition("=") for l in cache))
        scheme, _, host = built["VEMOR_PORTAL_HOST"].rpartition("://")
        host = host.rstrip("/")
        self.portal_port = int(host.rpartition(":")[2]) if ":" in host else 443 if scheme == "https" else 80
        self.ftp_port = int(built["VEMOR_FTP_PORT"])

    def game_folder(self, name, launcher="vemor.exe", eu="eu-standin.exe"):
        folder = os.path.join(self.build, "e2e", name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(os.path.join(folder, "japlus"))
        for program, copy in (("jamp.exe", "jamp.exe"), (eu, "eu.exe"), (launcher, "vemor.exe")):
            shutil.copy(os.path.join(self.build, program), os.path.join(folder, copy))
        return folder

    def start_launcher(self, folder, extra_env=None, cwd=None, shown=False):
        process = subprocess.Popen(self.wine_run + [os.path.join(folder, "vemor.exe")],
                                   cwd=cwd or folder, env=dict(self.env, **(extra_env or {})),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
        self.started.append(process)
        if shown:
            self.driver("find", *TITLE, "--visible", "--timeout", 30000)
        return process

    def open(self, folder, extra_env=None):
        process = self.start_launcher(folder, extra_env, shown=True)
        self.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 90000)
        return process

    def run(self, folder, status="Up to date"):
        process = self.open(folder)
        expect(self.status() == status, f"status {self.status()!r}, not {status!r}")
        self.driver("click", *TITLE, "--id", EXIT)
        expect(self.wait_exit(process, "the launcher") == 0, "launcher exit code")

    def status(self):
        return self.control(STATUS)["text"]

    def progress(self):
        return int(fields(self.driver("progress", *TITLE, "--id", PROGRESS))["pos"])

    def control(self, ident):
        return fields(self.driver("control", *TITLE, "--id", ident))

    def wait_exit(self, process, what, timeout=60):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            end(process)
            raise Failed(f"{what} did not end within {timeout} s")

    def cleanup(self):
        """Ends what a scenario left running: a copy left on a message box would
        hold the single-instance mutex for the next one."""
        for process in self.started:
            end(process)
        for process in self.servers:
            process.terminate()
            process.wait()
        self.started, self.servers = [], []

    def start_demo(self, data=None, files=None, rate=0, tls=None, ftp_port=None):
        """The demo FTP server over files (default data/files) and, given data,
        the demo portal (over HTTPS given tls, [certificate, key])."""
        demo = os.path.join(self.source, "tools", "demo")
        commands = [["ftp_server.py", "--root", files or os.path.join(data, "files"),
                     "--port", str(ftp_port or self.ftp_port)] + (["--rate", str(rate)] if rate else [])]
        if data:
            commands.append(["portal_server.py", "--data", data, "--port", str(self.portal_port)] +
                            (["--tls"] + tls if tls else []))
        for script, *args in commands:
            ready = os.path.join(self.build, "e2e", script + ".ready")
            os.path.exists(ready) and os.remove(ready)
            process = subprocess.Popen(["/usr/bin/python3", os.path.join(demo, script)] + args +
                                       ["--ready-file", ready],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.servers.append(process)
            wait_for(lambda: os.path.exists(ready) or process.poll() is not None, script)
            expect(process.poll() is None, script + " did not start")

    def driver(self, *args, expect_ok=True):
        # The driver keeps running: a start costs seconds under 32-bit Wine.
        words = [str(a) for a in args]
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
            listener.settimeout(timeout)
            process = subprocess.Popen(
                self.wine_run + [os.path.join(self.build, "vemor-driver.exe"), "serve", "--port",
                                 str(listener.getsockname()[1])],
                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            try:
                connection = listener.accept()[0]
            except socket.timeout:
                end(process)
                raise Failed("the driver did not connect")
        # The longest waits the scenarios ask of the driver are 90 s.
        connection.settimeout(timeout)
        self.served = (process, connection)
        return connection

    def stop_driver(self):
        # The driver stops when its connection closes.
        if not self.served:
            return
        process, connection = self.served
        self.served = None
        connection.close()
        try:
            process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            end(process)

    def screenshot(self, name):
        os.makedirs(os.path.join(self.build, "e2e-artifacts"), exist_ok=True)
        path = os.path.join(self.build, "e2e-artifacts", name + ".png")
        subprocess.run(["import", "-window", "root", "-display", self.env["DISPLAY"], path],
                       env=self.env, check=False, capture_output=True, timeout=60)


def end(process):
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGTERM)
        process.wait()


def expect(condition, message):
    if not condition:
        raise Failed(message)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    Path(path).write_bytes(data)


def read(path):
    return Path(path).read_bytes()


def pattern(size, seed):
    return bytes((i * seed + i // 253) & 0xFF for i in range(size))


def change_in_place(path, at, keep_time=True):
    info = os.stat(path)
    data = bytearray(read(path))
    data[at] ^= 0xFF
    write(path, bytes(data))
    os.utime(path, ns=(info.st_atime_ns, info.st_mtime_ns + (0 if keep_time else 10 ** 10)))
    return bytes(data)


def put_files(root, files):
    os.makedirs(root, exist_ok=True)
    for rel, content in files.items():
        write(os.path.join(root, *rel.split("\\")), content)


def check_files(folder, files):
    for rel, content in files.items():
        got = read(os.path.join(folder, *rel.split("\\")))
        expect(got == content, f"{rel} differs ({len(got)} bytes, {len(content)} expected)")


def community(h, name, files):
    data = os.path.join(h.build, "e2e", "community-" + name)
    shutil.rmtree(data, ignore_errors=True)
    put_files(os.path.join(data, "files"), files)
    return data


def expect_server_cache(folder, servers, local=None):
    """servercache.dat as the game lays it out: counts of sources 2, 1, 3, the
    tables' size, then their tables (164 bytes an entry) holding the servers
    and, given `local`, a loopback entry (type 2, no address) at the end."""
    entries = b"".join(struct.pack("<I", 4) + bytes(address) + bytes(10) + struct.pack(">H", port) +
                       name.ljust(32, b"\0") + bytes(92) + struct.pack("<i", 1) + bytes(16)
                       for address, port, name in servers)
    if local:
        entries += (struct.pack("<I", 2) + bytes(16) + local.ljust(32, b"\0") + bytes(92) +
                    struct.pack("<i", 1) + bytes(16))
    count = len(entries) // 164
    expected = (struct.pack("<iiii", -1, 0, count, 377856) + bytes(2176 * 164) + entries +
                bytes((128 - count) * 164))
    cache = os.path.join(folder, "servercache.dat")
    wait_for(lambda: os.path.exists(cache) and os.path.getsize(cache) == len(expected),
             "servercache.dat")
    expect(read(cache) == expected, "servercache.dat differs from the game's layout")


def publish_signed(kit, place):
    # git keeps no owner-only mode, and the tool refuses a key others may read.
    key = os.path.join(place, "test-signing-key.pem")
    shutil.copy(os.path.join(HERE, "test-signing-key.pem"), key)
    os.chmod(key, 0o600)
    result = subprocess.run(["php", os.path.join(kit, "sign.php"), "publish", key],
                            capture_output=True, text=True, timeout=120)
    expect(result.returncode == 0, "sign.php refused: " + result.stderr)
    return int(re.search(r"as sequence (\d+)", result.stdout).group(1))


def ini(folder):
    path = os.path.join(folder, "vemor.ini")
    return read(path).replace(b"\r\n", b"\n") if os.path.exists(path) else b""


def leftovers(folder):
    return [n for _, _, names in os.walk(folder) for n in names if n.endswith(".part")]


def fields(line):
    """A driver line "k=v ... text=rest of line", or a message box's
    "caption=... text=... buttons=..."."""
    box = re.fullmatch(r"caption=(.*) text=(.*) buttons=(.*)", line)
    if box:
        return dict(zip(("caption", "text", "buttons"), box.groups()))
    head, found, text = (" " + line).partition(" text=")
    return dict([word.split("=", 1) for word in head.split()] + ([("text", text)] if found else []))


def folder_snapshot(folder):
    return {os.path.relpath(os.path.join(root, n), folder): read(os.path.join(root, n))
            for root, _, names in os.walk(folder) for n in names}


def read_records(path):
    data = read(path) if os.path.exists(path) else b""
    records, record, pos = [], {}, 0
    while pos < len(data):
        end = data.index(b"\n", pos)
        word, *rest = data[pos:end].decode("latin-1").split(" ")
        pos = end + 1
        if word == "end":
            records.append(record)
            record = {}
        elif word in ("cmdline", "cwd", "file"):  # "<word> [name] <length>", then the bytes
            length = int(rest[-1])
            record[" ".join(rest[:-1]) if word == "file" else word] = data[pos:pos + length] if length >= 0 else None
            pos += length + 1 if length >= 0 else 0
        else:
            record[word] = " ".join(rest)
    return records


def wait_for(condition, what, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise Failed(f"timed out waiting for {what}")

"""Shared pieces of the end-to-end scenarios: a game folder with the real
launcher in it, the launcher started under Wine, the Windows test driver, the
demo servers, and screenshots of the X display the launcher draws on. The same
scenarios run against either build; the runner (tools/wine-run for the 64-bit
build, tools/wine-run32 for the 32-bit one) is the only difference."""
import os
import re
import signal
import shutil
import socket
import struct
import subprocess
import time

TITLE = ["--title", "Vemor Academy", "--class", "#32770"]
# The status text is the progress bar's own text.
PROGRESS = STATUS = 1000
LAUNCH, EXIT = 1001, 1003
IDYES, IDNO = 6, 7


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

    def game_folder(self, name, launcher="vemor.exe"):
        """A fresh game folder holding the launcher and the stand-in game."""
        folder = os.path.join(self.build, "e2e", name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(os.path.join(folder, "japlus"))
        for program in ("jamp.exe", "eu.exe"):
            shutil.copy(os.path.join(self.build, program), folder)
        shutil.copy(os.path.join(self.build, launcher), os.path.join(folder, "vemor.exe"))
        return folder

    # ---------------------------------------------------------- the launcher
    def start_launcher(self, folder, extra_env=None, cwd=None):
        process = subprocess.Popen(self.wine_run + [os.path.join(folder, "vemor.exe")],
                                   cwd=cwd or folder, env=dict(self.env, **(extra_env or {})),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
        self.started.append(process)
        return process

    def open(self, folder, extra_env=None, cwd=None):
        """The launcher started and its update ended ("Launch!" enabled)."""
        process = self.start_launcher(folder, extra_env, cwd)
        self.driver("find", *TITLE, "--visible", "--timeout", 30000)
        self.driver("wait-control", *TITLE, "--id", LAUNCH, "--enabled", 1, "--timeout", 90000)
        return process

    def leave(self, process):
        """"Exit" once the update has ended: no question, exit code 0."""
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
            os.killpg(process.pid, signal.SIGTERM)
            raise Failed(f"{what} did not end within {timeout} s")

    def cleanup(self):
        """Ends whatever a failed scenario left running (a copy waiting on a
        message box would hold the single-instance mutex for the next one)
        and the servers it started."""
        for process in self.started:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
                process.wait()
        self.started = []
        for process in self.servers:
            process.terminate()
            process.wait()
        self.servers = []

    # ---------------------------------------------------------- demo servers
    def start_demo(self, data=None, files=None, rate=0):
        """The demo portal over a data folder (unless None) and the demo FTP
        server over files (data/files by default), on the ports the launcher
        was built for; stopped by cleanup()."""
        demo = os.path.join(self.source, "tools", "demo")
        commands = [["ftp_server.py", "--root", files or os.path.join(data, "files"),
                     "--port", str(self.ftp_port)] + (["--rate", str(rate)] if rate else [])]
        if data:
            commands.append(["portal_server.py", "--data", data, "--port", str(self.portal_port)])
        for script, *args in commands:
            ready = os.path.join(self.build, "e2e", script + ".ready")
            if os.path.exists(ready):
                os.remove(ready)
            process = subprocess.Popen(["/usr/bin/python3", os.path.join(demo, script)] + args +
                                       ["--ready-file", ready],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.servers.append(process)
            wait_for(lambda: os.path.exists(ready) or process.poll() is not None, script)
            expect(process.poll() is None, script + " did not start")

    # ---------------------------------------------------------- the driver
    def driver(self, *args, expect_ok=True):
        """Runs one driver command; returns its output line. One driver keeps
        running and takes the commands over a loopback connection: starting a
        Windows program costs seconds under the emulated 32-bit Wine."""
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
        # The longest waits the scenarios ask of the driver are 90 s.
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


def pattern(size, seed):
    return bytes((i * seed + i // 253) & 0xFF for i in range(size))


def put_files(root, files):
    """files: {"base\\name.pk3": bytes} written under root."""
    os.makedirs(root, exist_ok=True)
    for rel, content in files.items():
        write(os.path.join(root, *rel.split("\\")), content)


def check_files(folder, files):
    for rel, content in files.items():
        got = read(os.path.join(folder, *rel.split("\\")))
        expect(got == content, f"{rel}: {len(got)} bytes differ from the server's {len(content)}")


def community(h, name, files, server_list=None, delete=None):
    """A data folder for the demo portal: the file set, the server list and
    the delete list."""
    data = os.path.join(h.build, "e2e", "community-" + name)
    shutil.rmtree(data, ignore_errors=True)
    put_files(os.path.join(data, "files"), files)
    if server_list is not None:
        write(os.path.join(data, "serverlist.inf"), server_list)
    if delete:
        write(os.path.join(data, "delete.txt"), delete)
    return data


def server_cache(servers, local=None):
    """servercache.dat as the game lays it out: counts of sources 2, 1, 3,
    the tables' size, then the tables of sources 2, 1 and 3 (164 bytes an
    entry); `local` names a loopback entry (type 2, no address) at the end."""
    entries = b""
    for address, port, name in servers:
        entries += (struct.pack("<I", 4) + bytes(address) + bytes(10) + struct.pack(">H", port) +
                    name.ljust(32, b"\0") + bytes(92) + struct.pack("<i", 1) + bytes(16))
    if local:
        entries += (struct.pack("<I", 2) + bytes(16) + local.ljust(32, b"\0") + bytes(92) +
                    struct.pack("<i", 1) + bytes(16))
    count = len(entries) // 164
    head = struct.pack("<iiii", -1, 0, count, 377856)
    return head + bytes(2048 * 164 + 128 * 164) + entries + bytes((128 - count) * 164)


def expect_server_cache(folder, expected):
    cache = os.path.join(folder, "servercache.dat")
    wait_for(lambda: os.path.exists(cache) and os.path.getsize(cache) == len(expected),
             "servercache.dat")
    expect(read(cache) == expected, "servercache.dat differs from the game's layout")


def ini(folder):
    path = os.path.join(folder, "vemor.ini")
    return read(path).replace(b"\r\n", b"\n") if os.path.exists(path) else b""


def leftovers(folder):
    return [n for _, _, names in os.walk(folder) for n in names if n.endswith(".part")]


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
            snapshot[os.path.relpath(path, folder)] = read(path)
    return snapshot


def read_records(path):
    """The stand-in programs' records: a list of dicts, one per start."""
    data = read(path) if os.path.exists(path) else b""
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
            record[name] = data[pos:pos + length] if length >= 0 else None
            pos += length + 1 if length >= 0 else 0
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

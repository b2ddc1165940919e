#!/usr/bin/python3
"""Runs the Windows component tests of the HTTP fetch and the FTP download
against real servers on free loopback ports: the demo portal and FTP servers,
a portal that sends its answer in small pieces with pauses, FTP servers that
cut or stall a transfer in the middle of a file, and a server that accepts
connections and stays silent. Their
addresses reach the tests through environment variables; every server is
stopped afterwards.

    update_servers.py --source DIR -- WINE-RUN... win_tests.exe ARGS...
"""
import argparse
import http.server
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time


def start(command, ready):
    process = subprocess.Popen(command + ["--port", "0", "--ready-file", ready],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 20
    while not os.path.exists(ready):
        if time.monotonic() > deadline or process.poll() is not None:
            process.kill()
            raise SystemExit("server did not start: " + " ".join(command))
        time.sleep(0.05)
    with open(ready) as f:
        return process, int(f.read())


class Trickle(http.server.BaseHTTPRequestHandler):
    """A 12000-byte answer sent in three pieces, so that one read cannot get it all."""
    body = b"".join(b"%05d|trickled line\r\n" % i for i in range(600))[:12000]

    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Length", str(len(self.body)))
        self.end_headers()
        for start in range(0, len(self.body), 4000):
            self.wfile.write(self.body[start:start + 4000])
            self.wfile.flush()
            time.sleep(0.2)

    def log_message(self, *args):
        pass


def start_special_ftp(root, limit, stall):
    """An FTP server that lists "drop.bin" and "f1.bin" at their full sizes but
    sends only their first `limit` bytes: then it ends the transfer, as a
    connection lost in the middle of a file looks to the client, or, with
    `stall`, keeps the data connection open and silent for a minute."""
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.filesystems import AbstractedFS
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer

    class Cut:
        def __init__(self, f):
            self.f, self.left, self.name, self.closed = f, limit, f.name, False

        def read(self, n=-1):
            if self.left == 0 and stall:
                time.sleep(60)
            data = self.f.read(min(n, self.left) if n >= 0 else self.left)
            self.left -= len(data)
            return data

        def close(self):
            self.closed = True
            self.f.close()

    class CuttingFS(AbstractedFS):
        def open(self, filename, mode):
            f = super().open(filename, mode)
            return Cut(f) if filename.endswith(("drop.bin", "f1.bin")) else f

    authorizer = DummyAuthorizer()
    authorizer.add_user("kel", "tQwa3mxp", root, perm="elr")
    handler = type("Handler", (FTPHandler,), {"authorizer": authorizer,
                                              "abstracted_fs": CuttingFS,
                                              "masquerade_address": "127.0.0.1"})
    server = FTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_silent_server():
    """Accepts connections and never sends a byte: a stalled portal, or an FTP
    server that never greets."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    held = []

    def serve():
        while True:
            held.append(listener.accept()[0])

    threading.Thread(target=serve, daemon=True).start()
    return listener.getsockname()[1]


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    work = tempfile.mkdtemp(prefix="vemor-update-servers-")
    processes = []
    try:
        data = os.path.join(work, "portal")
        root = os.path.join(work, "ftp")
        os.makedirs(os.path.join(data, "files"))
        os.makedirs(os.path.join(root, "sub", "dir"))
        with open(os.path.join(data, "serverlist.inf"), "wb") as f:
            f.write(b"stamp\r\n" + b"".join(b"10.0.0.%d|server %d\r\n" % (i, i) for i in range(1, 200)))
        with open(os.path.join(root, "sub", "dir", "a.bin"), "wb") as f:
            f.write(bytes((i * 7 + i // 251) & 0xFF for i in range(5000)))
        open(os.path.join(root, "empty.dat"), "wb").close()
        with open(os.path.join(root, "drop.bin"), "wb") as f:
            f.write(bytes(range(256)) * 1000)
        for n in range(1, 6):
            with open(os.path.join(root, "f%d.bin" % n), "wb") as f:
                f.write(bytes([n]) * 300000)
        demo = os.path.join(args.source, "tools", "demo")
        portal, portal_port = start(["/usr/bin/python3", os.path.join(demo, "portal_server.py"),
                                     "--data", data], os.path.join(work, "portal.port"))
        processes.append(portal)
        ftp, ftp_port = start(["/usr/bin/python3", os.path.join(demo, "ftp_server.py"),
                               "--root", root, "--rate", "2000000"], os.path.join(work, "ftp.port"))
        processes.append(ftp)
        trickle = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Trickle)
        threading.Thread(target=trickle.serve_forever, daemon=True).start()

        env = dict(os.environ)
        env["VEMOR_TEST_PORTAL"] = "127.0.0.1:%d" % portal_port
        env["VEMOR_TEST_TRICKLE"] = "127.0.0.1:%d" % trickle.server_address[1]
        env["VEMOR_TEST_FTP_PORT"] = str(ftp_port)
        env["VEMOR_TEST_DOWN_PORT"] = str(closed_port())
        env["VEMOR_TEST_DROP_FTP_PORT"] = str(start_special_ftp(root, 100000, False).address[1])
        env["VEMOR_TEST_STALL_FTP_PORT"] = str(start_special_ftp(root, 100000, True).address[1])
        env["VEMOR_TEST_SILENT_PORT"] = str(start_silent_server())
        result = subprocess.run(command, env=env)
        trickle.shutdown()
        return result.returncode
    finally:
        for process in processes:
            process.terminate()
            process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

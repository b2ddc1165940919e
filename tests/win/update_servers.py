#!/usr/bin/python3
"""Runs the HTTP fetch and FTP download tests against failing loopback servers,
named to them in VEMOR_TEST_* variables: update_servers.py -- COMMAND..."""
import http.server
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time


class Trickle(http.server.BaseHTTPRequestHandler):
    """/x is 12000 bytes in three pieces, so one read cannot get it all;
    /slow is 300 bytes, one every 0.2 s; /agent answers the user agent;
    /refused is a 403 whose page gives the reason on its first line."""
    body = b"".join(b"%05d|trickled line\r\n" % i for i in range(600))[:12000]

    def do_GET(self):
        pages = {"/x": (200, self.body, 4000), "/slow": (200, b"#" * 300, 1),
                 "/agent": (200, (self.headers["User-Agent"] or "").encode(), 0),
                 "/refused": (403, b"launcher too old: \x1b[2Jupdate by hand\r\nsecond line\r\n", 0)}
        status, body, piece = pages.get(self.path, (404, b"", 0))
        piece = piece or len(body) or 1
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            for start in range(0, len(body), piece):
                self.wfile.write(body[start:start + piece])
                self.wfile.flush()
                time.sleep(0.2 if piece < len(body) else 0)
        except OSError:
            pass  # the client gave up

    def log_message(self, *args):
        pass


def start_cutting_ftp(root, stall):
    """Lists full sizes but sends 100000 bytes, then ends the transfer or, with
    `stall`, keeps the data connection silent for a minute."""
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.filesystems import AbstractedFS
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.ioloop import IOLoop
    from pyftpdlib.servers import FTPServer

    class Cut:
        def __init__(self, f):
            self.f, self.left, self.name, self.closed = f, 100000, f.name, False

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
            return Cut(super().open(filename, mode))

    authorizer = DummyAuthorizer()
    authorizer.add_user("kel", "tQwa3mxp", root, perm="elr")
    handler = type("Handler", (FTPHandler,), {"authorizer": authorizer,
                                              "abstracted_fs": CuttingFS,
                                              "masquerade_address": "127.0.0.1"})
    # Each server polls on a loop of its own: two threads sharing pyftpdlib's
    # default loop race over its sockets.
    server = FTPServer(("127.0.0.1", 0), handler, ioloop=IOLoop())
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.address[1]


def start_silent_server():
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
    command = sys.argv[2:] if sys.argv[1:2] == ["--"] else sys.argv[1:]
    root = tempfile.mkdtemp(prefix="vemor-update-servers-")
    try:
        with open(os.path.join(root, "f1.bin"), "wb") as f:
            f.write(bytes([1]) * 300000)
        trickle = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Trickle)
        threading.Thread(target=trickle.serve_forever, daemon=True).start()
        env = dict(os.environ)
        env["VEMOR_TEST_TRICKLE"] = "127.0.0.1:%d" % trickle.server_address[1]
        env["VEMOR_TEST_DOWN_PORT"] = str(closed_port())
        env["VEMOR_TEST_DROP_FTP_PORT"] = str(start_cutting_ftp(root, False))
        env["VEMOR_TEST_STALL_FTP_PORT"] = str(start_cutting_ftp(root, True))
        env["VEMOR_TEST_SILENT_PORT"] = str(start_silent_server())
        result = subprocess.run(command, env=env)
        trickle.shutdown()
        return result.returncode
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Runs the HTTP fetch and FTP download tests against failing loopback servers,
named to them in VEMOR_TEST_* variables: update_servers.py -- COMMAND..."""
import contextlib
import http.server
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import types

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "kit"))
from kit_server import free_port  # noqa: E402
from real_servers import Vsftpd  # noqa: E402


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


def start_stock_ftp(root):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.ioloop import IOLoop
    from pyftpdlib.servers import FTPServer

    authorizer = DummyAuthorizer()
    authorizer.add_user("kel", "tQwa3mxp", root, perm="elr")
    handler = type("Handler", (FTPHandler,), {"authorizer": authorizer,
                                              "masquerade_address": "127.0.0.1"})
    # On a loop of its own: two threads sharing pyftpdlib's default loop
    # race over its sockets.
    server = FTPServer(("127.0.0.1", 0), handler, ioloop=IOLoop())
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.address[1]


def start_breaking_proxy(upstream, counts, after, times, stall=False, refuse_rest=False, port=0):
    """Breaks the data connection of the first `times` transfers at `after`
    bytes: closed as if the file had ended or, with `stall`, left silent.
    Bytes passed on are counted in counts/<port>.sent. Returns (port, proxy)."""
    listener = socket.create_server(("127.0.0.1", port))
    port = listener.getsockname()[1]
    state = {"left": times, "sent": 0}
    lock = threading.Lock()

    def relay_data(data_listener, address):
        client, server = data_listener.accept()[0], socket.create_connection(address)
        budget = after if state["left"] > 0 else -1
        while budget:
            data = server.recv(65536)[:budget if budget > 0 else None]
            if not data:
                break
            budget -= len(data) if budget > 0 else 0
            with lock:  # counted first: the client may ask as soon as it has the bytes
                state["sent"] += len(data)
                with open(os.path.join(counts, "%d.sent" % port), "w") as f:
                    f.write(str(state["sent"]))
            client.sendall(data)
        if budget == 0:
            state["left"] -= 1
            time.sleep(120 if stall else 0)
        client.close()
        server.close()

    def serve(client):
        server = socket.create_connection(("127.0.0.1", upstream))
        send_lock = threading.Lock()

        def to_client(line):
            with send_lock:
                client.sendall(line)

        def replies():
            for line in server.makefile("rb"):
                found = re.match(rb"227 .*\(\d+,\d+,\d+,\d+,(\d+),(\d+)\)", line)
                if found:
                    data_listener = socket.create_server(("127.0.0.1", 0))
                    mine = data_listener.getsockname()[1]
                    threading.Thread(target=relay_data, daemon=True, args=(data_listener, (
                        "127.0.0.1", int(found[1]) * 256 + int(found[2])))).start()
                    line = b"227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % divmod(mine, 256)
                to_client(line)
            client.close()

        threading.Thread(target=replies, daemon=True).start()
        for line in client.makefile("rb"):
            if refuse_rest and line.upper().startswith(b"REST"):
                to_client(b"502 No restarts here.\r\n")
            else:
                server.sendall(line)
        server.close()

    def accept():
        with contextlib.suppress(OSError):  # until stopped
            while True:
                threading.Thread(target=serve, args=(listener.accept()[0],), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    return port, types.SimpleNamespace(
        terminate=lambda: (listener.shutdown(socket.SHUT_RDWR), listener.close()), wait=lambda: None)


def main():
    command = sys.argv[2:] if sys.argv[1:2] == ["--"] else sys.argv[1:]
    root = tempfile.mkdtemp(prefix="vemor-update-servers-")
    vsftpd = None
    try:
        files, work = os.path.join(root, "files"), os.path.join(root, "work")
        os.makedirs(files)
        # vsftpd reads them as the launcher's account.
        os.chmod(root, 0o755)
        os.makedirs(work)
        with open(os.path.join(files, "f1.bin"), "wb") as f:
            f.write(bytes(range(256)) * 1200)
        trickle = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Trickle)
        threading.Thread(target=trickle.serve_forever, daemon=True).start()
        stock = start_stock_ftp(files)
        vsftpd = Vsftpd(files, work)
        env = dict(os.environ)
        env["VEMOR_TEST_TRICKLE"] = "127.0.0.1:%d" % trickle.server_address[1]
        env["VEMOR_TEST_DOWN_PORT"] = str(free_port())
        env["VEMOR_TEST_COUNTS"] = "Z:" + work.replace("/", "\\")
        env["VEMOR_TEST_CUT_VSFTPD_PORT"] = str(
            start_breaking_proxy(vsftpd.port, work, 100000, 2)[0])
        env["VEMOR_TEST_NO_REST_FTP_PORT"] = str(
            start_breaking_proxy(stock, work, 100000, 2, refuse_rest=True)[0])
        env["VEMOR_TEST_STALL_FTP_PORT"] = str(
            start_breaking_proxy(stock, work, 1000, 1000, stall=True)[0])
        # Connections complete from the backlog and are never answered.
        silent = socket.create_server(("127.0.0.1", 0), backlog=8)
        env["VEMOR_TEST_SILENT_PORT"] = str(silent.getsockname()[1])
        result = subprocess.run(command, env=env)
        trickle.shutdown()
        return result.returncode
    finally:
        if vsftpd:
            vsftpd.terminate()
            vsftpd.wait()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

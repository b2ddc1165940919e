#!/usr/bin/python3
"""Community update FTP server for local launcher testing.

Read-only, one account, loopback only.  A stock pyftpdlib server, like the
ordinary Unix FTP servers communities rent: "/" is its only folder
separator, so the launcher must send remote names with "/".
"""

import argparse
import logging
import os
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

USER = "kel"
PASSWORD = "tQwa3mxp"
LOOPBACK = "127.0.0.1"


def write_ready_file(path, port):
    tmp = "%s.%d.tmp" % (path, os.getpid())
    with open(tmp, "w", encoding="ascii") as f:
        f.write("%d\n" % port)
    os.replace(tmp, path)


def make_handler(root, rate):
    authorizer = DummyAuthorizer()
    authorizer.add_user(USER, PASSWORD, root, perm="elr")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Vemor community update server ready."
    # PASV replies must never advertise anything but loopback, whatever
    # address the machine's hostname resolves to.
    Handler.masquerade_address = LOOPBACK
    Handler.permit_foreign_addresses = False
    if rate:
        class Throttled(ThrottledDTPHandler):
            pass
        Throttled.read_limit = rate
        Throttled.write_limit = rate
        Handler.dtp_handler = Throttled
    return Handler


def _stop(signum, frame):
    raise SystemExit(0)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Vemor update FTP server (local test server)")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--root", required=True, help="folder served as the account's home")
    parser.add_argument("--ready-file", help="write the bound port here once listening")
    parser.add_argument("--rate", type=int, default=0,
                        help="limit transfers to this many bytes per second")
    args = parser.parse_args(argv)

    root = os.path.realpath(args.root)
    if not os.path.isdir(root):
        parser.error("--root is not a folder: %s" % args.root)

    logging.basicConfig(level=logging.INFO, stream=sys.stderr,
                        format="ftp: %(message)s")
    server = FTPServer((LOOPBACK, args.port), make_handler(root, args.rate))
    server.max_cons = 32

    signal.signal(signal.SIGTERM, _stop)
    signal.signal(signal.SIGINT, _stop)

    port = server.address[1]
    print("listening on %s:%d" % (LOOPBACK, port), flush=True)
    if args.ready_file:
        write_ready_file(args.ready_file, port)
    server.serve_forever(handle_exit=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Community portal web server for local launcher testing.

Serves the update manifest, the server list and the portal page the
launcher embeds.  Everything is read from the data folder on each request,
so a running server picks up edits (new files, switched-on error statuses)
without a restart.
"""

import argparse
import html
import http.server
import os
import signal
import ssl
import sys
import urllib.parse
import zlib

# Only these two resources have an error switch: they are the ones the
# launcher must survive failing (no update check, no server list).
SWITCHABLE = {"/files.php": "files.php", "/INFO/serverlist.inf": "serverlist.inf"}

# tabs.html carries this marker where the requested language is echoed back.
LANG_MARKER = "{{lang}}"


def file_crc32(path):
    crc = 0
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(65536), b""):
            crc = zlib.crc32(chunk, crc)
    return crc & 0xFFFFFFFF


def list_file_set(root):
    """Return (manifest name, absolute path) for every regular file.

    Symlinks are skipped: the FTP side refuses anything that resolves
    outside its root, so listing them would advertise undownloadable files.
    """
    found = []
    for dirpath, dirnames, filenames in os.walk(root):
        for name in filenames:
            full = os.path.join(dirpath, name)
            if os.path.islink(full) or not os.path.isfile(full):
                continue
            rel = os.path.relpath(full, root)
            found.append((rel.replace(os.sep, "\\"), full))
    found.sort()
    return found


def build_manifest(files_dir, delete_list_path):
    lines = [b"#"]
    if os.path.isdir(files_dir):
        for name, full in list_file_set(files_dir):
            size = os.path.getsize(full)
            entry = "%s|%d|%d" % (name, file_crc32(full), size)
            lines.append(entry.encode("utf-8"))
    if os.path.isfile(delete_list_path):
        lines.append(b"#DELETE")
        with open(delete_list_path, "rb") as f:
            for raw in f.read().splitlines():
                if raw.strip():
                    lines.append(raw.strip())
    return b"".join(line + b"\r\n" for line in lines)


def read_status_switch(data_dir, name):
    """Status code forced by DIR/status-<name>, or None when not switched on."""
    path = os.path.join(data_dir, "status-" + name)
    try:
        with open(path, "r", encoding="ascii", errors="replace") as f:
            text = f.read().strip()
    except FileNotFoundError:
        return None
    try:
        code = int(text)
    except ValueError:
        return 500
    # A typo in the switch file should still produce a failure rather than
    # a malformed status line.
    return code if 200 <= code <= 599 else 500


class PortalHandler(http.server.BaseHTTPRequestHandler):
    server_version = "VemorPortal/1.0"

    def do_GET(self):
        self._handle(send_body=True)

    def do_HEAD(self):
        self._handle(send_body=False)

    def _handle(self, send_body):
        url = urllib.parse.urlsplit(self.path)
        data_dir = self.server.data_dir

        if url.path in SWITCHABLE:
            code = read_status_switch(data_dir, SWITCHABLE[url.path])
            if code is not None:
                self._send_error_page(code, send_body)
                return

        if url.path == "/files.php":
            hand_made = os.path.join(data_dir, "files.php")
            if os.path.isfile(hand_made):
                body = self._read(hand_made)
            else:
                body = build_manifest(self.server.files_dir,
                                      os.path.join(data_dir, "delete.txt"))
            self._send(200, "text/plain", body, send_body)
        elif url.path == "/INFO/serverlist.inf":
            body = self._read(os.path.join(data_dir, "serverlist.inf"))
            if body is None:
                self._send_error_page(404, send_body)
            else:
                self._send(200, "text/plain", body, send_body)
        elif url.path == "/tabs.php":
            self._send_portal(url.query, send_body)
        else:
            self._send_error_page(404, send_body)

    def _send_portal(self, query, send_body):
        # Who asked for the page, as the kit's sign-in log would see it.
        with open(os.path.join(self.server.data_dir, "tabs-agents.txt"), "a",
                  encoding="utf-8", errors="replace") as agents:
            agents.write(self.headers.get("User-Agent", "") + "\n")
        page = self._read(os.path.join(self.server.data_dir, "tabs.html"))
        if page is None:
            self._send_error_page(404, send_body)
            return
        params = urllib.parse.parse_qs(query, keep_blank_values=True,
                                       errors="replace")
        lang = params.get("lang", [""])[0]
        text = page.decode("utf-8", errors="replace")
        text = text.replace(LANG_MARKER, html.escape(lang, quote=True))
        self._send(200, "text/html; charset=utf-8", text.encode("utf-8"),
                   send_body)

    @staticmethod
    def _read(path):
        try:
            with open(path, "rb") as f:
                return f.read()
        except (FileNotFoundError, IsADirectoryError):
            return None

    def _send_error_page(self, code, send_body):
        reason = self.responses.get(code, ("Error",))[0]
        body = ("<html><head><title>%d %s</title></head>"
                "<body><h1>%d %s</h1></body></html>\r\n"
                % (code, reason, code, reason)).encode("ascii")
        self._send(code, "text/html; charset=utf-8", body, send_body)

    def _send(self, code, content_type, body, send_body):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        # The launcher's HTTP stack caches aggressively; a stale manifest
        # would hide the files tests drop in between requests.
        self.send_header("Cache-Control", "no-cache, no-store, must-revalidate")
        self.send_header("Pragma", "no-cache")
        self.end_headers()
        if send_body:
            self.wfile.write(body)

    def log_message(self, fmt, *args):
        sys.stderr.write("portal: %s - %s\n" % (self.address_string(), fmt % args))


def write_ready_file(path, port):
    # Written via rename so a polling test never reads a half-written port.
    tmp = "%s.%d.tmp" % (path, os.getpid())
    with open(tmp, "w", encoding="ascii") as f:
        f.write("%d\n" % port)
    os.replace(tmp, path)


def _stop(signum, frame):
    raise SystemExit(0)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Vemor community portal (local test server)")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--data", required=True, help="data folder (serverlist.inf, tabs.html, ...)")
    parser.add_argument("--files", help="file set folder (default DATA/files)")
    parser.add_argument("--ready-file", help="write the bound port here once listening")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"),
                        help="serve HTTPS with this certificate (PEM) and key")
    args = parser.parse_args(argv)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), PortalHandler)
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*args.tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.daemon_threads = True
    server.data_dir = os.path.abspath(args.data)
    server.files_dir = os.path.abspath(args.files or os.path.join(args.data, "files"))

    signal.signal(signal.SIGTERM, _stop)
    signal.signal(signal.SIGINT, _stop)

    port = server.server_address[1]
    print("listening on 127.0.0.1:%d" % port, flush=True)
    if args.ready_file:
        write_ready_file(args.ready_file, port)
    try:
        server.serve_forever()
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())

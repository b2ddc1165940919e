#!/usr/bin/python3
"""HTTPS servers for the launcher's fetches on loopback, with certificates of
a test authority made here with openssl, never taken from or put into this
machine's own certificate store.

As a module (the HTTPS scenario): certificates(), trust() and serve(). As a
program (the HTTPS fetch test, the fetch benchmark) it runs a command with
the ports of a plain server and one TLS server per certificate in
VEMOR_TEST_TLS_* variables, after trusting the test authority in the Wine
prefix of the tests:
  tls_servers.py --certs DIR --trust RUNNER... -- COMMAND...
"""
import fcntl
import http.server
import os
import ssl
import subprocess
import sys
import threading

# Windows checks a certificate's name against the host of the address; Wine
# matches only DNS names (a certificate for the address 127.0.0.1 is "another
# name" there), so the servers are reached as localhost.
HOST = "localhost"

CA_CONFIG = """[ca]
default_ca = test
[test]
database = index.txt
new_certs_dir = .
serial = serial.txt
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
[localhost]
subjectAltName = DNS:localhost
extendedKeyUsage = serverAuth
[elsewhere]
subjectAltName = DNS:elsewhere.invalid
extendedKeyUsage = serverAuth
"""

# name: (issuing authority, extension section, validity)
LEAVES = {
    "good": ("ca", "localhost", ["-days", "825"]),
    "wrong-name": ("ca", "elsewhere", ["-days", "825"]),
    "expired": ("ca", "localhost", ["-startdate", "20200101000000Z", "-enddate", "20200201000000Z"]),
    "unknown-authority": ("stranger", "localhost", ["-days", "825"]),
}


def openssl(folder, *args):
    subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)


def certificates(folder):
    """The test authority ("ca.der", trusted by the tests), a stranger
    authority that nobody trusts, and a server certificate per LEAVES entry
    with its key "server.key". Made once per folder: the prefix keeps
    trusting the same authority across runs."""
    os.makedirs(folder, exist_ok=True)
    # The HTTPS test and the scenario may start side by side.
    with open(folder + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(os.path.join(folder, "ca.der")):
            make_certificates(folder)
    return folder


def make_certificates(folder):
    path = lambda name: os.path.join(folder, name)
    with open(path("ca.cnf"), "w") as f:
        f.write(CA_CONFIG)
    for name, subject in (("ca", "Vemor Test Authority"), ("stranger", "Vemor Stranger Authority")):
        openssl(folder, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key",
                "-out", name + ".crt", "-days", "3650", "-subj", "/CN=" + subject,
                "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl(folder, "req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out",
            "server.csr", "-subj", "/CN=" + HOST)
    for name, (issuer, section, validity) in LEAVES.items():
        open(path("index.txt"), "w").close()
        with open(path("serial.txt"), "w") as f:
            f.write("%02X\n" % (list(LEAVES).index(name) + 1))
        openssl(folder, "ca", "-batch", "-config", "ca.cnf", "-cert", issuer + ".crt", "-keyfile",
                issuer + ".key", "-in", "server.csr", "-out", name + ".pem", "-extensions", section,
                "-notext", *validity)
    # Last: its presence says the folder is complete.
    openssl(folder, "x509", "-in", "ca.crt", "-outform", "der", "-out", "ca.der")


def serve(handler, folder=None, certificate=None):
    """A threaded server on a free loopback port, over TLS with the named
    certificate of `folder`; returns (server, port)."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    if certificate:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(folder, certificate + ".pem"),
                                os.path.join(folder, "server.key"))
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, server.server_address[1]


def trust(runner, folder):
    """Adds the test authority to the machine root store of the Wine prefix
    that `runner` (wine-run --prefix ... vemor-trust-ca.exe) runs in."""
    der = os.path.abspath(os.path.join(folder, "ca.der"))
    subprocess.run(runner + ["Z:" + der.replace("/", "\\")], check=True)


# The documents served (the manifest also written beside the certificates for
# the test to compare); CR LF lines and bytes above 127, as a community's
# files have them.
MANIFEST = b"#\r\nbase\\assets1.pk3|3417261033|10485760\r\njaplus\\caf\xe9.cfg|0|12\r\n#DELETE\r\nold.pk3"
SERVER_LIST = b"stamp-7\r\n127.0.0.1:29070|Vemor \xabMain\xbb\r\n10.0.0.2|Duel"


def fetch_test_handler(plain_port_of, tls_port_of):
    class Handler(http.server.BaseHTTPRequestHandler):
        secure = False

        def do_GET(self):
            scheme_port = "https://%s:%d" % (HOST, tls_port_of())
            routes = {
                "/files.php": MANIFEST if self.secure else b"#\r\nplain|1|1",
                "/INFO/serverlist.inf": SERVER_LIST,
            }
            redirects = {
                "/to-https": scheme_port + "/files.php",
                "/to-http": "http://%s:%d/files.php" % (HOST, plain_port_of()),
                "/relative": "files.php",
                "/loop": "/loop",
            }
            if self.path in routes:
                body = routes[self.path]
                self.send_response(200)
            elif self.path in redirects:
                body = b""
                self.send_response(301 if self.path == "/to-https" else 302)
                self.send_header("Location", redirects[self.path])
            else:
                body = b"not here"
                self.send_response(404)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    return Handler


def main():
    args = sys.argv[1:]
    split = args.index("--")
    options, command = args[:split], args[split + 1:]
    folder = certificates(options[options.index("--certs") + 1])
    trust(options[options.index("--trust") + 1:], folder)
    ports = {}
    plain = fetch_test_handler(lambda: ports["PLAIN"], lambda: ports["GOOD"])
    secure = type("Secure", (plain,), {"secure": True})
    env = dict(os.environ)
    _, ports["PLAIN"] = serve(plain)
    for name in LEAVES:
        key = name.upper().replace("-", "_")
        _, ports[key] = serve(secure, folder, name)
    for key, port in ports.items():
        env["VEMOR_TEST_TLS_" + key] = str(port)
    with open(os.path.join(folder, "manifest.txt"), "wb") as f:
        f.write(MANIFEST)
    env["VEMOR_TEST_TLS_FILES"] = "Z:" + os.path.abspath(folder).replace("/", "\\")
    return subprocess.run(command, env=env).returncode


if __name__ == "__main__":
    sys.exit(main())

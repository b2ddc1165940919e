"""Runs the demo community servers as real processes and talks to them."""

import ftplib
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import urllib.error
import urllib.request
import zlib

PYTHON = "/usr/bin/python3"
HERE = os.path.dirname(os.path.abspath(__file__))
COMMUNITY = os.path.join(HERE, "community")
PASSWORD = "tQwa3mxp"

# Never let a proxy from the environment take the requests off loopback.
HTTP = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def read(*parts):
    with open(os.path.join(*parts), "rb") as f:
        return f.read()


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(5)
    proc.stdout.close()
    return proc.returncode


def start_server(owner, script, *args):
    """Start a server on port 0; `owner` (test or test class) gets the cleanup."""
    cleanup = owner.addClassCleanup if isinstance(owner, type) else owner.addCleanup
    workdir = tempfile.mkdtemp()
    cleanup(shutil.rmtree, workdir, True)
    ready = os.path.join(workdir, "port")
    proc = subprocess.Popen([PYTHON, os.path.join(HERE, script), "--port", "0",
                             "--ready-file", ready] + list(args),
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    cleanup(stop, proc)
    line = proc.stdout.readline().decode()
    match = re.fullmatch(r"listening on 127\.0\.0\.1:(\d+)\n", line)
    deadline = time.monotonic() + 5
    while not os.path.exists(ready) and time.monotonic() < deadline:
        time.sleep(0.02)
    if not match or int(read(ready)) != int(match.group(1)):
        raise AssertionError("%s did not report its port: %r" % (script, line))
    return proc, int(match.group(1))


class PortalTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = tempfile.mkdtemp()
        cls.addClassCleanup(shutil.rmtree, cls.data, True)
        shutil.copytree(COMMUNITY, cls.data, dirs_exist_ok=True)
        cls.proc, cls.port = start_server(cls, "portal_server.py", "--data", cls.data)

    def get(self, path):
        try:
            with HTTP.open("http://127.0.0.1:%d%s" % (self.port, path), timeout=5) as r:
                return r.status, r.headers.get("Content-Type"), r.read()
        except urllib.error.HTTPError as e:
            return e.code, e.headers.get("Content-Type"), e.read()

    def put(self, name, data):
        path = os.path.join(self.data, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        # Tests share one data folder; a failed test must not leave its file behind.
        self.addCleanup(lambda: os.path.exists(path) and os.remove(path))

    def expected_manifest(self):
        root = os.path.join(self.data, "files")
        entries = []
        for dirpath, _, names in os.walk(root):
            for name in names:
                data = read(dirpath, name)
                rel = os.path.relpath(os.path.join(dirpath, name), root).replace("/", "\\")
                entries.append("%s|%d|%d" % (rel, zlib.crc32(data), len(data)))
        return "".join(line + "\r\n" for line in ["#"] + sorted(entries)).encode()

    def test_generated_manifest_follows_the_file_set(self):
        self.put("files/japlus/zz new/added.bin", b"vemor")
        status, ctype, body = self.get("/files.php")
        self.assertEqual((status, ctype), (200, "text/plain"))
        self.assertEqual(body, self.expected_manifest())
        self.assertIn(b"\r\njaplus\\zz new\\added.bin|%d|5\r\n" % zlib.crc32(b"vemor"), body)
        self.assertNotIn(b"\n", body.replace(b"\r\n", b""))
        names = [line.split(b"|")[0] for line in body.split(b"\r\n")[1:-1]]
        self.assertEqual(names, sorted(names))
        self.assertFalse(any(b"/" in n for n in names))

    def test_delete_section_closes_the_manifest(self):
        self.put("delete.txt", b"japlus\\old.pk3\n\n  \nbase\\gone.cfg\r\n")
        body = self.get("/files.php")[2]
        self.assertEqual(body, self.expected_manifest()
                         + b"#DELETE\r\njaplus\\old.pk3\r\nbase\\gone.cfg\r\n")

    def test_hand_made_manifest_is_served_verbatim(self):
        odd = b"#\nbroken line without crc\r\nname|1|2\xff"
        self.put("files.php", odd)
        self.assertEqual(self.get("/files.php")[::2], (200, odd))

    def test_status_switch_fails_the_resource_until_removed(self):
        for name, path in (("files.php", "/files.php"), ("serverlist.inf", "/INFO/serverlist.inf")):
            for content, expected in ((b"503\n", 503), (b"oops", 500)):
                self.put("status-" + name, content)
                status, _, body = self.get(path)
                self.assertEqual(status, expected, name)
                self.assertIn(b"<html>", body)
            os.remove(os.path.join(self.data, "status-" + name))
            self.assertEqual(self.get(path)[0], 200)

    def test_serverlist_is_exact_and_other_paths_are_404(self):
        expected = (200, read(self.data, "serverlist.inf"))
        self.assertEqual(self.get("/INFO/serverlist.inf")[::2], expected)
        for path in ("/", "/tabs.html", "/serverlist.inf", "/INFO/../files.php", "/files.php/x"):
            self.assertEqual(self.get(path)[0], 404, path)

    def test_portal_page_escapes_any_lang(self):
        cases = {"%3Cscript%3E": b"&lt;script&gt;", "": b'value=""',
                 "x" * 4000: b"x" * 4000, "%22%27%26": b"&quot;&#x27;&amp;", "%ZZ": b"%ZZ"}
        for query, shown in cases.items():
            status, ctype, body = self.get("/tabs.php?lang=" + query)
            self.assertEqual((status, ctype), (200, "text/html; charset=utf-8"), query[:20])
            self.assertIn(shown, body)
            self.assertNotIn(b"<script>", body)
            self.assertNotIn(b"{{lang}}", body)
        self.assertEqual(self.get("/tabs.php")[0], 200)


class FtpTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.top = tempfile.mkdtemp()
        cls.addClassCleanup(shutil.rmtree, cls.top, True)
        cls.root = os.path.join(cls.top, "srv", "root")
        shutil.copytree(os.path.join(COMMUNITY, "files"), cls.root)
        for outside in ("secret.txt", os.path.join("srv", "secret.txt")):
            with open(os.path.join(cls.top, outside), "w") as f:
                f.write("not for download")
        os.symlink(os.path.join(cls.top, "secret.txt"), os.path.join(cls.root, "link.txt"))
        cls.proc, cls.port = start_server(cls, "ftp_server.py", "--root", cls.root)

    def connect(self, password=PASSWORD, port=None):
        ftp = ftplib.FTP()
        ftp.connect("127.0.0.1", port or self.port, timeout=5)
        self.addCleanup(ftp.close)
        ftp.login("kel", password)
        return ftp

    def retr(self, ftp, name):
        data = bytearray()
        ftp.retrbinary("RETR " + name, data.extend, blocksize=1024)
        return bytes(data)

    def test_login_needs_the_right_password(self):
        self.connect().voidcmd("NOOP")
        with self.assertRaises(ftplib.error_perm):
            self.connect(password="tQwa3mxP")

    def test_list_reports_real_sizes_in_sub_folders(self):
        ftp = self.connect()
        for folder in ("japlus/maps",):
            lines = []
            ftp.retrlines("LIST " + folder, lines.append)
            sizes = {l.split()[-1]: int(l.split()[4]) for l in lines}
            self.assertEqual(sizes["vemor_duel.pk3"],
                             len(read(self.root, "japlus", "maps", "vemor_duel.pk3")))

    def test_retr_of_sub_folder_paths_returns_exact_bytes(self):
        ftp = self.connect()
        for name in ("base/vemor_skins.pk3", "japlus/maps/readme.txt"):
            self.assertEqual(self.retr(ftp, name), read(self.root, *name.split("/")))

    def test_nothing_outside_the_root_is_reachable(self):
        ftp = self.connect()
        for name in ("..\\..\\etc\\passwd", "/../x", "..\\secret.txt", "..\\..\\secret.txt",
                     "../../secret.txt", "/../../secret.txt", "link.txt"):
            with self.assertRaises(ftplib.error_perm, msg=name):
                self.retr(ftp, name)
        with self.assertRaises(ftplib.error_perm), open(os.path.join(self.top, "secret.txt"), "rb") as f:
            ftp.storbinary("STOR upload.txt", f)
        self.assertFalse(os.path.exists(os.path.join(self.root, "upload.txt")))

    def test_rate_limit_slows_the_download(self):
        _, port = start_server(self, "ftp_server.py", "--root", self.root, "--rate", "4096")
        started = time.monotonic()
        data = self.retr(self.connect(port=port), "base/vemor_skins.pk3")
        self.assertEqual(data, read(self.root, "base", "vemor_skins.pk3"))
        self.assertGreater(time.monotonic() - started, 1.0)


class ShutdownTests(unittest.TestCase):
    def test_servers_exit_cleanly_on_sigterm(self):
        for script, args in (("portal_server.py", ["--data", COMMUNITY]),
                             ("ftp_server.py", ["--root", COMMUNITY])):
            proc, _ = start_server(self, script, *args)
            self.assertEqual(stop(proc), 0, script)


class SampleDataTests(unittest.TestCase):
    def test_portal_page_offers_the_launcher_hooks(self):
        page = read(COMMUNITY, "tabs.html").decode("utf-8")
        head = page[:page.index("</head>")]
        self.assertIn('<meta http-equiv="X-UA-Compatible" content="IE=edge">', head)
        for signature in ("get_access_mid()", "get_access_code()", "get_lang()",
                          "authorize(mid, code, machineId)"):
            self.assertIn("\nfunction %s {" % signature, page)
        self.assertIsNone(re.search(r"=>|\blet\s|\bconst\s", page))
        self.assertIn('href="#', page)
        self.assertIn('href="http://', page)

    def test_serverlist_uses_crlf_and_plain_ascii(self):
        data = read(COMMUNITY, "serverlist.inf")
        self.assertTrue(data.endswith(b"\r\n"))
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""))
        servers = data.decode("ascii").split("\r\n")[1:-1]
        self.assertTrue(3 <= len(servers) <= 5)
        for line in servers:
            self.assertRegex(line, r"^[\w.-]+:\d+\|[ -~]+$")

    def test_archives_rebuild_to_the_shipped_bytes(self):
        out = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, out, True)
        subprocess.run([PYTHON, os.path.join(HERE, "make_community_pk3.py"), out],
                       check=True, stdout=subprocess.DEVNULL)
        for dirpath, _, names in os.walk(out):
            for name in names:
                rel = os.path.relpath(os.path.join(dirpath, name), out)
                self.assertEqual(read(dirpath, name), read(COMMUNITY, "files", rel), rel)

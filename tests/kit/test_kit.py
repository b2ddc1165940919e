"""The community kit under PHP's built-in web server: the manifest and its CRC
cache, the server-list tool, the portal page and the sign-in log."""
import calendar
import os
import re
import shutil
import tempfile
import time
import unittest
import urllib.parse
import zlib

from kit_server import KitServer, deploy, make_server_list

PAST = 1700000000  # a modification time well before any request


def put(root, rel, data, mtime=PAST):
    """data None: a sparse file of 4 GiB (no disk space, and never read)."""
    path = os.path.join(root, *rel.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data) if data is not None else f.truncate(4 * 1024 ** 3)
    os.utime(path, (mtime, mtime))
    return path


def entry(name, data):
    return b"%s|%d|%d\r\n" % (name.encode(), zlib.crc32(data), len(data))


class KitTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.files = os.path.join(self.dir, "files")
        os.makedirs(self.files)

    def set_files(self, files):
        """None: no file set folder at all."""
        shutil.rmtree(self.files, True)
        for rel, data in (files or {}).items():
            put(self.files, rel, data)

    def serve(self, delete=(), servers=None):
        self.kit = deploy(self.dir, self.files, delete, servers)
        server = KitServer(self.kit)
        self.addCleanup(server.stop)
        return server


class ManifestTest(KitTest):
    def test_manifest_of_a_set_with_folders_and_an_empty_file(self):
        content = {"base/vemor.pk3": os.urandom(70000), "japlus/maps/duel.pk3": b"duel map",
                   "empty.dat": b"", "#notes.txt": b"hash"}
        self.set_files(content)
        os.makedirs(os.path.join(self.files, "japlus", "empty-folder"))
        server = self.serve(delete=["base/old_skins.pk3", "japlus\\cfg\\old.cfg"])
        status, body, headers = server.get("/files.php")
        self.assertEqual(status, 200)
        self.assertEqual(body, b"#\r\n" + entry("#notes.txt", b"hash") +
                         entry("base\\vemor.pk3", content["base/vemor.pk3"]) + entry("empty.dat", b"") +
                         entry("japlus\\maps\\duel.pk3", b"duel map") +
                         b"#DELETE\r\nbase\\old_skins.pk3\r\njaplus\\cfg\\old.cfg\r\n")
        self.assertIn("no-store", headers["Cache-Control"])

    def test_refuses_what_the_launcher_would_skip_or_misread(self):
        cases = [
            # (files of the set, delete list, text the refusal names)
            ({"maps/Con.pk3": b"1"}, [], "maps\\Con.pk3"),
            ({"dot.": b"1"}, [], "dot."),
            ({" lead.pk3": b"1"}, [], " lead.pk3"),
            ({"a|b.pk3": b"1"}, [], "a|b.pk3"),
            ({"ctl\x01.pk3": b"1"}, [], "ctl\\x01.pk3"),
            ({"a..b.pk3": b"1"}, [], "a..b.pk3"),
            ({"c:d.pk3": b"1"}, [], "c:d.pk3"),
            ({"caf\u00e9.pk3": b"1"}, [], "caf\\xC3\\xA9.pk3"),
            ({"back\\slash.pk3": b"1"}, [], "back\\slash.pk3"),
            ({"Maps/duel.pk3": b"1", "maps/x.pk3": b"2"}, [], "are the same name on Windows"),
            ({"a.pk3": b"1"}, ["/etc/passwd"], "/etc/passwd"),
            ({"a.pk3": b"1"}, [" "], "blank"),
            ({"base/a.pk3": b"1"}, ["BASE/A.PK3"], "is a file of the set"),
            ({"%s/f%03d.pk3" % ("x" * 40, i): b"1" for i in range(200)}, [], "10000 bytes at \"xxx"),
            ({"huge.pk3": None}, [], 'huge.pk3" is 4 GiB'),
            (None, [], "does not exist"),
        ]
        for files, delete, named in cases:
            with self.subTest(files=list(files or ())[:2], delete=delete):
                self.set_files(files)
                server = self.serve(delete=delete)
                status, body, _ = server.get("/files.php")
                server.stop()
                self.assertEqual((status, body.startswith(b"files.php: "), named in body.decode()),
                                 (500, True, True), body)

    def test_cache_serves_unchanged_files_and_refreshes_on_size_or_time(self):
        path = put(self.files, "base/a.pk3", b"first content")
        put(self.files, "base/b.pk3", b"other")
        server = self.serve()

        def listed(line=1):
            return server.get("/files.php")[1].split(b"\r\n")[line] + b"\r\n"
        self.assertEqual(listed(), entry("base\\a.pk3", b"first content"))
        # Same size and time: the cached CRC is served (the trade-off that
        # spares reading the set on every request).
        put(self.files, "base/a.pk3", b"other content")
        self.assertEqual(listed(), entry("base\\a.pk3", b"first content"))
        # A new time, or a new size at the same time: read again.
        os.utime(path, (PAST + 60, PAST + 60))
        self.assertEqual(listed(), entry("base\\a.pk3", b"other content"))
        put(self.files, "base/a.pk3", b"longer content!", mtime=PAST + 60)
        self.assertEqual(listed(), entry("base\\a.pk3", b"longer content!"))
        # A time not yet passed (this very second, or a clock ahead) is not
        # cached: the file could change again without its time moving.
        put(self.files, "base/a.pk3", b"fresh content!!", mtime=time.time() + 30)
        self.assertEqual(listed(), entry("base\\a.pk3", b"fresh content!!"))
        with open(os.path.join(self.kit, "files-crc.json")) as f:
            self.assertNotIn("base\\\\a.pk3", f.read())
        # A damaged cache costs a reading, never a wrong answer.
        with open(os.path.join(self.kit, "files-crc.json"), "w") as f:
            f.write('{"base\\\\b.pk3": [5, %d, 1234], "x": ' % PAST)
        self.assertEqual(listed(2), entry("base\\b.pk3", b"other"))


class ServerListTest(KitTest):
    def test_writes_the_list_with_a_fresh_stamp(self):
        source = (b"# the community's servers\n"
                  b"127.0.0.1:29070|Vemor Duel\r\n"
                  b"\n"
                  b"  localhost | Vemor FFA | 24/7  \n"
                  b"games.example.org|Vemor Siege\n"
                  b"0000000a.0123456789AB:29080|IPX Lan\n"
                  b"10.0.0.1|" + b"N" * 31 + b"\n")
        self.serve(servers=source)
        before = int(time.time())
        status, out, err = make_server_list(self.kit)
        self.assertEqual((status, err), (0, ""))
        with open(os.path.join(self.kit, "public", "INFO", "serverlist.inf"), "rb") as f:
            stamp, rest = f.read().split(b"\r\n", 1)
        self.assertEqual(rest, b"127.0.0.1:29070|Vemor Duel\r\n"
                               b"localhost|Vemor FFA | 24/7\r\n"
                               b"games.example.org|Vemor Siege\r\n"
                               b"0000000a.0123456789AB:29080|IPX Lan\r\n"
                               b"10.0.0.1|" + b"N" * 31 + b"\r\n")
        match = re.fullmatch(rb"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) UTC ([0-9a-f]{8})", stamp)
        self.assertTrue(match, stamp)
        written_at = calendar.timegm(time.strptime(match.group(1).decode(), "%Y-%m-%d %H:%M:%S"))
        self.assertTrue(before <= written_at <= time.time())
        self.assertEqual(int(match.group(2), 16), zlib.crc32(source))
        self.assertIn("5 servers", out)

    def test_refuses_what_the_launcher_would_not_use_and_keeps_the_served_list(self):
        many = b"".join(b"10.0.%d.%d|Server %d\n" % (i // 200, i % 200, i) for i in range(129))
        long_hosts = b"".join(b"h%d.%s.example.org|S\n" % (i, b"x" * 60) for i in range(128))
        cases = [
            (b"1abc.example.org|Digit first\n", "line 1"),
            (b"010.0.0.1|Octal\n", "010.0.0.1"),
            (b"10.0.0.256|Too big\n", "10.0.0.256"),
            (b"255.255.255.255|Broadcast\n", "broadcast"),
            (b"10.0.0.1:0|Port zero\n", "port"),
            (b"10.0.0.1:65536|Port\n", "port"),
            (b"host_name.org|Underscore\n", "host_name.org"),
            (b"0000000g.0123456789ab|IPX\n", "0000000g"),
            (b"no bar here\n", "line 1"),
            (b"10.0.0.1|\n", "empty"),
            (b"10.0.0.1|" + b"N" * 32 + b"\n", "31"),
            (b"10.0.0.1|Tab\there\n", "control"),
            (b"10.0.0.1|A\n10.0.0.1:29070|B\n", "line 2"),
            (b"Games.Example.org:1|A\ngames.example.ORG:1|B\n", "line 2"),
            (b"# nothing but notes\n\n", "no server"),
            (many, "129 servers"),
            (long_hosts, "10000"),
        ]
        served = os.path.join(self.dir, "kit", "public", "INFO", "serverlist.inf")
        for source, named in cases:
            with self.subTest(source=source[:40]):
                self.serve(servers=source)
                put(os.path.dirname(served), "serverlist.inf", b"old stamp\r\n10.0.0.9|Old\r\n")
                status, out, err = make_server_list(self.kit)
                self.assertEqual((status, named in err), (1, True), out + err)
                with open(served, "rb") as f:
                    self.assertEqual(f.read(), b"old stamp\r\n10.0.0.9|Old\r\n")


class PortalPageTest(KitTest):
    def test_page_carries_the_language_and_escapes_what_it_echoes(self):
        server = self.serve(servers=b"10.0.0.1|<b>Bold</b> & co\n")
        make_server_list(self.kit)
        for asked, lang in [("ru", "ru"), ("PT-br", "pt-BR"), ("de-AT", "de"), ("xx", "en"),
                            ('"><script>alert(1)</script>', "en")]:
            with self.subTest(asked=asked):
                status, body, _ = server.get("/tabs.php?lang=" + urllib.parse.quote(asked))
                page = body.decode()
                self.assertEqual(status, 200)
                self.assertIn('<meta http-equiv="X-UA-Compatible" content="IE=edge">', page)
                self.assertIn('var kitLang = "%s";' % lang, page)
                self.assertIn('<option value="%s" selected>' % lang, page)
                self.assertNotIn("<script>alert", page)
                self.assertIn("&lt;b&gt;Bold&lt;/b&gt; &amp; co &ndash; 10.0.0.1", page)

    def test_sign_in_keeps_only_accepted_values(self):
        server = self.serve()
        for mid, code, accepted in [("padawan", "s3cret", True), ('x"</script>', "c'o", True),
                                    ("", "code", False), ("mid", "", False),
                                    ("m" * 64, "code", False), ("mid", "a\nb", False)]:
            with self.subTest(mid=mid[:10], code=code):
                form = urllib.parse.urlencode({"mid": mid, "code": code, "lang": "de"}).encode()
                status, body, _ = server.get("/tabs.php?lang=en", form)
                page = body.decode()
                self.assertEqual(status, 200)
                self.assertIn('var kitLang = "de";', page)
                self.assertNotIn("</script>\"", page)
                if accepted:
                    escaped = mid.replace('"', "\\u0022").replace("<", "\\u003C").replace(">", "\\u003E")
                    self.assertIn('var kitMid = "%s";' % escaped.replace("/", "\\/"), page)
                    self.assertIn("Angemeldet als", page)
                else:
                    self.assertIn('var kitMid = "";\nvar kitCode = "";', page)
                    self.assertIn('class="error"', page)

    def test_sign_in_log_holds_machine_identifiers_only(self):
        server = self.serve()
        machine = "d41d8cd98f00b204e9800998ecf8427e"
        results = [server.get("/authorize.php?" + query)[0] for query in
                   ["machine=" + machine + "&t=1", "machine=" + machine.upper(),
                    "machine=" + machine + "%0A2026-01-01%20forged", "mid=padawan&code=s3cret", ""]]
        self.assertEqual(results, [204, 400, 400, 400, 400])
        with open(os.path.join(self.kit, "sign-in.log")) as f:
            lines = f.read().splitlines()
        self.assertEqual(len(lines), 1)
        self.assertRegex(lines[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC 127\.0\.0\.1 %s$" % machine)


if __name__ == "__main__":
    unittest.main()

"""The community kit under PHP's built-in web server: the manifest and its CRC
cache, the server-list tool, the portal page and the sign-in log."""
import calendar
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import urllib.parse
import zlib

from kit_server import KitServer, deploy, make_server_list, run_php

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "corpus", "fields.txt")

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

    def serve(self, delete=(), servers=None, log=None, **settings):
        self.kit = deploy(self.dir, self.files, delete, servers, **settings)
        server = KitServer(self.kit, log=log)
        self.addCleanup(server.stop)
        return server

    def check_manifest(self):
        return subprocess.run(["php", os.path.join(self.kit, "public", "files.php"), "--check"],
                              capture_output=True, text=True, timeout=60)


class FieldRuleTest(KitTest):
    def test_the_kit_writes_what_the_launcher_takes_as_written(self):
        with open(CORPUS) as f:
            corpus = [l.rstrip("\n").split("\t") for l in f if l.strip() and not l.startswith("#")]
        kit = deploy(self.dir, self.files)
        code, out, err = run_php(kit, r"""
            foreach (array_slice($argv, 1) as $arg) {
                [$field, $text] = explode("\t", $arg, 2);
                $text = rawurldecode($text);
                try {
                    if ($field === 'path') {
                        echo kit_path_problem($text) === null ? bin2hex($text) : 'refused', "\n";
                    } else {
                        $line = kit_server_lines("10.0.0.1|$text\n")[0];
                        echo bin2hex(substr($line, strlen('10.0.0.1|'))), "\n";
                    }
                } catch (KitRefusal $r) {
                    echo "refused\n";
                }
            }""", *("%s\t%s" % (field, text) for _, field, text in corpus))
        self.assertEqual(code, 0, err)
        for (verdict, field, text), result in zip(corpus, out.decode().split()):
            with self.subTest(field=field, text=text):
                wanted = urllib.parse.unquote_to_bytes(text).hex() if verdict == "ok" else "refused"
                self.assertEqual(result, wanted, verdict)


class ManifestTest(KitTest):
    def test_manifest_of_a_set_with_folders_and_an_empty_file(self):
        content = {"base/vemor.pk3": os.urandom(70000), "japlus/maps/duel.pk3": b"duel map",
                   "empty.dat": b"", "#notes.txt": b"hash"}
        unfinished = ["base/.vemor.pk3.Xy12Ab", ".git/config", "a.pk3.part", "b.PK3.FilePart",
                      "c.tmp", "base/d.cfg~", "japlus/.cache/x.pk3"]
        self.set_files(dict(content, **{name: b"half" for name in unfinished}))
        os.makedirs(os.path.join(self.files, "japlus", "empty-folder"))
        server = self.serve(delete=["base/old_skins.pk3", "japlus\\cfg\\old.cfg"])
        status, body, headers = server.get("/files.php")
        self.assertEqual(status, 200)
        self.assertEqual(body, b"#\r\n" + entry("#notes.txt", b"hash") +
                         entry("base\\vemor.pk3", content["base/vemor.pk3"]) + entry("empty.dat", b"") +
                         entry("japlus\\maps\\duel.pk3", b"duel map") +
                         b"#DELETE\r\nbase\\old_skins.pk3\r\njaplus\\cfg\\old.cfg\r\n")
        self.assertIn("no-store", headers["Cache-Control"])
        check = self.check_manifest()
        self.assertEqual((check.returncode, check.stdout),
                         (0, "files.php: served: 4 files, %d bytes of 1048576\n" % len(body)))

    def test_refuses_what_the_launcher_would_skip_or_misread(self):
        cases = [
            ({"back\\slash.pk3": b"1"}, [], "back\\slash.pk3"),
            ({"Maps/duel.pk3": b"1", "maps/x.pk3": b"2"}, [], "are the same name on Windows"),
            ({"a.pk3": b"1"}, ["/etc/passwd"], "/etc/passwd"),
            ({"base/a.pk3": b"1"}, ["BASE/A.PK3"], "is a file of the set"),
            ({"%s/f%03d.pk3" % ("x" * 40, i): b"1" for i in range(200)}, [], "limit of 10000 bytes at \"xxx"),
            ({"huge.pk3": None}, [], 'huge.pk3" is 4 GiB'), (None, [], "does not exist"),
        ]
        log = os.path.join(self.dir, "server.log")
        for files, delete, named in cases:
            with self.subTest(files=list(files or ())[:2], delete=delete):
                self.set_files(files)
                server = self.serve(delete=delete, log=log, manifest_limit=10000)
                status, body, _ = server.get("/files.php")
                server.stop()
                self.assertEqual((status, body.startswith(b"files.php: "), named in body.decode()),
                                 (500, True, True), body)
                # The client never learns a server path; the admin's log has it.
                self.assertNotIn(self.dir.encode(), body)
                check = self.check_manifest()
                self.assertEqual((check.returncode, named in check.stderr), (1, True), check.stderr)
        with open(log) as f:
            self.assertIn("file_set is " + self.files, f.read())

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

    def test_cache_keeps_a_crc_only_for_the_bytes_it_was_computed_from(self):
        a = put(self.files, "a.pk3", b"version A")
        put(self.files, "b.pk3", b"version B", mtime=PAST + 9)
        kit = deploy(self.dir, self.files, manifest_limit=40)
        cache = os.path.join(kit, "files-crc.json")
        # The set is read after the line's stat: a file swapped in between
        # (here b.pk3 moved over a.pk3) gives no CRC, and none is stored.
        code, out, err = run_php(kit, r"""
            $cache = new KitCrcCache($argv[1]);
            $stat = stat($argv[2]);
            rename($argv[3], $argv[2]);
            var_dump($cache->crc('a.pk3', $argv[2], $stat, time()));
            $cache->save();""", cache, a, os.path.join(self.files, "b.pk3"))
        self.assertEqual((code, out.strip(), os.path.exists(cache)), (0, b"NULL", False), err)
        # Rolled back to version A with its time: its own CRC, not B's. The
        # manifest passes its limit at the second file, yet the CRCs are kept.
        put(self.files, "a.pk3", b"version A")
        put(self.files, "b.pk3", b"version B", mtime=PAST + 9)
        server = KitServer(kit)
        self.addCleanup(server.stop)
        self.assertEqual(server.get("/files.php")[0], 500)
        with open(cache) as f:
            self.assertEqual(f.read(), '{"a.pk3":[9,%d,%d],"b.pk3":[9,%d,%d]}' % (
                PAST, zlib.crc32(b"version A"), PAST + 9, zlib.crc32(b"version B")))
        code, out, err = run_php(kit, "echo kit_build_manifest($argv[1], [], $argv[2], 1000);",
                                 self.files, cache)
        self.assertEqual(out, b"#\r\n" + entry("a.pk3", b"version A") + entry("b.pk3", b"version B"))


class ServerListTest(KitTest):
    def test_writes_the_list_with_a_fresh_stamp(self):
        source = (b"# the community's servers\n"
                  b"127.0.0.1:29070|Vemor Duel\r\n"
                  b"\n"
                  b"  localhost | Vemor FFA | 24/7  \n"
                  b"games.example.org|Vemor Siege\n"
                  b"0000000a.0123456789AB:29080|IPX Lan\n")
        self.serve(servers=source)
        before = int(time.time())
        status, out, err = make_server_list(self.kit)
        self.assertEqual((status, err), (0, ""))
        with open(os.path.join(self.kit, "public", "INFO", "serverlist.inf"), "rb") as f:
            stamp, rest = f.read().split(b"\r\n", 1)
        self.assertEqual(rest, b"127.0.0.1:29070|Vemor Duel\r\n"
                               b"localhost|Vemor FFA | 24/7\r\n"
                               b"games.example.org|Vemor Siege\r\n"
                               b"0000000a.0123456789AB:29080|IPX Lan\r\n")
        match = re.fullmatch(rb"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) UTC ([0-9a-f]{8})", stamp)
        self.assertTrue(match, stamp)
        written_at = calendar.timegm(time.strptime(match.group(1).decode(), "%Y-%m-%d %H:%M:%S"))
        self.assertTrue(before <= written_at <= time.time())
        self.assertEqual(int(match.group(2), 16), zlib.crc32(source))
        self.assertIn("4 servers", out)

    def test_refuses_what_the_launcher_would_not_use_and_keeps_the_served_list(self):
        many = b"".join(b"10.0.%d.%d|Server %d\n" % (i // 200, i % 200, i) for i in range(129))
        long_hosts = b"".join(b"h%d.%s.example.org|S\n" % (i, b"x" * 60) for i in range(128))
        cases = [
            (b"1abc.example.org|Digit first\n", "line 1"), (b"010.0.0.1|Octal\n", "010.0.0.1"),
            (b"10.0.0.256|Too big\n", "10.0.0.256"), (b"255.255.255.255|Broadcast\n", "broadcast"),
            (b"10.0.0.1:0|Port zero\n", "port"), (b"10.0.0.1:65536|Port\n", "port"),
            (b"host_name.org|Underscore\n", "host_name.org"), (b"0000000g.0123456789ab|IPX\n", "0000000g"),
            (b"no bar here\n", "line 1"), (b"10.0.0.1|\n", "empty"),
            (b"10.0.0.1|A\n10.0.0.1:29070|B\n", "line 2"),
            (b"Games.Example.org:1|A\ngames.example.ORG:1|B\n", "line 2"),
            (b"# nothing but notes\n\n", "no server"), (many, "129 servers"), (long_hosts, "10000"),
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

    def test_sign_in_log_is_bounded_and_names_the_launcher(self):
        server = self.serve()
        machine, other = "d41d8cd98f00b204e9800998ecf8427e", "0" * 32
        log = os.path.join(self.kit, "sign-in.log")
        # Some 10 MB from earlier days, and lines of the kit before versions.
        old = "2020-01-01 00:00:00 UTC 10.0.0.1 %s 1.0.0 plain\n" % other
        with open(log, "w") as f:
            f.write(old * (10 * 1024 * 1024 // len(old) + 1))
        requests = [("machine=" + machine + "&t=1", "vemor/1.4.0 (signed)", 204),
                    ("machine=" + machine + "&t=2", "vemor/1.4.0 (signed)", 204),  # within a minute
                    ("machine=" + other, "Mozilla/4.0 (compatible; MSIE 7.0) vemor/1.3.2 (plain)", 204),
                    ("machine=" + machine.upper(), "", 400),
                    ("machine=" + machine + "%0A2026-01-01%20forged", "", 400),
                    ("mid=padawan&code=s3cret", "", 400), ("", "", 400)]
        for query, agent, status in requests:
            self.assertEqual(server.get("/authorize.php?" + query, headers={"User-Agent": agent})[0],
                             status, query)
        with open(log) as f:
            lines = f.read().splitlines()
        self.assertEqual(len(lines), 2, lines)
        self.assertRegex(lines[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC 127\.0\.0\.1 %s 1\.4\.0 signed$" % machine)
        self.assertTrue(lines[1].endswith(" %s 1.3.2 plain" % other), lines[1])
        self.assertGreater(os.path.getsize(log + ".1"), 10 * 1024 * 1024)
        today = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime())
        with open(log, "a") as f:
            f.write("%s UTC 10.0.0.2 %s 1.3.2 plain\n" % (today, "1" * 32))
            f.write("%s UTC 10.0.0.3 %s ? ?\n" % (today, "2" * 32))
            f.write("%s UTC 10.0.0.3 %s\n" % (today, "3" * 32))
        with open(log + ".1", "a") as f:
            f.write("%s UTC 10.0.0.4 %s 1.4.0 signed\n" % (today, "4" * 32))
        result = subprocess.run(["php", os.path.join(self.kit, "report.php"), "7"],
                                capture_output=True, text=True, timeout=30)
        counts = dict(reversed(l.split(None, 1)) for l in result.stdout.splitlines()[1:])
        self.assertEqual(counts, {"1.4.0 (signed)": "2", "1.3.2 (plain)": "2", "?": "2"}, result.stderr)

    def test_a_broken_configuration_answers_500_from_every_page(self):
        server = self.serve()
        with open(os.path.join(self.kit, "config.php"), "a") as f:
            f.write("<?php syntax error here\n")
        for page in ["/tabs.php?lang=de", "/files.php", "/authorize.php?machine=" + "0" * 32]:
            with self.subTest(page=page):
                status, body, _ = server.get(page)
                self.assertEqual((status, body), (500, page.split("?")[0][1:].encode()
                                                  + b": the configuration is broken\r\n"))


if __name__ == "__main__":
    unittest.main()

"""The kit under Debian's Apache with mod_php, deployed as the admin's guide
says: the manifest, the CRC cache the web server may or may not write (and
the error log telling the admin), and many players at once on a cold cache."""
import concurrent.futures
import json
import os
import shutil
import tempfile
import unittest

from kit_server import deploy
from real_servers import Apache, let_web_server_write
from test_kit import entry, put


class ApacheTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir, True)
        os.chmod(self.dir, 0o755)  # the web server's account walks through it
        self.files = os.path.join(self.dir, "files")
        self.content = {"base/vemor_%02d.pk3" % i: os.urandom(20000 + i) for i in range(30)}
        self.content["vemor.exe"] = b"MZ new launcher"
        for rel, data in self.content.items():
            put(self.files, rel, data)
        self.kit = deploy(self.dir, self.files, delete=["base/old.pk3"])
        self.apache = Apache(self.kit, self.dir)
        self.addCleanup(self.apache.stop)
        self.manifest = (b"#\r\n" + b"".join(entry(rel.replace("/", "\\"), self.content[rel])
                                            for rel in sorted(self.content))
                         + b"#DELETE\r\nbase\\old.pk3\r\n")

    def test_cache_needs_the_folder_the_guide_makes_writable(self):
        cache = os.path.join(self.kit, "files-crc.json")
        for _ in range(2):
            self.assertEqual(self.apache.get("/files.php")[:2], (200, self.manifest))
        if os.getuid() == 0:
            # Not yet writable for www-data: answered all the same, and the
            # admin is told once per request.
            self.assertFalse(os.path.exists(cache))
            self.assertEqual(self.apache.errors().count("files-crc.json cannot be written"), 2)
        let_web_server_write(self.kit)
        self.assertEqual(self.apache.get("/files.php")[:2], (200, self.manifest))
        self.assertTrue(os.path.exists(cache))

    def test_twenty_players_at_once_on_a_cold_cache(self):
        let_web_server_write(self.kit)
        with concurrent.futures.ThreadPoolExecutor(20) as pool:
            answers = list(pool.map(lambda _: self.apache.get("/files.php")[:2], range(20)))
        self.assertEqual(answers, [(200, self.manifest)] * 20)
        with open(os.path.join(self.kit, "files-crc.json")) as f:
            self.assertEqual(len(json.load(f)), len(self.content))
        self.assertNotIn("PHP ", self.apache.errors())


if __name__ == "__main__":
    unittest.main()

"""The kit's signing tool: the key pair, and the signed manifest and server
list, checked with OpenSSL's command-line tool and served as static files."""
import hashlib
import os
import re
import stat
import subprocess
import zlib
from pathlib import Path

from kit_server import deploy, write_config
from test_kit import KitTest, put

# SubjectPublicKeyInfo of a P-256 key, up to the point 04||X||Y.
P256_SPKI_PREFIX = bytes.fromhex("3059301306072a8648ce3d020106082a8648ce3d030107034200")


def der_integer(value):
    value = value.lstrip(b"\0") or b"\0"
    return b"\x02" + bytes([len(value) + (value[0] >> 7)]) + b"\0" * (value[0] >> 7) + value


def contents(folder):
    return {p.name: p.read_bytes() for p in Path(folder).iterdir()}


class SigningTest(KitTest):
    def sign(self, *args):
        result = subprocess.run(["php", os.path.join(self.kit, "sign.php")] + list(args),
                                capture_output=True, text=True, timeout=60)
        return result.returncode, result.stdout, result.stderr

    def make_key(self):
        self.key = os.path.join(self.dir, "keys", "community.pem")
        os.makedirs(os.path.dirname(self.key))
        code, out, err = self.sign("key", self.key)
        self.assertEqual(code, 0, err)
        return out.strip()

    def openssl_verifies(self, document, public_hex):
        body, _, line = document[:-1].rpartition(b"\n")
        self.assertTrue(line.startswith(b"signature "), line)
        raw = bytes.fromhex(line[len(b"signature "):].decode())
        der = der_integer(raw[:32]) + der_integer(raw[32:])
        pub, sig, text = (put(self.dir, name, data) for name, data in (
            ("pub.der", P256_SPKI_PREFIX + b"\x04" + bytes.fromhex(public_hex)),
            ("sig.der", b"\x30" + bytes([len(der)]) + der), ("body", body + b"\n")))
        return subprocess.run(["openssl", "dgst", "-sha256", "-keyform", "DER", "-verify", pub,
                               "-signature", sig, text], capture_output=True, timeout=30).returncode == 0

    def test_key_pair_is_owner_only_and_never_overwritten(self):
        self.kit = deploy(self.dir, self.files)
        public = self.make_key()
        self.assertRegex(public, r"^[0-9a-f]{128}$")
        self.assertEqual(stat.S_IMODE(os.stat(self.key).st_mode), 0o600)
        pem = Path(self.key).read_bytes()
        code, _, err = self.sign("key", self.key)
        self.assertEqual((code, "never overwritten" in err), (1, True), err)
        self.assertEqual(Path(self.key).read_bytes(), pem)
        self.assertEqual(self.sign("public", self.key)[1].strip(), public)
        os.chmod(self.key, 0o644)
        code, _, err = self.sign("publish", self.key)
        self.assertEqual((code, "read by others" in err), (1, True), err)
        # Inside the kit's public/ or a web root the configuration names,
        # also through a link or a folder not made yet.
        www = os.path.join(self.dir, "www")
        os.makedirs(www)
        os.symlink(www, os.path.join(self.dir, "link"))
        write_config(self.kit, self.files, web_root=www)
        for place in [os.path.join(self.kit, "public", "k.pem"), os.path.join(www, "k.pem"),
                      os.path.join(self.dir, "link", "new", "k.pem")]:
            code, _, err = self.sign("key", place)
            self.assertEqual((code, "web root" in err), (1, True), err)
            self.assertFalse(os.path.exists(place))

    def test_publish_signs_the_file_set_and_the_servers(self):
        content = {"base/vemor.pk3": os.urandom(300000), "japlus/maps/duel.pk3": b"duel",
                   "empty.dat": b""}
        self.set_files(content)
        server = self.serve(delete=["base/old_skins.pk3"],
                            servers=b"# notes\n10.1.2.3:29071|Vemor Duel\nlocalhost|FFA | 24/7\n")
        public = self.make_key()
        code, out, err = self.sign("publish", self.key)
        self.assertEqual(code, 0, err)
        signed = contents(os.path.join(self.kit, "public", "signed"))
        manifest, servers = signed["files.txt"], signed["serverlist.txt"]
        sequence = int(re.search(rb"\nsequence (\d+)\n", manifest).group(1))
        self.assertIn("as sequence %d" % sequence, out)

        def line(rel):
            data = content[rel]
            return b"file %s|%d|%d|%s\n" % (rel.replace("/", "\\").encode(), zlib.crc32(data), len(data),
                                            hashlib.sha256(data).hexdigest().encode())
        head = b"vemor signed 1\nkind %s\nsequence %d\n"
        self.assertEqual(manifest.rsplit(b"signature ", 1)[0],
                         head % (b"manifest", sequence) + line("base/vemor.pk3") + line("empty.dat") +
                         line("japlus/maps/duel.pk3") + b"delete base\\old_skins.pk3\n")
        self.assertEqual(servers.rsplit(b"signature ", 1)[0],
                         head % (b"serverlist", sequence) +
                         b"server 10.1.2.3:29071|Vemor Duel\nserver localhost|FFA | 24/7\n")
        for document in (manifest, servers):
            self.assertTrue(self.openssl_verifies(document, public))
            self.assertFalse(self.openssl_verifies(document.replace(b"Duel", b"Dual")
                                                   .replace(b"empty.dat", b"empty.daT"), public))
        self.assertEqual(server.get("/signed/files.txt")[:2], (200, manifest))
        self.assertEqual(server.get("/signed/serverlist.txt")[:2], (200, servers))
        self.assertEqual(self.sign("publish", self.key)[0], 0)
        again = contents(os.path.join(self.kit, "public", "signed"))["files.txt"]
        self.assertGreater(int(re.search(rb"\nsequence (\d+)\n", again).group(1)), sequence)
        # A second machine signing into a folder of its own (an absolute
        # setting) never goes below what the portal serves.
        put(self.kit, "public/signed/files.txt", b"vemor signed 1\nkind manifest\nsequence 99999999999\n")
        elsewhere = os.path.join(self.dir, "second", "signed")
        write_config(self.kit, self.files, ["base/old_skins.pk3"], signed=elsewhere)
        code, out, err = self.sign("publish", self.key, "--after", "http://127.0.0.1:%d" % server.port)
        self.assertEqual(code, 0, err)
        self.assertIn(b"\nsequence 100000000000\n", contents(elsewhere)["files.txt"])
        code, _, err = self.sign("publish", self.key, "--after", "http://127.0.0.1:%d/nothing.txt"
                                 % server.port)
        self.assertEqual(code, 0, err)  # no signed manifest yet: a first signing

    def test_publish_refuses_what_the_launcher_would_not_take_and_keeps_the_signed_files(self):
        put(self.files, "base/a.pk3", b"a")
        self.serve(servers=b"10.0.0.1|One\n")
        self.make_key()
        self.assertEqual(self.sign("publish", self.key)[0], 0)
        signed = os.path.join(self.kit, "public", "signed")
        before = contents(signed)
        cases = [
            ({"base/a.pk3": b"1"}, [], b"010.0.0.1|Octal\n", "010.0.0.1"),
            # Beyond the launcher's 1 MiB: 11000 lines of some 100 bytes.
            ({"f/%s%05d.pk3" % ("x" * 20, i): b"" for i in range(11000)}, [], b"10.0.0.1|One\n",
             "1048576"),
        ]
        for files, delete, servers, named in cases:
            with self.subTest(named=named):
                self.set_files(files)
                write_config(self.kit, self.files, delete)
                put(self.kit, "servers.txt", servers)
                code, _, err = self.sign("publish", self.key)
                self.assertEqual((code, named in err), (1, True), err)
                self.assertEqual(contents(signed), before)

#!/usr/bin/env python3
"""An admin's configure: the key that the kit's sign.php key prints is taken
(and stays taken on every later configure), a malformed key or floor stops the
build naming its setting, and the summary says what went into the program."""
import os
import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def configure(build, *settings):
    # Ninja, as scripts/build uses: scripts/install-deps installs no make.
    result = subprocess.run(["cmake", "-G", "Ninja", "-S", SOURCE, "-B", build] +
                            [f"-D{s}" for s in settings],
                            capture_output=True, text=True, timeout=300)
    return result.returncode, result.stdout + result.stderr


class ConfigureTest(unittest.TestCase):
    def test_the_printed_key_is_taken_and_a_malformed_setting_named(self):
        with tempfile.TemporaryDirectory() as work:
            printed = subprocess.run(["php", os.path.join(SOURCE, "community", "sign.php"), "key",
                                      os.path.join(work, "community.pem")],
                                     capture_output=True, text=True, timeout=60, check=True)
            key = printed.stdout.strip()
            build = os.path.join(work, "build")
            code, out = configure(build, "VEMOR_PORTAL_HOST=portal.example.org",
                                  "VEMOR_FTP_HOST=files.example.org", "VEMOR_FTP_PORT=2100",
                                  f"VEMOR_SIGNING_KEY={key}", "VEMOR_SIGNING_FLOOR=1765090800")
            self.assertEqual(code, 0, out)
            self.assertRegex(out, r"Vemor launcher \d+\.\d+\.\d+: portal portal\.example\.org, "
                                  r"update FTP server files\.example\.org:2100")
            self.assertIn(f"Signed updates: on, key {key[:8]}...{key[-8:]}, floor 1765090800", out)
            header = Path(build, "generated", "BuildConfig.h").read_text()
            self.assertIn(f'kSigningKey[] = "{key.lower()}";', header)
            self.assertIn("kSigningFloor = 1765090800ULL;", header)
            code, out = configure(build)  # the key now comes from the cache
            self.assertEqual(code, 0, out)

            for setting, value in [("VEMOR_SIGNING_KEY", key[:-1]), ("VEMOR_SIGNING_KEY", key + "0"),
                                   ("VEMOR_SIGNING_KEY", key[:-1] + "g"),
                                   ("VEMOR_SIGNING_KEY", "[0-9a-f]{128}"),
                                   ("VEMOR_SIGNING_FLOOR", "017"), ("VEMOR_SIGNING_FLOOR", "-1"),
                                   ("VEMOR_SIGNING_FLOOR", "18446744073709551616")]:
                code, out = configure(build, f"VEMOR_SIGNING_KEY={key}", f"{setting}={value}")
                self.assertNotEqual(code, 0, f"{setting}={value} was taken")
                self.assertRegex(out, rf"CMake Error[\s\S]*{setting} must", f"{setting}={value}")
            code, out = configure(build, "VEMOR_SIGNING_KEY=", "VEMOR_SIGNING_FLOOR=5")
            self.assertNotEqual(code, 0, "a floor without a key was taken")
            code, out = configure(build, "VEMOR_SIGNING_KEY=", "VEMOR_SIGNING_FLOOR=0")
            self.assertEqual(code, 0, out)
            self.assertIn("Signed updates: off", out)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])

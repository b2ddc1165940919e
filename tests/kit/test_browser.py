"""The portal page in a real browser (Debian's chromium, headless, through
Selenium) served by Apache, and its script parsed as the launcher's old
browser control reads it: ECMAScript 3."""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import TimeoutException, WebDriverException
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

from kit_server import deploy, make_server_list
from real_servers import Apache, let_web_server_write

# acorn from npm, kept outside the checkout (never a committed node_modules).
ACORN_CACHE = os.environ.get("VEMOR_ACORN_CACHE", os.path.expanduser("~/.cache/vemor-acorn"))
MACHINE = "d41d8cd98f00b204e9800998ecf8427e"


def acorn():
    module = os.path.join(ACORN_CACHE, "node_modules", "acorn")
    if not os.path.isdir(module):
        subprocess.run(["npm", "install", "--prefix", ACORN_CACHE, "--no-audit", "--no-fund",
                        "acorn@8"], check=True, capture_output=True, timeout=300)
    return module


class PortalInBrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp()
        os.chmod(cls.dir, 0o755)
        os.makedirs(os.path.join(cls.dir, "files"))
        cls.kit = deploy(cls.dir, os.path.join(cls.dir, "files"),
                         servers="10.0.0.1|Академия\n10.0.0.2|Köln Duel\n".encode())
        make_server_list(cls.kit)
        let_web_server_write(cls.kit)
        cls.apache = Apache(cls.kit, cls.dir)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-proxy-server"):
            options.add_argument(flag)
        try:
            cls.browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        except Exception:
            cls.apache.stop()
            raise
        cls.base = "http://127.0.0.1:%d" % cls.apache.port

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.apache.stop()
        shutil.rmtree(cls.dir, True)

    def call(self, script):
        return self.browser.execute_script("return " + script)

    def expect_values(self, expected):
        """What the launcher reads: get_access_mid, get_access_code, get_lang."""
        names = ("get_access_mid", "get_access_code", "get_lang")
        values = lambda: [self.call(f + "()") for f in names]
        try:  # after a submit, once the new page is in
            WebDriverWait(self.browser, 10, ignored_exceptions=[WebDriverException]).until(
                lambda _: values() == expected)
        except TimeoutException:
            pass
        self.assertEqual(values(), expected)

    def test_the_launcher_functions_language_and_sign_in(self):
        self.browser.get(self.base + "/tabs.php?lang=ru")
        self.expect_values(["", "", "ru"])
        self.assertIn("Академия", self.browser.find_element(By.TAG_NAME, "body").text)
        self.assertIs(self.call('authorize("padawan", "s3cret", "%s")' % MACHINE), True)
        log = os.path.join(self.kit, "sign-in.log")
        for _ in range(100):
            if os.path.exists(log) and os.path.getsize(log):  # made, then written
                break
            time.sleep(0.05)
        with open(log) as f:
            self.assertRegex(f.read(), r"^\S+ \S+ UTC 127\.0\.0\.1 %s \? \?\n$" % MACHINE)
        Select(self.browser.find_element(By.ID, "lang")).select_by_value("de")
        self.expect_values(["padawan", "s3cret", "de"])
        self.assertEqual(self.browser.find_element(By.ID, "text-news").text, "Neuigkeiten")
        self.browser.find_element(By.ID, "mid").send_keys("jedi")
        self.browser.find_element(By.ID, "code").send_keys("m4ster")
        self.browser.find_element(By.ID, "submit").click()
        self.expect_values(["jedi", "m4ster", "de"])
        self.assertEqual(self.browser.find_element(By.ID, "status").text, "Angemeldet als jedi")

    def test_the_script_as_served_is_ecmascript_3(self):
        page = self.apache.get("/tabs.php?lang=pt-BR")[1].decode()
        scripts = re.findall(r"<script[^>]*>(.*?)</script>", page, re.S)
        self.assertEqual(len(scripts), 1)
        parse = subprocess.run(
            ["node", "-e", "require(process.argv[1]).parse(require('fs').readFileSync(0, 'utf8'),"
             " {ecmaVersion: 3})", acorn()], input=scripts[0], capture_output=True, text=True,
            timeout=60)
        self.assertEqual(parse.returncode, 0, parse.stderr)
        # And the check can fail: a later construct is refused.
        parse = subprocess.run(["node", "-e", "require(process.argv[1]).parse('let x = 1;', "
                                "{ecmaVersion: 3})", acorn()], capture_output=True, timeout=60)
        self.assertNotEqual(parse.returncode, 0)


if __name__ == "__main__":
    unittest.main()

"""The community kit deployed as an admin does (a copy with its own config.php)
and served by PHP's built-in web server on a loopback port."""
import os
import shutil
import socket
import subprocess
import time
import urllib.error
import urllib.request

KIT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "community")

# Never let a proxy from the environment take the requests off loopback.
_HTTP = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def php_string(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


def deploy(folder, file_set, delete=(), servers=None, **settings):
    kit = os.path.join(folder, "kit")
    shutil.rmtree(kit, ignore_errors=True)
    with open(os.path.join(KIT, ".gitignore")) as f:  # what the kit writes itself
        written = [l.strip().split("/")[-1] for l in f if l.strip() and not l.startswith("#")]
    shutil.copytree(KIT, kit, ignore=shutil.ignore_patterns(*written))
    write_config(kit, file_set, delete, **settings)
    if servers is not None:
        with open(os.path.join(kit, "servers.txt"), "wb") as f:
            f.write(servers)
    return kit


def write_config(kit, file_set, delete=(), **settings):
    entries = ", ".join(php_string(d) for d in delete)
    more = "".join(", '%s' => %s" % (k, php_string(v) if isinstance(v, str) else v)
                   for k, v in settings.items())
    with open(os.path.join(kit, "config.php"), "w") as f:
        f.write("<?php return ['file_set' => %s, 'delete' => [%s], 'servers' => 'servers.txt', "
                "'server_list' => 'public/INFO/serverlist.inf', 'sign_in_log' => 'sign-in.log'%s];\n"
                % (php_string(os.path.abspath(file_set)), entries, more))


def run_php(kit, code, *args):
    head = "require '%s/lib/signing.php'; require '%s/lib/signinlog.php'; " % (kit, kit)
    result = subprocess.run(["php", "-r", head + code, "--"] + list(args), capture_output=True,
                            timeout=60)
    return result.returncode, result.stdout, result.stderr


def make_server_list(kit):
    result = subprocess.run(["php", os.path.join(kit, "make-serverlist.php")], capture_output=True,
                            text=True, timeout=30)
    return result.returncode, result.stdout, result.stderr


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, process, what):
    deadline = time.monotonic() + 15
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            if process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("%s did not start on port %d" % (what, port))
            time.sleep(0.05)


class Served:
    """A server process of the test's own on a loopback port, in a session of
    its own (apache2 ends its whole process group when it stops)."""

    def start(self, command, port, log=None):
        self.port = port or free_port()
        self.log = open(log or os.devnull, "wb")
        self.process = subprocess.Popen(command(self.port), stdout=self.log, stderr=subprocess.STDOUT,
                                        stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            wait_for_port(self.port, self.process, command(self.port)[0])
        except RuntimeError:
            self.stop()
            raise

    def get(self, path, data=None, headers=None):
        request = urllib.request.Request("http://127.0.0.1:%d%s" % (self.port, path), data,
                                         headers or {})
        try:
            with _HTTP.open(request, timeout=120) as r:
                return r.status, r.read(), r.headers
        except urllib.error.HTTPError as error:
            return error.code, error.read(), error.headers

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    # Harness.cleanup ends its servers with terminate() and wait().
    terminate = stop

    def wait(self):
        return self.process.wait()


class KitServer(Served):
    def __init__(self, kit, port=None, log=None):
        self.kit = kit
        self.start(lambda port: ["php", "-S", "127.0.0.1:%d" % port, "-t", os.path.join(kit, "public")],
                   port, log)

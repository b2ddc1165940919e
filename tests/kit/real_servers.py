"""The kit as admins run it: under Debian's Apache with mod_php, started with
a configuration file of the test's own on a free loopback port and stopped
by the test."""
import glob
import os
import pwd
import shutil
import socket
import subprocess
import time
import urllib.error
import urllib.request

_HTTP = urllib.request.build_opener(urllib.request.ProxyHandler({}))


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


def web_user():
    """The account the web server's children run as: www-data when started
    as root (as Debian's Apache is), else whoever runs the test."""
    return "www-data" if os.getuid() == 0 else pwd.getpwuid(os.getuid()).pw_name


class Apache:
    """apache2 with mod_php serving kit/public, its site written as the
    admin's guide shows it."""

    def __init__(self, kit, folder):
        self.port = free_port()
        self.folder = folder
        self.error_log = os.path.join(folder, "apache-error.log")
        modules = "/usr/lib/apache2/modules"
        php = glob.glob(modules + "/libphp*.so")[0]
        public = os.path.join(kit, "public")
        config = os.path.join(folder, "apache.conf")
        with open(config, "w") as f:
            f.write(f"""
ServerRoot {folder}
ServerName 127.0.0.1
Listen 127.0.0.1:{self.port}
PidFile {folder}/apache.pid
DefaultRuntimeDir {folder}
Mutex file:{folder}
ErrorLog {self.error_log}
LogLevel warn
LoadModule mpm_prefork_module {modules}/mod_mpm_prefork.so
LoadModule authz_core_module {modules}/mod_authz_core.so
LoadModule mime_module {modules}/mod_mime.so
LoadModule dir_module {modules}/mod_dir.so
LoadModule php_module {php}
TypesConfig /etc/mime.types
StartServers 4
MaxRequestWorkers 25
{"User www-data" if os.getuid() == 0 else ""}
{"Group www-data" if os.getuid() == 0 else ""}

DocumentRoot {public}
DirectoryIndex tabs.php
<Directory {public}>
    Require all granted
    AllowOverride None
</Directory>
<FilesMatch "\\.php$">
    SetHandler application/x-httpd-php
</FilesMatch>
""")
        self.log = open(os.path.join(folder, "apache-stdout.log"), "wb")
        # A session of its own: apache2 ends its whole process group when it stops.
        self.process = subprocess.Popen(["/usr/sbin/apache2", "-f", config, "-DFOREGROUND"],
                                        stdout=self.log, stderr=subprocess.STDOUT,
                                        stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            wait_for_port(self.port, self.process, "apache2")
        except RuntimeError:
            self.stop()
            raise

    def get(self, path, headers=None):
        request = urllib.request.Request("http://127.0.0.1:%d%s" % (self.port, path),
                                         headers=headers or {})
        try:
            with _HTTP.open(request, timeout=120) as r:
                return r.status, r.read(), r.headers
        except urllib.error.HTTPError as error:
            return error.code, error.read(), error.headers

    def errors(self):
        with open(self.error_log, errors="replace") as f:
            return f.read()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


def let_web_server_write(kit):
    """What the admin's guide says: the kit's folder group-writable for the
    web server's group, so that it can keep its CRC cache and logs there."""
    if os.getuid() == 0:
        shutil.chown(kit, group="www-data")
    os.chmod(kit, 0o2775)

"""The kit as admins run it: under Debian's Apache with mod_php and beside a
vsftpd, each started with a configuration file of the test's own on a
loopback port and stopped by the test."""
import glob
import os
import shutil
import subprocess

from kit_server import Served, free_port

class Apache(Served):
    """Its site written as the admin's guide shows it."""

    def __init__(self, kit, folder, port=None):
        self.port = port or free_port()
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
LoadModule mpm_prefork_module {modules}/mod_mpm_prefork.so
LoadModule authz_core_module {modules}/mod_authz_core.so
LoadModule mime_module {modules}/mod_mime.so
LoadModule php_module {php}
TypesConfig /etc/mime.types
StartServers 4
MaxRequestWorkers 25
{"User www-data" if os.getuid() == 0 else ""}
{"Group www-data" if os.getuid() == 0 else ""}

DocumentRoot {public}
<Directory {public}>
    Require all granted
</Directory>
<FilesMatch "\\.php$">
    SetHandler application/x-httpd-php
</FilesMatch>
""")
        self.start(lambda _: ["/usr/sbin/apache2", "-f", config, "-DFOREGROUND"], self.port,
                   os.path.join(folder, "apache-stdout.log"))

    def errors(self):
        with open(self.error_log, errors="replace") as f:
            return f.read()


# The launcher's FTP account. vsftpd authenticates through PAM against the
# system's accounts, so the account is made once per machine, with no shell,
# and a PAM service of the tests' own (Debian's vsftpd service would refuse a
# user whose shell is not in /etc/shells).
FTP_USER, FTP_PASSWORD = "kel", "tQwa3mxp"
PAM_SERVICE = "/etc/pam.d/vemor-kit-test"


def ensure_ftp_account():
    if subprocess.run(["getent", "passwd", FTP_USER], capture_output=True).returncode != 0:
        subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/",
                        "--shell", "/usr/sbin/nologin", FTP_USER], check=True)
        subprocess.run(["chpasswd"], input=("%s:%s\n" % (FTP_USER, FTP_PASSWORD)).encode(), check=True)
    if not os.path.exists(PAM_SERVICE):
        with open(PAM_SERVICE, "w") as f:
            f.write("auth required pam_unix.so\naccount required pam_unix.so\n"
                    "session required pam_unix.so\n")


class Vsftpd(Served):
    """Configured as the admin's guide says."""

    def __init__(self, file_set, folder, port=None):
        ensure_ftp_account()
        self.port = port or free_port()
        self.log_file = os.path.join(folder, "vsftpd.log")
        empty = os.path.join(folder, "vsftpd-empty")
        os.makedirs(empty, exist_ok=True)
        passive = free_port()
        config = os.path.join(folder, "vsftpd.conf")
        with open(config, "w") as f:
            f.write(f"""listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port={self.port}
background=NO
seccomp_sandbox=NO
secure_chroot_dir={empty}
anonymous_enable=NO
local_enable=YES
write_enable=NO
chroot_local_user=YES
local_root={file_set}
pasv_enable=YES
pasv_address=127.0.0.1
pasv_min_port={passive}
pasv_max_port={passive + 10}
max_per_ip=8
pam_service_name={os.path.basename(PAM_SERVICE)}
vsftpd_log_file={self.log_file}
xferlog_enable=YES
log_ftp_protocol=YES
""")
        self.start(lambda _: ["/usr/sbin/vsftpd", config], self.port)

    def fetched(self):
        with open(self.log_file, errors="replace") as f:
            return [line.split('"RETR ', 1)[1].rstrip().rstrip('"') for line in f if '"RETR ' in line]


def let_web_server_write(kit):
    """As the admin's guide says, for the CRC cache and the logs."""
    if os.getuid() == 0:
        shutil.chown(kit, group="www-data")
    os.chmod(kit, 0o2775)

"""The portal over HTTPS: the launcher built for an https:// portal (its own
build, vemor-https.exe) against the demo portal serving TLS with a
certificate of the test authority, which this Wine prefix trusts."""
import os
import re
import sys

from harness import check_files, community, expect_server_cache, write

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "tls"))
import tls_servers  # noqa: E402


def scenario_https_portal(h):
    certificates = tls_servers.certificates(os.path.join(h.build, "tls"))
    tls_servers.trust(h.wine_run + [os.path.join(h.build, "vemor-trust-ca.exe")], certificates)
    files = {"base\\secure.pk3": bytes(range(256)) * 2000, "japlus\\secure.cfg": b"seta tls 1\r\n"}
    data = community(h, "https", files)
    write(os.path.join(data, "serverlist.inf"), b"tls-1\r\n10.9.8.7:29071|Vemor TLS\r\n")
    with open(os.path.join(h.build, "generated-https", "BuildConfig.h")) as header:
        built = header.read()
    h.portal_port = int(re.search(r'kPortalHost\[\] = "https://localhost:(\d+)"', built).group(1))
    h.ftp_port = int(re.search(r"kFtpPort = (\d+);", built).group(1))
    h.start_demo(data, tls=[os.path.join(certificates, "good.pem"),
                            os.path.join(certificates, "server.key")])
    folder = h.game_folder("https", launcher="vemor-https.exe")
    h.run(folder)
    check_files(folder, files)
    expect_server_cache(folder, [([10, 9, 8, 7], 29071, b"Vemor TLS")])


SCENARIOS = [scenario_https_portal]

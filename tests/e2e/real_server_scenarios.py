"""The launcher against the kit as a community runs it: Debian's Apache with
mod_php for the portal and vsftpd for the files, each with a configuration of
the test's own on the ports the launcher was built for."""
import os
import shutil
import sys

from harness import check_files, expect, pattern, put_files, write

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "kit"))
from kit_server import deploy, make_server_list  # noqa: E402
from real_servers import Apache, Vsftpd, let_web_server_write  # noqa: E402

FILES = {"base\\vemor_new.pk3": pattern(2 * 1024 * 1024, 7), "japlus\\maps\\duel.pk3": pattern(300000, 9),
         "japlus\\community.cfg": b"seta community 2\r\n", "empty.dat": b""}


def scenario_kit_on_apache_and_vsftpd(h):
    """A first install lands byte for byte, each file fetched once."""
    place = os.path.join(h.build, "e2e", "real-plain")
    shutil.rmtree(place, ignore_errors=True)
    files = os.path.join(place, "files")
    put_files(files, FILES)
    # An upload left half done, as the kit must never list it.
    write(os.path.join(files, "base", ".vemor_next.pk3.Xy12Ab"), b"half")
    kit = deploy(place, files, servers=b"10.1.2.3:29071|Vemor Duel\n")
    let_web_server_write(kit)
    h.servers.append(Apache(kit, place, port=h.portal_port))
    ftp = Vsftpd(files, place, port=h.ftp_port)
    h.servers.append(ftp)
    expect(make_server_list(kit)[0] == 0, "the server-list tool refused")
    folder = h.game_folder("real-plain-game")
    h.run(folder)
    check_files(folder, FILES)
    fetched = [name.lstrip("/") for name in ftp.fetched()]
    expect(sorted(fetched) == sorted(n.replace("\\", "/") for n in FILES), f"fetched {fetched}")


SCENARIOS = [scenario_kit_on_apache_and_vsftpd]

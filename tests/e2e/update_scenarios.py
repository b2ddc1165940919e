"""The update: the real launcher against the demo portal and FTP server."""
import os
import shutil

from harness import check_files, community, expect, leftovers, pattern, read
from update_servers import free_port, start_breaking_proxy


def scenario_first_install_over_a_breaking_link(h):
    files = {"base\\assets.pk3": pattern(2 * 1024 * 1024, 5), "japlus\\maps\\duel.pk3": pattern(700000, 3),
             "japlus\\small.cfg": b"seta small 1\r\n"}
    upstream = free_port()
    h.start_demo(community(h, "breaking", files), ftp_port=upstream)
    counts = os.path.join(h.build, "e2e", "breaking-counts")
    shutil.rmtree(counts, ignore_errors=True)
    os.makedirs(counts)
    port, proxy = start_breaking_proxy(upstream, counts, 400000, 2, port=h.ftp_port)
    h.servers.append(proxy)
    folder = h.game_folder("first-install")
    h.run(folder)
    check_files(folder, files)
    expect(not leftovers(folder), f"partial files left: {leftovers(folder)}")
    log = read(os.path.join(folder, "vemor.log"))
    expect(log.count(b"trying again from byte") == 2, "not two retries in vemor.log")
    sent = int(read(os.path.join(counts, "%d.sent" % port)))
    expect(sent == sum(map(len, files.values())), f"the server sent {sent} bytes")


SCENARIOS = [scenario_first_install_over_a_breaking_link]

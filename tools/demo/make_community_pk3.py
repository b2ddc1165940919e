#!/usr/bin/python3
"""Rebuilds the binary archives of the sample community file set.

The output is byte-for-byte reproducible (fixed timestamps, stored
entries, no zlib involvement), so the CRCs in the manifest only change
when the content here changes.

    /usr/bin/python3 tools/demo/make_community_pk3.py [FILES_DIR]
"""

import io
import os
import struct
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_FILES_DIR = os.path.join(HERE, "community", "files")
STAMP = (2026, 11, 28, 12, 0, 0)


def tga_image(width, height):
    """Uncompressed 24-bit TGA with a blue/gold stripe pattern."""
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0,
                         width, height, 24, 0)
    pixels = bytearray()
    for y in range(height):
        for x in range(width):
            stripe = ((x + y) // 6) % 2
            shade = (x * 255) // max(width - 1, 1)
            if stripe:
                pixels += bytes((200, 120 + shade // 4, 40))   # B, G, R
            else:
                pixels += bytes((30, 150 + shade // 3, 220))
    return header + bytes(pixels)


def pk3(entries):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_STORED) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=STAMP)
            # ZipInfo defaults to the host OS; pin it so Windows and Linux
            # builds produce the same bytes.
            info.create_system = 0
            z.writestr(info, data)
    return buf.getvalue()


def skins_pk3():
    model = "models/players/vemor_guard/"
    skin = "".join("%s,%s%s.tga\r\n" % (surface, model, surface)
                   for surface in ("hips", "torso", "head", "l_arm", "r_arm"))
    shader = ("models/players/vemor_guard/torso\r\n{\r\n"
              "\t{\r\n\t\tmap models/players/vemor_guard/torso.tga\r\n"
              "\t\trgbGen lightingDiffuse\r\n\t}\r\n}\r\n")
    return pk3([
        (model + "model_default.skin", skin.encode("ascii")),
        ("shaders/vemor_guard.shader", shader.encode("ascii")),
        (model + "icon_default.tga", tga_image(64, 48)),
    ])


def arena_pk3():
    arena = ('{\r\nmap "vemor_duel"\r\nlongname "Vemor Academy Duel Hall"\r\n'
             'type "duel powerduel"\r\n}\r\n')
    return pk3([
        ("scripts/vemor_duel.arena", arena.encode("ascii")),
        ("levelshots/vemor_duel.tga", tga_image(16, 12)),
    ])


ARCHIVES = {
    os.path.join("base", "vemor_skins.pk3"): skins_pk3,
    os.path.join("japlus", "maps", "vemor_duel.pk3"): arena_pk3,
}


def main(argv):
    files_dir = argv[1] if len(argv) > 1 else DEFAULT_FILES_DIR
    for rel, build in sorted(ARCHIVES.items()):
        path = os.path.join(files_dir, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(build())
        print("%s (%d bytes)" % (path, os.path.getsize(path)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

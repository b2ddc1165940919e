#!/usr/bin/env python3
"""Draws the launcher's icon (a light "V" on a purple disc) at the usual
sizes and writes res/vemor.ico with PNG-compressed images. Run it again only
to change the icon; the .ico is committed as data."""
import math
import struct
import sys
import zlib


def png(width, height, rgba):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + rgba[y * width * 4:(y + 1) * width * 4] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw(size):
    out = bytearray()
    samples = 4  # supersampling for smooth edges
    for y in range(size):
        for x in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    u = (x + (sx + 0.5) / samples) / size
                    v = (y + (sy + 0.5) / samples) / size
                    d = math.hypot(u - 0.5, v - 0.5)
                    if d > 0.48:
                        continue
                    # Disc: purple shading darker towards the rim, thin light rim.
                    shade = 1.0 - d * 0.9
                    cr, cg, cb = 94 * shade, 89 * shade, 158 * shade + 20
                    if d > 0.44:
                        cr, cg, cb = 157, 153, 197
                    stroke = 0.075
                    if (distance_to_segment(u, v, 0.28, 0.27, 0.5, 0.76) < stroke or
                            distance_to_segment(u, v, 0.72, 0.27, 0.5, 0.76) < stroke):
                        cr, cg, cb = 240, 238, 255
                    r += cr
                    g += cg
                    b += cb
                    a += 255
            n = samples * samples
            out += bytes((int(min(255, r / max(a / 255, 1e-9))) if a else 0,
                          int(min(255, g / max(a / 255, 1e-9))) if a else 0,
                          int(min(255, b / max(a / 255, 1e-9))) if a else 0,
                          int(a / n)))
    return png(size, size, bytes(out))


def main(path):
    sizes = [16, 24, 32, 48, 64, 256]
    images = [draw(s) for s in sizes]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in zip(sizes, images):
        dim = 0 if size == 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(header + entries + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/vemor.ico")

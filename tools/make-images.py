#!/usr/bin/env python3
"""Draws the launcher's skin and button images with ImageMagick and Debian's
DejaVu fonts, and writes them into res/:

  skin.png         635 x 522 RGBA, the frame's look (image 130)
  button-launch.png, button-exit.png   158 x 33 RGB (images 131 and 132)

and the small probe image the button tests use (tests/win/button-probe.png).
The images are committed as data; run this again only to change them."""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FONTS = "/usr/share/fonts/truetype/dejavu/"
TITLE_FONT = FONTS + "DejaVuSerif-Bold.ttf"
TEXT_FONT = FONTS + "DejaVuSans-Bold.ttf"
SMALL_FONT = FONTS + "DejaVuSans.ttf"

W, H = 635, 522
# Where the dialog puts its controls (pixels): the bar, the portal and the
# buttons of the compact and the full layout.
BAR = (9, 193, 626, 218)
PORTAL = (10, 231, 625, 463)
BUTTONS_X = (151, 326)
BUTTON_W, BUTTON_H = 158, 33
COMPACT_BUTTONS_Y = 231
FULL_BUTTONS_Y = 476
COMPACT_BOTTOM = 277


def magick(*args):
    subprocess.run(["convert", *map(str, args)], check=True)


def skin(path, work):
    shape = os.path.join(work, "shape.png")
    body = os.path.join(work, "body.png")
    glow = os.path.join(work, "glow.png")
    # The outline: a rounded panel with notched top corners, soft at its edge.
    magick("-size", f"{W}x{H}", "xc:black", "-fill", "white", "-draw",
           "roundrectangle 8,8 626,513 22,22",
           "-draw", "polygon 8,60 60,8 575,8 626,60 626,200 8,200",
           "-fill", "black", "-draw", "polygon 0,0 44,0 0,44", "-draw",
           f"polygon {W},0 {W - 45},0 {W},45",
           "-blur", "0x1.2", shape)
    # The outer glow: the same shape, widened and blurred, in the community's violet.
    magick(shape, "-morphology", "Dilate", "Disk:4", "-blur", "0x5", "-level", "0,100%,0.8",
           "(", "-size", f"{W}x{H}", "xc:#7a5cff", ")", "+swap", "-alpha", "off",
           "-compose", "CopyOpacity", "-composite", "-channel", "A", "-evaluate", "multiply",
           "0.55", "+channel", glow)
    # The body: a deep night gradient with a faint starfield and a lit header.
    magick("-seed", "1701", "-size", f"{W}x{H}", "gradient:#1c1838-#05050b",
           "(", "-size", f"{W}x{H}", "xc:black", "+noise", "Random", "-channel", "G",
           "-threshold", "99.75%", "-separate", "+channel", "-blur", "0x0.4", "-fill",
           "#c8c4ff", "-opaque", "white", ")", "-compose", "Screen", "-composite",
           "(", "-size", "700x700", "radial-gradient:#5a3fb890-#00000000", "-geometry",
           "-32-480", ")", "-compose", "Over", "-composite",
           # the saber line under the title
           "-stroke", "#9c8cff", "-strokewidth", "2", "-draw", "line 120,128 515,128",
           "-stroke", "#e8e4ff", "-strokewidth", "1", "-draw", "line 150,128 485,128",
           # panel behind the progress bar
           "-stroke", "#3a3566", "-strokewidth", "1", "-fill", "#0b0a16",
           "-draw", f"roundrectangle {BAR[0] - 3},{BAR[1] - 3} {BAR[2] + 2},{BAR[3] + 2} 4,4",
           # the portal's well
           "-fill", "#0a0914", "-draw",
           f"roundrectangle {PORTAL[0] - 3},{PORTAL[1] - 3} {PORTAL[2] + 2},{PORTAL[3] + 2} 6,6",
           # the compact window's lower rim, which the portal covers once shown
           "-fill", "none", "-stroke", "#3a3470", "-strokewidth", "3", "-draw",
           f"line {PORTAL[0] + 4},{COMPACT_BOTTOM - 3} {PORTAL[2] - 5},{COMPACT_BOTTOM - 3}",
           "-stroke", "#8d7ef0", "-strokewidth", "1", "-draw",
           f"line {PORTAL[0] + 24},{COMPACT_BOTTOM - 3} {PORTAL[2] - 25},{COMPACT_BOTTOM - 3}",
           # the button sockets of the full layout
           "-fill", "#100e20", "-stroke", "#2c2852", "-draw",
           f"roundrectangle {BUTTONS_X[0] - 4},{FULL_BUTTONS_Y - 4} "
           f"{BUTTONS_X[1] + BUTTON_W + 3},{FULL_BUTTONS_Y + BUTTON_H + 3} 8,8",
           # an inner rim
           "-fill", "none", "-stroke", "#6b5fd0", "-strokewidth", "1.5", "-draw",
           "roundrectangle 11,11 623,510 20,20",
           "-stroke", "#2a2550", "-strokewidth", "1", "-draw", "roundrectangle 14,14 620,507 18,18",
           # the community's name, with a soft glow
           "(", "-size", f"{W}x140", "xc:none", "-font", TITLE_FONT, "-pointsize", "46",
           "-fill", "#8f7bff", "-gravity", "north", "-annotate", "+0+50", "Vemor Academy",
           "-blur", "0x6", ")", "-gravity", "northwest", "-compose", "Screen", "-composite",
           "-font", TITLE_FONT, "-pointsize", "46", "-stroke", "none", "-gravity", "north",
           "-fill", "#f2efff", "-annotate", "+0+50", "Vemor Academy",
           "-font", SMALL_FONT, "-pointsize", "13", "-fill", "#a9a3d6", "-annotate", "+0+142",
           "J E D I   A C A D E M Y   \u00b7   J A +   C O M M U N I T Y",
           "-font", SMALL_FONT, "-pointsize", "11", "-fill", "#6d6894", "-annotate", "+0+165",
           "May the Force be with you",
           body)
    magick(body, shape, "-alpha", "off", "-compose", "CopyOpacity", "-composite",
           glow, "+swap", "-compose", "Over", "-composite", "-strip", f"PNG32:{path}")


def button(path, label, work):
    magick("-size", f"{BUTTON_W}x{BUTTON_H}", "xc:#0e0c1c",
           "-fill", "gradient:#4d3f9a-#1d1840", "-fill", "#2b2460",
           "-draw", f"roundrectangle 1,1 {BUTTON_W - 2},{BUTTON_H - 2} 6,6",
           "(", "-size", f"{BUTTON_W - 4}x{BUTTON_H // 2 - 1}", "gradient:#7a6ad0-#3a3080", ")",
           "-geometry", "+2+2", "-compose", "Over", "-composite",
           "(", "-size", f"{BUTTON_W - 4}x{BUTTON_H // 2}", "gradient:#2a2358-#171330", ")",
           "-geometry", f"+2+{BUTTON_H // 2}", "-compose", "Over", "-composite",
           "-fill", "none", "-stroke", "#a596ff", "-strokewidth", "1",
           "-draw", f"roundrectangle 1,1 {BUTTON_W - 2},{BUTTON_H - 2} 6,6",
           "-stroke", "#0e0c1c", "-draw", "point 0,0",
           "-stroke", "none", "-font", TEXT_FONT, "-pointsize", "16", "-gravity", "center",
           "-fill", "#0c0a18", "-annotate", "+1+2", label,
           "-fill", "#f4f1ff", "-annotate", "+0+1", label,
           "-alpha", "off", "-strip", f"PNG24:{path}")


def probe(path):
    """16 x 8: the left half fully transparent, the right half opaque white,
    except one opaque mid-grey column at x 12."""
    magick("-size", "16x8", "xc:none", "-fill", "white", "-draw", "rectangle 8,0 15,7",
           "-fill", "rgb(100,100,100)", "-draw", "rectangle 12,0 12,7", "-strip",
           f"PNG32:{path}")


def main():
    res = os.path.join(ROOT, "res")
    with tempfile.TemporaryDirectory() as work:
        skin(os.path.join(res, "skin.png"), work)
        button(os.path.join(res, "button-launch.png"), "Launch!", work)
        button(os.path.join(res, "button-exit.png"), "Exit", work)
    probe(os.path.join(ROOT, "tests", "win", "button-probe.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main())

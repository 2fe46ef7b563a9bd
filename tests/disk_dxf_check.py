#!/usr/bin/python3
"""Reads a disk drawing with ezdxf and holds it against the Gerber file of the same disk.

    disk_dxf_check.py disk.dxf disk.grb disk.png

The Gerber file must carry the holes (placement 0). Checks the audit, the units, the layers,
every LINE, ARC and CIRCLE against the Gerber outline and holes (within 0.0001 mm), and renders
the drawing to disk.png: within the drawn lines every cog must be one region with the first
cog, every gap the outside, every hole a region of its own. Prints what is wrong; exit status 1.
"""
import math
import re
import sys

import ezdxf
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from ezdxf.addons.drawing import Frontend, RenderContext  # noqa: E402
from ezdxf.addons.drawing.matplotlib import MatplotlibBackend  # noqa: E402
from ezdxf.addons.drawing.properties import LayoutProperties  # noqa: E402
from PIL import Image, ImageDraw  # noqa: E402

TOLERANCE = 1e-4  # mm
faults = []


def check(ok, what):
    if not ok:
        faults.append(what)
    return ok


def gerber_primitives(path):
    """Lines and clockwise arcs drawn by the Gerber file, in mm: ('L', p0, p1), ('A', p0, p1, c)."""
    drawn, mode, at = [], None, (0.0, 0.0)
    for line in open(path):
        if line.startswith(("G01", "G02")):
            mode = line[:3]
        m = re.match(r"X(-?\d+)Y(-?\d+)(?:I(-?\d+)J(-?\d+))?D0([12])\*", line)
        if not m:
            continue
        p = (int(m[1]) / 1e4, int(m[2]) / 1e4)
        if m[5] == "1" and mode == "G01":
            drawn.append(("L", at, p))
        elif m[5] == "1":
            drawn.append(("A", at, p, (at[0] + int(m[3]) / 1e4, at[1] + int(m[4]) / 1e4)))
        at = p
    return drawn


def near(a, b):
    return math.dist((a[0], a[1]), (b[0], b[1])) <= TOLERANCE


def compare(doc, drawn):
    entities = list(doc.modelspace())
    holes = [d for d in drawn[len(drawn) - 10:] if d[0] == "A"][::2]
    outline = drawn[: len(drawn) - 10]
    types = [e.dxftype() for e in entities]
    if not check(types == ["LINE", "ARC"] * (len(outline) // 2) + ["CIRCLE"] * 5,
                 f"entities {types[:6]}... do not follow the Gerber file"):
        return
    for e, d in zip(entities, outline + holes):
        layer = "HOLES" if e.dxftype() == "CIRCLE" else "OUTLINE"
        check(e.dxf.layer == layer, f"{e} on layer {e.dxf.layer}")
        if e.dxftype() == "LINE":
            check(near(e.dxf.start, d[1]) and near(e.dxf.end, d[2]), f"{e}: not {d}")
            continue
        radius = math.dist(d[1], d[3])
        check(near(e.dxf.center, d[3]) and abs(e.dxf.radius - radius) <= TOLERANCE,
              f"{e}: centre or radius not {d}")
        if e.dxftype() == "ARC":  # counter-clockwise: the Gerber arc's end to its start
            check(near(e.start_point, d[2]) and near(e.end_point, d[1]), f"{e}: not {d}")


def render_and_look(doc, drawn, png):
    arcs = [d for d in drawn[: len(drawn) - 10] if d[0] == "A"]
    radii = [math.dist(d[1], d[3]) for d in arcs]
    outer, inner = max(radii), min(radii)
    size, half = 500, outer * 1.05
    fig = plt.figure(figsize=(5, 5), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    paper = LayoutProperties.from_layout(doc.modelspace())
    paper.set_colors("#ffffff")
    Frontend(RenderContext(doc), MatplotlibBackend(ax, adjust_figure=False)).draw_layout(
        doc.modelspace(), layout_properties=paper)
    ax.set_xlim(-half, half)
    ax.set_ylim(-half, half)
    fig.savefig(png, dpi=100)
    plt.close(fig)

    image = Image.open(png).convert("L").point(lambda v: 255 if v > 200 else 0)
    check(image.size == (size, size), f"image size {image.size}")

    def pixel(x, y):
        return (round((x + half) / (2 * half) * size), round((half - y) / (2 * half) * size))

    outside, material = 60, 120
    ImageDraw.floodfill(image, (0, 0), outside)
    mid, cogs, gaps = (outer + inner) / 2, [], []
    for d, r in zip(arcs, radii):
        a0, a1 = math.atan2(d[1][1], d[1][0]), math.atan2(d[2][1], d[2][0])
        sweep = (a0 - a1) % (2 * math.pi)
        if sweep * mid / (2 * half) * size < 8:
            continue
        a = a0 - sweep / 2
        (cogs if r > mid else gaps).append(pixel(mid * math.cos(a), mid * math.sin(a)))
    if check(cogs and gaps, "no cog or gap wide enough to look at"):
        if image.getpixel(cogs[0]) == 255:
            ImageDraw.floodfill(image, cogs[0], material)
        check(all(image.getpixel(p) == material for p in cogs), "a cog is not solid disk")
        check(all(image.getpixel(p) == outside for p in gaps), "a gap is not outside the disk")
    for d in [d for d in drawn[len(drawn) - 10:] if d[0] == "A"][::2]:
        check(image.getpixel(pixel(*d[3])) == 255, f"the hole at {d[3]} is not a hole")


def main(dxf, grb, png):
    doc = ezdxf.readfile(dxf)
    auditor = doc.audit()
    check(not auditor.has_errors, f"audit: {[e.message for e in auditor.errors]}")
    check(doc.dxfversion == "AC1015", f"version {doc.dxfversion}")
    check(doc.header["$INSUNITS"] == 4 and doc.header["$MEASUREMENT"] == 1, "units not mm")
    check("OUTLINE" in doc.layers and "HOLES" in doc.layers, "layers missing")
    drawn = gerber_primitives(grb)
    compare(doc, drawn)
    render_and_look(doc, drawn, png)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))

"""Decodes the same Targa files with our reader (through tga_dump) and with
Pillow, and compares every pixel. Usage: peer_check.py tga_dump work_folder"""
import os
import random
import struct
import subprocess
import sys

from PIL import Image

sys.dont_write_bytecode = True  # no cache files in the source tree
from tga_gen import make_tga  # noqa: E402


def picture_rows(rng, width, height, px):
    """Rows with flat stretches (runs) and noisy ones (literal packets)."""
    out = []
    for y in range(height):
        row = bytearray()
        x = 0
        while x < width:
            n = min(width - x, rng.choice([1, 2, 3, 5, 40, 130, 200]))
            if rng.random() < 0.5:
                row += bytes(rng.randrange(256) for _ in range(px)) * n
            else:
                row += bytes(rng.randrange(256) for _ in range(px * n))
            x += n
        out.append(bytes(row))
    return out


def read_dump(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:5] == b"QBDIB"
    width, height, bpp, mono, has_palette = struct.unpack("<5I", data[5:25])
    palette = data[25:25 + 768]
    return width, height, bpp, palette, data[25 + 768:]


def our_rgba(dump):
    """Our bitmap as top-down (r, g, b, a-or-None) tuples; 16-bit in 5-bit units."""
    width, height, bpp, palette, pixels = dump
    stride = ((width * bpp + 31) // 32) * 4
    out = []
    for y in range(height - 1, -1, -1):
        row = pixels[y * stride:(y + 1) * stride]
        for x in range(width):
            if bpp == 8:
                out.append(row[x])
            elif bpp == 16:
                v = row[2 * x] | (row[2 * x + 1] << 8)
                assert v & 0x20 == 0, "lowest green bit must be clear"
                out.append((v >> 11, (v >> 6) & 31, v & 31))
            elif bpp == 24:
                b, g, r = row[3 * x:3 * x + 3]
                out.append((r, g, b))
            else:
                b, g, r, a = row[4 * x:4 * x + 4]
                out.append((r, g, b, a))
    return out


def pillow_pixels(path, depth, mapped):
    img = Image.open(path)
    img.load()
    if mapped:
        img = img.convert("RGB")
        return [tuple(p) for p in img.getdata()]
    data = list(img.getdata())
    if depth == 16:
        return [(p[0] >> 3, p[1] >> 3, p[2] >> 3) for p in data]
    return [p if isinstance(p, int) else tuple(p) for p in data]


def main(dump_tool, work):
    os.makedirs(work, exist_ok=True)
    rng = random.Random(20261211)
    cmap = bytes(rng.randrange(256) for _ in range(768))
    kinds = [("colour-mapped", 1, 8, True), ("colour-mapped run-length", 9, 8, True),
             ("grey", 3, 8, False), ("grey run-length", 11, 8, False), ("16-bit", 2, 16, False),
             ("24-bit", 2, 24, False), ("24-bit run-length", 10, 24, False),
             ("32-bit", 2, 32, False), ("32-bit run-length", 10, 32, False)]
    checked = failed = 0
    for name, image_type, depth, mapped in kinds:
        for top in (False, True):
            for width, height in ((1, 1), (13, 7), (257, 9)):
                rows = picture_rows(rng, width, height, depth // 8)
                tga = os.path.join(work, "t%d_d%d_%dx%d_%s.tga" % (image_type, depth, width, height,
                                                                  "top" if top else "bottom"))
                with open(tga, "wb") as f:
                    f.write(make_tga(image_type, depth, width, height, rows, top=top,
                                     colour_map=cmap if mapped else None))
                dib = tga + ".dib"
                subprocess.run([dump_tool, tga, dib], check=True)
                dump = read_dump(dib)
                ours = our_rgba(dump)
                if mapped:
                    pal = dump[3]
                    ours = [tuple(pal[3 * i:3 * i + 3]) for i in ours]
                theirs = pillow_pixels(tga, depth, mapped)
                checked += 1
                label = "%s %dx%d %s" % (name, width, height, "top-down" if top else "bottom-up")
                if (dump[0], dump[1]) != (width, height) or ours != theirs:
                    failed += 1
                    bad = next((i for i, (a, b) in enumerate(zip(ours, theirs)) if a != b), None)
                    print("DIFFERENT: %s (first at pixel %s: ours %s, Pillow %s)" % (
                        label, bad, ours[bad] if bad is not None else "-",
                        theirs[bad] if bad is not None else "-"))
                else:
                    print("same: " + label)
    print("%d files compared with Pillow, %d different" % (checked, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))

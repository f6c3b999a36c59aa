"""Writes a small seed corpus of valid Targa files of every kind the reader reads."""
import os
import sys

sys.dont_write_bytecode = True  # no cache files in the source tree
from tga_gen import make_tga  # noqa: E402


def rows(width, height, px, salt):
    out = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            v = (x // 3 + y * 7 + salt) & 0xFF
            row += bytes([v, (v * 3) & 0xFF, (v ^ 0x5A) & 0xFF, 0xFF][:px])
        out.append(bytes(row))
    return out


def main(folder):
    os.makedirs(folder, exist_ok=True)
    cmap = bytes((i * 7 + c) & 0xFF for i in range(256) for c in range(3))
    kinds = [(1, 8, cmap), (9, 8, cmap), (3, 8, None), (11, 8, None), (2, 16, None),
             (2, 24, None), (10, 24, None), (2, 32, None), (10, 32, None)]
    for image_type, depth, colour_map in kinds:
        for top in (False, True):
            data = make_tga(image_type, depth, 9, 5, rows(9, 5, depth // 8, image_type),
                            top=top, colour_map=colour_map, ident=b"seed" if top else b"")
            name = "t%d_d%d_%s.tga" % (image_type, depth, "top" if top else "bottom")
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])

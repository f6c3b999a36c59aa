"""Writes Targa files for the reader's checks, benchmarks and fuzz seeds."""
import struct

FOOTER = b"\0" * 8 + b"TRUEVISION-XFILE.\0"


def rle_row(row, px):
    """Run-length packets for one row; packets never cross the row's end."""
    out = bytearray()
    n = len(row) // px
    pixels = [bytes(row[i * px:(i + 1) * px]) for i in range(n)]
    i = 0
    while i < n:
        run = 1
        while i + run < n and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run >= 2:
            out.append(0x80 | (run - 1))
            out += pixels[i]
            i += run
            continue
        start = i
        i += 1
        while i < n and i - start < 128 and not (i + 1 < n and pixels[i + 1] == pixels[i]):
            i += 1
        out.append(i - start - 1)
        for p in pixels[start:i]:
            out += p
    return bytes(out)


def make_tga(image_type, depth, width, height, rows_top_down, top=False, colour_map=None,
             ident=b"", footer=True, map_length=256, map_entry_size=24):
    """rows_top_down: one bytes object per row, top row first, in file pixel format."""
    px = depth // 8
    rows = list(rows_top_down) if top else list(reversed(rows_top_down))
    if image_type in (9, 10, 11):
        data = b"".join(rle_row(r, px) for r in rows)
    else:
        data = b"".join(rows)
    cmap_type = 1 if colour_map is not None else 0
    hdr = struct.pack("<BBBHHBHHHHBB", len(ident), cmap_type, image_type, 0,
                      map_length if cmap_type else 0, map_entry_size if cmap_type else 0,
                      0, 0, width, height, depth, 0x20 if top else 0x00)
    return hdr + ident + (colour_map or b"") + data + (FOOTER if footer else b"")

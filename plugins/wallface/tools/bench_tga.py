"""Targa decode throughput of our reader against Pillow's, in MB/s of decoded
pixels, on a 4096 x 4096 picture: uncompressed and run-length, 24 and 32 bits.
Two figures each: "warm" is the best of several decodes in one process (the
allocator may hand back the previous picture's memory), "cold" the best first
decode of a fresh process (every page of the new bitmap is new), which is what
loading one wallpaper costs. Pillow reads the file as part of its decode, so
the ratio compares it with our reader timed from the file too ("ours"); the
reader alone on bytes already in memory is "mem". The floor is a plain memory
copy of the decoded size into a new buffer, timed the same way by the same
program: no decoder can beat it. Pillow registers its format plugins before
its clock starts.
Usage: bench_tga.py path/to/bench_tga [work_folder]"""
import os
import subprocess
import sys
import time

from PIL import Image, ImageFilter

SIZE = 4096
ROUNDS = 9


def picture():
    """Photo-like: smooth gradients with posterised detail, so run-length
    encoding finds both runs and literal stretches."""
    r = Image.linear_gradient("L").resize((SIZE, SIZE))
    g = r.rotate(90)
    noise = Image.effect_noise((SIZE, SIZE), 60).filter(ImageFilter.BoxBlur(2))
    b = noise.point(lambda v: (v // 32) * 32)
    a = Image.radial_gradient("L").resize((SIZE, SIZE))
    return Image.merge("RGBA", (r, g, b, a))


PILLOW_ONCE = """
import sys, time
from PIL import Image
Image.init()
t0 = time.perf_counter()
with Image.open(sys.argv[1]) as img:
    img.load()
    n = img.width * img.height * len(img.getbands())
print(n / (time.perf_counter() - t0) / 1e6)
"""


def cold_runs(command):
    """The output's numbers of the best of five fresh processes, field by field."""
    runs = [[float(v) for v in subprocess.run(command, check=True, capture_output=True, text=True)
             .stdout.split()[-3:]] for _ in range(5)]
    return [max(r[i] for r in runs) for i in range(len(runs[0]))]


def pillow_mb_s(path):
    best = 1e30
    for _ in range(ROUNDS):
        t0 = time.perf_counter()
        with Image.open(path) as img:
            img.load()
            out_bytes = img.width * img.height * len(img.getbands())
        best = min(best, time.perf_counter() - t0)
    return out_bytes / best / 1e6


def main(tool, work):
    os.makedirs(work, exist_ok=True)
    src = picture()
    files = []
    for mode, depth in (("RGB", 24), ("RGBA", 32)):
        img = src.convert(mode)
        for rle in (False, True):
            path = os.path.join(work, "bench_%d_%s.tga" % (depth, "rle" if rle else "raw"))
            if not os.path.exists(path):
                img.save(path, compression="tga_rle" if rle else None)
            files.append((depth, rle, path))
    ours = {}
    out = subprocess.run([tool, str(ROUNDS)] + [f[2] for f in files], check=True,
                         capture_output=True, text=True).stdout
    for line in out.splitlines():
        path, memory, from_file, copy = line.rsplit(" ", 3)
        ours[path] = (float(memory), float(from_file), float(copy))
    print("MB/s of decoded pixels (higher is better). ours: file read and decoded, as Pillow does;")
    print("mem: decoded from bytes already in memory; floor: memory copy of the decoded size; ratio: ours / Pillow")
    head = "%6s %6s %7s %6s %6s" % ("ours", "mem", "Pillow", "floor", "ratio")
    print("%-24s %7s | %s | %s" % ("4096x4096", "file MB", head, head))
    print("%-24s %7s | %-36s | %-36s" % ("", "", "warm", "cold"))
    for depth, rle, path in files:
        mem_warm, ours_warm, floor_warm = ours[path]
        pil_warm = pillow_mb_s(path)
        mem_cold, ours_cold, floor_cold = cold_runs([tool, "1", path])
        pil_cold = cold_runs([sys.executable, "-c", PILLOW_ONCE, path])[-1]
        print("%-24s %7.1f | %6.0f %6.0f %7.0f %6.0f %5.1fx | %6.0f %6.0f %7.0f %6.0f %5.1fx   (aim %dx)" % (
            "%d-bit %s" % (depth, "run-length" if rle else "uncompressed"), os.path.getsize(path) / 1e6,
            ours_warm, mem_warm, pil_warm, floor_warm, ours_warm / pil_warm,
            ours_cold, mem_cold, pil_cold, floor_cold, ours_cold / pil_cold, 2 if rle else 3))

if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "bench_tga_files")

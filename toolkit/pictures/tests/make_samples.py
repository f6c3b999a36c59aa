"""Writes the sample pictures of the picture classes' tests (with Pillow), and
for the JPEG ones also Pillow's decoded pixels as a reference.
Usage: make_samples.py folder [--bench]  (--bench adds a 4000 x 3000 photo)"""
import os
import sys

from PIL import Image, ImageDraw, ImageFilter

QUADRANTS = [(220, 30, 30), (30, 200, 40), (40, 60, 210), (240, 240, 240)]


def quadrants(width, height):
    img = Image.new("RGB", (width, height))
    d = ImageDraw.Draw(img)
    w2, h2 = width // 2, height // 2
    d.rectangle([0, 0, w2 - 1, h2 - 1], fill=QUADRANTS[0])
    d.rectangle([w2, 0, width - 1, h2 - 1], fill=QUADRANTS[1])
    d.rectangle([0, h2, w2 - 1, height - 1], fill=QUADRANTS[2])
    d.rectangle([w2, h2, width - 1, height - 1], fill=QUADRANTS[3])
    return img


def photo(width, height):
    """Smooth gradients with some detail, as a photograph has."""
    r = Image.linear_gradient("L").resize((width, height))
    g = Image.radial_gradient("L").resize((width, height))
    b = Image.effect_noise((width, height), 40).filter(ImageFilter.GaussianBlur(3))
    return Image.merge("RGB", (r, g, b))


def save_jpeg(img, path, **options):
    img.save(path, "JPEG", **options)
    with Image.open(path) as decoded:
        with open(path + ".rgb", "wb") as f:
            f.write(decoded.convert("RGB").tobytes())


def main(folder, bench):
    os.makedirs(folder, exist_ok=True)
    q = quadrants(40, 30)
    save_jpeg(photo(64, 48), os.path.join(folder, "photo.jpg"), quality=90)
    save_jpeg(q.convert("L"), os.path.join(folder, "grey.jpg"), quality=95)
    with open(os.path.join(folder, "photo.jpg"), "rb") as f:
        good = f.read()
    with open(os.path.join(folder, "corrupt.jpg"), "wb") as f:
        f.write(good[:2] + bytes(range(256)) * 4)
    with open(os.path.join(folder, "truncated.jpg"), "wb") as f:
        scan = good.index(b"\xff\xda")  # cut in the middle of the picture data
        f.write(good[:scan + (len(good) - scan) // 2])
    q.convert("P", palette=Image.ADAPTIVE, colors=4).save(os.path.join(folder, "picture.gif"))
    with open(os.path.join(folder, "corrupt.gif"), "wb") as f:
        f.write(b"GIF89a" + bytes(range(7, 200)))
    q.save(os.path.join(folder, "picture.bmp"))
    q.convert("P", palette=Image.ADAPTIVE, colors=4).save(os.path.join(folder, "picture8.bmp"))
    if bench:
        photo(4000, 3000).save(os.path.join(folder, "photo4000x3000.jpg"), "JPEG", quality=90)


if __name__ == "__main__":
    main(sys.argv[1], "--bench" in sys.argv[2:])

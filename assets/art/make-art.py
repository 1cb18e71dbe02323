#!/usr/bin/python3
"""Makes the window icon and the e-mail link pointer from assets/art/hopsmeld-icon.svg.

Run from the repository root:
    python3 assets/art/make-art.py [output-folder]
The output folder defaults to assets/art. Running it again gives the same bytes:
the renders go through Pillow with no metadata, the colours are reduced with a fixed
method and no dithering, and the pointer is drawn by hand below.

Writes icon-<size>.png for each size in ICON_SIZES, hopsmeld.ico (16x16 at 8 bpp,
32x32 at 4 bpp and 32x32 at 8 bpp, classic bitmaps with AND masks) and hand-pointer.png
(32x32, hot spot on the index fingertip).

Needs rsvg-convert (Debian: librsvg2-bin) and Pillow (Debian: python3-pil).
"""
import io
import os
import struct
import subprocess
import sys

try:
    from PIL import Image
except ImportError:
    # Debian's python3-pil lives beside the system interpreter; a pyenv or venv
    # "python3" first on PATH will not see it, so hand over to the system one.
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("make-art.py: Pillow is missing (Debian: apt-get install python3-pil)")

HERE = os.path.dirname(os.path.abspath(__file__))
SVG = os.path.join(HERE, "hopsmeld-icon.svg")
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# (size, bits per pixel) in the order they sit in the .ico.
ICO_IMAGES = ((16, 8), (32, 4), (32, 8))
HOT_SPOT = (12, 1)

# The e-mail link pointer, one character per pixel. The hot spot is the top of the
# index finger, (12, 1).
HAND = [
    "................................",
    "...........KKKK.................",
    "..........KWWWWK................",
    "..........KWWWWK................",
    "..........KWWWWK................",
    "..........KWWWGK................",
    "..........KWWWGK................",
    "..........KWWWGK................",
    "..........KWWWGK................",
    "..........KWWWGKKKK.............",
    "..........KWWWGKWWWKKKK.........",
    "..........KWWWGKWWGKWWWKKK......",
    "..........KWWWGKWWGKWWGKWWK.....",
    "......KKK.KWWWGKWWGKWWGKWWGK....",
    ".....KWWWKKWWWGKWWGKWWGKWWGK....",
    ".....KWWWWKWWWWKWWWKWWWKWWGK....",
    ".....KWWWWWKWWWWWWWWWWWWWWGK....",
    "......KWWWWWWWWWWWWWWWWWWWGK....",
    "......KWWWWWWWWWWWWWWWWWWWGK....",
    ".......KWWWWWWWWWWWWWWWWWGGK....",
    ".......KWWWWWWWWWWWWWWWWWGK.....",
    "........KWWWWWWWWWWWWWWWWGK.....",
    "........KWWWWWWWWWWWWWWWGGK.....",
    ".........KWWWWWWWWWWWWWWGK......",
    ".........KWWWWWWWWWWWWWWGK......",
    "........KKKKKKKKKKKKKKKKKKK.....",
    "........KBBBBBBBBBBBBBBBbbK.....",
    "........KBBBBBBBBBBBBBBBbbK.....",
    "........KBBBBBBBBBBBBBBBbbK.....",
    "........KbbbbbbbbbbbbbbbbbK.....",
    "........KKKKKKKKKKKKKKKKKKK.....",
    "................................",
]
# Index 0 is what transparent pixels carry in a bitmap; the rest are the pen colours.
HAND_PALETTE = [
    (".", (0, 0, 0)),
    ("K", (0, 0, 0)),
    ("W", (255, 255, 255)),
    ("G", (176, 176, 184)),
    ("B", (40, 110, 230)),
    ("b", (16, 60, 150)),
]


def render_svg(size):
    """One RGBA render of the icon, passed through Pillow so no metadata leaks in."""
    png = subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-f", "png", SVG],
                         check=True, stdout=subprocess.PIPE).stdout
    return Image.open(io.BytesIO(png)).convert("RGBA")


def save_png(image, path):
    image.save(path, format="PNG", optimize=False, compress_level=9)


def write_icon_pngs(out):
    """icon-<size>.png for the desktop file, the window and the installers."""
    renders = {}
    for size in ICON_SIZES:
        renders[size] = render_svg(size)
        save_png(renders[size], os.path.join(out, "icon-%d.png" % size))
    return renders


def quantise(image, bpp):
    """Palette and index rows for an RGBA image; index 0 is kept for transparent pixels.

    Only the opaque pixels take part in choosing the palette, so the transparent
    surround does not steal a colour from the can.
    """
    width, height = image.size
    pixels = list(image.getdata())
    opaque = [p[:3] for p in pixels if p[3] >= 128]
    strip = Image.new("RGB", (len(opaque), 1))
    strip.putdata(opaque)
    reduced = strip.quantize(colors=(1 << bpp) - 1, method=Image.Quantize.MEDIANCUT,
                             dither=Image.Dither.NONE)
    raw = reduced.getpalette()
    palette = [(0, 0, 0)] + [tuple(raw[3 * i:3 * i + 3]) for i in range(len(raw) // 3)]
    palette = (palette + [(0, 0, 0)] * (1 << bpp))[:1 << bpp]
    chosen = iter(reduced.getdata())
    indices = [next(chosen) + 1 if p[3] >= 128 else 0 for p in pixels]
    mask = [0 if p[3] >= 128 else 1 for p in pixels]
    return palette, indices, mask, width, height


def bitmap_entry(palette, indices, mask, width, height, bpp):
    """The BITMAPINFOHEADER, palette, XOR bitmap and AND mask of one .ico/.cur image."""
    xor_stride = ((width * bpp + 31) // 32) * 4
    and_stride = ((width + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in range(height - 1, -1, -1):  # bitmaps are stored bottom row first
        row = indices[y * width:(y + 1) * width]
        line = bytearray(xor_stride)
        for x, index in enumerate(row):
            if bpp == 8:
                line[x] = index
            else:  # 4 bpp: high nibble is the left pixel
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += line
        bits = bytearray(and_stride)
        for x, transparent in enumerate(mask[y * width:(y + 1) * width]):
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += bits
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + colours + bytes(xor) + bytes(andm)


def icon_file(kind, images):
    """ICONDIR + ICONDIRENTRYs + images. images: (width, height, colours, field1, field2, data).

    field1/field2 are the planes and the bit count.
    """
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for width, height, colours, field1, field2, data in images:
        out += struct.pack("<BBBBHHII", width % 256, height % 256, colours % 256, 0,
                           field1, field2, len(data), offset)
        offset += len(data)
    return out + b"".join(image[5] for image in images)


def write_ico(out, renders):
    """hopsmeld.ico for the Windows build: the classic 16 and 32 pixel images."""
    images = []
    for size, bpp in ICO_IMAGES:
        palette, indices, mask, width, height = quantise(renders[size], bpp)
        data = bitmap_entry(palette, indices, mask, width, height, bpp)
        images.append((width, height, 1 << bpp, 1, bpp, data))
    with open(os.path.join(out, "hopsmeld.ico"), "wb") as f:
        f.write(icon_file(1, images))


def hand_pixels():
    """Checks the drawing and turns it into palette indices."""
    if len(HAND) != 32 or any(len(row) != 32 for row in HAND):
        sys.exit("make-art.py: the pointer drawing must be 32x32")
    if HAND[HOT_SPOT[1]][HOT_SPOT[0]] == ".":
        sys.exit("make-art.py: the hot spot must be on the hand")
    keys = [key for key, _ in HAND_PALETTE]
    return [keys.index(ch) for row in HAND for ch in row]


def write_hand_png(out):
    """hand-pointer.png, which Qt turns into the pointer on every platform."""
    colours = [rgb for _, rgb in HAND_PALETTE]
    image = Image.new("RGBA", (32, 32))
    image.putdata([colours[i] + (255,) if i else (0, 0, 0, 0) for i in hand_pixels()])
    save_png(image, os.path.join(out, "hand-pointer.png"))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)
    renders = write_icon_pngs(out)
    write_ico(out, renders)
    write_hand_png(out)
    print("make-art.py: wrote the icon and the pointer to %s" % out)


if __name__ == "__main__":
    main()

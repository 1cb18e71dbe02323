#!/usr/bin/python3
"""Checks the icon and pointer files made by make-art.py.

Run from anywhere:
    python3 assets/art/check-art.py [folder]
The folder defaults to assets/art. Exits with status 1 and says why when something is
off: a missing or wrongly sized render, an .ico or .cur whose headers do not add up or
whose masks do not match the renders, or a re-run of make-art.py that does not give the
same bytes. The files are read with the standard library only, so a mistake in how
make-art.py uses Pillow cannot hide itself; the re-run needs what make-art.py needs.
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICO_IMAGES = [(16, 8), (32, 4), (32, 8)]
HOT_SPOT = (12, 1)
MADE = ["icon-%d.png" % s for s in ICON_SIZES] + ["hopsmeld.ico", "hand-pointer.png", "hand-pointer.cur"]

failures = []


def ok(what):
    print("ok    %s" % what)


def fail(what):
    print("FAIL  %s" % what)
    failures.append(what)


def expect(condition, what):
    (ok if condition else fail)(what)
    return condition


class Bad(Exception):
    """A file too broken to look any further into."""


def read_png(path):
    """(width, height, rows of (r, g, b, a)) for an 8-bit RGBA, non-interlaced PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Bad("%s is not a PNG" % path)
    pos, header, idat = 8, None, b""
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    if header is None:
        raise Bad("%s has no IHDR" % path)
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        raise Bad("%s is not 8-bit RGBA without interlacing (depth %d, colour type %d)"
                  % (path, depth, colour))
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * 4:x * 4 + 4]) for x in range(width)])
        prev = line
    return width, height, rows


def read_icon_file(path, kind):
    """Parses an .ico (kind 1) or .cur (kind 2); returns a list of image dicts."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 6:
        raise Bad("%s is too short" % path)
    reserved, got_kind, count = struct.unpack("<HHH", data[:6])
    expect(reserved == 0 and got_kind == kind,
           "%s: ICONDIR reserved 0, type %d (found %d, %d)" % (path, kind, reserved, got_kind))
    if 6 + 16 * count > len(data):
        raise Bad("%s: %d directory entries do not fit in the file" % (path, count))
    images, spans = [], []
    for n in range(count):
        w, h, colours, res, field1, field2, size, offset = struct.unpack(
            "<BBBBHHII", data[6 + 16 * n:22 + 16 * n])
        name = "%s image %d" % (path, n)
        if offset < 6 + 16 * count or offset + size > len(data):
            raise Bad("%s: offset %d size %d lies outside the image area of a %d-byte file"
                      % (name, offset, size, len(data)))
        spans.append((offset, offset + size))
        blob = data[offset:offset + size]
        if blob[:4] == b"\x89PNG":
            raise Bad("%s is PNG-compressed, not a bitmap" % name)
        if len(blob) < 40:
            raise Bad("%s: no room for a BITMAPINFOHEADER" % name)
        (bi_size, bi_w, bi_h, bi_planes, bi_bits, bi_comp, bi_image,
         _, _, bi_used, _) = struct.unpack("<IiiHHIIiiII", blob[:40])
        image = dict(name=name, w=w or 256, h=h or 256, colours=colours, res=res,
                     field1=field1, field2=field2, bits=bi_bits)
        expect(bi_size == 40 and bi_w == image["w"] and bi_h == 2 * image["h"] and bi_planes == 1
               and bi_comp == 0,
               "%s: BITMAPINFOHEADER size 40, %dx%d with biHeight doubled, 1 plane, uncompressed"
               % (name, image["w"], image["h"]))
        if bi_bits not in (1, 4, 8):
            raise Bad("%s: %d bits per pixel is not a paletted bitmap" % (name, bi_bits))
        palette_len = 1 << bi_bits
        xor_stride = ((image["w"] * bi_bits + 31) // 32) * 4
        and_stride = ((image["w"] + 31) // 32) * 4
        xor_at = 40 + 4 * palette_len
        and_at = xor_at + xor_stride * image["h"]
        expected = and_at + and_stride * image["h"]
        expect(size == expected, "%s: dwBytesInRes %d = header + %d-colour palette + XOR + AND (%d)"
               % (name, size, palette_len, expected))
        expect(bi_image in (0, expected - xor_at), "%s: biSizeImage %d is 0 or XOR + AND (%d)"
               % (name, bi_image, expected - xor_at))
        expect(bi_used in (0, palette_len), "%s: biClrUsed %d is 0 or %d" % (name, bi_used, palette_len))
        if len(blob) < expected:
            raise Bad("%s: bitmap data is cut short" % name)
        palette = [tuple(blob[40 + 4 * i:43 + 4 * i][::-1]) for i in range(palette_len)]
        index, mask = [], []
        for y in range(image["h"]):  # stored bottom row first; these lists are top row first
            line = blob[xor_at + xor_stride * (image["h"] - 1 - y):][:xor_stride]
            bits = blob[and_at + and_stride * (image["h"] - 1 - y):][:and_stride]
            if bi_bits == 8:
                index.append(list(line[:image["w"]]))
            elif bi_bits == 4:
                index.append([(line[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(image["w"])])
            else:
                index.append([(line[x // 8] >> (7 - x % 8)) & 1 for x in range(image["w"])])
            mask.append([(bits[x // 8] >> (7 - x % 8)) & 1 for x in range(image["w"])])
        image.update(palette=palette, index=index, mask=mask)
        images.append(image)
    spans.sort()
    expect(all(a[1] <= b[0] for a, b in zip(spans, spans[1:])), "%s: images do not overlap" % path)
    return images


def check_mask(image, render, what):
    """The AND mask must follow the render's alpha, and transparent pixels use colour 0."""
    w, h = image["w"], image["h"]
    corners = [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]
    expect(all(image["mask"][y][x] == 1 for x, y in corners), "%s: corners transparent" % what)
    expect(image["mask"][h // 2][w // 2] == 0, "%s: centre opaque" % what)
    wrong = [(x, y) for y in range(h) for x in range(w)
             if image["mask"][y][x] != (1 if render[y][x][3] < 128 else 0)]
    expect(not wrong, "%s: AND mask matches the render's alpha < 128 (%d pixels differ%s)"
           % (what, len(wrong), ", first at %s" % (wrong[0],) if wrong else ""))
    stray = sum(1 for y in range(h) for x in range(w) if image["mask"][y][x] and image["index"][y][x])
    expect(stray == 0, "%s: transparent pixels use colour index 0 (%d do not)" % (what, stray))


def check_pngs(folder):
    renders = {}
    for size in ICON_SIZES:
        path = os.path.join(folder, "icon-%d.png" % size)
        if not expect(os.path.isfile(path), "%s exists" % path):
            continue
        w, h, rows = read_png(path)
        if not expect((w, h) == (size, size), "%s is %dx%d RGBA (found %dx%d)" % (path, size, size, w, h)):
            continue
        corners = [rows[0][0], rows[0][-1], rows[-1][0], rows[-1][-1]]
        expect(all(p[3] == 0 for p in corners) and rows[h // 2][w // 2][3] == 255,
               "%s: transparent corners, opaque centre" % path)
        opaque = [p for row in rows for p in row if p[3] >= 128]
        r, g, b = (sum(p[i] for p in opaque) / max(1, len(opaque)) for i in range(3))
        expect(r > g + 60 and r > b + 60, "%s: the can is mostly red (mean %d,%d,%d)" % (path, r, g, b))
        renders[size] = rows
    return renders


def check_ico(folder, renders):
    path = os.path.join(folder, "hopsmeld.ico")
    if not expect(os.path.isfile(path), "%s exists" % path):
        return
    images = read_icon_file(path, 1)
    found = sorted((im["w"], im["h"], im["bits"]) for im in images)
    want = sorted((s, s, b) for s, b in ICO_IMAGES)
    if not expect(found == want, "%s holds exactly 16x16@8, 32x32@4, 32x32@8 (found %s)" % (path, found)):
        return
    for im in images:
        what = "%s %dx%d@%d" % (path, im["w"], im["h"], im["bits"])
        colours = 0 if im["bits"] >= 8 else 1 << im["bits"]
        expect(im["colours"] == colours and im["res"] == 0 and im["field1"] == 1
               and im["field2"] == im["bits"],
               "%s: ICONDIRENTRY bColorCount %d, bReserved 0, wPlanes 1, wBitCount %d (found %d, %d, %d, %d)"
               % (what, colours, im["bits"], im["colours"], im["res"], im["field1"], im["field2"]))
        if im["w"] in renders:
            check_mask(im, renders[im["w"]], what)


def check_cursor(folder):
    png_path = os.path.join(folder, "hand-pointer.png")
    cur_path = os.path.join(folder, "hand-pointer.cur")
    if not (expect(os.path.isfile(png_path), "%s exists" % png_path)
            and expect(os.path.isfile(cur_path), "%s exists" % cur_path)):
        return
    w, h, rows = read_png(png_path)
    if not expect((w, h) == (32, 32), "%s is 32x32 RGBA (found %dx%d)" % (png_path, w, h)):
        return
    hx, hy = HOT_SPOT
    expect(rows[hy][hx][3] == 255, "%s: hot-spot pixel %s opaque" % (png_path, HOT_SPOT))
    expect(all(rows[y][x][3] == 0 for y in range(hy) for x in range(32)) and rows[hy][hx][:3] == (0, 0, 0),
           "%s: nothing above the black fingertip at the hot spot" % png_path)
    images = read_icon_file(cur_path, 2)
    if not expect(len(images) == 1, "%s holds one image (found %d)" % (cur_path, len(images))):
        return
    im = images[0]
    expect((im["w"], im["h"], im["bits"], im["colours"]) == (32, 32, 4, 16),
           "%s: 32x32 at 4 bpp with 16 colours (found %dx%d@%d, %d)"
           % (cur_path, im["w"], im["h"], im["bits"], im["colours"]))
    expect((im["field1"], im["field2"]) == HOT_SPOT,
           "%s: hot spot %s (found %s)" % (cur_path, HOT_SPOT, (im["field1"], im["field2"])))
    if (im["w"], im["h"]) == (32, 32):
        check_mask(im, rows, cur_path)
        expect(im["mask"][hy][hx] == 0, "%s: hot-spot pixel opaque" % cur_path)
        differ = sum(1 for y in range(32) for x in range(32) if rows[y][x][3] >= 128
                     and im["palette"][im["index"][y][x]] != rows[y][x][:3])
        expect(differ == 0, "%s: colours match %s (%d pixels differ)" % (cur_path, png_path, differ))


def check_rerun(folder):
    """make-art.py into a fresh folder must give the very same bytes."""
    with tempfile.TemporaryDirectory() as tmp:
        run = subprocess.run([sys.executable, os.path.join(HERE, "make-art.py"), tmp],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if not expect(run.returncode == 0, "make-art.py re-runs into a temporary folder"):
            print(run.stdout.decode(errors="replace"))
            return
        expect(sorted(os.listdir(tmp)) == sorted(MADE), "the re-run writes exactly %s" % ", ".join(MADE))
        for name in MADE:
            a, b = os.path.join(folder, name), os.path.join(tmp, name)
            same = os.path.isfile(a) and os.path.isfile(b) and open(a, "rb").read() == open(b, "rb").read()
            expect(same, "%s is byte-identical on a re-run" % name)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else HERE
    for step in (lambda: check_ico(folder, check_pngs(folder)), lambda: check_cursor(folder),
                 lambda: check_rerun(folder)):
        try:
            step()
        except (Bad, OSError, zlib.error, struct.error, IndexError) as e:
            fail(str(e))
    if failures:
        print("check-art.py: %d check(s) failed" % len(failures))
        sys.exit(1)
    print("check-art.py: all checks passed")


if __name__ == "__main__":
    main()

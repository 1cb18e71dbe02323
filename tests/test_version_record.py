#!/usr/bin/python3
"""The Windows version record compiles with MinGW's windres, and its icon group reads back as the
images of the .ico it names, byte for byte.    test_version_record.py RC"""
import os, struct, subprocess, sys, tempfile

rc = os.path.abspath(sys.argv[1])
with tempfile.TemporaryDirectory() as folder:  # from another folder: the paths must be the .rc's own
    res = os.path.join(folder, "out.res")
    subprocess.run(["x86_64-w64-mingw32-windres", "--preprocessor=cpp", "-i", rc, "-O", "res", "-o", res],
                   cwd=folder, check=True)
    data = open(res, "rb").read()
found, at = {}, 0
while at < len(data):  # entries: size, header size, type and name as 0xFFFF and a number
    size, header, kind, name = struct.unpack_from("<II2xH2xH", data, at)
    found.setdefault(kind, {})[name] = data[at + header:at + header + size]
    at = (at + header + size + 3) & ~3
ico_path = os.path.join(os.path.dirname(rc), open(rc).read().split('ICON "')[1].split('"')[0])
ico = open(ico_path, "rb").read()
count = struct.unpack_from("<H", ico, 4)[0]
images = [struct.unpack_from("<8xII", ico, 6 + 16 * i) for i in range(count)]
group = found[14][1]
assert struct.unpack_from("<H", group, 4)[0] == count, "the icon group lists every image"
for i, (size, offset) in enumerate(images):
    icon_id = struct.unpack_from("<H", group, 6 + 14 * i + 12)[0]
    assert found[3][icon_id] == ico[offset:offset + size], "icon %d differs from the .ico" % i
assert 1 in found[16], "no version record"
print("ok: %d icon images and a version record" % count)

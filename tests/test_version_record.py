#!/usr/bin/python3
"""The Windows version record and icon, compiled here with MinGW's windres, and the same facts
in the Linux desktop entry and AppStream metadata.

    test_version_record.py RC ICO VERSION DESKTOP METAINFO

The compiled .res is read with the standard library, not decompiled by windres, so a mistake in
how the .rc is written cannot hide behind the tool that reads it back. VERSION is the project's
(major.minor.patch); the record's numbers follow from it.
"""
import configparser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
WINDRES = "x86_64-w64-mingw32-windres"
OBJDUMP = "x86_64-w64-mingw32-objdump"
PRODUCT = "Merow Hopsmeld Helper"
STRINGS = {
    "ProductName": PRODUCT,
    "InternalName": PRODUCT,
    "OriginalFilename": PRODUCT + ".exe",
    "FileDescription": "Hopsmeld converter",
    "Comments": "Hopsmeld Alcohol conversion program",
}

failures = []


def expect(condition, what):
    print("%s  %s" % ("ok  " if condition else "FAIL", what))
    if not condition:
        failures.append(what)
    return condition


def align4(n):
    return (n + 3) & ~3


def read_id(data, at):
    """A resource type or name: 0xFFFF and a number, or a zero-ended UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, at)
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def read_res(data):
    """Every resource in a .res file as {(type, name): bytes}."""
    resources = {}
    at = 0
    while at < len(data):
        size, header = struct.unpack_from("<II", data, at)
        kind, pos = read_id(data, at + 8)
        name, pos = read_id(data, pos)
        body = data[at + header:at + header + size]
        if size:  # the first entry of every .res is an empty marker
            resources[(kind, name)] = body
        at = align4(at + header + size)
    return resources


def read_node(data, at):
    """One node of a version record: (key, value bytes, is text, children, end)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while struct.unpack_from("<H", data, key_end)[0] != 0:
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    pos = align4(key_end + 2)
    if value_length == 0:  # a block: children only
        value = b""
    elif is_text:
        # Counted in characters by some compilers and bytes by others: read up to the zero.
        raw = data[pos:end]
        text_end = 0
        while text_end + 1 < len(raw) and raw[text_end:text_end + 2] != b"\0\0":
            text_end += 2
        value = raw[:text_end]
        pos = align4(pos + text_end + 2)
    else:
        value = data[pos:pos + value_length]
        pos = align4(pos + value_length)
    children = []
    while pos < end:
        child = read_node(data, pos)
        children.append(child)
        pos = align4(child[4])
    return key, value, bool(is_text), children, end


def read_ico(path):
    data = open(path, "rb").read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    images = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append(((w, h, colours, planes, bits), data[offset:offset + size]))
    return kind, images


def check_icons(resources, ico_path):
    groups = sorted(name for kind, name in resources if kind == RT_GROUP_ICON)
    expect(groups == [1], "one icon group, with id 1, the program's icon (groups: %s)" % groups)
    group = resources.get((RT_GROUP_ICON, 1))
    if group is None:
        return
    _, kind, count = struct.unpack_from("<HHH", group, 0)
    expect(kind == 1, "the group is of icons (type %d)" % kind)
    ico_kind, images = read_ico(ico_path)
    expect(ico_kind == 1 and len(images) == 3,
           "%s holds 3 icon images (%d)" % (os.path.basename(ico_path), len(images)))
    expect(count == 3, "the icon group has 3 images (%d)" % count)
    for i in range(count):
        w, h, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        image = resources.get((RT_ICON, icon_id))
        expect(image is not None, "image %d of the group is there as icon %d" % (i + 1, icon_id))
        if i < len(images) and image is not None:
            header, pixels = images[i]
            expect((w, h, colours, planes, bits) == header and image == pixels and size == len(pixels),
                   "image %d (%dx%d, %d bits) is the .ico's image %d, byte for byte" % (i + 1, w, h, bits, i + 1))


def check_version(resources, version):
    major, minor, patch = (int(p) for p in version.split("."))
    numbers = (major, minor, 0, patch)
    text = "%d.%02d.%04d" % (major, minor, patch)
    record = resources.get((RT_VERSION, 1))
    if not expect(record is not None, "a version record with id 1"):
        return
    key, fixed, _, children, _ = read_node(record, 0)
    expect(key == "VS_VERSION_INFO", "the record is VS_VERSION_INFO (%r)" % key)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed, 0)
    file_type = struct.unpack_from("<I", fixed, 36)[0]
    expect(signature == 0xFEEF04BD, "the fixed part carries its signature")
    for what, ms, ls in (("FILEVERSION", file_ms, file_ls), ("PRODUCTVERSION", product_ms, product_ls)):
        got = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        expect(got == numbers, "%s is %s for version %s (%s)" % (what, numbers, version, got))
    expect(file_type == 1, "the file is an application (type %d)" % file_type)

    strings = {}
    translations = []
    for child_key, _, _, grandchildren, _ in children:
        if child_key == "StringFileInfo":
            for table_key, _, _, values, _ in grandchildren:
                expect(table_key.upper() == "040904B0",
                       "the strings are US English in Unicode (%s)" % table_key)
                for name, value, _, _, _ in values:
                    strings[name] = value.decode("utf-16-le")
        elif child_key == "VarFileInfo":
            for name, value, _, _, _ in grandchildren:
                if name == "Translation":
                    translations += [struct.unpack_from("<HH", value, i) for i in range(0, len(value), 4)]
    wanted = dict(STRINGS, FileVersion=text, ProductVersion=text)
    for name, value in sorted(wanted.items()):
        expect(strings.get(name) == value, "%s is %r (%r)" % (name, value, strings.get(name)))
    expect(translations == [(0x0409, 1200)],
           "the translation table names the strings' language (%s)" % translations)


def check_object(rc, work):
    obj = os.path.join(work, "hopsmeld.o")
    run = subprocess.run([WINDRES, "--preprocessor=cpp", "-i", rc, "-O", "coff", "-o", obj],
                         capture_output=True, text=True)
    if not expect(run.returncode == 0, "windres makes an object file to link into the program"):
        print(run.stderr)
        return
    headers = subprocess.run([OBJDUMP, "-h", obj], capture_output=True, text=True).stdout
    expect("pe-x86-64" in headers and ".rsrc" in headers,
           "the object is x86-64 COFF with a .rsrc section")


def check_linux(desktop_path, metainfo_path, version):
    desktop = configparser.ConfigParser(interpolation=None)
    desktop.optionxform = str
    desktop.read(desktop_path, encoding="utf-8")
    entry = desktop["Desktop Entry"]
    expect(entry.get("Name") == STRINGS["ProductName"],
           "the desktop entry's Name is the ProductName (%r)" % entry.get("Name"))
    expect(entry.get("Comment", "").startswith(STRINGS["FileDescription"]),
           "the desktop entry's Comment starts with the FileDescription (%r)" % entry.get("Comment"))
    component = ET.parse(metainfo_path).getroot()
    expect(component.findtext("name") == STRINGS["ProductName"],
           "the metainfo's name is the ProductName (%r)" % component.findtext("name"))
    releases = [r.get("version") for r in component.iterfind("releases/release")]
    expect(releases[:1] == [version], "the metainfo's latest release is %s (%s)" % (version, releases))


def main():
    rc, ico, version, desktop, metainfo = (os.path.abspath(a) if i != 2 else a
                                           for i, a in enumerate(sys.argv[1:6]))
    if shutil.which(WINDRES) is None:
        print("FAIL  %s is missing (Debian package binutils-mingw-w64-x86-64)" % WINDRES)
        return 1
    with tempfile.TemporaryDirectory() as work:
        res = os.path.join(work, "hopsmeld.res")
        # The host's preprocessor: the record needs no Windows headers, so no MinGW compiler.
        run = subprocess.run([WINDRES, "--preprocessor=cpp", "-i", rc, "-O", "res", "-o", res],
                             cwd=work, capture_output=True, text=True)
        if not expect(run.returncode == 0, "windres compiles %s from another folder" % os.path.basename(rc)):
            print(run.stderr)
            return 1
        resources = read_res(open(res, "rb").read())
        check_icons(resources, ico)
        check_version(resources, version)
        check_object(rc, work)
    check_linux(desktop, metainfo, version)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

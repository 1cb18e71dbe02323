#!/usr/bin/env python3
"""Check the Merow Hopsmeld Helper help pages.

Fails (exit status 1, with a message) when a help page is missing, lacks a
<title> or an <h1>, has a "#anchor" link without a matching id/name, or is
missing key facts. Standard library only.

Usage: python3 assets/help/check-help.py HELP_DIR
HELP_DIR is where the build places the pages beside the program (build/bin): Hopsmeld.html is
made there from Hopsmeld.html.in, with the project's version.
"""
import os
import sys
from html.parser import HTMLParser

REQUIRED = {
    "Hopsmeld.html": {
        "title": "Merow Hopsmeld Helper Help",
        "texts": [
            "Alcohol Content",
            "Bottling Gravity",
            "Hey Hop Head You Can't Do That!",
            "1.05",
            "1.25",
            "notification area",
        ],
        "tags": [],
    },
    "Beerhlp.html": {
        "title": "Beer Guide",
        "texts": ["hydrometer", "original gravity", "final gravity"],
        "tags": ["table"],
    },
}


class HelpParser(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags = {}          # tag name -> count
        self.targets = set()    # ids and <a name> values
        self.links = []         # href values starting with '#'
        self.title = ""
        self._in_title = False
        self._skip = 0          # inside <style>/<script>
        self.text = []

    def handle_starttag(self, tag, attrs):
        self.tags[tag] = self.tags.get(tag, 0) + 1
        attrs = dict(attrs)
        if attrs.get("id"):
            self.targets.add(attrs["id"])
        if tag == "a" and attrs.get("name"):
            self.targets.add(attrs["name"])
        if tag == "a" and (attrs.get("href") or "").startswith("#"):
            self.links.append(attrs["href"])
        if tag == "title":
            self._in_title = True
        if tag in ("style", "script"):
            self._skip += 1

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False
        if tag in ("style", "script") and self._skip:
            self._skip -= 1

    def handle_data(self, data):
        if self._in_title:
            self.title += data
        if not self._skip:
            self.text.append(data)


def check_file(path, req):
    errors = []
    name = os.path.basename(path)
    if not os.path.isfile(path):
        return ["%s: file is missing" % path]
    try:
        with open(path, encoding="utf-8") as f:
            source = f.read()
    except UnicodeDecodeError as e:
        return ["%s: not valid UTF-8 (%s)" % (name, e)]

    p = HelpParser()
    p.feed(source)
    p.close()
    print("%s: parsed, %d tags, %d anchor links, %d targets"
          % (name, sum(p.tags.values()), len(p.links), len(p.targets)))

    title = " ".join(p.title.split())
    print("  title: %r" % title)
    if not p.tags.get("title") or not title:
        errors.append("%s: no <title>" % name)
    elif title != req["title"]:
        errors.append("%s: title is %r, expected %r" % (name, title, req["title"]))

    print("  <h1> count: %d" % p.tags.get("h1", 0))
    if not p.tags.get("h1"):
        errors.append("%s: no <h1>" % name)

    if 'charset="utf-8"' not in source.lower():
        errors.append('%s: no <meta charset="utf-8">' % name)

    for href in p.links:
        target = href[1:]
        if target not in p.targets:
            errors.append("%s: link %s has no matching id/name" % (name, href))
    print("  anchor links checked: %s" % (", ".join(p.links) or "(none)"))

    text = " ".join("".join(p.text).split())
    for needle in req["texts"]:
        # Exact (case-sensitive) match; typographic apostrophes count as plain.
        hay = text.replace("\u2019", "'")
        if needle not in hay:
            errors.append("%s: missing text %r" % (name, needle))
    print("  texts checked: %s" % ", ".join(repr(t) for t in req["texts"]))

    for tag in req["tags"]:
        if not p.tags.get(tag):
            errors.append("%s: no <%s>" % (name, tag))
    if req["tags"]:
        print("  tags checked: %s" % ", ".join("<%s>" % t for t in req["tags"]))
    return errors


def main():
    here = sys.argv[1]
    errors = []
    for name, req in REQUIRED.items():
        errors += check_file(os.path.join(here, name), req)
    if errors:
        for e in errors:
            print("FAIL: " + e, file=sys.stderr)
        sys.exit(1)
    print("OK: all help pages passed")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Start-up time and peak memory of the program, a Qt Widgets window with one label (the floor),
galculator and mate-calc, side by side, as on a desktop: run inside tests/e2e/desktop.py --sound
--tray trayer (a session bus, from which the accessibility bus can be activated, and an XEmbed
tray).

    startup.py --probe PROBE --program PROGRAM --floor FLOOR --floor-cue FLOOR_CUE --runs N
               --out results.json

Each round starts each subject once, in a rotating order so that none always goes first. Besides
those compared, three more show where the difference goes: the bare window without text (Qt
loads no fonts), the floor linked with the program's sound cue (whose module loads only when a
cue is near), and the same playing one cue after its first paint. For the program the time its
tray icon is docked and viewable is taken too. One unmeasured start of each comes first, so
files and font caches are warm for all alike, and galculator's has activated the accessibility
bus, as a desktop session has it running.
Memory: ru_maxrss from wait4() after a settling hold, the figure /usr/bin/time -f %M prints;
a few extra starts under /usr/bin/time itself confirm it.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

HOLD_MS = 1500


def probe(probe_path, title, command, close=False, wrap_time=None, icon=False):
    args = [probe_path, "--hold-ms", str(HOLD_MS)]
    if close:
        args += ["--close", "1"]
    if icon:
        args += ["--icon", "1"]
    if wrap_time:
        command = ["/usr/bin/time", "-f", "%M", "-o", wrap_time, "--"] + command
    result = subprocess.run(args + [title] + command, capture_output=True, text=True)
    match = re.search(r"map_ms=(\S+) cpu_ms=(\S+) width=(\d+) height=(\d+) rss_kb=(\d+) "
                      r"late=(\d) icon_ms=(\S+)", result.stdout)
    if result.returncode != 0 or not match:
        sys.stderr.write(result.stderr)
        return None
    run = {"map_ms": float(match[1]), "cpu_ms": float(match[2]), "width": int(match[3]),
           "height": int(match[4]), "rss_kb": int(match[5]), "late": int(match[6])}
    if icon:
        run["icon_ms"] = float(match[7]) if float(match[7]) >= 0 else None
    return run


def on_bus(name):
    reply = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                            "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                            "string:" + name], capture_output=True, text=True).stdout
    return "true" in reply


def on_tray():
    """Whether trayer, the XEmbed tray, runs on this display."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    return '("panel" "trayer")' in tree


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--floor-cue", required=True)
    parser.add_argument("--before", help="another build of the program, started beside it")
    parser.add_argument("--before-label", default="another build", help="what --before is")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--time-checks", type=int, default=3)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    # The floor's window is as large as ours.
    first = probe(args.probe, "Merow Hopsmeld Helper", [args.program], icon=True)
    if not first:
        sys.exit("startup: the program's window did not appear")
    size = [str(first["width"]), str(first["height"])]
    subjects = {
        "program": ("Merow Hopsmeld Helper", [args.program]),
        "floor": ("Hopsmeld Floor", [args.floor] + size + ["text"]),
        "galculator": ("galculator", ["galculator"]),
        "mate-calc": ("Calculator", ["mate-calc"]),
        "bare": ("Hopsmeld Floor", [args.floor] + size),
        "floor_linked": ("Hopsmeld Floor", [args.floor_cue] + size + ["text"]),
        "floor_cue": ("Hopsmeld Floor", [args.floor_cue] + size + ["text", "sound"]),
    }
    if args.before:
        subjects["before"] = ("Merow Hopsmeld Helper", [args.before])
    names = list(subjects)
    for name in names[1:]:
        probe(args.probe, subjects[name][0], subjects[name][1])  # warm-up, not counted

    results = {name: [] for name in names}
    failures = []
    for n in range(args.runs):
        order = names[n % len(names):] + names[: n % len(names)]
        for name in order:
            title, command = subjects[name]
            run = probe(args.probe, title, command, icon=name in ("program", "before"))
            if run:
                results[name].append(run)
            else:
                failures.append("%s, round %d" % (name, n + 1))
        print("round %d/%d: %s" % (n + 1, args.runs, "  ".join(
            "%s %.1f ms %d KiB" % (k, v[-1]["map_ms"], v[-1]["rss_kb"])
            for k, v in results.items() if v and k in names[:4])), flush=True)

    # /usr/bin/time's own reading, with each program ended through its close box so that
    # time outlives it.
    compared = names[:4]
    time_checks = {name: [] for name in compared}
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "time")
        for n in range(args.time_checks):
            for name in compared:
                title, command = subjects[name]
                if not probe(args.probe, title, command, close=True, wrap_time=out):
                    failures.append("%s: no start under /usr/bin/time" % name)
                    continue
                try:
                    with open(out) as f:
                        time_checks[name].append(int(f.read().split()[-1]))
                except (OSError, ValueError, IndexError):
                    failures.append("%s: /usr/bin/time gave nothing" % name)
    with open(args.out, "w") as f:
        json.dump({"runs": results, "time_rss_kb": time_checks, "failures": failures,
                   "hold_ms": HOLD_MS, "floor_size": size, "before": args.before_label,
                   "desktop": {"session_bus": bool(os.environ.get("DBUS_SESSION_BUS_ADDRESS")),
                               "accessibility_bus": on_bus("org.a11y.Bus"),
                               "tray": "trayer (XEmbed)" if on_tray() else "none"}},
                  f, indent=1)


if __name__ == "__main__":
    main()

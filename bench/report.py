#!/usr/bin/env python3
"""Writes the benchmark results into bench/README.md, between the results markers; the text
around them is kept as it is.

    report.py RESULTS_DIR README
"""
import json
import os
import statistics
import sys

BEGIN = "<!-- results: written by bench/run, edits here are overwritten -->"
END = "<!-- end of results -->"

START_RATIO_GOAL = 1.15  # program / floor
PEER_SPEEDUP_GOAL = 2.0  # each peer / program
PEERS = ("galculator", "mate-calc")
RSS_EXCESS_GOAL_KIB = 3 * 1024  # over the floor
CUE_GOAL_MS = 30.0
HANDLER_GOAL_US = 167.0


def quartiles(values):
    if len(values) < 2:
        return values[0], values[0]
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


def spread(values, fmt):
    low, high = quartiles(values)
    return "%s–%s (IQR %s–%s)" % (fmt % min(values), fmt % max(values), fmt % low, fmt % high)


def verdict(ok):
    return "**met**" if ok else "**missed**"


def load(directory, name):
    path = os.path.join(directory, name)
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return json.load(f)


def context(meta):
    if not meta:
        return ""
    return ("%s; %s CPUs (%s); processors %s%% busy just before; load average before/after: "
            "%s / %s; tree: %s\n\n" %
            (meta["date"], meta["nproc"], meta["cpu"], meta.get("busy_before", "?"),
             meta["load_before"], meta.get("load_after", "?"), meta["tree"]))


def startup_section(data, meta):
    if not data:
        return "### Start-up\n\nNot run yet.\n"
    runs = data["runs"]
    labels = {"program": "Merow Hopsmeld Helper",
              "floor": "floor: Qt 6 Widgets window with one label",
              "galculator": "galculator (peer)", "mate-calc": "mate-calc (peer)",
              "before": "before: %s" % data.get("before")}
    lines = ["### Start-up: exec to main window viewable, and peak RSS", "",
             context(meta).rstrip("\n"), "",
             "Under Xvfb with openbox, %s; %d rounds, each starting every "
             "subject once in rotating order; peak RSS after a %.1f s hold past the window's "
             "appearance. Floor window size: %s x %s px, as the program's." %
             (desktop(data), max(len(v) for v in runs.values()), data["hold_ms"] / 1000,
              data["floor_size"][0], data["floor_size"][1]), "",
             "| program | n | start-up median (ms) | start-up spread (ms) | CPU until viewable, "
             "median (ms) | peak RSS median (MiB) | peak RSS spread (MiB) | /usr/bin/time %M (MiB) |",
             "|---|---|---|---|---|---|---|---|"]
    med = {}
    for name, label in labels.items():
        values = runs.get(name, [])
        if not values:
            lines.append("| %s | 0 | – | – | – | – | – | – |" % label)
            continue
        ms = [v["map_ms"] for v in values]
        rss = [v["rss_kb"] / 1024 for v in values]
        med[name] = (statistics.median(ms), statistics.median([v["rss_kb"] for v in values]))
        checks = data["time_rss_kb"].get(name, [])
        lines.append("| %s | %d | %.1f | %s | %.1f | %.1f | %s | %s |" % (
            label, len(values), med[name][0], spread(ms, "%.1f"),
            statistics.median(v["cpu_ms"] for v in values), med[name][1] / 1024,
            spread(rss, "%.1f"), ", ".join("%.1f" % (c / 1024) for c in checks) or "–"))
    lines += ["", "| goal | measured | |", "|---|---|---|"]
    if "program" in med and "floor" in med:
        ratio = med["program"][0] / med["floor"][0]
        lines.append("| start-up within %.2f x the floor | %.2f x (%.1f vs %.1f ms) | %s |" % (
            START_RATIO_GOAL, ratio, med["program"][0], med["floor"][0],
            verdict(ratio <= START_RATIO_GOAL)))
    for peer in PEERS:
        if "program" in med and peer in med:
            speedup = med[peer][0] / med["program"][0]
            lines.append("| at least %.0f x faster than %s | %.2f x (%.1f vs %.1f ms) | %s |" % (
                PEER_SPEEDUP_GOAL, peer, speedup, med["program"][0], med[peer][0],
                verdict(speedup >= PEER_SPEEDUP_GOAL)))
    if "program" in med and "floor" in med:
        excess = med["program"][1] - med["floor"][1]
        lines.append("| peak RSS within %d MiB of the floor | %+.1f MiB (%.1f vs %.1f MiB) | %s |"
                     % (RSS_EXCESS_GOAL_KIB // 1024, excess / 1024, med["program"][1] / 1024,
                        med["floor"][1] / 1024, verdict(excess <= RSS_EXCESS_GOAL_KIB)))
    for name in ("program", "before"):
        icons = [v["icon_ms"] for v in runs.get(name, []) if v.get("icon_ms") is not None]
        if icons:
            lines.append("| (%s: tray icon docked and viewable) | median %.1f ms after exec, %s; "
                         "%d of %d starts | – |" % (
                             "the program" if name == "program" else "before", statistics.median(icons),
                             spread(icons, "%.1f"), len(icons), len(runs[name])))
    if "before" in med and "floor" in med:
        lines.append("| (before: start-up and peak RSS against the floor) | %.2f x, %+.1f MiB | – |" % (
            med["before"][0] / med["floor"][0], (med["before"][1] - med["floor"][1]) / 1024))
    if "program" in med and "floor" in med and all(peer in med for peer in PEERS):
        cpu = {name: statistics.median(v["cpu_ms"] for v in runs[name]) for name in med}
        lines.append("| (the same by processor time until viewable, less disturbed by other load) "
                     "| %.2f x the floor, %s | – |" % (
                         cpu["program"] / cpu["floor"], ", ".join(
                             "%.2f x faster than %s" % (cpu[peer] / cpu["program"], peer)
                             for peer in PEERS)))
    lines += ladder(runs)
    if data["failures"]:
        lines += ["", "Failed starts: " + "; ".join(data["failures"])]
    return "\n".join(lines) + "\n"


def desktop(data):
    about = data.get("desktop")
    if not about:
        return "a private PulseAudio"
    return "%s, tray: %s, a private PulseAudio" % (
        ("a private session bus (the accessibility bus %s at the end)" % (
            "running" if about["accessibility_bus"] else "not running"))
        if about["session_bus"] else "no session bus", about["tray"])


def ladder(runs):
    """From the floor to the program in steps, each with what it adds."""
    steps = [("bare window, no text", "bare"),
             ("+ a label (Qt loads the fonts): the floor", "floor"),
             ("+ linked with the program's cue/ (its sound module not loaded)", "floor_linked"),
             ("+ one cue played after the first paint (the module with libpulse, libsndfile)",
              "floor_cue"),
             ("the program (no cue played)", "program")]
    steps = [(label, runs[key]) for label, key in steps if runs.get(key)]
    if len(steps) < 3:
        return []
    lines = ["", "Where the difference goes, from the floor to the program in steps (medians):", "",
             "| step | start-up (ms) | CPU until viewable (ms) | peak RSS (MiB) | "
             "adds: start-up / CPU / RSS |", "|---|---|---|---|---|"]
    previous = None
    for label, values in steps:
        row = (statistics.median(v["map_ms"] for v in values),
               statistics.median(v["cpu_ms"] for v in values),
               statistics.median(v["rss_kb"] for v in values) / 1024)
        adds = "–" if previous is None else "%+.1f ms / %+.1f ms / %+.1f MiB" % tuple(
            a - b for a, b in zip(row, previous))
        lines.append("| %s | %.1f | %.1f | %.1f | %s |" % (label, *row, adds))
        previous = row
    return lines


def cue_section(data, meta):
    if not data:
        return "### Sound cue\n\nNot run yet.\n"
    firsts = [r["latencies_ms"][0] for r in data["runs"]]
    laters = [v for r in data["runs"] for v in r["latencies_ms"][1:]]
    missing = sum(v is None for v in firsts + laters)
    firsts = [v for v in firsts if v is not None]
    laters = [v for v in laters if v is not None]
    lateness = [r["chunk_lateness_ms"]["median"] for r in data["runs"]]
    lines = ["### Sound cue: Space released on Calculate to the first audible sample", "",
             context(meta).rstrip("\n"), "",
             "%d starts of the program, %d cues each, %.1f s apart; audible: the first sample at "
             "or above %d (-40 dBFS) on the null sink's monitor, recorded at %d Hz. Median "
             "lateness of the monitor's chunks behind the time line: %.1f ms." % (
                 len(data["runs"]), data["cues_per_start"], data["pause_s"], data["threshold"],
                 data["rate"], statistics.median(lateness) if lateness else float("nan")), "",
             "| cue | n | median (ms) | spread (ms) |", "|---|---|---|---|"]
    for label, values in (("first after start", firsts), ("later cues", laters)):
        if values:
            lines.append("| %s | %d | %.1f | %s |" % (label, len(values),
                                                     statistics.median(values),
                                                     spread(values, "%.1f")))
        else:
            lines.append("| %s | 0 | – | – |" % label)
    rss = [r["peak_rss_kb"] / 1024 for r in data["runs"] if r.get("peak_rss_kb")]
    if rss:
        lines += ["", "Peak RSS of the program after its cues (VmHWM): median %.1f MiB, %s." % (
            statistics.median(rss), spread(rss, "%.1f"))]
    lines += ["", "| goal | measured | |", "|---|---|---|"]
    for label, values in (("first cue within %.0f ms" % CUE_GOAL_MS, firsts),
                          ("later cues within %.0f ms" % CUE_GOAL_MS, laters)):
        if values:
            median = statistics.median(values)
            within = sum(v <= CUE_GOAL_MS for v in values)
            lines.append("| %s | median %.1f ms, worst %.1f ms; %d of %d within | %s |" % (
                label, median, max(values), within, len(values),
                verdict(median <= CUE_GOAL_MS)))
    if missing or data["failures"]:
        lines += ["", "Cues never heard: %d. Failed starts: %s" % (
            missing, "; ".join(data["failures"]) or "none")]
    return "\n".join(lines) + "\n"


def handlers_section(data, meta):
    if not data:
        return "### Handlers\n\nNot run yet.\n"
    runs = data["microseconds"]
    lines = ["### Handlers: in-process, QBENCHMARK, quiet stand-ins for the window", "",
             context(meta).rstrip("\n"), "",
             "Each figure: one process's average over %d iterations; median and spread over "
             "%d processes. Goal: under %.0f µs each." % (
                 data["iterations"], max(len(v) for v in runs.values()), HANDLER_GOAL_US), "",
             "| handler | median (µs) | spread (µs) | goal |", "|---|---|---|---|"]
    for name, values in runs.items():
        median = statistics.median(values)
        lines.append("| %s | %.2f | %s | %s |" % (name, median, spread(values, "%.2f"),
                                                   verdict(median < HANDLER_GOAL_US)))
    return "\n".join(lines) + "\n"


def close_section(data, meta):
    if not data:
        return ""
    lines = ["### Close to hidden: the close box asked, to the window unmapped", "", context(meta).rstrip(), "",
             "Each tray host with its process answering, and stopped (SIGSTOP) across the close. Goal: hidden "
             "within 20 ms at the 95th percentile, and never ended by a close while a host shows the icon.", "",
             "| build | host | host's process | hidden | median ms | 95th pct ms | ended the program | no answer in 5 s |",
             "|---|---|---|---|---|---|---|---|"]
    for label, hosts in data.items():
        for host, modes in hosts.items():
            for mode, runs in modes.items():
                hidden = sorted(r["ms"] for r in runs if r["what"] == "hidden_ms")
                ended = sum(r["what"] == "ended_ms" for r in runs)
                pct = hidden[min(len(hidden) - 1, max(0, -(-95 * len(hidden) // 100) - 1))] if hidden else None
                fmt = lambda v: "%.1f" % v if v is not None else "–"
                lines.append("| %s | %s | %s | %d of %d | %s | %s | %d | %d |" % (
                    label, host, mode, len(hidden), len(runs), fmt(hidden[len(hidden) // 2] if hidden else None),
                    fmt(pct), ended, len(runs) - len(hidden) - ended))
    return "\n".join(lines) + "\n"


def main():
    directory, readme = sys.argv[1], sys.argv[2]
    meta = load(directory, "meta.json") or {}
    body = "\n".join([
        BEGIN, "## Results", "",
        startup_section(load(directory, "startup.json"), meta.get("startup")),
        cue_section(load(directory, "cue.json"), meta.get("cue")),
        handlers_section(load(directory, "handlers.json"), meta.get("handlers")),
        close_section(load(directory, "close.json"), meta.get("close")),
        END])
    text = open(readme).read() if os.path.exists(readme) else "# Benchmarks\n\n"
    if BEGIN in text and END in text:
        head, rest = text.split(BEGIN, 1)
        tail = rest.split(END, 1)[1]
        text = head + body + tail
    else:
        text = text.rstrip("\n") + "\n\n" + body + "\n"
    with open(readme, "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()

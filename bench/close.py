#!/usr/bin/python3
"""close.py --probe PROBE PROGRAM [--before PROGRAM] [--hosts trayer,xfce,lxqt,gnome] [--rounds N]
Close to hidden, on each tray host, with the host answering and with its process stopped
(SIGSTOP) across the close, as a busy desktop has it: the window's close box is asked
(WM_DELETE_WINDOW) and the X server's unmap ends the clock (bench_close_probe). A close that ends
the program is counted as such and the program started again. Writes JSON to --out, which
report.py turns into a table."""
import argparse
import json
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from desktop import Desktop, wait_until  # noqa: E402
from test_tray import bus, drawn_icon, icons, watcher_process  # noqa: E402

TITLE = "Merow Hopsmeld Helper"


def host_process(d):
    """What stops when the host is busy: the watcher's owner, or trayer itself."""
    if d.tray == "trayer":
        return next(s.pid for s in d.services if s.part == "trayer")
    return watcher_process(d)


def measure(probe, program, host, rounds):
    results = {"answering": [], "stopped": []}
    with Desktop(tray=host) as d:
        p = None
        for mode in ("answering", "stopped"):
            for _ in range(rounds):
                if p is None or not p.running():
                    p = d.start_program(program)
                    wait_until(lambda: len(icons(d)) == 1, 15, "the icon")
                else:
                    bus(d, "Activate", "{}")
                wait_until(d.windows, 10, "the window")
                wait_until(lambda: drawn_icon(d), 10, "the icon drawn")
                time.sleep(0.3)
                stopped = host_process(d) if mode == "stopped" else None
                if stopped:
                    os.kill(stopped, signal.SIGSTOP)
                try:
                    out = subprocess.run([probe, TITLE], env=d.env, capture_output=True, text=True).stdout
                finally:
                    if stopped:
                        os.kill(stopped, signal.SIGCONT)
                key, _, value = out.strip().partition("=")
                results[mode].append({"what": key, "ms": float(value) if value else None})
                if key == "ended_ms":
                    wait_until(lambda: not p.running(), 10, "the program to end")
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--probe", required=True)
    parser.add_argument("--before")
    parser.add_argument("--hosts", default="trayer,xfce,lxqt,gnome")
    parser.add_argument("--rounds", type=int, default=20)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    builds = [("this tree", args.program)] + ([("before", args.before)] if args.before else [])
    data = {label: {host: measure(args.probe, program, host, args.rounds) for host in args.hosts.split(",")}
            for label, program in builds}
    with open(args.out, "w") as f:
        json.dump(data, f, indent=1)
    print("close: results in %s" % args.out)

if __name__ == "__main__":
    main()

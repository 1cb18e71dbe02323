#!/usr/bin/env python3
"""Notes the circumstances of one benchmark in RESULTS_DIR/meta.json: date, machine, load, tree.
    meta.py RESULTS_DIR BENCHMARK before|after

Before a benchmark it first waits, up to BENCH_QUIET_WAIT seconds (300), for the processors to be
mostly idle: the machine is shared, and a build running alongside would be measured too.
"""
import datetime
import json
import os
import subprocess
import sys
import time


def cpu_model():
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return "unknown"


def busy_percent(seconds=2.0):
    """How busy all processors were over a short while, from /proc/stat."""
    def sample():
        fields = [int(v) for v in open("/proc/stat").readline().split()[1:]]
        return sum(fields), fields[3] + fields[4]  # total, idle + iowait
    total0, idle0 = sample()
    time.sleep(seconds)
    total1, idle1 = sample()
    return 100.0 * (1 - (idle1 - idle0) / max(1, total1 - total0))


def wait_for_quiet(limit_s, threshold=25.0):
    deadline = time.monotonic() + limit_s
    busy = busy_percent()
    while busy > threshold and time.monotonic() < deadline:
        print("waiting for a quiet machine: %.0f%% busy" % busy, flush=True)
        time.sleep(8)
        busy = busy_percent()
    return busy


def tree():
    def git(*args):
        return subprocess.run(["git", *args], capture_output=True, text=True).stdout.strip()
    head = git("rev-parse", "--short", "HEAD") or "unknown"
    return head + (" with uncommitted changes" if git("status", "--porcelain", "--untracked-files=no") else "")


def main():
    directory, name, when = sys.argv[1:4]
    path = os.path.join(directory, "meta.json")
    meta = json.load(open(path)) if os.path.exists(path) else {}
    load = open("/proc/loadavg").read().split()[0]
    if when == "before":
        busy = wait_for_quiet(float(os.environ.get("BENCH_QUIET_WAIT", "300")))
        load = open("/proc/loadavg").read().split()[0]
        meta[name] = {"busy_before": round(busy),"date": datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z"),
                      "nproc": os.cpu_count(), "cpu": cpu_model(), "load_before": load,
                      "tree": tree()}
    else:
        meta.setdefault(name, {})["load_after"] = load
    with open(path, "w") as f:
        json.dump(meta, f, indent=1)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""The calculators' handlers under QBENCHMARK: the bench program run several times, each time
with a fixed number of iterations per handler, so every figure is an average over some tens of
milliseconds and the runs give a spread.

    handlers.py BENCH_HANDLERS --processes N --iterations N --out results.json
"""
import argparse
import csv
import io
import json
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--processes", type=int, default=11)
    parser.add_argument("--iterations", type=int, default=20000)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    results = {}
    for n in range(args.processes):
        run = subprocess.run([args.program, "-csv", "-iterations", str(args.iterations)],
                             capture_output=True, text=True)
        if run.returncode != 0:
            sys.stderr.write(run.stdout + run.stderr)
            sys.exit("handlers: the bench program failed")
        for row in csv.reader(io.StringIO(run.stdout)):
            if len(row) >= 6 and row[2] == "WalltimeMilliseconds":
                results.setdefault(row[0], []).append(float(row[4]) / float(row[5]) * 1000.0)
        print("process %d/%d" % (n + 1, args.processes), flush=True)
    with open(args.out, "w") as out:
        json.dump({"microseconds": results, "iterations": args.iterations}, out, indent=1)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Medians and ratios of interleaved hyperfine rounds.

    summarise.py NAME ROUND.json...

Each ROUND.json is one `hyperfine --export-json` run holding the commands
named "ours" and "other". Every run of every round counts: the wall-time
medians of both sides, their ratio, the mean CPU time (user + system) of both
sides and its ratio. Prints one line:

    NAME ours=<s> other=<s> ratio=<ours/other> ours_cpu=<s> other_cpu=<s> cpu_ratio=<r> runs=<n>
"""
import json
import statistics
import sys


def main():
    name, files = sys.argv[1], sys.argv[2:]
    times = {"ours": [], "other": []}
    cpu = {"ours": [], "other": []}
    for path in files:
        with open(path) as f:
            for result in json.load(f)["results"]:
                side = result["command"]
                times[side] += result["times"]
                # hyperfine exports mean user and system time per command.
                cpu[side] += [result["user"] + result["system"]] * len(result["times"])
    ours, other = statistics.median(times["ours"]), statistics.median(times["other"])
    ours_cpu, other_cpu = statistics.mean(cpu["ours"]), statistics.mean(cpu["other"])
    print(f"{name} ours={ours:.3f} other={other:.3f} ratio={ours / other:.3f} "
          f"ours_cpu={ours_cpu:.3f} other_cpu={other_cpu:.3f} cpu_ratio={ours_cpu / other_cpu:.3f} "
          f"runs={len(times['ours'])}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Oscilloscope benchmark of the Windows program under Wine: kv310r.exe's
"Oszilloskop" page (tests/bench/scope_capture_win.cpp, in-process) against
kv310r-sim pacing the line at 38400 baud 8N2 (11 bits a byte, about 3491
bytes/s).

For each capture it reports the time from "Messen" to the traces drawn on the
screen against its floor: the bytes the capture itself needs on the wire (the
start request, and each of the 11 sample blocks with the request that fetched
it) at line rate, plus the time the dimmer records before its data are ready
(--scope-delay of the simulator). The start acknowledgement and the status and
not-ready exchanges overlap the recording and are not counted. Then the time
to paint the plot once (COUNT captures, default 5), and the share of one core
the program used during each capture.

The program's timer ticks every 10 ms under Wine; Windows ticks at its clock
interval, 15.625 ms by default, which the benchmark emulates (KV_BENCH_TICK_MS,
tests/bench/bench_tick_win.h). Both run by default, one after the other:

    scripts/bench-scope.py [COUNT] [--ticks 10,15.625] [--exe OTHER_BUILD.exe]"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

from kvscripts import ROOT, build_tree, tree, wine_environment

BYTES_PER_SECOND = 38400 / 11
RECORD_MS = 400


def floors(log_path):
    """One floor in seconds per capture in the traffic log."""
    result = []
    wire = None
    last_request = 0
    with open(log_path) as log:
        for line in log:
            parts = line.split()
            if len(parts) < 4 or parts[0] not in ("RX", "TX"):
                continue
            code = parts[3]
            size = len(parts) - 1
            if parts[0] == "RX" and code == "80" and parts[4:10] != ["00"] * 6:
                if wire is not None:
                    result.append(wire)
                wire = size
            elif parts[0] == "RX" and code == "90":
                last_request = size
            elif parts[0] == "TX" and code == "88" and wire is not None:
                wire += last_request + size
    if wire is not None:
        result.append(wire)
    return [(n, n / BYTES_PER_SECOND + RECORD_MS / 1000) for n in result]


def run_captures(exe, count, tick, work):
    """One run of the benchmark program at a tick: its lines and the floors."""
    log = os.path.join(work, "traffic.txt")
    if os.path.exists(log):
        os.remove(log)
    env = wine_environment("gui")
    env["KV_BENCH_TICK_MS"] = tick
    run = subprocess.run(
        [os.path.join(ROOT, "scripts/with-sim-com.sh"), tree("native", "sim/kv310r-sim"), "COM5", "--pace",
         "--log", log, "--scope-delay", str(RECORD_MS), "--", os.path.join(ROOT, "scripts/wine-gui-run.sh"),
         exe, count],
        env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    lines = run.stdout.splitlines()
    captures = [l.replace(",", "").split() for l in lines if l.startswith("capture") and "CPU" in l]
    if run.returncode != 0 or not captures:
        raise SystemExit("benchmark failed:\n" + run.stdout)
    return lines, [(float(c[2]), float(c[5])) for c in captures], floors(log)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("count", nargs="?", default="5", help="captures per run")
    parser.add_argument("--ticks", default="10,15.625",
                        help="timer periods in ms, comma-separated (10: Wine's own; more: emulated)")
    parser.add_argument("--exe", action="append", default=[],
                        help="another build of scope_capture.exe to run beside this one (for instance the "
                             "one before a change); may be given more than once")
    args = parser.parse_args()
    build_tree("win", "scope_capture")
    build_tree("native", "kv310r-sim")
    exes = [tree("win", "tests/bench/scope_capture.exe")] + args.exe
    with tempfile.TemporaryDirectory() as work:
        # Side by side: each tick and each build in turn, so that the load of
        # the machine falls on all of them alike.
        for tick in args.ticks.split(","):
            for exe in exes:
                lines, captures, capture_floors = run_captures(exe, args.count, tick, work)
                print(f"\n{exe} at a tick of {tick} ms")
                print(f"{'capture':<9}{'wire bytes':>11}{'floor s':>9}{'drawn s':>9}{'ratio':>7}{'CPU %':>7}")
                ratios = []
                for i, ((drawn, cpu), (nbytes, floor)) in enumerate(zip(captures, capture_floors), 1):
                    ratios.append(drawn / floor)
                    print(f"{i:<9}{nbytes:>11}{floor:>9.3f}{drawn:>9.3f}{drawn / floor:>7.2f}{cpu:>7.1f}")
                print(f"ratio median {statistics.median(ratios):.3f}, best {min(ratios):.3f}, "
                      f"worst {max(ratios):.3f}; CPU median {statistics.median(c for _, c in captures):.1f} %")
                for line in lines:
                    if line.startswith(("paint:", "draw:")):
                        print(line)
    print(f"\nload average: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} {os.getloadavg()[2]:.2f}")


if __name__ == "__main__":
    main()

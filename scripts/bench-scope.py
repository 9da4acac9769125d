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
to paint the plot once (COUNT captures, default 5):

    scripts/bench-scope.py [COUNT]"""
import os
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


def main():
    count = sys.argv[1] if len(sys.argv) > 1 else "5"
    build_tree("win", "scope_capture")
    build_tree("native", "kv310r-sim")
    with tempfile.TemporaryDirectory() as work:
        log = os.path.join(work, "traffic.txt")
        run = subprocess.run(
            [os.path.join(ROOT, "scripts/with-sim-com.sh"), tree("native", "sim/kv310r-sim"), "COM5", "--pace",
             "--log", log, "--scope-delay", str(RECORD_MS), "--", os.path.join(ROOT, "scripts/wine-gui-run.sh"),
             tree("win", "tests/bench/scope_capture.exe"), count],
            env=wine_environment("gui"), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        lines = run.stdout.splitlines()
        captures = [float(l.split()[2]) for l in lines if l.startswith("capture") and l.endswith(" s")]
        if run.returncode != 0 or not captures:
            raise SystemExit("benchmark failed:\n" + run.stdout)
        print(f"{'capture':<9}{'wire bytes':>11}{'floor s':>9}{'drawn s':>9}{'ratio':>7}")
        for i, (drawn, (nbytes, floor)) in enumerate(zip(captures, floors(log)), 1):
            print(f"{i:<9}{nbytes:>11}{floor:>9.3f}{drawn:>9.3f}{drawn / floor:>7.2f}")
        for line in lines:
            if line.startswith(("paint:", "draw:")):
                print(line)


if __name__ == "__main__":
    main()

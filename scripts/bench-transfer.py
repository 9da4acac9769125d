#!/usr/bin/env python3
"""Transfer benchmark: kv310r-cli against kv310r-sim pacing the line at 38400
baud 8N2 (11 bits a byte, about 3491 bytes/s).

For each operation it reports the elapsed time against the line-rate floor
(bytes on the wire / 3491 bytes/s, plus the 500 ms drain before the first
request of a parameter transfer; a scope capture also includes the time the
dimmer records, which the simulator sets with --scope-delay) and the CPU time
the client used, so that waiting which spins a core shows up at once. Both programs come from build/native (built first):

    scripts/bench-transfer.py"""
import os
import resource
import subprocess
import tempfile
import time

from kvscripts import build_tree, tree

BYTES_PER_SECOND = 38400 / 11
DRAIN_S = 0.5


def wire_bytes(log_path):
    total = 0
    with open(log_path) as log:
        for line in log:
            parts = line.split()
            if parts and parts[0] in ("RX", "TX"):
                total += len(parts) - 1
    return total


def run(cli, sim, args, work, extra_sim=()):
    log = os.path.join(work, "traffic.txt")
    if os.path.exists(log):
        os.remove(log)
    proc = subprocess.Popen([sim, "--pace", "--log", log, "--exit-after", "120", *extra_sim],
                            stdout=subprocess.PIPE, text=True)
    try:
        pty = proc.stdout.readline().strip()
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        done = subprocess.run([cli, *args, "--port", pty, "--address", "1"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elapsed = time.monotonic() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
    finally:
        proc.terminate()
        proc.wait()
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(args)} failed with status {done.returncode}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return elapsed, cpu, wire_bytes(log)


def main():
    build_tree("native", "kv310r-cli", "kv310r-sim")
    cli = tree("native", "cli/kv310r-cli")
    sim = tree("native", "sim/kv310r-sim")
    with tempfile.TemporaryDirectory() as work:
        param_file = os.path.join(work, "set.ini")
        subprocess.run([cli, "new", param_file], check=True)
        cases = [
            ("read parameter set", ["read", os.path.join(work, "read.ini")], DRAIN_S),
            ("write parameter set", ["write", param_file], DRAIN_S),
            ("scope capture", ["scope", "-o", os.path.join(work, "capture.csv")], 0.0),
        ]
        print(f"{'operation':<22}{'wire bytes':>11}{'floor s':>9}{'elapsed s':>11}{'ratio':>7}{'CPU s':>8}{'CPU %':>7}")
        for name, args, drain in cases:
            elapsed, cpu, nbytes = run(cli, sim, args, work)
            floor = nbytes / BYTES_PER_SECOND + drain
            print(f"{name:<22}{nbytes:>11}{floor:>9.3f}{elapsed:>11.3f}{elapsed / floor:>7.2f}"
                  f"{cpu:>8.3f}{100 * cpu / elapsed:>7.1f}")


if __name__ == "__main__":
    main()

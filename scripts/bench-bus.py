#!/usr/bin/env python3
"""Bus benchmark: kv310r-cli against a bus of virtual dimmers (kv310r-sim
--address LIST --pace, 38400 baud 8N2, 11 bits a byte, about 3491 bytes/s).

scan: all 255 addresses with 8 dimmers present. The floor is the bytes on the
wire at line rate plus one wait per empty address (the scan's time-out, 50 ms
unless given); the ratio must stay at or below 1.10.

write: one parameter set to 16 dimmers against 16 times the write to one; the
ratio must stay at or below 1.05 (nothing per dimmer beyond the drain before
its transfer).

Both programs come from build/native (built first). Exit status 1 when a
ratio is above its limit.

    scripts/bench-bus.py [--timeout MS]"""
import os
import subprocess
import sys
import tempfile
import time

from kvscripts import build_tree, tree

BYTES_PER_SECOND = 38400 / 11
PRESENT = "1,17,40,77,128,160,200,255"


def wire_bytes(log_path):
    total = 0
    with open(log_path) as log:
        for line in log:
            parts = line.split()
            if parts and parts[0] in ("RX", "TX"):
                total += len(parts) - 1
    return total


def run(cli, sim, sim_args, cli_args, work):
    """Elapsed seconds and wire bytes of one kv310r-cli call against a fresh bus."""
    log = os.path.join(work, "traffic.txt")
    if os.path.exists(log):
        os.remove(log)
    proc = subprocess.Popen([sim, "--pace", "--log", log, "--exit-after", "600", *sim_args],
                            stdout=subprocess.PIPE, text=True)
    try:
        pty = proc.stdout.readline().strip()
        start = time.monotonic()
        done = subprocess.run([cli, *cli_args, "--port", pty], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
        elapsed = time.monotonic() - start
    finally:
        proc.terminate()
        proc.wait()
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(cli_args)} failed with status {done.returncode}")
    return elapsed, wire_bytes(log)


def main():
    timeout_ms = 50
    if len(sys.argv) == 3 and sys.argv[1] == "--timeout":
        timeout_ms = int(sys.argv[2])
    build_tree("native", "kv310r-cli", "kv310r-sim")
    cli = tree("native", "cli/kv310r-cli")
    sim = tree("native", "sim/kv310r-sim")
    print(f"load: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} {os.getloadavg()[2]:.2f}")
    ok = True
    with tempfile.TemporaryDirectory() as work:
        elapsed, nbytes = run(cli, sim, ["--address", PRESENT],
                              ["scan", "--address", "1-255", "--timeout", str(timeout_ms)], work)
        empty = 255 - len(PRESENT.split(","))
        floor = nbytes / BYTES_PER_SECOND + empty * timeout_ms / 1000
        ratio = elapsed / floor
        ok = ok and ratio <= 1.10
        print(f"scan 255 addresses, 8 dimmers: wire bytes {nbytes}, floor {floor:.3f} s, "
              f"elapsed {elapsed:.3f} s, ratio {ratio:.3f} (limit 1.10)")

        param_file = os.path.join(work, "set.ini")
        subprocess.run([cli, "new", param_file], check=True, stdout=subprocess.DEVNULL)
        one, _ = run(cli, sim, ["--address", "1"], ["write", param_file, "--address", "1"], work)
        sixteen, _ = run(cli, sim, ["--address", "1-16"], ["write", param_file, "--address", "1-16"], work)
        ratio = sixteen / (16 * one)
        ok = ok and ratio <= 1.05
        print(f"write one set to 16 dimmers: one {one:.3f} s, sixteen {sixteen:.3f} s, "
              f"ratio to 16 x one {ratio:.3f} (limit 1.05)")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())

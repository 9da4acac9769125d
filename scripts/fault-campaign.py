#!/usr/bin/env python3
"""Fault campaign: every device operation against a virtual dimmer (kv310r-sim,
line paced at 38400 baud) with each of its faults, in kv310r-cli and, for
reading and writing the parameter set, the status page and a capture on the
oscilloscope page, in the Windows program under Wine.

Prints a Markdown table: for each fault and operation the outcome (completed
with the right result, or the message the program gave), the seconds until
the operation ended, and whether the record and the files stayed as they were
when it failed. A cell that took longer than the operation's time-outs allow,
crashed, completed with a wrong result or touched a file on failure is marked
FAULT, and the script exits with status 1.

Builds what it needs in build/native (and build/win for the Windows program;
--no-wine leaves that out):

    scripts/fault-campaign.py [--no-wine]"""
import os
import subprocess
import sys
import tempfile
import time

from kvscripts import ROOT, build_tree, tree, wine_environment

SIM = tree("native", "sim/kv310r-sim")
CLI = tree("native", "cli/kv310r-cli")
FAULT_CELL = tree("win", "tests/bench/fault_cell.exe")
LINK_ERROR = "Kommunikation mit KV-310-R ist fehlerhaft"
PORT_ERROR = "Kommunikationsport ist nicht geeignet"
NO_ANSWER = "Keine Antwort von Adresse 1 an COM5"

# The program's own waits: 500 ms drain before a parameter transfer or a
# status fetch, 1 s for a version or status reply, 5 s for each reset or
# block reply: a failed operation must end within the sum of the waits it can
# run into. The scope capture retries lost replies and gives up after 10 s
# without an answer: it must end within 10 s of the dimmer's last reply.
OPERATIONS = [
    # name, bound in seconds, frames answered before the dimmer vanishes
    ("read", 0.5 + 8 * 5.0, 3),
    ("write", 0.5 + 9 * 5.0, 3),
    ("firmware query", 1.0, 0),
    ("status poll", 0.5 + 1.0, 0),
    ("scope capture", 10.0, 2),
]
SCOPE_SILENCE_S = 10.0  # the scope capture retries; it gives up 10 s after the last reply
# The Windows program: the parameter transfers, and its two measuring pages.
# The status page has an outcome once a status fills it or it shows why not
# (nobody answered ten requests, a second; or the port failed). The
# oscilloscope page asks again without end while the dimmer does not answer
# (the technician sees the progress stay at 0 and stops it): a capture that
# neither completes nor ends in a message within 20 s is "retrying".
WINE_OPERATIONS = [
    ("read", 0.5 + 8 * 5.0, 3),
    ("write", 0.5 + 9 * 5.0, 3),
    ("status page", 0.1 + 1.0 + 0.4, 0),
    ("scope page", 20.0, 2),
]
WINE_COMMANDS = {"read": "read", "write": "write", "status page": "status", "scope page": "scope"}
WINE_SUCCESS = {"read": "Dimmerparameter wurden zum PC übertragen",
                "write": "PC-Parameter wurden im Dimmer abgespeichert",
                "status page": "shown", "scope page": "complete"}
SLACK_S = 1.0  # process start and scheduling on a loaded machine

FAULTS = [
    ("none", []),
    ("silent dimmer", ["--silent"]),
    ("1 % corrupted bytes", ["--corrupt-rate", "0.01"]),
    ("1 % dropped bytes", ["--drop-rate", "0.01"]),
    ("noise between frames", ["--noise-between", "16"]),
    ("wrong sub-address", ["--wrong-subaddress"]),
    ("short replies", ["--short-payload"]),
    ("vanishes mid-transfer", None),  # --vanish-after, per operation
]


def fault_args(fault, vanish_after):
    return ["--vanish-after", str(vanish_after)] if fault is None else fault


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def make_set(path):
    """A parameter file that differs from the dimmer's factory set, so a
    completed read changes the record and a completed write the dimmer."""
    subprocess.run([CLI, "new", path], check=True, stdout=subprocess.DEVNULL)
    with open(path, "rb") as f:
        text = f.read()
    with open(path, "wb") as f:
        f.write(text.replace(b"\r\nd1_K_8=60\r\n", b"\r\nd1_K_8=45\r\n"))


def folder_state(folder):
    return {name: read_bytes(os.path.join(folder, name)) for name in sorted(os.listdir(folder))}


class Cell:
    def __init__(self, outcome, seconds, bound, files, fault_found=""):
        self.outcome, self.seconds, self.bound, self.files = outcome, seconds, bound, files
        self.fault_found = fault_found

    def text(self):
        mark = f" **FAULT: {self.fault_found}**" if self.fault_found else ""
        files = f", {self.files}" if self.files else ""
        return f"{self.outcome}, {self.seconds:.2f} s{files}{mark}"


def cli_cell(operation, bound, sim_args, work, baseline):
    """One operation of kv310r-cli, and its result for comparison; baseline
    holds the fault-free results (None while they are made)."""
    folder = tempfile.mkdtemp(dir=work)
    set_file = os.path.join(folder, "set.ini")
    make_set(set_file)
    # A file the operation may replace holds something else first, so a
    # change on failure shows.
    target = {"read": os.path.join(folder, "read.ini"), "scope capture": os.path.join(folder, "capture.csv")}
    if operation in target:
        with open(target[operation], "wb") as f:
            f.write(b"; what was here before\r\n")
    args = {
        "read": ["read", target.get("read", "")],
        "write": ["write", set_file],
        "firmware query": ["version"],
        "status poll": ["status"],
        "scope capture": ["scope", "-o", target.get("scope capture", "")],
    }[operation]
    store = os.path.join(work, os.path.basename(folder) + "-store.ini")
    log = os.path.join(work, os.path.basename(folder) + "-traffic.txt")
    before = folder_state(folder)
    sim = subprocess.Popen([SIM, "--pace", "--seed", "1", "--exit-after", "300", "--save", store, "--log", log,
                            *sim_args], stdout=subprocess.PIPE, text=True)
    try:
        pty = sim.stdout.readline().strip()
        start = time.monotonic()
        client = subprocess.Popen([CLI, *args, "--port", pty, "--address", "1"], stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
        # The time of the dimmer's last reply, from its traffic log: the scope
        # capture retries and may take long, but must end soon after the
        # dimmer stops answering.
        last_reply, replies = start, 0
        while client.poll() is None and time.monotonic() - start < 2 * bound + 10:
            time.sleep(0.05)
            count = sum(1 for line in open(log) if line.startswith("TX")) if os.path.exists(log) else 0
            if count != replies:
                replies, last_reply = count, time.monotonic()
        if client.poll() is None:
            client.kill()
            returncode = None
        else:
            returncode = client.returncode
        seconds = time.monotonic() - start
        silence = time.monotonic() - last_reply
        out, err = client.communicate()
    finally:
        sim.terminate()
        sim.wait()
    after = folder_state(folder)

    if returncode is None:
        return Cell("did not end", seconds, bound, "", "hang"), None
    if returncode not in (0, 1):
        return Cell(f"exit status {returncode}", seconds, bound, "", "crash"), None
    result = {
        "read": read_bytes(target.get("read", "")),
        "write": read_bytes(store),
        "firmware query": out.encode(),
        "status poll": str(len(out.splitlines())).encode(),
        "scope capture": str(len((read_bytes(target.get("scope capture", "")) or b"").splitlines())).encode(),
    }[operation]
    fault_found = ""
    if operation == "scope capture" and silence > SCOPE_SILENCE_S + SLACK_S:
        fault_found = f"went on {silence:.1f} s after the last reply"
    if operation != "scope capture" and seconds > bound + SLACK_S:
        fault_found = f"longer than the {bound:.1f} s of time-outs"
    if returncode == 0:
        if baseline is not None and result != baseline.get(operation):
            fault_found = "completed with a wrong result"
        return Cell("completed", seconds, bound, "", fault_found), result
    message = err.strip().splitlines()[-1] if err.strip() else "(no message)"
    if after != before:
        fault_found = fault_found or "a file changed on failure"
    files = "files unchanged" if after == before else "FILES CHANGED"
    return Cell(message, seconds, bound, files, fault_found), None


def wine_cell(operation, bound, sim_args, work, baseline):
    """One operation of the Windows program under Wine (tests/bench/fault_cell_win.cpp)."""
    folder = tempfile.mkdtemp(dir=work)
    set_file = os.path.join(folder, "set.ini")
    make_set(set_file)
    store = os.path.join(work, os.path.basename(folder) + "-store.ini")
    windows_folder = "Z:" + folder.replace("/", "\\")
    command = [os.path.join(ROOT, "scripts/with-sim-com.sh"), SIM, "COM5", "--pace", "--seed", "1", "--save", store,
               *sim_args,
               "--", os.path.join(ROOT, "scripts/wine-gui-run.sh"), FAULT_CELL,
               WINE_COMMANDS[operation], windows_folder]
    try:
        done = subprocess.run(command, capture_output=True, text=True, env=wine_environment("gui"),
                              timeout=2 * bound + 60)
    except subprocess.TimeoutExpired:
        return Cell("did not end", 2 * bound + 60, bound, "", "hang")
    lines = [l for l in done.stdout.replace("\r", "").splitlines() if l.count("\t") == 3]
    if not lines:
        return Cell(f"no result (status {done.returncode})", 0, bound, "", "crash")
    message, seconds, record, files = lines[-1].split("\t")
    seconds = float(seconds)
    completed = message == WINE_SUCCESS[operation]
    fault_found = ""
    if seconds > bound + SLACK_S:
        fault_found = f"longer than the {bound:.1f} s of time-outs"
    if not completed and record == "changed":
        fault_found = "the record changed on failure"
    if files == "changed":
        fault_found = "a file changed"
    if completed:
        # A read replaces the record with the dimmer's set; a write leaves the
        # dimmer holding what the fault-free write left there.
        right = {"read": record == "changed", "write": read_bytes(store) == baseline.get("write")}.get(operation, True)
        if not right:
            fault_found = "completed with a wrong result"
        return Cell("completed", seconds, bound, "", fault_found)
    if message == "retrying":
        message = "retrying, no message"
    return Cell(message, seconds, bound, f"record {record}, files {files}", fault_found)


def build(wine):
    build_tree("native", "kv310r-cli", "kv310r-sim")
    if wine:
        build_tree("win", "fault_cell")


def main():
    wine = "--no-wine" not in sys.argv
    build(wine)
    columns = [(op, bound, vanish, "kv310r-cli") for op, bound, vanish in OPERATIONS]
    if wine:
        columns += [(op, bound, vanish, "kv310r.exe") for op, bound, vanish in WINE_OPERATIONS]
    faults_found = []
    rows = []
    with tempfile.TemporaryDirectory() as work:
        baseline = {}
        for fault_name, fault in FAULTS:
            cells = []
            for operation, bound, vanish, program in columns:
                args = fault_args(fault, vanish)
                if program == "kv310r-cli":
                    cell, result = cli_cell(operation, bound, args, work, baseline if fault_name != "none" else None)
                    if fault_name == "none":
                        baseline[operation] = result
                else:
                    cell = wine_cell(operation, bound, args, work, baseline)
                if fault_name == "none" and cell.outcome != "completed":
                    cell.fault_found = cell.fault_found or "fails without a fault"
                if cell.fault_found:
                    faults_found.append(f"{fault_name} / {operation} ({program}): {cell.fault_found}")
                cells.append(cell)
                print(f"{fault_name:<24}{program:<12}{operation:<16}{cell.text()}", file=sys.stderr, flush=True)
            rows.append((fault_name, cells))

    header = [f"{op} ({program})" for op, _, _, program in columns]
    print("| fault | " + " | ".join(header) + " |")
    print("|---" * (len(header) + 1) + "|")
    for fault_name, cells in rows:
        texts = [c.text().replace(LINK_ERROR, "E").replace(PORT_ERROR, "P").replace(NO_ANSWER, "N") for c in cells]
        print(f"| {fault_name} | " + " | ".join(texts) + " |")
    print()
    print(f'E: "{LINK_ERROR}". P: "{PORT_ERROR}". N (the status page, no box): "{NO_ANSWER}". Time-outs allow: '
          + ", ".join(f"{op} {bound:.1f} s" for op, bound, _ in OPERATIONS if op != "scope capture")
          + f", scope capture {SCOPE_SILENCE_S:.0f} s after the dimmer's last reply"
          + (", status page (kv310r.exe) 1.5 s" if wine else "")
          + ". The dimmer vanishes (its line closed, as when the adapter is pulled) after "
          + ", ".join(f"{op} {vanish}" for op, _, vanish in OPERATIONS)
          + (", status page 0, scope page 2" if wine else "") + " answered frames.")
    with open("/proc/loadavg") as f:
        print(f"Load average at the end: {' '.join(f.read().split()[:3])} ({os.cpu_count()} cores).")
    if faults_found:
        print()
        print("Faults found:")
        for f in faults_found:
            print(f"- {f}")
    return 1 if faults_found else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks the Windows download as a technician gets it.

    check_package.py ZIP VERSION_TEXT VERSION_PROBE_EXE

The zip holds exactly kv310r.exe, kv310r-cli.exe, LIESMICH.txt and
ANLEITUNG.txt; both guides are UTF-8 with a byte order mark and CR LF line
ends, the short one names this version and points to the long one;
unpacked into a fresh folder, kv310r-cli.exe reports its version, both
executables carry the version resource Explorer shows, and kv310r.exe comes
up with its main window under Wine and keeps its settings file beside itself.
Prints one line per failed check; exit status 1 when there is any.
"""
import os
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPTS = os.path.join(HERE, "..", "..", "scripts")
PRODUCT = "KV-310-R PC-Testprogramm"
NAMES = ["ANLEITUNG.txt", "LIESMICH.txt", "kv310r-cli.exe", "kv310r.exe"]

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def wine(script, *args):
    """Runs a Windows program under Wine; its stdout, or None when it failed."""
    run = subprocess.run([os.path.join(SCRIPTS, script), *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         timeout=300)
    if run.returncode != 0:
        failures.append(f"{' '.join(args)}: exit status {run.returncode}: {run.stderr.decode(errors='replace')}")
        return None
    return run.stdout.decode("utf-8")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def probe(probe_exe, exe, *more):
    out = wine("wine-gui-run.sh" if more else "wine-run.sh", probe_exe, windows_path(exe), *more)
    return dict(line.split("=", 1) for line in (out or "").splitlines() if "=" in line)


def check_guide(name, data, parts):
    check(data.startswith(b"\xef\xbb\xbf"), f"{name}: no UTF-8 byte order mark")
    check(data.count(b"\n") == data.count(b"\r\n") > 0, f"{name}: line ends are not CR LF")
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError:
        return check(False, f"{name}: not UTF-8")
    for part in parts:
        check(part in text, f"{name}: \"{part}\" missing")


def main(zip_path, version_text, probe_exe):
    numbers = (version_text.split()[0].split(".") + ["0", "0", "0"])[:4]
    with zipfile.ZipFile(zip_path) as archive, tempfile.TemporaryDirectory() as folder:
        if not check(sorted(archive.namelist()) == NAMES, f"zip holds {sorted(archive.namelist())}, not {NAMES}"):
            return
        check_guide("LIESMICH.txt", archive.read("LIESMICH.txt"),
                    [f"Version {version_text}", "Kv310r.ini", "Hardwareanschluss", "kv310r-cli read", "Beispiel 1",
                     "Beispiel 2", "für", "ANLEITUNG.txt"])
        check_guide("ANLEITUNG.txt", archive.read("ANLEITUNG.txt"),
                    ["Verkabelung", "Erste Verbindung", "Meldungen", "Kommunikation mit KV-310-R ist fehlerhaft"])
        archive.extractall(folder)

        cli = os.path.join(folder, "kv310r-cli.exe")
        out = wine("wine-run.sh", windows_path(cli), "--version")
        check(out is None or out == f"kv310r-cli {version_text}\n", f"kv310r-cli --version printed {out!r}")

        for name in ["kv310r.exe", "kv310r-cli.exe"]:
            info = probe(probe_exe, os.path.join(folder, name))
            expected = {"ProductName": PRODUCT, "ProductVersion": version_text, "FileVersion": version_text,
                        "OriginalFilename": name, "Numbers": ".".join(numbers)}
            for key, value in expected.items():
                check(info.get(key) == value, f"{name}: {key} is {info.get(key)!r}, not {value!r}")
            check("KV-310-R" in info.get("FileDescription", ""), f"{name}: no description")

        program = os.path.join(folder, "kv310r.exe")
        info = probe(probe_exe, program, "--start")
        check(info.get("Window", "").startswith(PRODUCT), f"kv310r.exe showed window {info.get('Window')!r}")
        check(os.path.exists(os.path.join(folder, "Kv310r.ini")), "kv310r.exe kept no Kv310r.ini beside itself")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    main(*sys.argv[1:])
    for failure in failures:
        print(failure)
    print("package: " + ("ok" if not failures else f"{len(failures)} problem(s)"))
    sys.exit(1 if failures else 0)

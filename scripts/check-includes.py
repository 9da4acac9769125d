#!/usr/bin/env python3
"""Checks that includes point down the layers and that Win32 stays in its place.

Layers, from the ground up: base and port (side by side), params, link,
measure, win (with res). A file may include its own folder and the layers
below it, never one above or beside. The programs (cli, sim) and the tests
sit on top of what they use: cli and sim never include win, the tests of a
layer never include a layer above it. Every file that includes <windows.h>
ends in _win.cpp or _win.h and lives in win/, port/, the Windows half of a
program (cli/) or the Windows tests.
Exit status 1 with one line per offence.
"""
import os
import re
import sys

RANK = {"base": 0, "port": 0, "params": 1, "link": 2, "measure": 3, "win": 4, "res": 4}
# What each program folder may include at most.
PROGRAM_CEILING = {"cli": 3, "sim": 2}
SOURCE = (".cpp", ".h")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
WINDOWS_PLACES = ("win/", "port/", "cli/", "tests/win/", "tests/bench/", "tests/soak/", "tests/base/", "tests/cli/", "tests/package/")


def allowed(path, target):
    parts = path.split("/")
    folder = parts[0]
    tfolder = target.split("/")[0]
    if "/" not in target:
        return folder == "res" or path.startswith("res/")  # the resource script's own headers
    if folder in RANK:
        if tfolder not in RANK:
            return False
        if tfolder == folder or (folder == "win" and tfolder == "res") or (folder == "res" and tfolder == "win"):
            return True
        return RANK[tfolder] < RANK[folder]
    if folder in PROGRAM_CEILING:
        return tfolder == folder or (tfolder in RANK and RANK[tfolder] <= PROGRAM_CEILING[folder])
    if folder == "tests":
        if tfolder == "tests":
            return True
        layer = parts[1] if len(parts) > 2 else ""
        if layer in RANK:
            return tfolder in RANK and RANK[tfolder] <= RANK[layer] and (tfolder != "port" or layer != "base")
        return True  # tests of the programs and the support doubles may use any layer
    return True


def main(root):
    bad = []
    for top in sorted(set(RANK) | set(PROGRAM_CEILING) | {"tests"}):
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith(SOURCE):
                    continue
                full = os.path.join(dirpath, name)
                path = os.path.relpath(full, root).replace(os.sep, "/")
                with open(full, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind, target = m.groups()
                        if kind == "<":
                            if target.lower() == "windows.h":
                                stem = os.path.splitext(name)[0]
                                if not stem.endswith("_win") or not path.startswith(WINDOWS_PLACES):
                                    bad.append(f"{path}:{number}: <windows.h> outside a _win file of win/, port/, cli/ or the Windows tests")
                            continue
                        if not allowed(path, target):
                            bad.append(f"{path}:{number}: includes {target} against the layer order")
    for line in bad:
        print(line)
    if not bad:
        print("includes: every include points down the layers")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))

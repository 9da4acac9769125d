#!/usr/bin/env python3
"""Writes the Windows download: one zip with both programs and the guides.

    make-package.py ZIP VERSION_TEXT EXE... --text NAME=SOURCE... [--strip TOOL]

The executables go in stripped of symbols and debug sections (when a strip tool is
given); each text (LIESMICH.txt, ANLEITUNG.txt) goes in as NAME in UTF-8 with a
byte order mark and CR LF line ends, so every Notepad shows its umlauts, with
"@VERSION@" replaced. Every entry carries the same fixed time stamp, so the same inputs
give the same zip.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

STAMP = (2017, 2, 15, 0, 0, 0)


def add(archive, name, data, executable=False):
    info = zipfile.ZipInfo(name, STAMP)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = (0o755 if executable else 0o644) << 16
    archive.writestr(info, data)


def notepad_text(source, version_text):
    with open(source, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version_text)
    return ("\ufeff" + text.replace("\r\n", "\n").replace("\n", "\r\n")).encode("utf-8")


def main(argv):
    strip = None
    texts = []
    rest = []
    while argv:
        arg = argv.pop(0)
        if arg in ("--strip", "--text") and argv:
            value = argv.pop(0)
            if arg == "--strip":
                strip = value or None
            elif "=" in value:
                texts.append(value.split("=", 1))
            else:
                rest = []
                break
        else:
            rest.append(arg)
    if len(rest) < 3 or not texts:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    zip_path, version_text, exes = rest[0], rest[1], rest[2:]

    os.makedirs(os.path.dirname(os.path.abspath(zip_path)), exist_ok=True)
    partial = zip_path + ".part"
    with tempfile.TemporaryDirectory() as work, zipfile.ZipFile(partial, "w") as archive:
        for exe in exes:
            copy = os.path.join(work, os.path.basename(exe))
            shutil.copyfile(exe, copy)
            if strip:
                subprocess.run([strip, "--strip-all", copy], check=True)
            with open(copy, "rb") as f:
                add(archive, os.path.basename(exe), f.read(), executable=True)
        for name, source in texts:
            add(archive, name, notepad_text(source, version_text))
    os.replace(partial, zip_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

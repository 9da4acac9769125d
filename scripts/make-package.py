#!/usr/bin/env python3
"""Writes the Windows download: one zip with both programs and the guide.

    make-package.py ZIP VERSION_TEXT GUIDE EXE... [--strip TOOL]

The executables go in stripped of symbols and debug sections (when a strip tool is
given); the guide becomes LIESMICH.txt in UTF-8 with a byte order mark and
CR LF line ends, so every Notepad shows its umlauts, with "@VERSION@"
replaced. Every entry carries the same fixed time stamp, so the same inputs
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


def main(argv):
    strip = None
    if "--strip" in argv:
        at = argv.index("--strip")
        strip = argv[at + 1] or None
        del argv[at:at + 2]
    if len(argv) < 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    zip_path, version_text, guide, exes = argv[0], argv[1], argv[2], argv[3:]

    with open(guide, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version_text)
    text = "\ufeff" + text.replace("\r\n", "\n").replace("\n", "\r\n")

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
        add(archive, "LIESMICH.txt", text.encode("utf-8"))
    os.replace(partial, zip_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

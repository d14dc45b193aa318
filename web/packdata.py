#!/usr/bin/env python3
"""Packs the data tree for the page: exactly the files the data generator listed, nothing else that may
since have been put into its folder (an F12 screenshot, notes).

    packdata.py PACKAGER DATADIR LIST OUT.data OUT.js
"""
import os
import subprocess
import sys


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__.strip())
    packager, datadir, listfile, out, js = sys.argv[1:]
    try:
        with open(listfile, encoding="utf-8") as f:
            names = [line.strip() for line in f if line.strip()]
    except OSError as e:
        sys.exit(f"packdata: {listfile}: {e.strerror}")
    if not names:
        sys.exit(f"packdata: {listfile}: lists no files")
    args = ["python3", packager, out]
    for name in names:
        path = os.path.join(datadir, name)
        if not os.path.isfile(path):
            sys.exit(f"packdata: {path}: listed in {listfile} but not there")
        args += ["--preload", f"{path}@/data/{name}"]
    args += [f"--js-output={js}", "--no-node"]
    sys.exit(subprocess.call(args))


if __name__ == "__main__":
    main()

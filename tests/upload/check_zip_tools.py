#!/usr/bin/env python3
"""Checks the archives that zip_archive_test left behind with the real tools.

    check_zip_tools.py DIR

DIR/archives.txt names one archive a line: archive, folder, password
(tab-separated, paths relative to DIR, password empty for none). Each archive
must pass `unzip -t`, list its names right under a UTF-8 locale, pass
zipfile's testzip, hold exactly the folder's tree (the names `zip -r` gives
it) and give back every file's bytes and time.
"""
import os
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib


def tree_names(folder):
    """Entry names for folder relative to its parent: folders end in "/"."""
    parent = os.path.dirname(folder)
    names = {os.path.relpath(folder, parent) + "/"}
    for top, dirs, files in os.walk(folder):
        rel = os.path.relpath(top, parent)
        names.update(f"{rel}/{d}/" for d in dirs)
        names.update(f"{rel}/{f}" for f in files)
    return names


def names_of_zip_r(folder):
    """What Info-ZIP's zip -r stores for the same folder (raw UTF-8 bytes)."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "ref.zip")
        subprocess.run(["zip", "-r", "-q", out, os.path.basename(folder)],
                       cwd=os.path.dirname(folder), check=True)
        with zipfile.ZipFile(out) as ref:
            return {i.filename if i.flag_bits & 0x800
                    else i.filename.encode("cp437").decode("utf-8")
                    for i in ref.infolist()}


def dos_time_matches(info, path):
    # DOS times have two-second steps and are local time.
    stamp = time.mktime(info.date_time + (0, 0, -1))
    return abs(stamp - os.stat(path).st_mtime) < 2.01


def check(archive, folder, password):
    problems = []
    pw = ["-P", password] if password else []
    tested = subprocess.run(["unzip", "-t"] + pw + [archive], capture_output=True)
    if tested.returncode != 0:
        problems.append(f"unzip -t exit {tested.returncode}: {tested.stdout[-500:]!r}")
    env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    listed = subprocess.run(["unzip", "-Z1", archive], capture_output=True, env=env)
    unzip_names = set(listed.stdout.decode("utf-8", "replace").splitlines())

    expected = tree_names(folder)
    if names_of_zip_r(folder) != expected:
        problems.append("zip -r stores other names than the tree walk")
    try:
        problems += check_with_zipfile(archive, folder, password, expected, unzip_names)
    except (OSError, RuntimeError, zipfile.BadZipFile, zlib.error) as e:
        problems.append(f"zipfile: {e}")
    return problems


def check_with_zipfile(archive, folder, password, expected, unzip_names):
    problems = []
    parent = os.path.dirname(folder)
    with zipfile.ZipFile(archive) as z:
        if password:
            z.setpassword(password.encode())
        infos = z.infolist()
        names = [i.filename for i in infos]
        if set(names) != expected or len(names) != len(expected):
            problems.append(f"names {sorted(names)} != {sorted(expected)}")
        if unzip_names != set(names):
            problems.append(f"unzip -Z1 shows {sorted(unzip_names)}")
        bad = z.testzip()
        if bad is not None:
            problems.append(f"testzip: bad entry {bad}")
        for info in infos:
            path = os.path.join(parent, *info.filename.rstrip("/").split("/"))
            if not info.flag_bits & 0x800:
                problems.append(f"{info.filename}: no UTF-8 flag")
            if bool(info.flag_bits & 1) != (bool(password) and not info.is_dir()):
                problems.append(f"{info.filename}: encryption flag {info.flag_bits & 1}")
            if not os.path.exists(path):
                continue  # reported with the names
            if not dos_time_matches(info, path):
                problems.append(f"{info.filename}: time {info.date_time}")
            if info.is_dir() != os.path.isdir(path):
                problems.append(f"{info.filename}: folder entry for a file or back")
            elif not info.is_dir():
                with open(path, "rb") as f:
                    if z.read(info) != f.read():
                        problems.append(f"{info.filename}: contents differ")
    return problems


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    manifest = os.path.join(root, "archives.txt")
    if not os.path.isfile(manifest):
        sys.exit(f"no {manifest}: did zip_archive_test run with LIFTORN_ZIP_OUT?")
    failed = 0
    checked = 0
    with open(manifest, encoding="utf-8") as lines:
        for line in lines:
            if not line.strip():
                continue
            archive, folder, password = line.rstrip("\n").split("\t")
            archive = os.path.join(root, archive)
            problems = check(archive, os.path.join(root, folder), password)
            checked += 1
            print(f"{'FAIL' if problems else 'ok  '} {archive}")
            for p in problems:
                print(f"     {p}")
            failed += bool(problems)
    if checked == 0:
        sys.exit("archives.txt lists no archive")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()

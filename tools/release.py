#!/usr/bin/env python3
"""Release files of vantorel liftorn: the portable zip, SHA256SUMS and the
signed update manifest, and the updater's compiled-in public key. Python 3
standard library plus the openssl command (Ed25519 keys in PEM files).

  release.py keygen --out KEY.pem
  release.py public-key --key KEY.pem --out release_key.cpp
  release.py zip --stage DIR --top "vantorel liftorn" --out PORTABLE.zip
  release.py dist --key KEY.pem --version V --setup SETUP.exe --zip PORTABLE.zip --out DIR

The manifest (see src/updater/update_manifest.h for the reader):

  vantorel liftorn update
  version 1.2.6
  installer vantorel-liftorn-1.2.6-setup.exe
  size 8123456
  sha256 <64 hex digits>
  signature <128 hex digits>

The signature is Ed25519 over the first five lines, each ending in LF.
"""

import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

FIRST_LINE = "vantorel liftorn update"
VERSION = re.compile(r"^(0|[1-9][0-9]{0,4})\.(0|[1-9][0-9]{0,4})\.(0|[1-9][0-9]{0,4})$")
# Zip entries carry this date, so the same files make the same archive.
ZIP_DATE = (2020, 1, 1, 0, 0, 0)


class ReleaseError(Exception):
    pass


def _openssl(*args, data=None):
    try:
        done = subprocess.run(["openssl", *args], input=data, capture_output=True, check=False)
    except OSError as error:
        raise ReleaseError("cannot run openssl: %s" % error)
    if done.returncode != 0:
        raise ReleaseError("openssl %s failed: %s" % (args[0], done.stderr.decode(errors="replace").strip()))
    return done.stdout


def check_version(version):
    match = VERSION.match(version)
    if not match or any(int(part) > 65535 for part in match.groups()):
        raise ReleaseError("not a version of three numbers up to 65535: %r" % version)
    return version


def generate_key(path):
    """A new Ed25519 private key, readable by its owner only."""
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    old = os.umask(0o077)
    try:
        _openssl("genpkey", "-algorithm", "ed25519", "-out", path)
    finally:
        os.umask(old)


def public_key(key_path):
    """The raw 32 bytes of the key's public half."""
    der = _openssl("pkey", "-in", key_path, "-pubout", "-outform", "DER")
    if len(der) < 32:
        raise ReleaseError("%s is not an Ed25519 key" % key_path)
    return der[-32:]


def sha256_file(path):
    digest = hashlib.sha256()
    with open(path, "rb") as source:
        for block in iter(lambda: source.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def payload(version, installer, size, sha256_hex):
    return "%s\nversion %s\ninstaller %s\nsize %d\nsha256 %s\n" % (
        FIRST_LINE, check_version(version), installer, size, sha256_hex)


def sign(data, key_path):
    """Ed25519 signature of the bytes as 128 hex digits."""
    with tempfile.NamedTemporaryFile(delete=False) as message:
        message.write(data)
    try:
        signature = _openssl("pkeyutl", "-sign", "-rawin", "-inkey", key_path, "-in", message.name)
    finally:
        os.unlink(message.name)
    if len(signature) != 64:
        raise ReleaseError("unexpected signature length %d" % len(signature))
    return signature.hex()


def manifest_text(version, installer, size, sha256_hex, key_path):
    body = payload(version, installer, size, sha256_hex)
    return body + "signature %s\n" % sign(body.encode("ascii"), key_path)


def manifest_for(installer_path, version, key_path, installer_field=None):
    """The signed manifest of an installer file, naming it by its own file
    name (it is published beside the manifest) unless told otherwise."""
    field = installer_field or os.path.basename(installer_path)
    return manifest_text(version, field, os.path.getsize(installer_path), sha256_file(installer_path),
                         key_path)


def write_key_source(key_path, out_path):
    key = public_key(key_path)
    lines = ["// Generated from the public half of %s; never edit." % os.path.basename(key_path),
             '#include "updater/release_key.h"',
             "",
             "const unsigned char kReleasePublicKey[kReleaseKeyBytes] = {"]
    for at in range(0, 32, 8):
        lines.append("    " + ", ".join("0x%02x" % b for b in key[at:at + 8]) + ",")
    lines.append("};")
    text = "\n".join(lines) + "\n"
    # Left alone when unchanged, so the updater is not rebuilt for nothing.
    try:
        with open(out_path, encoding="utf-8") as old:
            if old.read() == text:
                return
    except OSError:
        pass
    with open(out_path, "w", encoding="utf-8") as out:
        out.write(text)


def write_zip(stage, top, out_path):
    """Every file below `stage`, under the folder `top`, in name order."""
    files = []
    for folder, subfolders, names in os.walk(stage):
        subfolders.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            files.append((os.path.relpath(path, stage).replace(os.sep, "/"), path))
    if not files:
        raise ReleaseError("nothing to pack in %s" % stage)
    partial = out_path + ".partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for relative, path in sorted(files):
            entry = zipfile.ZipInfo("%s/%s" % (top, relative), ZIP_DATE)
            entry.external_attr = 0o644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(entry, source.read())
    os.replace(partial, out_path)


def write_dist(key_path, version, setup, portable, out_dir):
    """The download folder: both packages, SHA256SUMS and update_manifest."""
    os.makedirs(out_dir, exist_ok=True)
    copied = []
    for source in (setup, portable):
        target = os.path.join(out_dir, os.path.basename(source))
        shutil.copyfile(source, target)
        copied.append(target)
    with open(os.path.join(out_dir, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as sums:
        for path in copied:
            sums.write("%s  %s\n" % (sha256_file(path), os.path.basename(path)))
    manifest = manifest_for(copied[0], version, key_path)
    with open(os.path.join(out_dir, "update_manifest"), "w", encoding="ascii", newline="\n") as out:
        out.write(manifest)
    return copied


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    keygen = commands.add_parser("keygen")
    keygen.add_argument("--out", required=True)
    key_source = commands.add_parser("public-key")
    key_source.add_argument("--key", required=True)
    key_source.add_argument("--out", required=True)
    pack = commands.add_parser("zip")
    pack.add_argument("--stage", required=True)
    pack.add_argument("--top", required=True)
    pack.add_argument("--out", required=True)
    dist = commands.add_parser("dist")
    dist.add_argument("--key", required=True)
    dist.add_argument("--version", required=True)
    dist.add_argument("--setup", required=True)
    dist.add_argument("--zip", required=True)
    dist.add_argument("--out", required=True)
    args = parser.parse_args(argv)
    try:
        if args.command == "keygen":
            generate_key(args.out)
        elif args.command == "public-key":
            write_key_source(args.key, args.out)
        elif args.command == "zip":
            write_zip(args.stage, args.top, args.out)
        else:
            for path in write_dist(args.key, args.version, args.setup, args.zip, args.out):
                print(path)
    except (ReleaseError, OSError) as error:
        print("release: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

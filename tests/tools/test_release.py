"""Tests of the release files (tools/release.py) and of the development
service's update resources built on them. Signatures are checked with the
openssl command, independently of the code that made them.

Run: python3 -m unittest discover -s tests/tools
"""

import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))
sys.path.insert(0, str(Path(__file__).resolve().parent))

import release  # noqa: E402
from test_devservice import Service  # noqa: E402


def openssl_verifies(key_path, payload, signature_hex, folder):
    """Whether openssl accepts the signature with the key's public half."""
    public = os.path.join(folder, "public.pem")
    subprocess.run(["openssl", "pkey", "-in", key_path, "-pubout", "-out", public], check=True)
    message, signature = os.path.join(folder, "message"), os.path.join(folder, "signature")
    Path(message).write_bytes(payload)
    Path(signature).write_bytes(bytes.fromhex(signature_hex))
    done = subprocess.run(["openssl", "pkeyutl", "-verify", "-pubin", "-inkey", public, "-rawin",
                           "-in", message, "-sigfile", signature], capture_output=True)
    return done.returncode == 0


def split_manifest(text):
    """(payload bytes, signature hex) of a manifest text."""
    lines = text.split("\n")
    return ("\n".join(lines[:5]) + "\n").encode("ascii"), lines[5][len("signature "):]


class ReleaseFilesTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="release-test-")
        self.key = os.path.join(self.folder, "keys", "key.pem")
        release.generate_key(self.key)
        self.stage = os.path.join(self.folder, "stage")
        os.makedirs(os.path.join(self.stage, "skin", "toast"))
        Path(self.stage, "liftorn.exe").write_bytes(b"MZ program")
        Path(self.stage, "skin", "toast", "bg.png").write_bytes(b"\x89PNG skin")

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_key_is_private_and_its_public_half_is_raw_32_bytes(self):
        self.assertEqual(os.stat(self.key).st_mode & 0o077, 0)
        source = os.path.join(self.folder, "key.cpp")
        release.write_key_source(self.key, source)
        text = Path(source).read_text()
        listed = bytes(int(word, 16) for word in re.findall(r"0x([0-9a-f]{2})", text))
        self.assertEqual(listed, release.public_key(self.key))
        self.assertEqual(len(listed), 32)
        before = os.stat(source).st_mtime_ns
        release.write_key_source(self.key, source)  # unchanged: left alone
        self.assertEqual(os.stat(source).st_mtime_ns, before)

    def test_manifest_is_six_lines_signed_over_the_first_five(self):
        setup = os.path.join(self.folder, "vantorel-liftorn-1.2.6-setup.exe")
        Path(setup).write_bytes(b"installer bytes" * 100)
        text = release.manifest_for(setup, "1.2.6", self.key)
        lines = text.split("\n")
        self.assertEqual(lines[:5], ["vantorel liftorn update", "version 1.2.6",
                                     "installer vantorel-liftorn-1.2.6-setup.exe", "size 1500",
                                     "sha256 " + hashlib.sha256(b"installer bytes" * 100).hexdigest()])
        self.assertEqual(lines[6:], [""])
        payload, signature = split_manifest(text)
        self.assertTrue(openssl_verifies(self.key, payload, signature, self.folder))
        self.assertFalse(openssl_verifies(self.key, payload.replace(b"1.2.6", b"1.2.7", 1), signature,
                                          self.folder))
        for bad in ("1.2", "1.02.3", "1.2.3.4", "70000.0.0", " 1.2.3"):
            with self.assertRaises(release.ReleaseError, msg=bad):
                release.payload(bad, "x.exe", 1, "00" * 32)

    def test_zip_is_reproducible_and_under_one_folder(self):
        first, second = os.path.join(self.folder, "a.zip"), os.path.join(self.folder, "b.zip")
        release.write_zip(self.stage, "vantorel liftorn", first)
        release.write_zip(self.stage, "vantorel liftorn", second)
        self.assertEqual(Path(first).read_bytes(), Path(second).read_bytes())
        with zipfile.ZipFile(first) as archive:
            self.assertEqual(archive.namelist(), ["vantorel liftorn/liftorn.exe",
                                                  "vantorel liftorn/skin/toast/bg.png"])
            self.assertEqual(archive.read("vantorel liftorn/skin/toast/bg.png"), b"\x89PNG skin")

    def test_dist_folder_sums_and_manifest_agree(self):
        setup = os.path.join(self.folder, "vantorel-liftorn-1.2.5-setup.exe")
        portable = os.path.join(self.folder, "vantorel-liftorn-1.2.5-portable.zip")
        Path(setup).write_bytes(b"setup")
        release.write_zip(self.stage, "vantorel liftorn", portable)
        out = os.path.join(self.folder, "dist")
        release.write_dist(self.key, "1.2.5", setup, portable, out)
        self.assertEqual(sorted(os.listdir(out)), ["SHA256SUMS", "update_manifest",
                                                   os.path.basename(portable), os.path.basename(setup)])
        sums = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=out, capture_output=True, text=True)
        self.assertEqual(sums.returncode, 0, sums.stdout + sums.stderr)
        self.assertEqual(sums.stdout.count(": OK"), 2)
        manifest = Path(out, "update_manifest").read_text()
        self.assertIn("installer vantorel-liftorn-1.2.5-setup.exe\n", manifest)
        self.assertTrue(openssl_verifies(self.key, *split_manifest(manifest), self.folder))


class ServiceReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="release-service-")
        cls.key = os.path.join(cls.folder, "key.pem")
        release.generate_key(cls.key)
        cls.setup = os.path.join(cls.folder, "vantorel-liftorn-1.2.6-setup.exe")
        cls.body = bytes(range(256)) * 64
        Path(cls.setup).write_bytes(cls.body)
        cls.service = Service()

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def offer(self, tamper=None, version="1.2.6"):
        status, reply = self.service.control("POST", "release", {
            "version": version, "installer": self.setup, "key": self.key, "tamper": tamper})
        self.assertEqual(status, 200, reply)
        manifest = self.service.request("GET", "/update_manifest")[2].decode("ascii")
        status, _, body = self.service.request("GET", "/" + os.path.basename(self.setup))
        self.assertEqual(status, 200)
        return manifest, body

    def test_refused_orders_then_releases_with_their_tampered_variants(self):
        self.assertEqual(self.service.request("GET", "/update_manifest")[0], 404)  # nothing offered yet
        for order in ({"version": "1.2.6", "installer": self.setup},
                      {"version": "1.2", "installer": self.setup, "key": self.key},
                      {"version": "1.2.6", "installer": self.setup, "key": self.key, "tamper": "size"},
                      {"version": "1.2.6", "installer": "/no/such/file", "key": self.key}):
            self.assertEqual(self.service.control("POST", "release", order)[0], 400, order)
        manifest, body = self.offer()
        self.assertEqual(body, self.body)
        self.assertEqual(manifest, release.manifest_for(self.setup, "1.2.6", self.key))
        self.assertTrue(openssl_verifies(self.key, *split_manifest(manifest), self.folder))

        manifest, body = self.offer("installer")
        self.assertEqual(len(body), len(self.body))
        self.assertNotEqual(hashlib.sha256(body).hexdigest(), hashlib.sha256(self.body).hexdigest())
        self.assertTrue(openssl_verifies(self.key, *split_manifest(manifest), self.folder))

        manifest, body = self.offer("signature")
        self.assertEqual(body, self.body)
        self.assertFalse(openssl_verifies(self.key, *split_manifest(manifest), self.folder))

        manifest, _ = self.offer(version="1.2.4")
        self.assertIn("version 1.2.4\n", manifest)


if __name__ == "__main__":
    unittest.main()

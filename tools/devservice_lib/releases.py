"""The product site's update resources, for the updater's tests: a signed
manifest at /update_manifest (beside /latest_version) and the installer it
names, served beside it. The signature is made with a key file the test
names (never a release key), using tools/release.py.

A release is set with POST /_control/release {"version": V, "installer":
PATH, "key": PATH, "tamper": T}; T is one of
  null         the manifest and installer as they should be
  "installer"  the installer served with one byte changed (same size), so
               its SHA-256 differs from the manifest's
  "signature"  the manifest with one digit of its signature changed
"""

import os

from release import ReleaseError, check_version, manifest_for

TAMPER_MODES = (None, "installer", "signature")
MAX_INSTALLER = 256 * 1024 * 1024


class Release:
    def __init__(self, version, installer_path, key_path, tamper):
        self.name = os.path.basename(installer_path)
        self.manifest = manifest_for(installer_path, version, key_path).encode("ascii")
        with open(installer_path, "rb") as source:
            body = bytearray(source.read(MAX_INSTALLER + 1))
        if len(body) > MAX_INSTALLER:
            raise ReleaseError("installer too large")
        if tamper == "installer":
            body[len(body) // 2] ^= 0x01
        if tamper == "signature":
            at = self.manifest.index(b"signature ") + len(b"signature ")
            flipped = b"0" if self.manifest[at:at + 1] != b"0" else b"1"
            self.manifest = self.manifest[:at] + flipped + self.manifest[at + 1:]
        self.body = bytes(body)


def parse_release(order):
    """(Release, None) from a control order, or (None, reason)."""
    version, installer, key = order.get("version"), order.get("installer"), order.get("key")
    tamper = order.get("tamper")
    if not all(isinstance(value, str) for value in (version, installer, key)):
        return None, "need version, installer and key"
    if tamper not in TAMPER_MODES:
        return None, "tamper must be one of %r" % (TAMPER_MODES,)
    try:
        check_version(version)
        return Release(version, installer, key, tamper), None
    except (ReleaseError, OSError) as error:
        return None, str(error)

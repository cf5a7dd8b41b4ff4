"""What the service remembers: accounts, stored uploads, shortened links,
statistics pings, the version it announces, and the log of requests."""

import base64
import binascii
import json
import os
import re
import secrets
import threading

UPLOAD_ID = re.compile(r"^[0-9a-f]{8}$")
SHA1_HEX = re.compile(r"^[0-9a-f]{40}$")
STAT_KINDS = ("f", "d", "s")
MAX_NAME_CHARS = 120  # at most two bytes each on disk, below the usual 255


def parse_basic_auth(header):
    """(user, secret) from an 'Authorization: Basic ...' value, or None."""
    scheme, _, token = (header or "").strip().partition(" ")
    if scheme.lower() != "basic":
        return None
    try:
        decoded = base64.b64decode(token.strip(), validate=True).decode("latin-1")
    except (binascii.Error, ValueError):
        return None
    user, sep, secret = decoded.partition(":")
    return (user, secret) if sep else None


def storage_name(name):
    """The name an upload is stored and published under: no path separators,
    control characters or dot names survive."""
    cleaned = "".join("_" if ch in "/\\" or ord(ch) < 0x20 or ch == "\x7f" else ch
                      for ch in name)[:MAX_NAME_CHARS]
    return "unnamed" if cleaned in ("", ".", "..") else cleaned


class RequestLog:
    """Every served request, in memory and as one JSON line each in a file."""

    def __init__(self, path):
        self._path = path
        self._lock = threading.Lock()
        self._entries = []
        open(path, "w").close()

    def append(self, entry):
        with self._lock:
            entry["seq"] = len(self._entries) + 1
            self._entries.append(entry)
            with open(self._path, "a", encoding="utf-8") as out:
                out.write(json.dumps(entry) + "\n")

    def entries(self):
        with self._lock:
            return list(self._entries)

    def clear(self):
        with self._lock:
            self._entries.clear()
            open(self._path, "w").close()


class ServiceState:
    def __init__(self, data_dir, base_url, accounts, latest_version):
        self.data_dir = data_dir
        self.files_dir = os.path.join(data_dir, "files")
        self.tmp_dir = os.path.join(data_dir, "tmp")
        os.makedirs(self.files_dir, exist_ok=True)
        os.makedirs(self.tmp_dir, exist_ok=True)
        self.base_url = base_url.rstrip("/")
        self.log = RequestLog(os.path.join(data_dir, "requests.jsonl"))
        self._lock = threading.Lock()
        self._accounts = dict(accounts)
        self._uploads = []
        self._shortened = []
        self._stats = {kind: 0 for kind in STAT_KINDS}
        self.latest_version = latest_version
        self.release = None  # set by /_control/release

    # accounts
    def add_account(self, user, sha1_hex):
        if not SHA1_HEX.match(sha1_hex):
            return False
        with self._lock:
            self._accounts[user] = sha1_hex
        return True

    def check_auth(self, header):
        """(user or None, verdict): verdict None without a header, else whether
        the pair is a known user with exactly that password hash."""
        if header is None:
            return None, None
        pair = parse_basic_auth(header)
        if pair is None:
            return None, False
        user, secret = pair
        with self._lock:
            return user, self._accounts.get(user) == secret

    # uploads
    def new_upload_dir(self):
        """A fresh id with its empty folder under files/."""
        while True:
            upload_id = secrets.token_hex(4)
            folder = os.path.join(self.files_dir, upload_id)
            try:
                os.mkdir(folder)
                return upload_id, folder
            except FileExistsError:
                continue

    def record_upload(self, record):
        with self._lock:
            self._uploads.append(record)

    def stored_file(self, upload_id, name):
        """Path of a stored upload, or None (also for ids or names that could
        point elsewhere)."""
        if not UPLOAD_ID.match(upload_id) or storage_name(name) != name:
            return None
        path = os.path.join(self.files_dir, upload_id, name)
        return path if os.path.isfile(path) else None

    # link shorteners and statistics
    def record_short_link(self, service, long_url):
        code = secrets.token_hex(3)
        with self._lock:
            self._shortened.append({"service": service, "long_url": long_url, "code": code})
        return code

    def count_stat(self, kind):
        with self._lock:
            self._stats[kind] += 1

    def snapshot(self):
        with self._lock:
            return {"uploads": list(self._uploads), "shortened": list(self._shortened),
                    "stats": dict(self._stats), "latest_version": self.latest_version,
                    "users": sorted(self._accounts), "base_url": self.base_url}

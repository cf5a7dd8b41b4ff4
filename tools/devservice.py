#!/usr/bin/env python3
"""Local stand-in for the hosting service, its link shorteners and the product
web site, for tests and `make run`. Python 3 standard library only.

Usage:
  python3 tools/devservice.py --port 0 --data-dir DIR
      [--account USER:SHA1HEX ...] [--latest-version 1.2.6]
      [--base-url http://127.0.0.1:PORT] [--port-file FILE] [--verbose]

Binds 127.0.0.1 only. Port 0 picks a free port; the chosen port is written to
--port-file (atomically) and announced on stdout as
"listening on http://127.0.0.1:PORT". SIGTERM or SIGINT stops it (exit 0).

Resources (BASE is --base-url, by default http://127.0.0.1:PORT):
  POST /api/json            upload: multipart form, file part "Filedata"; the
                            file name is read byte for byte (ISO-8859-1).
                            Answers {"path": BASE/<id>/<name>, "icon":
                            "/icons/<ext>.png"}; a Basic authorization that is
                            not a known user with exactly that SHA-1 hex gives
                            401 {"error": "unauthorised"}; no authorization is
                            an anonymous upload; no "Filedata" part gives 400.
  GET  /api/json            verify: {"authorised": true|false}
  GET  /files/<id>/<name>   the stored bytes (also BASE/<id>/<name>)
  GET  /files/thumbs/<id>/<name>
                            a 100x75 PNG for png/jpg/jpeg/gif/bmp uploads, else 404
  GET  /icons/<any>.png     a 32x32 PNG
  GET  /api.php?longurl=URL       short URL as text (first shortener)
  GET  /api-create.php?url=URL    short URL as text (tinyurl)
  POST /api  body link=URL        short code as text (third shortener)
  GET  /stats/u/f, /stats/u/d, /stats/u/s   "ok", counted
  GET  /latest_version      the --latest-version text, exactly (default 1.2.5)
  GET  /update_manifest     the signed update manifest of the release set
                            through /_control/release (404 before)
  GET  /<installer name>    that release's installer

Uploads are stored in DIR/files/<id>/<name>; every request (except the
control ones) is appended to DIR/requests.jsonl as one JSON object per line
(the file is emptied at start). Entries hold the method, path, raw query, all
headers, the Basic user and whether it was accepted, the body's size and
SHA-256, each multipart part's name, filename, size and SHA-256, the fault
applied and the status answered.
Texts taken from raw bytes (names, long URLs, header values) are decoded as
ISO-8859-1, one character per byte.

Control, for tests (JSON in and out):
  POST /_control/fault {"mode": M, "path": "/api/json", "method": "POST",
                        "count": N, ...settings}
        modes: refuse, status500, stall, close_early, slow, malformed_json,
        hostile_json, huge, redirect (settings: see devservice_lib/faults.py). Without
        "path" the fault applies to every path, without "count" until reset.
  POST /_control/reset           remove every fault
  GET  /_control/faults          the active faults
  GET  /_control/requests        the request log
  POST /_control/clear           empty the request log (and the JSONL file)
  GET  /_control/state           uploads, shortened links, statistics counts
  POST /_control/account {"user": U, "hash": H} or {"user": U, "password": P}
  POST /_control/latest_version {"text": "1.2.6\\n"}
  POST /_control/release {"version": "1.2.6", "installer": PATH, "key": PATH,
                          "tamper": null|"installer"|"signature"}
        (see devservice_lib/releases.py)

Tests: python3 -m unittest discover -s tests/tools
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from devservice_lib.server import serve  # noqa: E402
from devservice_lib.state import SHA1_HEX  # noqa: E402


def parse_account(text):
    user, sep, digest = text.partition(":")
    digest = digest.lower()
    if not sep or not user or not SHA1_HEX.match(digest):
        raise argparse.ArgumentTypeError("expected USER:SHA1HEX (40 hex digits)")
    return user, digest


def main(argv=None):
    parser = argparse.ArgumentParser(description="Local development service.")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--data-dir", required=True)
    parser.add_argument("--account", type=parse_account, action="append", default=[])
    parser.add_argument("--latest-version", default="1.2.5")
    parser.add_argument("--base-url")
    parser.add_argument("--port-file")
    parser.add_argument("--verbose", action="store_true", help="print each request to stderr")
    args = parser.parse_args(argv)
    os.makedirs(args.data_dir, exist_ok=True)
    return serve(args.port, args.data_dir, dict(args.account), args.latest_version,
                 args.base_url, args.port_file, args.verbose)


if __name__ == "__main__":
    sys.exit(main())

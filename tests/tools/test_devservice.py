"""Tests of the local development service (tools/devservice.py), started as a
subprocess on a free port and driven with http.client and raw sockets.

Run: python3 -m unittest discover -s tests/tools
"""

import hashlib
import http.client
import json
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
from base64 import b64encode
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SERVICE = ROOT / "tools" / "devservice.py"
sys.path.insert(0, str(ROOT / "tools"))

from devservice_lib.multipart import MultipartParser  # noqa: E402

PASSWORD_HASH = hashlib.sha1(b"s3cret").hexdigest()
TIMEOUT = 5


def multipart(boundary, parts):
    """parts: (name, filename bytes or None, data bytes, content type or None)."""
    out = b""
    for name, filename, data, kind in parts:
        out += b"--" + boundary + b'\r\nContent-Disposition: form-data; name="' + name + b'"'
        if filename is not None:
            out += b'; filename="' + filename + b'"'
        out += b"\r\n"
        if kind:
            out += b"Content-Type: " + kind + b"\r\n"
        out += b"\r\n" + data + b"\r\n"
    return out + b"--" + boundary + b"--\r\n"


def basic(user, secret):
    return "Basic " + b64encode((user + ":" + secret).encode("latin-1")).decode()


def png_size(data):
    """(width, height) of a PNG whose chunks all carry correct CRCs."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, size = 8, None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        payload = data[at + 8:at + 8 + length]
        crc = struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0]
        assert zlib.crc32(kind + payload) & 0xFFFFFFFF == crc, kind
        if kind == b"IHDR":
            size = struct.unpack(">II", payload[:8])
        at += 12 + length
    return size


class Service:
    """One service process on a free port, with a data folder of its own."""

    def __init__(self, *extra):
        self.data_dir = tempfile.mkdtemp(prefix="devservice-")
        self.port_file = os.path.join(self.data_dir, "port")
        self.process = subprocess.Popen(
            [sys.executable, str(SERVICE), "--port", "0", "--data-dir", self.data_dir,
             "--port-file", self.port_file, *extra],
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("listening on http://127.0.0.1:"):
            self.process.kill()
            raise RuntimeError("service did not start: %r" % line)
        self.port = int(line.rsplit(":", 1)[1])

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(TIMEOUT)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()
        shutil.rmtree(self.data_dir, ignore_errors=True)

    def request(self, method, path, body=None, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=TIMEOUT)
        try:
            conn.request(method, path, body=body, headers=headers or {})
            reply = conn.getresponse()
            return reply.status, dict(reply.getheaders()), reply.read()
        finally:
            conn.close()

    def control(self, method, name, value=None):
        body = None if value is None else json.dumps(value).encode()
        status, _, data = self.request(method, "/_control/" + name, body)
        return status, json.loads(data)

    def upload(self, filename, data, headers=None, field=b"Filedata"):
        boundary = b"----testboundary" + hashlib.md5(data).hexdigest().encode()
        body = multipart(boundary, [(field, filename, data, b"application/octet-stream")])
        all_headers = {"Content-Type": "multipart/form-data; boundary=" + boundary.decode()}
        all_headers.update(headers or {})
        return self.request("POST", "/api/json", body, all_headers)

    def raw(self, payload, read_timeout=TIMEOUT):
        """Sends raw bytes, returns everything read until the server closes."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=TIMEOUT) as sock:
            sock.sendall(payload)
            sock.settimeout(read_timeout)
            received = b""
            while True:
                data = sock.recv(65536)
                if not data:
                    return received
                received += data


def split_reply(raw):
    head, _, body = raw.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = dict(line.split(": ", 1) for line in lines[1:])
    return int(lines[0].split()[1]), headers, body


class MultipartParserTest(unittest.TestCase):
    BOUNDARY = b"b0undary"

    def parse(self, body, chunk):
        parts = []

        class Sink:
            def __init__(self, headers):
                self.headers, self.data, self.closed = headers, b"", False
                parts.append(self)

            def write(self, data):
                self.data += data

            def close(self):
                self.closed = True

        parser = MultipartParser(self.BOUNDARY, Sink)
        for at in range(0, len(body), chunk):
            parser.feed(body[at:at + chunk])
        return parser.finish(), parts

    def test_parts_survive_every_chunking(self):
        # Near misses of the delimiter: cut short, or not at the start of a line.
        tricky = b"\r\n--b0undar\r\n-\r\r\n-x--b0undary\r\n--b0undar"
        body = b"preamble\r\n" + multipart(self.BOUNDARY, [
            (b"Filedata", b"\xe9t\xe9.png", tricky, b"image/png"),
            (b"empty", b"", b"", None),
            (b"field", None, b"value", None),
        ]).replace(b"--b0undary--\r\n", b"--b0undary--\r\nepilogue --b0undary\r\n")
        for chunk in (1, 2, 3, 7, 11, 64, len(body)):
            complete, parts = self.parse(body, chunk)
            self.assertTrue(complete, chunk)
            self.assertEqual([p.data for p in parts], [tricky, b"", b"value"], chunk)
            self.assertTrue(all(p.closed for p in parts))
            self.assertIn('filename="\xe9t\xe9.png"', parts[0].headers["content-disposition"])

    def test_malformed_bodies_fail(self):
        whole = multipart(self.BOUNDARY, [(b"Filedata", b"a", b"data", None)])
        self.assertFalse(self.parse(whole[:-8], 5)[0])  # no closing delimiter
        self.assertFalse(self.parse(whole.replace(b"y\r\nContent", b"y junk\r\nContent"), 4)[0])
        self.assertFalse(self.parse(b"no delimiter at all", 3)[0])


class DevServiceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = Service("--account", "alice:" + PASSWORD_HASH, "--latest-version", "1.2.6")

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()

    def setUp(self):
        self.assertEqual(self.service.control("POST", "reset", {})[0], 200)
        self.assertEqual(self.service.control("POST", "clear", {})[0], 200)

    def fault(self, **order):
        status, reply = self.service.control("POST", "fault", order)
        self.assertEqual(status, 200, reply)

    def log(self):
        return self.service.control("GET", "requests")[1]

    def test_upload_stores_bytes_and_logs_checksums(self):
        svc = self.service
        content = b"\x89PNG fake\r\n--not-a-boundary\r\n" * 1000
        status, _, reply = svc.upload(b"Caf\xe9 photo.png", content)
        self.assertEqual(status, 200)
        answer = json.loads(reply)
        upload_id, name = answer["path"].split("/")[-2:]
        self.assertEqual(answer["path"], "http://127.0.0.1:%d/%s/Caf\xe9 photo.png"
                         % (svc.port, upload_id))
        self.assertEqual(answer["icon"], "/icons/png.png")
        self.assertIn(b"Caf\\u00e9", reply)  # every byte of the name survives as an escape

        status, _, empty_reply = svc.upload(b"empty.txt", b"")
        self.assertEqual(status, 200)
        empty_id = json.loads(empty_reply)["path"].split("/")[-2]

        stored_path = "/files/%s/Caf%%E9%%20photo.png" % upload_id
        self.assertEqual(svc.request("GET", stored_path)[2], content)
        self.assertEqual(svc.request("GET", "/%s/Caf%%E9%%20photo.png" % upload_id)[2], content)
        status, _, data = svc.request("GET", "/files/%s/empty.txt" % empty_id)
        self.assertEqual((status, data), (200, b""))

        entries = self.log()
        first, second = entries[:2]
        self.assertEqual(first["parts"][0]["filename"], "Caf\xe9 photo.png")
        self.assertEqual(first["parts"][0]["sha256"], hashlib.sha256(content).hexdigest())
        self.assertEqual(first["parts"][0]["size"], len(content))
        self.assertEqual(second["parts"][0]["size"], 0)
        self.assertEqual(second["parts"][0]["sha256"], hashlib.sha256(b"").hexdigest())
        self.assertIsNone(first["auth_user"])
        with open(os.path.join(svc.data_dir, "requests.jsonl"), encoding="utf-8") as lines:
            self.assertEqual([json.loads(line) for line in lines], entries)
        self.assertEqual(os.listdir(os.path.join(svc.data_dir, "tmp")), [])

    def test_upload_authorisation(self):
        svc = self.service
        uploads = len(svc.control("GET", "state")[1]["uploads"])
        status, _, _ = svc.upload(b"a.txt", b"x", {"Authorization": basic("alice", PASSWORD_HASH)})
        self.assertEqual(status, 200)
        for header in (basic("alice", PASSWORD_HASH.upper()), basic("bob", PASSWORD_HASH),
                       basic("alice", "s3cret"), "Basic !!!", "Bearer x"):
            status, _, reply = svc.upload(b"a.txt", b"x", {"Authorization": header})
            self.assertEqual((status, json.loads(reply)), (401, {"error": "unauthorised"}), header)
        self.assertEqual([e["auth_user"] for e in self.log()[:3]], ["alice", "alice", "bob"])
        self.assertEqual([e["auth_ok"] for e in self.log()[:2]], [True, False])
        # Refused uploads are not stored.
        state = svc.control("GET", "state")[1]
        self.assertEqual(len(state["uploads"]), uploads + 1)
        self.assertEqual(state["uploads"][-1]["user"], "alice")

    def test_upload_without_file_part_is_refused(self):
        svc = self.service
        self.assertEqual(svc.upload(None, b"x", field=b"other")[0], 400)
        self.assertEqual(svc.request("POST", "/api/json", b"Filedata=x",
                                     {"Content-Type": "application/x-www-form-urlencoded"})[0], 400)
        cut = multipart(b"bb", [(b"Filedata", b"a", b"data", None)])[:-6]
        self.assertEqual(svc.request("POST", "/api/json", cut,
                                     {"Content-Type": "multipart/form-data; boundary=bb"})[0], 400)

    def test_verify_api(self):
        svc = self.service
        for header, expected in ((basic("alice", PASSWORD_HASH), True),
                                 (basic("alice", "0" * 40), False), (None, False)):
            headers = {"Authorization": header} if header else {}
            status, _, reply = svc.request("GET", "/api/json", headers=headers)
            self.assertEqual((status, json.loads(reply)), (200, {"authorised": expected}))

    def test_thumbnails_and_icons(self):
        svc = self.service
        image_id = json.loads(svc.upload(b"My Photo.JPG", b"jpeg")[2])["path"].split("/")[-2]
        text_id = json.loads(svc.upload(b"notes.txt", b"text")[2])["path"].split("/")[-2]
        status, headers, data = svc.request("GET", "/files/thumbs/%s/My%%20Photo.JPG" % image_id)
        self.assertEqual((status, headers["Content-Type"], png_size(data)),
                         (200, "image/png", (100, 75)))
        self.assertEqual(svc.request("GET", "/files/thumbs/%s/notes.txt" % text_id)[0], 404)
        self.assertEqual(svc.request("GET", "/files/thumbs/0000abcd/My%20Photo.JPG")[0], 404)
        self.assertEqual(svc.request("GET", "/files/thumbs/%s/..%%2Fx.png" % image_id)[0], 404)
        status, _, icon = svc.request("GET", "/icons/zip.png")
        self.assertEqual((status, png_size(icon)), (200, (32, 32)))

    def test_shorteners_statistics_and_latest_version(self):
        svc = self.service
        long_url = "http://127.0.0.1/abc/My%20Photo.png"
        status, _, first = svc.request("GET", "/api.php?longurl=" + long_url)
        self.assertEqual(status, 200)
        self.assertTrue(first.startswith(b"http://127.0.0.1:%d/" % svc.port))
        self.assertEqual(svc.request("GET", "/api-create.php?url=" + long_url)[0], 200)
        status, _, code = svc.request("POST", "/api", b"link=" + long_url.encode(),
                                      {"Content-Type": "application/x-www-form-urlencoded"})
        self.assertEqual(status, 200)
        self.assertNotIn(b"/", code)
        self.assertEqual(svc.request("GET", "/api.php")[0], 400)
        for kind in "ffsd":
            self.assertEqual(svc.request("GET", "/stats/u/" + kind)[2], b"ok")
        self.assertEqual(svc.request("GET", "/stats/u/x")[0], 404)
        self.assertEqual(svc.request("GET", "/latest_version")[2], b"1.2.6")
        svc.control("POST", "latest_version", {"text": "2.0.0\n"})
        self.assertEqual(svc.request("GET", "/latest_version")[2], b"2.0.0\n")
        svc.control("POST", "latest_version", {"text": "1.2.6"})

        state = svc.control("GET", "state")[1]
        self.assertEqual([(s["service"], s["long_url"]) for s in state["shortened"][-3:]],
                         [("first", long_url), ("tinyurl", long_url), ("third", long_url)])
        self.assertEqual(state["shortened"][-3]["code"], first.decode().rsplit("/", 1)[1])
        self.assertEqual(state["shortened"][-1]["code"], code.decode())
        self.assertGreaterEqual(state["stats"]["f"], 2)

    def test_chunked_upload_after_expect_continue(self):
        svc = self.service
        content = os.urandom(100000)
        body = multipart(b"cb", [(b"Filedata", b"c.bin", content, None)])
        head = (b"POST /api/json HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\n"
                b"Transfer-Encoding: chunked\r\n"
                b"Content-Type: multipart/form-data; boundary=cb\r\n\r\n")
        with socket.create_connection(("127.0.0.1", svc.port), timeout=TIMEOUT) as sock:
            sock.sendall(head)
            self.assertEqual(sock.recv(100), b"HTTP/1.1 100 Continue\r\n\r\n")
            for at in range(0, len(body), 30000):
                piece = body[at:at + 30000]
                sock.sendall(b"%x;ext=1\r\n" % len(piece) + piece + b"\r\n")
            sock.sendall(b"0\r\nTrailer: x\r\n\r\n")
            reply = b""
            while chunk := sock.recv(65536):
                reply += chunk
        self.assertEqual(split_reply(reply)[0], 200)
        entry = self.log()[0]
        self.assertTrue(entry["chunked"])
        self.assertEqual(entry["body_sha256"], hashlib.sha256(body).hexdigest())
        self.assertEqual(entry["parts"][0]["sha256"], hashlib.sha256(content).hexdigest())

    def test_large_upload_is_streamed_to_disk(self):
        svc = self.service
        block = (b"\r\n--" + b"x" * 1000 + b"\r\n") * 64
        count = 52 * 1024 * 1024 // len(block) + 1
        boundary = b"largeboundary"
        head = (b"--" + boundary + b'\r\nContent-Disposition: form-data; name="Filedata"; '
                b'filename="big.bin"\r\n\r\n')
        tail = b"\r\n--" + boundary + b"--\r\n"
        digest = hashlib.sha256()
        for _ in range(count):
            digest.update(block)

        def produce():
            yield head
            for _ in range(count):
                yield block
            yield tail
        status, _, reply = svc.request(
            "POST", "/api/json", produce(),
            {"Content-Type": "multipart/form-data; boundary=largeboundary",
             "Content-Length": str(len(head) + count * len(block) + len(tail))})
        self.assertEqual(status, 200)
        upload_id = json.loads(reply)["path"].split("/")[-2]
        stored = os.path.join(svc.data_dir, "files", upload_id, "big.bin")
        self.assertEqual(os.path.getsize(stored), count * len(block))
        self.assertEqual(self.log()[0]["parts"][0]["sha256"], digest.hexdigest())
        os.unlink(stored)
        status_file = Path("/proc/%d/status" % svc.process.pid)
        if status_file.exists():
            peak = [l for l in status_file.read_text().splitlines() if l.startswith("VmHWM")]
            self.assertLess(int(peak[0].split()[1]), 45 * 1024, "the body was held in memory")

    def test_refuse_and_status500_spoil_only_what_they_name(self):
        svc = self.service
        self.fault(mode="refuse", path="/latest_version", count=1)
        self.fault(mode="status500", path="/stats/u/*", count=1)
        self.assertEqual(svc.raw(b"GET /latest_version HTTP/1.1\r\nHost: x\r\n\r\n"), b"")
        self.assertEqual(svc.request("GET", "/latest_version")[0], 200)
        self.assertEqual(svc.request("GET", "/stats/u/s")[0], 500)
        self.assertEqual(svc.request("GET", "/stats/u/s")[0], 200)
        self.assertEqual([e["fault"] for e in self.log()], ["refuse", None, "status500", None])
        self.assertEqual(svc.control("GET", "faults")[1], [])

    def test_busy_and_refusing_statuses_for_uploads(self):
        # What the upload queue's retries meet: 503 twice, a 429 asking for a
        # pause, then the service takes the file; a 413 refuses it.
        svc = self.service
        self.fault(mode="status500", path="/api/json", status=503, count=2)
        self.fault(mode="status500", path="/api/json", status=429, retry_after=2, count=1)
        answers = [svc.upload(b"a.png", b"x") for _ in range(4)]
        self.assertEqual([a[0] for a in answers], [503, 503, 429, 200])
        self.assertNotIn("Retry-After", answers[0][1])
        self.assertEqual(answers[2][1]["Retry-After"], "2")
        self.fault(mode="status500", path="/api/json", status=413, count=1)
        self.assertEqual(svc.upload(b"b.png", b"y")[0], 413)
        status, reply = svc.control("POST", "fault", {"mode": "status500", "retry_after": "1\r\nX: y"})
        self.assertEqual(status, 400, reply)

    def test_stall_and_close_early_cut_the_body(self):
        svc = self.service
        self.fault(mode="stall", path="/icons/a.png", stall_seconds=30)
        with socket.create_connection(("127.0.0.1", svc.port), timeout=TIMEOUT) as sock:
            sock.sendall(b"GET /icons/a.png HTTP/1.1\r\nHost: x\r\n\r\n")
            sock.settimeout(1.0)
            received = b""
            with self.assertRaises(socket.timeout):
                while True:
                    data = sock.recv(65536)
                    self.assertTrue(data, "the stalled reply ended")
                    received += data
        status, headers, body = split_reply(received)
        self.assertEqual(status, 200)
        self.assertEqual(len(body), int(headers["Content-Length"]) // 2)

        svc.control("POST", "reset", {})
        self.fault(mode="close_early", count=1)
        reply = svc.raw(b"GET /icons/a.png HTTP/1.1\r\nHost: x\r\n\r\n")
        status, headers, body = split_reply(reply)
        self.assertEqual(status, 200)
        self.assertLess(len(body), int(headers["Content-Length"]))
        self.assertEqual(png_size(svc.request("GET", "/icons/a.png")[2]), (32, 32))

    def test_slow_reads_and_answers_late(self):
        svc = self.service
        self.fault(mode="slow", path="/api/json", delay=0.3, read_delay=0.1, read_chunk=65536)
        started = time.monotonic()
        status, _, _ = svc.upload(b"s.bin", b"s" * 300000)
        self.assertEqual(status, 200)
        self.assertGreaterEqual(time.monotonic() - started, 0.3 + 4 * 0.1)

    def test_json_replacing_faults(self):
        svc = self.service
        uploads = len(svc.control("GET", "state")[1]["uploads"])
        hostile = {"path": "http://x/../..\\evil/..", "icon": "/i.png"}
        self.fault(mode="malformed_json", path="/api/json", method="POST", count=1)
        self.fault(mode="hostile_json", path="/api/json", method="POST", count=1, body=hostile)
        self.fault(mode="hostile_json", path="/api/json", method="POST", count=1,
                   body='{"path": 1}')
        self.fault(mode="hostile_json", path="/api/json", method="POST", count=1,
                   body_base64=b64encode(b'{"path": "\xff\x00"}').decode())
        self.assertEqual(json.loads(svc.request("GET", "/api/json")[2]), {"authorised": False})
        self.assertEqual(svc.upload(b"a", b"a")[2], b'{"path": ')
        self.assertEqual(json.loads(svc.upload(b"a", b"a")[2]), hostile)
        self.assertEqual(svc.upload(b"a", b"a")[2], b'{"path": 1}')
        self.assertEqual(svc.upload(b"a", b"a")[2], b'{"path": "\xff\x00"}')
        self.assertEqual(len(svc.control("GET", "state")[1]["uploads"]), uploads)
        self.assertEqual(svc.upload(b"a", b"a")[0], 200)
        self.assertEqual(svc.control("POST", "fault", {"mode": "hostile_json"})[0], 400)
        self.assertEqual(svc.control("POST", "fault", {"mode": "nonsense"})[0], 400)
        self.assertEqual(svc.control("POST", "fault", {"mode": "slow", "count": 0})[0], 400)

    def test_oversized_image_thumbnails(self):
        svc = self.service
        self.fault(mode="oversized_image", path="/files/thumbs/*", count=1)
        self.fault(mode="oversized_image", path="/files/thumbs/*", count=1, format="gif",
                   width=65535, height=40000)
        status, headers, body = svc.request("GET", "/files/thumbs/x/a.png")
        self.assertEqual((status, headers["Content-Type"]), (200, "image/jpeg"))
        self.assertEqual(body[:4], b"\xff\xd8\xff\xc0")
        self.assertEqual(struct.unpack(">HH", body[7:11]), (17000, 65500))  # height, width
        self.assertEqual(body[-2:], b"\xff\xd9")
        status, headers, body = svc.request("GET", "/files/thumbs/x/a.png")
        self.assertEqual((status, headers["Content-Type"]), (200, "image/gif"))
        self.assertEqual(struct.unpack("<HH", body[6:10]), (65535, 40000))
        self.assertEqual(body[-1:], b";")
        self.assertEqual(svc.request("GET", "/files/thumbs/x/a.png")[0], 404)  # used up
        for bad in ({"format": "bmp"}, {"width": 0}, {"height": 70000}, {"width": 1.5}):
            order = dict({"mode": "oversized_image"}, **bad)
            self.assertEqual(svc.control("POST", "fault", order)[0], 400, bad)

    def test_reply_rewriting_faults_keep_the_upload(self):
        svc = self.service
        uploads = len(svc.control("GET", "state")[1]["uploads"])
        self.fault(mode="file_path", path="/api/json", method="POST", count=1)
        self.fault(mode="hostile_icon", path="/api/json", method="POST", count=1)
        self.fault(mode="reply_members", path="/api/json", method="POST", count=1,
                   members={"path": 7, "extra": "{host}"})
        first = json.loads(svc.upload(b"one.png", b"1")[2])
        self.assertEqual(first["path"], "file:///C:/Windows/System32/calc.exe")
        self.assertTrue(first["icon"].startswith("/icons/"))
        second = json.loads(svc.upload(b"two.png", b"2")[2])
        self.assertEqual(second["icon"], "@127.0.0.1:%d/icons/stolen.png" % svc.port)
        self.assertIn("/two.png", second["path"])
        third = json.loads(svc.upload(b"three.png", b"3")[2])
        self.assertEqual((third["path"], third["extra"]), (7, "127.0.0.1:%d" % svc.port))
        # The uploads themselves happened.
        self.assertEqual(len(svc.control("GET", "state")[1]["uploads"]), uploads + 3)
        self.assertEqual(svc.control("POST", "fault", {"mode": "reply_members", "members": []})[0], 400)

    def test_huge_reply_and_faults_until_reset(self):
        svc = self.service
        self.fault(mode="huge", path="/api/json", size=8 * 1024 * 1024 + 3, fill="ab")
        for _ in range(2):
            status, headers, body = svc.request("GET", "/api/json")
            self.assertEqual(status, 200)
            self.assertEqual(int(headers["Content-Length"]), 8 * 1024 * 1024 + 3)
            self.assertEqual(body, (b"ab" * (4 * 1024 * 1024 + 2))[:8 * 1024 * 1024 + 3])
        self.fault(mode="status500", status=503)  # every path, until reset
        # The fault bound to a path wins over the global one.
        self.assertEqual(len(svc.request("GET", "/api/json")[2]), 8 * 1024 * 1024 + 3)
        self.assertEqual(svc.request("GET", "/latest_version")[0], 503)
        self.assertEqual(svc.request("GET", "/stats/u/d")[0], 503)
        svc.control("POST", "reset", {})
        self.assertEqual(svc.request("GET", "/stats/u/d")[0], 200)

    def test_unsized_huge_reply_and_redirect(self):
        svc = self.service
        self.fault(mode="huge", path="/latest_version", size=3 * 1024 * 1024 + 1, unsized=True,
                   count=1)
        status, headers, body = split_reply(svc.raw(b"GET /latest_version HTTP/1.1\r\nHost: x\r\n\r\n"))
        self.assertEqual(status, 200)
        self.assertNotIn("Content-Length", headers)
        self.assertEqual(len(body), 3 * 1024 * 1024 + 1)

        self.fault(mode="redirect", path="/api/json", location="http://elsewhere.example/x",
                   count=1)
        status, headers, body = svc.request("GET", "/api/json")
        self.assertEqual((status, headers["Location"], body), (302, "http://elsewhere.example/x", b""))
        self.assertEqual(svc.request("GET", "/api/json")[0], 200)
        self.assertEqual(svc.control("POST", "fault", {"mode": "redirect", "status": 200})[0], 400)
        self.assertEqual(svc.control("POST", "fault", {"mode": "redirect", "location": "a\r\nb"})[0],
                         400)

    @unittest.skipUnless(shutil.which("curl"), "curl is not installed")
    def test_curl_command_line_interop(self):
        svc = self.service
        url = "http://127.0.0.1:%d/api/json" % svc.port
        content = b"GIF89a" + os.urandom(5000)

        def curl(*args):
            done = subprocess.run(["curl", "-s", "-w", "\n%{http_code}", *args, url],
                                  capture_output=True, timeout=TIMEOUT)
            body, _, code = done.stdout.rpartition(b"\n")
            return int(code), body
        with tempfile.NamedTemporaryFile(suffix=".gif") as sample:
            sample.write(content)
            sample.flush()
            status, reply = curl("-F", "Filedata=@" + sample.name)
            self.assertEqual(status, 200)
            self.assertTrue(json.loads(reply)["path"].endswith("/" + os.path.basename(sample.name)))
            signed_in = curl("-u", "alice:" + PASSWORD_HASH, "-F", "Filedata=@" + sample.name)
            self.assertEqual(signed_in[0], 200)
            self.assertEqual(curl("-u", "alice:wrong", "-F", "Filedata=@" + sample.name)[0], 401)
        self.assertEqual(curl("-u", "alice:" + PASSWORD_HASH), (200, b'{"authorised": true}'))
        posts = [e for e in self.log() if e["method"] == "POST"]
        self.assertEqual([e["auth_user"] for e in posts], [None, "alice", "alice"])
        for entry in posts:
            self.assertEqual(entry["parts"][0]["sha256"], hashlib.sha256(content).hexdigest())
            self.assertEqual(entry["parts"][0]["content_type"], "image/gif")


class LifecycleTest(unittest.TestCase):
    def test_port_file_and_clean_stop_with_a_stalled_client(self):
        svc = Service()
        try:
            with open(svc.port_file) as port_file:
                self.assertEqual(int(port_file.read()), svc.port)
            svc.control("POST", "fault", {"mode": "stall"})
            with socket.create_connection(("127.0.0.1", svc.port), timeout=TIMEOUT) as sock:
                sock.sendall(b"GET /latest_version HTTP/1.1\r\nHost: x\r\n\r\n")
                self.assertTrue(sock.recv(100).startswith(b"HTTP/1.1 200"))
                started = time.monotonic()
                svc.process.send_signal(signal.SIGTERM)
                self.assertEqual(svc.process.wait(TIMEOUT), 0)
                self.assertLess(time.monotonic() - started, 2)
        finally:
            svc.stop()


if __name__ == "__main__":
    unittest.main()

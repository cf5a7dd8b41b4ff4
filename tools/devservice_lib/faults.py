"""Faults that tests switch on at run time.

A fault names a mode, optionally a path (exact, or a prefix when it ends in
"*") and a method, and a count of requests it spoils; without a count it stays
until reset. Path-bound faults win over global ones; among equals the oldest
wins. Modes and their settings (defaults in MODE_DEFAULTS):

  refuse          close the connection without answering ("reset": send RST)
  status500       answer "status" (500; any code, e.g. 503, 429, 413) with a
                  short text body, and a Retry-After header of "retry_after"
                  (a number of seconds or any text) when it is given
  stall           send the headers and half the body, then hang until the
                  client leaves or "stall_seconds" pass
  close_early     promise the full Content-Length, send half, close
  slow            read the request body in "read_chunk" pieces with
                  "read_delay" seconds between them, wait "delay" seconds,
                  then answer normally
  malformed_json  answer 200 with a cut-off JSON text
  hostile_json    answer 200 with "body" (a text sent as UTF-8, or any JSON
                  value, serialised) or the bytes of "body_base64"
  huge            answer 200 with "size" bytes of "fill", streamed; with
                  "unsized" true no Content-Length is sent and the body ends
                  when the connection closes
  redirect        answer "status" (302) with a Location header of "location"
                  and no body
  reply_members   serve the request as usual, then replace members of its JSON
                  reply with those of "members"; "{host}" in a text value
                  becomes the request's Host header
  file_path       reply_members with a "path" that names a local program
  protocol_path   reply_members with a "path" of a registered protocol
  hostile_icon    reply_members with an "icon" that would move the request to
                  another host if appended to the base address as it is
  oversized_image answer 200 with a small but whole image file ("format":
                  "jpeg", "gif" or "png") whose header declares "width" x
                  "height" pixels (at most 65535 each): what a thumbnail
                  that would overrun an image decoder's buffers looks like
"""

import base64
import binascii
import itertools
import json
import struct
import threading
import zlib

MODE_DEFAULTS = {
    "refuse": {"reset": False},
    "status500": {"status": 500},
    "stall": {"stall_seconds": 60.0},
    "close_early": {},
    "slow": {"delay": 2.0, "read_delay": 0.05, "read_chunk": 65536},
    "malformed_json": {},
    "hostile_json": {"content_type": "application/json"},
    "huge": {"size": 64 * 1024 * 1024, "fill": "A", "content_type": "application/json",
             "unsized": False},
    "redirect": {"status": 302, "location": "/"},
    "reply_members": {"members": {}},
    "file_path": {"members": {"path": "file:///C:/Windows/System32/calc.exe"}},
    "protocol_path": {"members": {"path": "ms-settings:/a/b"}},
    "hostile_icon": {"members": {"icon": "@{host}/icons/stolen.png"}},
    "oversized_image": {"format": "jpeg", "width": 65500, "height": 17000},
}

IMAGE_TYPES = {"jpeg": "image/jpeg", "gif": "image/gif", "png": "image/png"}

# Modes that let the request be served and then rewrite its JSON reply.
REWRITING_MODES = ("reply_members", "file_path", "protocol_path", "hostile_icon")

MALFORMED_JSON = b'{"path": '

_NUMBERS = ("status", "stall_seconds", "delay", "read_delay", "read_chunk", "size", "width",
            "height")


def oversized_image(kind, width, height):
    """A whole file of `kind` whose header declares width x height pixels,
    with only a few bytes of image data."""
    if kind == "jpeg":
        frame = struct.pack(">BHHB", 8, height, width, 3) + b"\x01\x22\x00\x02\x11\x01\x03\x11\x01"
        scan = b"\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00"
        return (b"\xff\xd8" + b"\xff\xc0" + struct.pack(">H", len(frame) + 2) + frame +
                b"\xff\xda" + struct.pack(">H", len(scan) + 2) + scan + b"\x55" * 64 + b"\xff\xd9")
    if kind == "gif":
        screen = struct.pack("<HHBBB", width, height, 0x80, 0, 0) + b"\x10" * 6
        frame = b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        return b"GIF89a" + screen + frame + b"\x02\x02\x44\x01\x00;"
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = zlib.compress(b"\x00" * 64)
    return (b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", header) + _png_chunk(b"IDAT", data) +
            _png_chunk(b"IEND", b""))


def _png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


class Fault:
    def __init__(self, fault_id, mode, path, method, count, params):
        self.id = fault_id
        self.mode = mode
        self.path = path
        self.method = method
        self.remaining = count
        self.params = params

    def matches(self, method, path):
        if self.method is not None and self.method != method:
            return False
        if self.path is None:
            return True
        if self.path.endswith("*"):
            return path.startswith(self.path[:-1])
        return path == self.path

    def describe(self):
        return {"id": self.id, "mode": self.mode, "path": self.path, "method": self.method,
                "remaining": self.remaining, "params": self.params}

    def reply_body(self):
        """The bytes a body-replacing mode answers with."""
        if self.mode == "malformed_json":
            return MALFORMED_JSON
        if self.mode == "hostile_json":
            if "body_base64" in self.params:
                return base64.b64decode(self.params["body_base64"])
            body = self.params.get("body", "")
            if isinstance(body, str):
                return body.encode("utf-8")
            return json.dumps(body).encode("utf-8")
        if self.mode == "status500":
            return b"internal server error\n"
        if self.mode == "oversized_image":
            return oversized_image(self.params["format"], int(self.params["width"]),
                                   int(self.params["height"]))
        return b""

    def rewrite_reply(self, body, host):
        """A served JSON reply with the fault's members put in; other bodies
        are kept as they are."""
        try:
            reply = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            return body
        if not isinstance(reply, dict):
            return body
        for name, value in self.params["members"].items():
            if isinstance(value, str):
                value = value.replace("{host}", host)
            reply[name] = value
        return json.dumps(reply).encode("utf-8")


def parse_fault(order, fault_id):
    """A Fault from the control request's JSON object, or (None, reason)."""
    if not isinstance(order, dict):
        return None, "expected a JSON object"
    mode = order.get("mode")
    if mode not in MODE_DEFAULTS:
        return None, "unknown mode %r" % (mode,)
    path = order.get("path")
    if path is not None and (not isinstance(path, str) or not path.startswith("/")):
        return None, "path must start with /"
    method = order.get("method")
    if method is not None and not isinstance(method, str):
        return None, "method must be a text"
    count = order.get("count")
    if count is not None and (type(count) is not int or count < 1):
        return None, "count must be a positive integer or null"

    params = dict(MODE_DEFAULTS[mode])
    for key, value in order.items():
        if key not in ("mode", "path", "method", "count"):
            params[key] = value
    for key in _NUMBERS:
        if key in params:
            value = params[key]
            if type(value) not in (int, float) or value < 0:
                return None, "%s must be a non-negative number" % key
    if mode == "hostile_json":
        if "body" not in params and "body_base64" not in params:
            return None, "hostile_json needs body or body_base64"
        if "body_base64" in params:
            try:
                base64.b64decode(params["body_base64"], validate=True)
            except (binascii.Error, TypeError, ValueError):
                return None, "body_base64 is not base64"
    if mode in REWRITING_MODES and not isinstance(params["members"], dict):
        return None, "members must be a JSON object"
    if mode == "huge" and (not isinstance(params["fill"], str) or not params["fill"]):
        return None, "fill must be a non-empty text"
    if mode == "oversized_image":
        if params["format"] not in IMAGE_TYPES:
            return None, "format must be jpeg, gif or png"
        if not all(type(params[k]) is int and 1 <= params[k] <= 65535 for k in ("width", "height")):
            return None, "width and height must be whole numbers from 1 to 65535"
        params["content_type"] = IMAGE_TYPES[params["format"]]
    if mode == "status500" and not 100 <= params["status"] <= 599:
        return None, "status must be an HTTP status code"
    if mode == "status500" and "retry_after" in params:
        value = params["retry_after"]
        if type(value) is int and value >= 0:
            params["retry_after"] = str(value)
        elif not isinstance(value, str) or "\r" in value or "\n" in value:
            return None, "retry_after must be a whole number of seconds or a text on one line"
    if mode == "redirect":
        if not 300 <= params["status"] <= 399:
            return None, "status must be a redirection code"
        location = params["location"]
        if not isinstance(location, str) or not location or "\r" in location or "\n" in location:
            return None, "location must be a text on one line"
    if mode == "slow" and params["read_chunk"] < 1:
        return None, "read_chunk must be at least 1"
    return Fault(fault_id, mode, path, method and method.upper(), count, params), None


class FaultTable:
    def __init__(self):
        self._lock = threading.Lock()
        self._faults = []
        self._ids = itertools.count(1)

    def add(self, order):
        with self._lock:
            fault, error = parse_fault(order, next(self._ids))
            if fault is not None:
                self._faults.append(fault)
            return fault, error

    def take(self, method, path):
        """The fault that spoils this request, using up one of its count."""
        with self._lock:
            candidates = [f for f in self._faults if f.matches(method, path)]
            if not candidates:
                return None
            bound = [f for f in candidates if f.path is not None]
            fault = (bound or candidates)[0]
            if fault.remaining is not None:
                fault.remaining -= 1
                if fault.remaining == 0:
                    self._faults.remove(fault)
            return fault

    def reset(self):
        with self._lock:
            self._faults.clear()

    def describe(self):
        with self._lock:
            return [f.describe() for f in self._faults]

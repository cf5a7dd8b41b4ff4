"""One connection, one request: read it, log it, let a fault spoil it or a
route answer it, and close the connection."""

import select
import socket
import struct
import time
from http.server import BaseHTTPRequestHandler
from urllib.parse import unquote

from .body import BodyReader
from .control import MAX_CONTROL_BODY, handle_control
from .faults import REWRITING_MODES
from .response import Response, filler_reply, json_reply, text
from .routes import route
from .spool import BodySpool

MAX_BODY = 1024 * 1024 * 1024
BODY_REPLACING_MODES = ("status500", "malformed_json", "hostile_json", "huge", "redirect",
                        "oversized_image")
CONTROL_PREFIX = "/_control/"


class Request:
    def __init__(self, method, path, segments, query, headers, auth, spool):
        self.method = method
        self.path = path
        self.segments = segments
        self.query = query
        self.headers = headers
        self.auth = auth
        self.spool = spool


def split_target(target):
    """(decoded path, its segments, raw query) of a request target. Each byte
    of a %XX escape becomes one character, as raw bytes already do."""
    raw_path, _, query = target.partition("?")
    if "://" in raw_path:  # absolute form, as sent to a proxy
        raw_path = "/" + raw_path.split("://", 1)[1].partition("/")[2]
    segments = [unquote(piece, encoding="latin-1") for piece in raw_path.split("/")]
    return "/".join(segments), segments, query


def fault_response(fault):
    params = fault.params
    if fault.mode == "huge":
        reply = filler_reply(int(params["size"]), params["fill"], params["content_type"])
        if params.get("unsized"):
            reply.length = None
        return reply
    if fault.mode == "redirect":
        return Response(int(params["status"]), headers=[("Location", params["location"])])
    if fault.mode == "status500":
        headers = [("Retry-After", params["retry_after"])] if "retry_after" in params else []
        return Response(int(params["status"]), fault.reply_body(), headers=headers)
    return Response(200, fault.reply_body(), params.get("content_type", "application/json"))


class ServiceHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "devservice/1.0"
    timeout = 120  # a silent client does not hold a thread forever

    def handle_expect_100(self):
        # Answered in _serve, once it is known whether the request is refused.
        return True

    def handle_one_request(self):
        self.close_connection = True
        try:
            self.raw_requestline = self.rfile.readline(65537)
            if not self.raw_requestline:
                return
            if len(self.raw_requestline) > 65536:
                self.send_error(414)
                return
            if not self.parse_request():
                return
            self._serve()
        except OSError:
            pass  # the client went away (timeouts are OSErrors too)
        self.close_connection = True

    def log_message(self, format, *args):
        if self.server.verbose:
            super().log_message(format, *args)

    def _expects_continue(self):
        return (self.headers.get("Expect", "").strip().lower() == "100-continue"
                and self.request_version >= "HTTP/1.1")

    def _continue(self, reader):
        if reader.has_body and not reader.error and self._expects_continue():
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")

    def _serve(self):
        path, segments, query = split_target(self.path)
        if path.startswith(CONTROL_PREFIX):
            self._serve_control(path[len(CONTROL_PREFIX):])
            return
        state, stopping = self.server.state, self.server.stopping
        fault = self.server.faults.take(self.command, path)
        mode = fault.mode if fault else None
        user, verdict = state.check_auth(self.headers.get("Authorization"))
        entry = {"time": time.time(), "method": self.command, "path": path,
                 "target": self.path, "query": query,
                 "headers": [[name, value] for name, value in self.headers.items()],
                 "auth_user": user, "auth_ok": verdict,
                 "expect_continue": self._expects_continue(), "fault": mode}

        if mode == "refuse":
            entry["status"] = None
            state.log.append(entry)
            if fault.params.get("reset"):
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                           struct.pack("ii", 1, 0))
            return

        pause, pace_chunk = None, 65536
        if mode == "slow":
            pause = lambda: stopping.wait(fault.params["read_delay"])
            pace_chunk = max(1, int(fault.params["read_chunk"]))
        reader = BodyReader(self.rfile, self.headers, MAX_BODY, pause, pace_chunk)
        spool = BodySpool(self.headers.get("Content-Type"), state.tmp_dir)
        try:
            self._continue(reader)
            for data in reader.chunks():
                spool.feed(data)
            spool.finish()
            if reader.error:
                status = 413 if reader.error == "body too large" else 400
                response = text(status, reader.error + "\n")
            elif mode in BODY_REPLACING_MODES:
                response = fault_response(fault)
            else:
                request = Request(self.command, path, segments, query, self.headers,
                                  (user, verdict), spool)
                response = route(request, state)
                if mode in REWRITING_MODES and response.status == 200:
                    response = Response(200, fault.rewrite_reply(response.body, self.headers.get("Host", "")),
                                        response.content_type)
            entry.update({"chunked": reader.chunked, "body_size": spool.size,
                          "body_sha256": spool.sha.hexdigest(), "body_error": reader.error,
                          "multipart_complete": spool.multipart_ok,
                          "parts": [part.describe() for part in spool.parts],
                          "status": response.status})
            state.log.append(entry)
        finally:
            spool.discard()

        if mode == "slow":
            stopping.wait(fault.params["delay"])
        self._send(response, fault)

    def _serve_control(self, name):
        reader = BodyReader(self.rfile, self.headers, MAX_CONTROL_BODY)
        self._continue(reader)
        raw = b"".join(reader.chunks())
        if reader.error:
            response = json_reply(400, {"error": reader.error})
        else:
            response = handle_control(self.command, name, raw, self.server.state,
                                      self.server.faults)
        self._send(response, None)

    def _send(self, response, fault):
        mode = fault.mode if fault else None
        self.send_response(response.status)
        self.send_header("Content-Type", response.content_type)
        if response.length is not None:  # else the body ends when the connection closes
            self.send_header("Content-Length", str(response.length))
        self.send_header("Connection", "close")
        for name, value in response.headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command == "HEAD":
            return
        # The cut-off modes deliver half of what the headers promise.
        limit = response.length // 2 if mode in ("stall", "close_early") and response.length else None
        sent = 0
        chunks = response.chunks()
        try:
            for data in chunks:
                if limit is not None:
                    data = data[:limit - sent]
                if data:
                    self.wfile.write(data)
                    sent += len(data)
                if (limit is not None and sent >= limit) or self.server.stopping.is_set():
                    break
        finally:
            chunks.close()
        if mode == "stall":
            self._hang(fault.params["stall_seconds"])

    def _hang(self, seconds):
        """Keep the connection open without sending until the client closes it,
        the time is up or the service stops."""
        deadline = time.monotonic() + seconds
        while not self.server.stopping.is_set():
            left = deadline - time.monotonic()
            if left <= 0:
                return
            readable, _, _ = select.select([self.connection], [], [], min(left, 0.2))
            if readable and not self.connection.recv(65536):
                return

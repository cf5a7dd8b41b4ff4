"""What a route answers: a status, headers and a body held in memory or
streamed from a source of chunks."""

import json

STREAM_CHUNK = 1024 * 1024


class Response:
    def __init__(self, status, body=b"", content_type="text/plain; charset=utf-8",
                 headers=None, stream=None, length=None):
        self.status = status
        self.body = body
        self.content_type = content_type
        self.headers = list(headers or [])
        self._stream = stream          # callable returning an iterator of bytes
        self.length = len(body) if stream is None else length

    def chunks(self):
        if self._stream is None:
            if self.body:
                yield self.body
        else:
            yield from self._stream()


def text(status, message):
    return Response(status, message.encode("utf-8"))


def json_reply(status, value):
    return Response(status, json.dumps(value).encode("ascii"), "application/json")


def file_reply(path, size, content_type="application/octet-stream"):
    def read():
        with open(path, "rb") as source:
            while True:
                data = source.read(STREAM_CHUNK)
                if not data:
                    return
                yield data
    return Response(200, content_type=content_type, stream=read, length=size)


def filler_reply(size, fill, content_type):
    """size bytes of a repeated pattern, made one chunk at a time."""
    pattern = fill.encode("utf-8")
    block = (pattern * (STREAM_CHUNK // len(pattern) + 1))[:STREAM_CHUNK]

    def produce():
        left = size
        while left > 0:
            piece = block[:min(left, len(block))]
            left -= len(piece)
            yield piece
    return Response(200, content_type=content_type, stream=produce, length=size)

"""Reading a request body off the connection, framed by Content-Length or
chunked transfer coding, optionally paced to imitate a slow server."""

READ_CHUNK = 65536


class BodyReader:
    """Yields the body in chunks from chunks(); framing problems end the
    iteration early and leave a description in `error`."""

    def __init__(self, rfile, headers, max_bytes, pause=None, pace_chunk=READ_CHUNK):
        self._rfile = rfile
        self._max_bytes = max_bytes
        self._pause = pause            # called between reads when pacing, else None
        self._chunk = pace_chunk if pause else READ_CHUNK
        self.error = None
        self.size = 0
        coding = (headers.get("Transfer-Encoding") or "").lower()
        self.chunked = "chunked" in coding
        self._length = 0
        if not self.chunked:
            raw = headers.get("Content-Length")
            if raw is not None:
                try:
                    self._length = int(raw.strip())
                except ValueError:
                    self._length = -1
                if self._length < 0:
                    self.error = "bad Content-Length"
                elif self._length > max_bytes:
                    self.error = "body too large"

    @property
    def has_body(self):
        return self.chunked or self._length > 0

    def chunks(self):
        if self.error:
            return
        if self.chunked:
            yield from self._chunked()
        else:
            yield from self._counted(self._length)

    def _read(self, count):
        if self._pause and self.size:
            self._pause()
        data = self._rfile.read(count)
        self.size += len(data)
        return data

    def _counted(self, length):
        left = length
        while left > 0:
            data = self._read(min(left, self._chunk))
            if not data:
                self.error = "connection closed inside the body"
                return
            left -= len(data)
            yield data

    def _chunked(self):
        while True:
            line = self._rfile.readline(1024)
            if not line.endswith(b"\n"):
                self.error = "bad chunk size line"
                return
            try:
                size = int(line.split(b";", 1)[0].strip(), 16)
            except ValueError:
                self.error = "bad chunk size line"
                return
            if size < 0 or self.size + size > self._max_bytes:
                self.error = "body too large" if size >= 0 else "bad chunk size line"
                return
            if size == 0:
                self._skip_trailers()
                return
            for data in self._counted(size):
                yield data
            if self.error:
                return
            if self._rfile.readline(1024) not in (b"\r\n", b"\n"):
                self.error = "chunk not followed by a line break"
                return

    def _skip_trailers(self):
        for _ in range(100):
            line = self._rfile.readline(8192)
            if line in (b"\r\n", b"\n", b""):
                return
        self.error = "too many trailer lines"

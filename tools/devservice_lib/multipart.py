"""Incremental multipart/form-data parsing.

Bytes are fed in whatever chunks come off the socket. A part's body is handed
to its sink as soon as it is known not to contain the next delimiter, so memory
stays bounded by the chunk size whatever the upload's size. Each search covers
only the new bytes plus a delimiter-sized tail, which keeps the parse linear.
Header bytes are decoded as ISO-8859-1, so every byte stays one character.
"""

MAX_PART_HEADER_BYTES = 16384
MAX_PADDING_BYTES = 1024

_PREAMBLE, _AFTER_DELIMITER, _HEADERS, _BODY, _DONE = range(5)


def parse_header_params(value):
    """Split 'form-data; name="a"; filename="b"' into ('form-data', {'name': 'a', ...}).

    Quoted values may hold ';' and backslash-escaped characters. Parameter
    names are lower-cased; values are kept as written.
    """
    pieces = []
    current = []
    quoted = False
    escaped = False
    for ch in value:
        if escaped:
            current.append(ch)
            escaped = False
        elif quoted and ch == "\\":
            current.append(ch)
            escaped = True
        elif ch == '"':
            current.append(ch)
            quoted = not quoted
        elif ch == ";" and not quoted:
            pieces.append("".join(current))
            current = []
        else:
            current.append(ch)
    pieces.append("".join(current))

    main = pieces[0].strip().lower()
    params = {}
    for piece in pieces[1:]:
        key, sep, raw = piece.partition("=")
        if not sep:
            continue
        params[key.strip().lower()] = _unquote_param(raw.strip())
    return main, params


def _unquote_param(raw):
    if len(raw) < 2 or raw[0] != '"' or raw[-1] != '"':
        return raw
    out = []
    escaped = False
    for ch in raw[1:-1]:
        if escaped:
            out.append(ch)
            escaped = False
        elif ch == "\\":
            escaped = True
        else:
            out.append(ch)
    return "".join(out)


def parse_part_headers(block):
    """Header block bytes (without the blank line) -> {lower-case name: value}."""
    headers = {}
    name = None
    for line in block.decode("latin-1").split("\r\n"):
        if not line:
            continue
        if line[0] in " \t" and name is not None:
            headers[name] += " " + line.strip()  # folded continuation line
            continue
        key, sep, val = line.partition(":")
        if not sep:
            continue
        name = key.strip().lower()
        headers[name] = val.strip()
    return headers


class MultipartParser:
    """Feeds the parts of one multipart body to sinks.

    open_part(headers) must return an object with write(bytes) and close().
    After a malformed input `failed` is set and further input is ignored;
    `complete` is set once the closing delimiter has been seen.
    """

    def __init__(self, boundary, open_part):
        self._delimiter = b"\r\n--" + boundary
        # A line break is assumed before the body, so that the first delimiter
        # looks like every later one.
        self._buf = bytearray(b"\r\n")
        self._pos = 0    # bytes before this offset are consumed
        self._scan = 0   # searches resume here: earlier bytes are known not to match
        self._state = _PREAMBLE
        self._open_part = open_part
        self._part = None
        self.failed = False
        self.complete = False

    def feed(self, data):
        if self.failed or self.complete:
            return not self.failed
        self._buf += data
        while self._step():
            pass
        # Drop consumed bytes once per chunk rather than once per part.
        if self._pos:
            del self._buf[:self._pos]
            self._scan -= self._pos
            self._pos = 0
        return not self.failed

    def finish(self):
        """End of input: true only when the closing delimiter arrived."""
        if not self.complete and not self.failed:
            self._fail()
        return self.complete

    def _fail(self):
        self.failed = True
        self._close_part()
        self._buf = bytearray()
        self._pos = self._scan = 0

    def _close_part(self):
        if self._part is not None:
            self._part.close()
            self._part = None

    def _consume(self, upto):
        self._pos = self._scan = upto

    def _find(self, needle):
        """Offset of needle at or after the scan point, or -1 after moving the
        scan point to where a later match could still begin."""
        at = self._buf.find(needle, max(self._scan, self._pos))
        if at < 0:
            self._scan = max(self._pos, len(self._buf) - len(needle) + 1)
        return at

    def _step(self):
        if self._state == _PREAMBLE:
            return self._skip_to_delimiter()
        if self._state == _AFTER_DELIMITER:
            return self._after_delimiter()
        if self._state == _HEADERS:
            return self._headers()
        if self._state == _BODY:
            return self._body()
        return False

    def _skip_to_delimiter(self):
        at = self._find(self._delimiter)
        if at < 0:
            self._pos = self._scan  # preamble bytes that cannot start a delimiter
            return False
        self._consume(at + len(self._delimiter))
        self._state = _AFTER_DELIMITER
        return True

    def _after_delimiter(self):
        pos = self._pos
        if len(self._buf) - pos < 2:
            return False
        if self._buf[pos:pos + 2] == b"--":
            self.complete = True
            self._state = _DONE
            self._buf = bytearray()
            self._pos = self._scan = 0
            return False
        end = self._find(b"\r\n")
        if end < 0:
            if len(self._buf) - pos > MAX_PADDING_BYTES:
                self._fail()
            return False
        if self._buf[pos:end].strip(b" \t"):
            self._fail()  # the delimiter was followed by something other than padding
            return False
        self._consume(end + 2)
        self._state = _HEADERS
        return True

    def _headers(self):
        pos = self._pos
        if self._buf[pos:pos + 2] == b"\r\n":
            block, after = b"", pos + 2  # a part without any header
        else:
            end = self._find(b"\r\n\r\n")
            if end < 0:
                if len(self._buf) - pos > MAX_PART_HEADER_BYTES:
                    self._fail()
                return False
            block, after = bytes(self._buf[pos:end]), end + 4
        self._consume(after)
        self._part = self._open_part(parse_part_headers(block))
        self._state = _BODY
        return True

    def _body(self):
        pos = self._pos
        at = self._find(self._delimiter)
        if at >= 0:
            if at > pos:
                self._part.write(bytes(self._buf[pos:at]))
            self._close_part()
            self._consume(at + len(self._delimiter))
            self._state = _AFTER_DELIMITER
            return True
        # Everything before the scan point cannot begin a delimiter: pass it on.
        if self._scan > pos:
            self._part.write(bytes(self._buf[pos:self._scan]))
            self._pos = self._scan
        return False

"""Taking in a request body: the whole body is hashed and counted; a
multipart body is split into parts, file parts going to temporary files so
that large uploads never sit in memory."""

import hashlib
import os
import tempfile

from .multipart import MultipartParser, parse_header_params

MAX_FIELD_BYTES = 65536   # form fields and plain bodies kept in memory
FILE_PART_NAME = "Filedata"


class Part:
    def __init__(self, headers, tmp_dir):
        self.headers = headers
        _, disposition = parse_header_params(headers.get("content-disposition", ""))
        self.name = disposition.get("name")
        self.filename = disposition.get("filename")
        self.content_type = headers.get("content-type")
        self.size = 0
        self._sha = hashlib.sha256()
        self.value = bytearray()
        self.path = None
        self._file = None
        self.is_file = self.filename is not None or self.name == FILE_PART_NAME
        if self.is_file:
            handle, self.path = tempfile.mkstemp(dir=tmp_dir, prefix="part-")
            self._file = os.fdopen(handle, "wb")

    def write(self, data):
        self.size += len(data)
        self._sha.update(data)
        if self._file is not None:
            self._file.write(data)
        elif len(self.value) < MAX_FIELD_BYTES:
            self.value += data[:MAX_FIELD_BYTES - len(self.value)]

    def close(self):
        if self._file is not None:
            self._file.close()
            self._file = None

    def claim(self):
        """Hands the spooled file to the caller, who then owns it."""
        path, self.path = self.path, None
        return path

    def discard(self):
        self.close()
        if self.path is not None:
            try:
                os.unlink(self.path)
            except OSError:
                pass

    def describe(self):
        entry = {"name": self.name, "filename": self.filename,
                 "content_type": self.content_type, "size": self.size,
                 "sha256": self._sha.hexdigest()}
        if not self.is_file:
            entry["value"] = bytes(self.value).decode("latin-1")
        return entry


class BodySpool:
    def __init__(self, content_type, tmp_dir):
        self._tmp_dir = tmp_dir
        self.sha = hashlib.sha256()
        self.size = 0
        self.parts = []
        self.text = bytearray()  # the first bytes of a body that is not multipart
        self.multipart_ok = None
        kind, params = parse_header_params(content_type or "")
        boundary = params.get("boundary", "")
        self._parser = None
        if kind == "multipart/form-data" and boundary:
            self._parser = MultipartParser(boundary.encode("latin-1"), self._open_part)

    @property
    def is_multipart(self):
        return self._parser is not None

    def _open_part(self, headers):
        part = Part(headers, self._tmp_dir)
        self.parts.append(part)
        return part

    def feed(self, data):
        self.size += len(data)
        self.sha.update(data)
        if self._parser is not None:
            self._parser.feed(data)
        elif len(self.text) < MAX_FIELD_BYTES:
            self.text += data[:MAX_FIELD_BYTES - len(self.text)]

    def finish(self):
        if self._parser is not None:
            self.multipart_ok = self._parser.finish()
        for part in self.parts:
            part.close()

    def file_part(self, name):
        for part in self.parts:
            if part.name == name and part.path is not None:
                return part
        return None

    def discard(self):
        for part in self.parts:
            part.discard()

"""Small PNG images made from scratch (zlib + struct): thumbnails and icons
whose colours derive from a seed text, so different uploads look different."""

import hashlib
import struct
import zlib

THUMB_SIZE = (100, 75)
ICON_SIZE = (32, 32)


def _chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def encode_png(width, height, rows):
    """rows: one bytes object of width * 3 RGB bytes per image row."""
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    raw = b"".join(b"\x00" + row for row in rows)                   # filter: none
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b""))


def _seed_colour(seed):
    digest = hashlib.sha1(seed.encode("utf-8", "surrogatepass")).digest()
    return digest[0], digest[1], digest[2]


def gradient_png(seed, size):
    """A vertical gradient from the seed's colour towards black."""
    width, height = size
    red, green, blue = _seed_colour(seed)
    rows = []
    for y in range(height):
        scale = 1.0 - 0.6 * y / max(1, height - 1)
        pixel = bytes((int(red * scale), int(green * scale), int(blue * scale)))
        rows.append(pixel * width)
    return encode_png(width, height, rows)


def thumbnail_png(upload_id):
    return gradient_png("thumb:" + upload_id, THUMB_SIZE)


def icon_png(name):
    return gradient_png("icon:" + name, ICON_SIZE)

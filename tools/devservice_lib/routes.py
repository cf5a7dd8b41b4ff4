"""The hosting service's own resources: upload and verify API, stored files,
thumbnails and icons, the three link shorteners, statistics pings and the
latest-version text."""

import mimetypes
import os

from .pngimage import icon_png, thumbnail_png
from .response import Response, file_reply, json_reply, text
from .spool import FILE_PART_NAME
from .state import STAT_KINDS, UPLOAD_ID, storage_name

IMAGE_EXTENSIONS = ("png", "jpg", "jpeg", "gif", "bmp")


def extension(name):
    base, dot, ext = name.rpartition(".")
    ext = ext.lower()
    if not dot or not base or not ext.isascii() or not ext.isalnum() or len(ext) > 10:
        return ""
    return ext


def query_tail(query, key):
    """The text after 'key=' up to the end of the query, or None. Long URLs
    are appended unescaped and last, so an '&' inside one belongs to it."""
    prefix = key + "="
    if query.startswith(prefix):
        return query[len(prefix):]
    at = query.find("&" + prefix)
    return None if at < 0 else query[at + 1 + len(prefix):]


def upload(request, state):
    user, verdict = request.auth
    if verdict is False:
        return json_reply(401, {"error": "unauthorised"})
    spool = request.spool
    part = spool.file_part(FILE_PART_NAME) if spool is not None else None
    if part is None or not spool.multipart_ok:
        return json_reply(400, {"error": "no Filedata part"})

    name = storage_name(part.filename or "unnamed")
    upload_id, folder = state.new_upload_dir()
    os.replace(part.claim(), os.path.join(folder, name))
    state.record_upload({"id": upload_id, "name": name, "filename": part.filename,
                         "size": part.size, "user": user})
    ext = extension(name) or "file"
    # ASCII escapes keep every byte of the name: the client reads \u00e9 back as 0xE9.
    return json_reply(200, {"path": "%s/%s/%s" % (state.base_url, upload_id, name),
                            "icon": "/icons/%s.png" % ext})


def verify(request, state):
    return json_reply(200, {"authorised": request.auth[1] is True})


def thumbnail(upload_id, name, state):
    path = state.stored_file(upload_id, name)
    if path is None or extension(name) not in IMAGE_EXTENSIONS:
        return text(404, "no thumbnail\n")
    return Response(200, thumbnail_png(upload_id), "image/png")


def stored(upload_id, name, state):
    path = state.stored_file(upload_id, name)
    if path is None:
        return text(404, "not found\n")
    kind = mimetypes.guess_type(name)[0] or "application/octet-stream"
    return file_reply(path, os.path.getsize(path), kind)


def shorten_get(request, state, service, key, prefix):
    long_url = query_tail(request.query, key)
    if not long_url:
        return text(400, "missing %s\n" % key)
    code = state.record_short_link(service, long_url)
    return text(200, "%s/%s/%s" % (state.base_url, prefix, code))


def shorten_post(request, state):
    body = bytes(request.spool.text).decode("latin-1") if request.spool else ""
    long_url = query_tail(body, "link")
    if not long_url:
        return text(400, "missing link\n")
    return text(200, state.record_short_link("third", long_url))


def route(request, state):
    method, path, segments = request.method, request.path, request.segments
    if path == "/api/json":
        if method == "POST":
            return upload(request, state)
        if method == "GET":
            return verify(request, state)
        return text(405, "method not allowed\n")
    if method == "POST" and path == "/api":
        return shorten_post(request, state)
    if method != "GET":
        return text(405, "method not allowed\n")
    if path == "/api.php":
        return shorten_get(request, state, "first", "longurl", "s")
    if path == "/api-create.php":
        return shorten_get(request, state, "tinyurl", "url", "t")
    if path == "/latest_version":
        return Response(200, state.latest_version.encode("utf-8"))
    release = state.release
    if path == "/update_manifest":
        return Response(200, release.manifest) if release else text(404, "no release\n")
    if release and path == "/" + release.name:
        return Response(200, release.body, "application/octet-stream")
    if len(segments) == 4 and segments[1:3] == ["stats", "u"] and segments[3] in STAT_KINDS:
        state.count_stat(segments[3])
        return text(200, "ok")
    if len(segments) == 3 and segments[1] == "icons" and segments[2].endswith(".png"):
        return Response(200, icon_png(segments[2]), "image/png")
    if len(segments) == 5 and segments[1:3] == ["files", "thumbs"]:
        return thumbnail(segments[3], segments[4], state)
    if len(segments) == 4 and segments[1] == "files":
        return stored(segments[2], segments[3], state)
    # The public address answered for an upload ends in <id>/<name>, below
    # whatever base address the service was given.
    if len(segments) >= 3 and UPLOAD_ID.match(segments[-2]):
        return stored(segments[-2], segments[-1], state)
    return text(404, "not found\n")


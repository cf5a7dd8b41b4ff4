"""The /_control/ resources through which tests steer the service and read
what it saw. They are never logged and never spoiled by faults."""

import hashlib
import json

from .releases import parse_release
from .response import json_reply

MAX_CONTROL_BODY = 16 * 1024 * 1024


def _json_object(raw):
    if not raw.strip():
        return {}
    try:
        value = json.loads(raw.decode("utf-8"))
    except (UnicodeDecodeError, ValueError):
        return None
    return value if isinstance(value, dict) else None


def _add_account(order, state):
    user = order.get("user")
    secret = order.get("hash")
    if isinstance(order.get("password"), str):
        secret = hashlib.sha1(order["password"].encode("latin-1", "replace")).hexdigest()
    if not isinstance(user, str) or not isinstance(secret, str):
        return json_reply(400, {"error": "need user and hash or password"})
    if not state.add_account(user, secret.lower()):
        return json_reply(400, {"error": "hash must be 40 hexadecimal digits"})
    return json_reply(200, {"ok": True})


def handle_control(method, name, raw_body, state, faults):
    """name: the path after /_control/."""
    if method == "GET":
        if name == "requests":
            return json_reply(200, state.log.entries())
        if name == "faults":
            return json_reply(200, faults.describe())
        if name == "state":
            return json_reply(200, state.snapshot())
        return json_reply(404, {"error": "unknown control resource"})
    if method != "POST":
        return json_reply(405, {"error": "use GET or POST"})

    order = _json_object(raw_body)
    if order is None:
        return json_reply(400, {"error": "body must be a JSON object"})
    if name == "fault":
        fault, error = faults.add(order)
        if fault is None:
            return json_reply(400, {"error": error})
        return json_reply(200, fault.describe())
    if name == "reset":
        faults.reset()
        return json_reply(200, {"ok": True})
    if name == "clear":
        state.log.clear()
        return json_reply(200, {"ok": True})
    if name == "account":
        return _add_account(order, state)
    if name == "latest_version":
        if not isinstance(order.get("text"), str):
            return json_reply(400, {"error": "need text"})
        state.latest_version = order["text"]
        return json_reply(200, {"ok": True})
    if name == "release":
        release, error = parse_release(order)
        if release is None:
            return json_reply(400, {"error": error})
        state.release = release
        return json_reply(200, {"ok": True, "installer": release.name})
    return json_reply(404, {"error": "unknown control resource"})

"""The listening server and its life: bind, announce the port, serve until
SIGTERM or SIGINT, stop."""

import os
import signal
import sys
import threading
from http.server import ThreadingHTTPServer

from .faults import FaultTable
from .handler import ServiceHandler
from .state import ServiceState


class DevServer(ThreadingHTTPServer):
    daemon_threads = True
    block_on_close = False   # stalled connections must not hold up the exit
    allow_reuse_address = True

    def __init__(self, port, verbose=False):
        super().__init__(("127.0.0.1", port), ServiceHandler)
        self.verbose = verbose
        self.stopping = threading.Event()
        self.faults = FaultTable()
        self.state = None

    @property
    def port(self):
        return self.server_address[1]


def write_port_file(path, port):
    """Written under a temporary name first, so a reader never sees half of it."""
    temporary = "%s.%d.tmp" % (path, os.getpid())
    with open(temporary, "w") as out:
        out.write("%d\n" % port)
    os.replace(temporary, path)


def serve(port, data_dir, accounts, latest_version, base_url=None, port_file=None,
          verbose=False):
    server = DevServer(port, verbose)
    base = base_url or "http://127.0.0.1:%d" % server.port
    server.state = ServiceState(data_dir, base, accounts, latest_version)

    def request_stop(signum, frame):
        server.stopping.set()
    signal.signal(signal.SIGTERM, request_stop)
    signal.signal(signal.SIGINT, request_stop)

    loop = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1},
                            daemon=True)
    loop.start()
    if port_file:
        write_port_file(port_file, server.port)
    print("listening on http://127.0.0.1:%d" % server.port, flush=True)
    # Waiting in short steps lets the signal handlers run promptly.
    while not server.stopping.wait(0.2):
        pass
    server.shutdown()
    server.server_close()
    sys.stdout.flush()
    return 0

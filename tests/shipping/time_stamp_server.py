"""A time-stamping authority on 127.0.0.1 for the signing test (RFC 3161 over
HTTP): each query is answered by `openssl ts -reply` with the configuration
given; a query to a path under /broken/ gets a 500 instead.

    time_stamp_server.py CONFIG PORT_FILE
"""
import http.server
import os
import subprocess
import sys
import tempfile

LARGEST_QUERY = 64 * 1024


class TimeStamps(http.server.BaseHTTPRequestHandler):
    config = ""

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        if length <= 0 or length > LARGEST_QUERY:
            self.send_error(413)
            return
        query = self.rfile.read(length)
        if self.path.startswith("/broken/"):
            self.send_error(500)
            return
        with tempfile.TemporaryDirectory() as folder:
            query_file = os.path.join(folder, "query.tsq")
            reply_file = os.path.join(folder, "reply.tsr")
            with open(query_file, "wb") as out:
                out.write(query)
            made = subprocess.run(
                ["openssl", "ts", "-reply", "-config", self.config, "-queryfile", query_file, "-out", reply_file],
                cwd=os.path.dirname(self.config), capture_output=True, timeout=30)
            if made.returncode != 0:
                self.send_error(500)
                return
            with open(reply_file, "rb") as reply_in:
                reply = reply_in.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *arguments):
        pass


def main():
    TimeStamps.config = os.path.abspath(sys.argv[1])
    server = http.server.HTTPServer(("127.0.0.1", 0), TimeStamps)
    with open(sys.argv[2] + ".part", "w") as port_file:
        port_file.write(str(server.server_address[1]))
    os.replace(sys.argv[2] + ".part", sys.argv[2])
    server.serve_forever()


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""A throwaway RFC 3161 time-stamp server for the signing check: answers each
POSTed query with `openssl ts -reply -config CONFIG` on a free local port,
which it writes to PORT_FILE once it listens. With --never-answer instead of
a CONFIG it takes every connection and never answers, as a hung server does.

  time_stamp_server.py CONFIG|--never-answer PORT_FILE
"""
import http.server
import os
import socket
import subprocess
import sys

CONFIG, PORT_FILE = sys.argv[1], sys.argv[2]


def announce(port):
    with open(PORT_FILE + ".tmp", "w") as out:
        out.write(str(port))
    os.rename(PORT_FILE + ".tmp", PORT_FILE)


def never_answer():
    listener = socket.create_server(("127.0.0.1", 0))
    announce(listener.getsockname()[1])
    held = []
    while True:
        held.append(listener.accept()[0])  # kept open, never read or answered


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", CONFIG,
                                "-queryfile", "/dev/stdin"],
                               input=query, capture_output=True).stdout
        self.send_response(200 if reply else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


if CONFIG == "--never-answer":
    never_answer()
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
announce(server.server_address[1])
server.serve_forever()

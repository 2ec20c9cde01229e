#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A small activation server for the example flow, on loopback only.

POST /activate  with basic authentication demo:secret and the body "key=DEMO-1234"
                answers 200 "activated"; wrong credentials 401, an unknown key 403.
GET  /payload.bin  a small binary file (it holds zero bytes).
Prints the port it listens on as its first line, then serves until it is stopped.
"""
import base64
import http.server
import sys

PAYLOAD = bytes(range(256)) * 4
CREDENTIALS = "Basic " + base64.b64encode(b"demo:secret").decode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def answer(self, status, body, kind="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        if self.path != "/activate":
            self.answer(404, b"no such page")
        elif self.headers.get("Authorization") != CREDENTIALS:
            self.answer(401, b"who are you?")
        elif body != b"key=DEMO-1234":
            self.answer(403, b"unknown licence key")
        else:
            client = self.headers.get("X-Client", "unknown client")
            self.answer(200, ("activated for " + client).encode())

    def do_GET(self):
        if self.path == "/payload.bin":
            self.answer(200, PAYLOAD, "application/octet-stream")
        else:
            self.answer(404, b"no such page")

    def log_message(self, format, *args):
        sys.stderr.write("server: " + format % args + "\n")


server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1]) if len(sys.argv) > 1 else 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()

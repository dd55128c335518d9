#!/usr/bin/env python3
"""A stand-in update server for the end-to-end cases.

Listens on 127.0.0.1 (a free port, written to --port-file), logs every
request as one JSON line (method, path, headers, body as hex) to --log, and
answers as --mode says:
  older        every row is offered version 1 (older than anything installed)
  newer:CODE   the row whose app key holds CODE is offered version ffff,
               the others version 1
  hang         reads the request and never answers
"""
import argparse
import json
import socketserver
import threading
import time
from http.server import BaseHTTPRequestHandler, HTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        entry = {
            "method": self.command,
            "path": self.path,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": body.hex(),
        }
        with self.server.log_lock:
            with open(self.server.log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps(entry) + "\n")
        mode = self.server.mode
        if mode == "hang":
            while True:
                time.sleep(3600)
        version = "1"
        if mode.startswith("newer:") and mode[6:].encode() in body:
            version = "ffff"
        answer = json.dumps({
            "name": "update",
            "version": version,
            "version_name": version,
            "path": "https://updates.invalid/file",
            "device_id": 1,
        }).encode()
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)

    do_GET = do_POST


class Server(socketserver.ThreadingMixIn, HTTPServer):
    daemon_threads = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--mode", default="older")
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.log_path = args.log
    server.log_lock = threading.Lock()
    server.mode = args.mode
    open(args.log, "w").close()
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    import os
    os.replace(args.port_file + ".tmp", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()

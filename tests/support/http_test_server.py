#!/usr/bin/python3
"""A small HTTP server for the download tests, on 127.0.0.1:PORT, serving FOLDER.
Usage: http_test_server.py PORT FOLDER [CERT KEY]   (with CERT and KEY: HTTPS)

  /files/NAME             the file NAME of the served folder
  /status/CODE            answers with status CODE and a short error page
  /redirect/N/REST        redirects N times, then to /REST
  /drop/SIZE              announces SIZE bytes, sends half of them and drops the connection
  /large/SIZE             SIZE bytes of a repeating pattern, sent in 1 MiB pieces
  /stall/SIZE             announces SIZE bytes, sends half of them, waits two seconds and
                          closes the connection
  /chunked-lie/SIZE       announces SIZE bytes and sends half of them in well-formed chunks
"""
import time
import http.server
import os
import ssl
import sys

PATTERN = bytes(range(256)) * 4096  # 1 MiB


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, format, *args):
        sys.stderr.write("%s\n" % (format % args))

    def send_body(self, code, body, content_type="application/octet-stream"):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_half(self, size):
        """Announces size bytes and sends half of them; the connection ends after it."""
        self.send_response(200)
        self.send_header("Content-Length", str(size))
        self.end_headers()
        self.wfile.write((PATTERN * (size // len(PATTERN) + 1))[: size // 2])
        self.wfile.flush()
        self.close_connection = True

    def do_GET(self):
        parts = self.path.split("/", 2)
        kind = parts[1] if len(parts) > 1 else ""
        rest = parts[2] if len(parts) > 2 else ""
        if kind == "files":
            path = os.path.join(self.server.folder, os.path.basename(rest))
            if not os.path.isfile(path):
                self.send_body(404, b"<html>no such file</html>", "text/html")
                return
            with open(path, "rb") as f:
                self.send_body(200, f.read())
        elif kind == "status":
            self.send_body(int(rest), b"<html>error page</html>", "text/html")
        elif kind == "redirect":
            count, _, target = rest.partition("/")
            count = int(count)
            location = "/redirect/%d/%s" % (count - 1, target) if count > 1 else "/" + target
            self.send_response(302)
            self.send_header("Location", location)
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif kind == "drop":
            self.send_half(int(rest))
        elif kind == "stall":
            self.send_half(int(rest))
            time.sleep(2)
        elif kind == "chunked-lie":
            size = int(rest)
            self.send_response(200)
            self.send_header("Content-Length", str(size))
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            body = (PATTERN * (size // len(PATTERN) + 1))[: size // 2]
            for start in range(0, len(body), 65536):
                piece = body[start : start + 65536]
                self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
            self.wfile.write(b"0\r\n\r\n")
            self.close_connection = True
        elif kind == "large":
            size = int(rest)
            self.send_response(200)
            self.send_header("Content-Length", str(size))
            self.end_headers()
            left = size
            while left > 0:
                piece = PATTERN[: min(left, len(PATTERN))]
                self.wfile.write(piece)
                left -= len(piece)
        else:
            self.send_body(404, b"<html>unknown</html>", "text/html")


def main():
    port = int(sys.argv[1])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.folder = sys.argv[2]
    if len(sys.argv) > 4:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[3], sys.argv[4])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()


if __name__ == "__main__":
    main()

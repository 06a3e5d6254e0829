"""Serves a 20,000-byte page for every path after a delay, on 127.0.0.1 to 127.0.0.N at one
port, each address a host of its own, as far-away forums would be. Prints "ready PORT" once
it listens, then runs until killed.
Usage: slow_server.py DELAY_SECONDS HOSTS"""
import http.server
import sys
import threading
import time

delay, hosts = float(sys.argv[1]), int(sys.argv[2])
PAGE = b"p" * 20000


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        time.sleep(delay)
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(PAGE)))
        self.end_headers()
        self.wfile.write(PAGE)

    def log_message(self, *args):
        pass


port = 0  # the first address picks a free port; the others take the same
for n in range(1, hosts + 1):
    server = http.server.ThreadingHTTPServer((f"127.0.0.{n}", port), Handler)
    port = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
print("ready", port, flush=True)
while True:
    time.sleep(3600)

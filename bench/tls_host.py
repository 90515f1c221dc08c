#!/usr/bin/env python3
"""A local HTTPS update host for the start-up benchmark.

    tls_host.py PORT CERT KEY

Answers every GET with the current update file (CP936 bytes), over TLS with
the given certificate, on 127.0.0.1 only, until it is ended.
"""
import http.server
import ssl
import sys

BODY = "最新版本【20200915】".encode("gbk")


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(BODY)))
        self.end_headers()
        self.wfile.write(BODY)

    def log_message(self, *args):
        pass


def main():
    port, cert, key = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print("ready", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()

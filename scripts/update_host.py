#!/usr/bin/env python3
"""A local HTTPS update host: serves the files of a folder on the loopback
interface, for a build whose update address points here (scripts/run.sh).

    update_host.py --port 47443 --cert host.pem --key host.key --root data

Request paths are percent-decoded as UTF-8, so
/%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt serves ROOT/更新版本.txt. Prints
"ready" once it listens, then serves until it is stopped.
"""
import argparse
import functools
import http.server
import ssl
import sys


class Server(http.server.ThreadingHTTPServer):
    context = None

    def get_request(self):
        # The handshake happens in the request's own thread, so a client
        # that never completes it holds up no one else.
        sock, address = self.socket.accept()
        return self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), address


class Handler(http.server.SimpleHTTPRequestHandler):
    timeout = 30

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--root", required=True)
    args = parser.parse_args()

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    handler = functools.partial(Handler, directory=args.root)
    server = Server((args.host, args.port), handler)
    server.context = context
    print("ready", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())

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


class Handler(http.server.SimpleHTTPRequestHandler):
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
    server = http.server.ThreadingHTTPServer((args.host, args.port), handler)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print("ready", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())

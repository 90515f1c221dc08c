#!/usr/bin/env python3
"""A misbehaving-on-request HTTPS host for the update-check tests.

    server.py --port 0 --cert C --key K --mode file --body F [--status 404]
              [--record R] [--location URL] [--interval S] [--cut N]
              [--size N]

Prints "port N" once it listens (port 0 picks a free one; a busy fixed port
is retried for a while, for a host a test run just left). Modes:
  file      answers every request with the bytes of --body and --status
  redirect  answers 302 with Location: --location, or without one the
            path it was asked for (a loop); --body, if given, is sent
            as the body of the 302
  silent    accepts connections and never sends a byte (not even the TLS
            handshake)
  trickle   answers 200 and then one byte every --interval seconds (0.5):
            the bytes of --body, or "x" for two minutes without one
  cut       answers 200 with the length of --body, sends its first --cut
            bytes and drops the connection (no TLS close either)
  headers   answers 200 and then header lines without end
  huge      answers 200 with a body of --size bytes (1 GiB), made as it
            goes, never held whole; it stops when the client hangs up
--record writes the head of the first request (request line and headers)
to the given file, and in mode huge the count of body bytes the client
took to that file name plus ".sent".
"""
import argparse
import errno
import socket
import ssl
import sys
import threading
import time

HUGE = 1024 * 1024 * 1024


class Recorded:
    def __init__(self):
        self.lock = threading.Lock()
        self.done = False


def listen(port):
    deadline = time.monotonic() + 60
    while True:
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            sock.bind(("127.0.0.1", port))
            sock.listen(16)
            return sock
        except OSError as error:
            sock.close()
            if error.errno != errno.EADDRINUSE or time.monotonic() > deadline:
                raise
            time.sleep(0.2)


def request_path(head):
    words = head.split(b"\r\n")[0].split(b" ")
    return words[1] if len(words) > 1 else b"/"


def read_head(conn):
    head = b""
    while b"\r\n\r\n" not in head and len(head) < 65536:
        chunk = conn.recv(4096)
        if not chunk:
            break
        head += chunk
    return head.split(b"\r\n\r\n")[0]


def serve(conn, args, recorded):
    sent = 0
    try:
        conn.settimeout(30)
        if args.mode == "silent":
            time.sleep(60)
            return
        conn.do_handshake()
        head = read_head(conn)
        with recorded.lock:
            if args.record and not recorded.done:
                with open(args.record, "wb") as out:
                    out.write(head)
                recorded.done = True
        if args.mode == "file":
            body = open(args.body, "rb").read()
            reason = {200: "OK", 404: "Not Found", 500: "Internal Server Error"}.get(args.status, "Status")
            conn.sendall(b"HTTP/1.0 %d %s\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n\r\n"
                         % (args.status, reason.encode(), len(body)) + body)
        elif args.mode == "redirect":
            location = args.location.encode() or request_path(head)
            body = open(args.body, "rb").read() if args.body else b""
            conn.sendall(b"HTTP/1.0 302 Found\r\nLocation: %s\r\nContent-Length: %d\r\n\r\n"
                         % (location, len(body)) + body)
        elif args.mode == "trickle":
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n")
            body = open(args.body, "rb").read() if args.body else b"x" * int(120 / args.interval)
            for byte in body:
                conn.sendall(bytes([byte]))
                time.sleep(args.interval)
        elif args.mode == "cut":
            body = open(args.body, "rb").read()
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n\r\n"
                         % len(body))
            conn.sendall(body[:args.cut])
            time.sleep(0.2)  # the part arrives on its own, then the line drops
            conn.shutdown(socket.SHUT_RDWR)  # the line drops without a TLS close
        elif args.mode == "headers":
            conn.sendall(b"HTTP/1.0 200 OK\r\n")
            line = b"X-Filler: " + b"z" * 1000 + b"\r\n"
            while True:
                conn.sendall(line * 64)
        elif args.mode == "huge":
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % args.size)
            chunk = b"y" * 65536
            try:
                while sent < args.size:
                    part = chunk[:args.size - sent]
                    conn.sendall(part)
                    sent += len(part)
            finally:
                if args.record:
                    with open(args.record + ".sent", "w") as out:
                        out.write("%d\n" % sent)
    except (OSError, ssl.SSLError):
        pass  # the client gave up or failed the handshake: that is its test
    finally:
        try:
            conn.close()
        except OSError:
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--mode", default="file",
                        choices=["file", "redirect", "silent", "trickle", "cut", "headers", "huge"])
    parser.add_argument("--body")
    parser.add_argument("--status", type=int, default=200)
    parser.add_argument("--location", default="")
    parser.add_argument("--record")
    parser.add_argument("--interval", type=float, default=0.5)
    parser.add_argument("--cut", type=int, default=0)
    parser.add_argument("--size", type=int, default=HUGE)
    args = parser.parse_args()

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    sock = listen(args.port)
    print("port %d" % sock.getsockname()[1], flush=True)
    recorded = Recorded()
    while True:
        raw, _ = sock.accept()
        conn = context.wrap_socket(raw, server_side=True, do_handshake_on_connect=False)
        threading.Thread(target=serve, args=(conn, args, recorded), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())

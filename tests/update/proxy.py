#!/usr/bin/env python3
"""A forward proxy for the update-check tests: it tunnels CONNECT requests
and records the request line of each.

    proxy.py --record R

Prints "port N" once it listens on 127.0.0.1 (a free port). Every request
line it gets is appended to R; anything but CONNECT is answered 405.
"""
import argparse
import socket
import sys
import threading


def pump(source, target):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass
    finally:
        for sock in (source, target):
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


def serve(client, record, lock):
    head = b""
    while b"\r\n\r\n" not in head:
        data = client.recv(4096)
        if not data:
            client.close()
            return
        head += data
    line = head.split(b"\r\n", 1)[0]
    with lock, open(record, "ab") as out:
        out.write(line + b"\n")
    parts = line.split()
    if len(parts) != 3 or parts[0] != b"CONNECT":
        client.sendall(b"HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n")
        client.close()
        return
    host, _, port = parts[1].decode().rpartition(":")
    try:
        upstream = socket.create_connection((host, int(port)), timeout=10)
        upstream.settimeout(None)
    except OSError:
        client.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
        client.close()
        return
    client.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
    rest = head.split(b"\r\n\r\n", 1)[1]
    if rest:
        upstream.sendall(rest)
    threading.Thread(target=pump, args=(upstream, client), daemon=True).start()
    pump(client, upstream)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--record", required=True)
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print("port", listener.getsockname()[1], flush=True)
    lock = threading.Lock()
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client, args.record, lock), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""A one-request TLS host: writes the request head it receives to a file and
answers with an update file the way an HTTP/1.0 server does (no length; the
body ends when the connection closes).

    request_host.py PORT CERT KEY UPDATE_FILE REQUEST_OUT
"""
import socket
import ssl
import sys


def main():
    port, cert, key, update_file, request_out = sys.argv[1:6]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", int(port)))
    listener.listen(4)
    listener.settimeout(120)
    print("ready", flush=True)
    while True:
        connection, _ = listener.accept()
        try:
            stream = context.wrap_socket(connection, server_side=True)
        except (ssl.SSLError, OSError):
            connection.close()
            continue
        stream.settimeout(30)
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = stream.recv(4096)
            if not chunk:
                break
            head += chunk
        with open(request_out, "wb") as out:
            out.write(head)
        with open(update_file, "rb") as body:
            stream.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body.read())
        stream.close()
        return 0


if __name__ == "__main__":
    sys.exit(main())

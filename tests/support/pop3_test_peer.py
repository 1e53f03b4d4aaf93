#!/usr/bin/python3
"""Misbehaving POP3 peers for the mail tests, on 127.0.0.1:PORT.
Usage: pop3_test_peer.py PORT proxy TARGET_PORT CUT_AFTER
       pop3_test_peer.py PORT trickle|stall MESSAGE_FILE

  proxy    forwards every connection to 127.0.0.1:TARGET_PORT (a real server). Each
           connection is cut once CUT_AFTER bytes went from the server to the client
           (0: never). SIGUSR1 cuts every connection open at that moment; each cut is
           written to stdout as "cut".
  trickle  a POP3 server holding the one message of MESSAGE_FILE; RETR sends it one byte
           every half second.
  stall    the same server; RETR is never answered.
"""
import signal
import socket
import sys
import threading
import time

connections = []
lock = threading.Lock()


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def cut(pair):
    for sock in pair:
        try:
            sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        sock.close()


def pump(source, dest, pair, limit):
    sent = 0
    try:
        while True:
            data = source.recv(4096)
            if not data:
                break
            if limit and sent + len(data) >= limit:
                dest.sendall(data[: limit - sent])
                say("cut")
                break
            dest.sendall(data)
            sent += len(data)
    except OSError:
        pass
    cut(pair)


def proxy(listener, target_port, cut_after):
    def on_signal(*_):
        with lock:
            for pair in connections:
                cut(pair)
            connections.clear()
        say("cut")

    signal.signal(signal.SIGUSR1, on_signal)
    while True:
        client, _ = listener.accept()
        server = socket.create_connection(("127.0.0.1", target_port))
        pair = (client, server)
        with lock:
            connections.append(pair)
        threading.Thread(target=pump, args=(client, server, pair, 0), daemon=True).start()
        threading.Thread(target=pump, args=(server, client, pair, cut_after), daemon=True).start()


def serve_one(client, message, mode):
    reader = client.makefile("rb")
    client.sendall(b"+OK ready\r\n")
    for line in reader:
        words = line.decode("latin-1").strip().split()
        command = words[0].upper() if words else ""
        if command == "QUIT":
            client.sendall(b"+OK bye\r\n")
            break
        if command == "STAT":
            client.sendall(b"+OK 1 %d\r\n" % len(message))
        elif command == "RETR":
            say("RETR")
            if mode == "stall":
                time.sleep(3600)
            client.sendall(b"+OK\r\n")
            for byte in message + b"\r\n.\r\n":
                client.sendall(bytes([byte]))
                time.sleep(0.5)
        elif command == "CAPA":
            client.sendall(b"+OK\r\nUSER\r\n.\r\n")
        else:
            client.sendall(b"+OK\r\n")
    client.close()


def responder(listener, message, mode):
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve_one, args=(client, message, mode), daemon=True).start()


def main():
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", int(sys.argv[1])))
    listener.listen(8)
    mode = sys.argv[2]
    if mode == "proxy":
        proxy(listener, int(sys.argv[3]), int(sys.argv[4]))
    else:
        with open(sys.argv[3], "rb") as f:
            message = f.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        responder(listener, message, mode)


if __name__ == "__main__":
    main()

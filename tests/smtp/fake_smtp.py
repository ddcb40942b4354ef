#!/usr/bin/env python3
"""A scripted SMTP peer for the faults a real server does not make.

    fake_smtp.py start STATE   listen on 127.0.0.1, port written to STATE.port
    fake_smtp.py stop STATE

A test connects to the control port and sends a script, one step a line,
ended by a line "END":
    S text     send text and CR LF
    R          read one line from the client
    D          read lines up to and including a line "."
    Z seconds  say nothing for that long (the client is meant to give up)
    X          close the connection
The server answers "PORT n" with the port of a listener made for this script,
serves one connection with it, then reads on until the client closes, and
sends back "TRANSCRIPT n" followed by the n bytes the client sent.
"""
import os
import signal
import socket
import sys
import threading
import time


def read_line(conn, buf):
    while b"\n" not in buf[0]:
        chunk = conn.recv(65536)
        if not chunk:
            line, buf[0] = buf[0], b""
            return line if line else None
        buf[0] += chunk
    line, rest = buf[0].split(b"\n", 1)
    buf[0] = rest
    return line + b"\n"


def run_script(steps, listener, transcript):
    listener.settimeout(60)
    try:
        conn, _ = listener.accept()
    except OSError:
        return
    conn.settimeout(60)
    buf = [b""]
    try:
        for step in steps:
            op, _, arg = step.partition(" ")
            if op == "S":
                conn.sendall(arg.encode("latin-1") + b"\r\n")
            elif op == "R":
                line = read_line(conn, buf)
                if line is None:
                    return
                transcript.append(line)
            elif op == "D":
                while True:
                    line = read_line(conn, buf)
                    if line is None:
                        return
                    transcript.append(line)
                    if line.rstrip(b"\r\n") == b".":
                        break
            elif op == "Z":
                time.sleep(float(arg))
            elif op == "X":
                return
        conn.settimeout(10)
        while True:
            line = read_line(conn, buf)
            if line is None:
                return
            transcript.append(line)
    except OSError:
        return
    finally:
        if buf[0]:
            transcript.append(buf[0])
        try:
            conn.close()
        except OSError:
            pass


def serve_control(control):
    control.settimeout(120)
    buf = [b""]
    steps = []
    while True:
        line = read_line(control, buf)
        if line is None:
            return
        text = line.decode("latin-1").rstrip("\r\n")
        if text == "END":
            break
        steps.append(text)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    control.sendall(b"PORT %d\n" % listener.getsockname()[1])
    transcript = []
    run_script(steps, listener, transcript)
    listener.close()
    data = b"".join(transcript)
    control.sendall(b"TRANSCRIPT %d\n" % len(data) + data)


def serve(state):
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    with open(state + ".port.tmp", "w") as f:
        f.write(str(server.getsockname()[1]))
    os.replace(state + ".port.tmp", state + ".port")
    while True:
        control, _ = server.accept()

        def handle(c=control):
            try:
                serve_control(c)
            except OSError:
                pass
            finally:
                c.close()

        threading.Thread(target=handle, daemon=True).start()


def start(state):
    stop(state)
    for suffix in (".port", ".pid"):
        if os.path.exists(state + suffix):
            os.remove(state + suffix)
    if os.fork() == 0:
        os.setsid()
        if os.fork() != 0:
            os._exit(0)
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
        with open(state + ".pid", "w") as f:
            f.write(str(os.getpid()))
        serve(state)
        os._exit(0)
    for _ in range(100):
        if os.path.exists(state + ".port"):
            return 0
        time.sleep(0.05)
    print("fake_smtp: did not start", file=sys.stderr)
    return 1


def stop(state):
    try:
        with open(state + ".pid") as f:
            pid = int(f.read().strip())
        os.kill(pid, signal.SIGTERM)
    except (OSError, ValueError):
        pass
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(start(sys.argv[2]) if sys.argv[1] == "start" else stop(sys.argv[2]))

#!/usr/bin/env python3
"""A small IMAP4 server for the faults a real server does not make.

    fake_imap_server.py -- PROGRAM [ARGS...]

Listens on 127.0.0.1 at a free port, runs PROGRAM with CVM_FAKE_IMAP_PORT set
to that port, and exits with PROGRAM's status. What the server does is chosen
by the user name of the LOGIN command (see SCENARIOS); every command a session
sends is recorded, and a connection that sends "X TRANSCRIPT user" gets the
commands of that user's last session back as "* CMD ..." lines.
"""
import os
import socket
import subprocess
import sys
import threading

MAIL_1 = (b"From: a@example.jp\r\nSubject: first\r\nMessage-ID: <f1@example.jp>\r\n\r\n",
          b"body one\r\n"
          b"A012 OK this line only looks like the end of the reply\r\n"
          b".\r\n"
          b"last line)\r\n")
MAIL_2 = (b"From: b@example.jp\r\nSubject: second\r\nMessage-ID: <f2@example.jp>\r\n\r\n",
          b"body two\r\n")
# A NUL byte and bare LF line ends inside the message text: read by its size,
# the literal ends exactly where the server says.
MAIL_NUL = (b"From: c@example.jp\r\nSubject: nul\r\nMessage-ID: <nul@example.jp>\r\n\r\n",
            b"before\x00after\nbare lf line\n{5}\r\nend\r\n")

# user -> (expected password, mails, fault)
SCENARIOS = {
    "normal": ("secret", [MAIL_1, MAIL_2], None),
    "nul": ("secret", [MAIL_NUL, MAIL_2], None),
    "silent": ("secret", [MAIL_2, MAIL_1], "silent-literal"),
    "badselect": ("secret", [MAIL_1], "bad-select"),
    "hugeheader": ("secret", [MAIL_1], "huge-header"),
    "byelogin": ("secret", [MAIL_1], "bye-login"),
    "quote": ('p w"q\\x', [MAIL_2], None),
    # Shift_JIS bytes, which no quoted string may carry.
    "literal": ("\u30d1\u30b9".encode("cp932").decode("latin-1"), [MAIL_2], None),
}

transcripts = {}
lock = threading.Lock()


class Closed(Exception):
    pass


class Connection:
    def __init__(self, sock):
        self.sock = sock
        self.buffer = b""

    def read_line(self):
        while b"\r\n" not in self.buffer:
            data = self.sock.recv(4096)
            if not data:
                raise Closed()
            self.buffer += data
        line, self.buffer = self.buffer.split(b"\r\n", 1)
        return line

    def read_bytes(self, n):
        while len(self.buffer) < n:
            data = self.sock.recv(4096)
            if not data:
                raise Closed()
            self.buffer += data
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def send(self, data):
        self.sock.sendall(data)

    def read_command(self):
        """One command with its literals; the client waits for "+" before each."""
        line = self.read_line()
        while line.endswith(b"}") and b"{" in line:
            start = line.rindex(b"{")
            count = line[start + 1:-1]
            if not count.isdigit():
                break
            self.send(b"+ go ahead\r\n")
            literal = self.read_bytes(int(count))
            line = line[:start] + b"\x00LIT" + literal + b"\x00" + self.read_line()
        return line


def parse_arguments(text):
    """Atoms, quoted strings and literals (marked by read_command) of a command."""
    args = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == " ":
            i += 1
        elif c == '"':
            value = ""
            i += 1
            while text[i] != '"':
                if text[i] == "\\":
                    i += 1
                value += text[i]
                i += 1
            args.append(value)
            i += 1
        elif text.startswith("\x00LIT", i):
            end = text.index("\x00", i + 4)
            args.append(text[i + 4:end])
            i = end + 1
        else:
            end = text.find(" ", i)
            end = len(text) if end < 0 else end
            args.append(text[i:end])
            i = end
    return args


def serve(sock):
    conn = Connection(sock)
    user = None
    record = []
    deleted = []
    mails = []
    fault = None
    try:
        conn.send(b"* OK fake IMAP ready\r\n")
        while True:
            raw = conn.read_command().decode("latin-1")
            tag, _, rest = raw.partition(" ")
            verb, _, args = rest.partition(" ")
            verb = verb.upper()
            record.append(rest.replace("\x00LIT", "{literal}").replace("\x00", ""))
            done = (tag + " OK %s completed (0.001 + 0.000 secs).\r\n" % verb).encode()
            if verb == "TRANSCRIPT":
                with lock:
                    lines = list(transcripts.get(args, []))
                for c in lines:
                    conn.send(("* CMD " + c + "\r\n").encode("latin-1"))
                conn.send(done)
                return
            if verb == "CAPABILITY":
                conn.send(b"* CAPABILITY IMAP4rev1\r\n" + done)
            elif verb == "LOGIN":
                name, password = parse_arguments(args)
                if name not in SCENARIOS:
                    conn.send((tag + " NO unknown user\r\n").encode())
                    continue
                user = name
                expected, mails, fault = SCENARIOS[name]
                with lock:
                    transcripts[user] = record
                if fault == "bye-login":
                    conn.send(b"* BYE server shutting down\r\n")
                    return
                if password != expected:
                    conn.send((tag + " NO [AUTHENTICATIONFAILED] Authentication failed.\r\n").encode())
                    continue
                conn.send((tag + " OK Logged in\r\n").encode())
            elif verb == "SELECT":
                if fault == "bad-select":
                    conn.send((tag + " BAD Error in IMAP command SELECT: no such thing (0.001 + 0.000 secs).\r\n")
                              .encode())
                    continue
                conn.send(("* %d EXISTS\r\n* 0 RECENT\r\n" % len(mails)).encode())
                conn.send((tag + " OK [READ-WRITE] Select completed (0.001 + 0.000 secs).\r\n").encode())
            elif verb == "FETCH":
                numbers, _, items = args.partition(" ")
                items = items.upper()
                if ":" in numbers:
                    first, last = (int(n) for n in numbers.split(":"))
                else:
                    first = last = int(numbers)
                for n in range(first, min(last, len(mails)) + 1):
                    header, text = mails[n - 1]
                    if "MESSAGE-ID" in items or "X-UIDL" in items:
                        want = b"message-id:" if "MESSAGE-ID" in items else b"x-uidl:"
                        field = b"".join(l + b"\r\n" for l in header.split(b"\r\n")
                                         if l.lower().startswith(want)) + b"\r\n"
                        name = "MESSAGE-ID" if "MESSAGE-ID" in items else "X-UIDL"
                        conn.send(b"* %d FETCH (FLAGS (\\Seen) BODY[HEADER.FIELDS (%s)] {%d}\r\n"
                                  % (n, name.encode(), len(field)) + field + b")\r\n")
                    elif "RFC822.SIZE" in items:
                        conn.send(b"* %d FETCH (RFC822.SIZE %d)\r\n" % (n, len(header) + len(text)))
                    elif "RFC822.HEADER" in items:
                        if fault == "huge-header":
                            # A header literal of a gigabyte, then nothing.
                            conn.send(b"* %d FETCH (RFC822.HEADER {1000000000}\r\n" % n + header)
                            while True:
                                conn.read_line()
                        conn.send(b"* %d FETCH (RFC822.HEADER {%d}\r\n" % (n, len(header)) + header + b")\r\n")
                    elif "RFC822.TEXT" in items:
                        conn.send(b"* %d FETCH (RFC822.TEXT {%d}\r\n" % (n, len(text)))
                        if fault == "silent-literal" and n == 2:
                            conn.send(text[:len(text) // 2])
                            while True:  # say nothing more until the client goes
                                conn.read_line()
                        conn.send(text + b" FLAGS (\\Seen))\r\n")
                conn.send(done)
            elif verb == "STORE":
                n = int(args.split(" ")[0])
                deleted.append(n)
                conn.send(b"* %d FETCH (FLAGS (\\Seen \\Deleted))\r\n" % n + done)
            elif verb == "EXPUNGE":
                for n in sorted(deleted, reverse=True):
                    conn.send(b"* %d EXPUNGE\r\n" % n)
                deleted = []
                conn.send(done)
            elif verb == "LOGOUT":
                conn.send(b"* BYE Logging out\r\n" + done)
                return
            else:
                conn.send((tag + " BAD Error in IMAP command\r\n").encode())
    except (Closed, OSError, ValueError):
        pass
    finally:
        sock.close()


def main():
    if "--" not in sys.argv:
        sys.exit(__doc__)
    command = sys.argv[sys.argv.index("--") + 1:]
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)

    def accept():
        while True:
            try:
                sock, _ = listener.accept()
            except OSError:
                return
            threading.Thread(target=serve, args=(sock,), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    env = dict(os.environ, CVM_FAKE_IMAP_PORT=str(listener.getsockname()[1]))
    status = subprocess.call(command, env=env)
    listener.close()
    sys.exit(status)


if __name__ == "__main__":
    main()

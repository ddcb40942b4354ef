#!/usr/bin/env python3
"""Runs the SMTP test that sends a table of composed mails to the scripted
peer, then reads every mail as it went out on the wire with Python's own
email parser (policy default) and, where GMime 3 is installed, with GMime
too, and checks that these other readers find the same subject, names,
body, file names and attached mail.

    check_composed_mail.py RUNNER [ARGS...]

The runner (the SMTP test program through the Wine wrapper) writes NAME.eml
and NAME.expect (the texts in code page 932) into CVM_COMPOSED_EXPORT."""
import email
import json
import email.policy
import email.utils
import os
import shutil
import subprocess
import sys
import tempfile


def read_expect(path):
    fields = {}
    with open(path, "rb") as f:
        for line in f.read().decode("cp932").split("\n"):
            if "\t" in line:
                key, value = line.split("\t", 1)
                fields[key] = value
    return fields


def names(header_value):
    return [(n, a) for n, a in email.utils.getaddresses([header_value]) if a]


def build_gmime_reader(folder):
    """The GMime reader, compiled here; None when GMime 3 is not installed."""
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gmime_read.c")
    try:
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", "gmime-3.0"], capture_output=True,
                               text=True, check=True).stdout.split()
        binary = os.path.join(folder, "gmime_read")
        subprocess.run(["cc", "-o", binary, source] + flags, check=True)
        return binary
    except (OSError, subprocess.CalledProcessError):
        return None


def check_gmime(name, path, expect, reader):
    """The same checks as seen by GMime."""
    run = subprocess.run([reader, path], capture_output=True)
    if run.returncode != 0:
        return ["%s: GMime cannot read it" % name]
    seen = json.loads(run.stdout.decode("utf-8"))
    problems = []
    if seen["subject"] != expect["subject"]:
        problems.append("subject %r, not %r" % (seen["subject"], expect["subject"]))
    for field in ("to", "cc"):
        got = [tuple(pair) for pair in seen[field]]
        if got != names(expect[field]):
            problems.append("%s %r, not %r" % (field, got, names(expect[field])))
    body = seen["body"].replace("\r\n", "\n").rstrip("\n")
    if body != expect["body"]:
        problems.append("body %r, not %r" % (body[:120], expect["body"][:120]))
    if expect["inner"]:
        inner = seen["inner"].replace("\r\n", "\n").rstrip("\n")
        if inner != expect["inner"]:
            problems.append("attached mail reads %r" % inner[:120])
    elif expect["file"] and seen["files"] != [expect["file"]]:
        problems.append("files %r, not %r" % (seen["files"], [expect["file"]]))
    return ["%s (GMime): %s" % (name, p) for p in problems]


def check(name, raw, expect):
    problems = []
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    for line in raw.split(b"\r\n"):
        if len(line) > 998:
            problems.append("a line of %d octets" % len(line))
    if str(msg["subject"]) != expect["subject"]:
        problems.append("subject %r, not %r" % (str(msg["subject"]), expect["subject"]))
    for field in ("to", "cc"):
        want = names(expect[field])
        got = [(a.display_name, a.addr_spec) for a in msg[field].addresses] if msg[field] else []
        if got != want:
            problems.append("%s %r, not %r" % (field, got, want))
    text = msg.get_body(preferencelist=("plain",))
    body = text.get_content().replace("\r\n", "\n") if text else ""
    # The text exactly as written: no line break that nobody typed.
    if body.rstrip("\n") != expect["body"]:
        problems.append("body %r, not %r" % (body[:120], expect["body"][:120]))
    files = [p for p in msg.iter_attachments()]
    if expect["file"]:
        if len(files) != 1:
            problems.append("%d attachments" % len(files))
        elif files[0].get_content_type() == "message/rfc822":
            inner = files[0].get_content()
            content = inner.get_content().replace("\r\n", "\n").rstrip("\n")
            if content != expect["inner"]:
                problems.append("attached mail reads %r" % content[:120])
        elif files[0].get_filename() != expect["file"]:
            problems.append("file name %r, not %r" % (files[0].get_filename(), expect["file"]))
    return ["%s: %s" % (name, p) for p in problems]


def main():
    out = tempfile.mkdtemp(prefix="cvm-composed-")
    try:
        env = dict(os.environ, CVM_COMPOSED_EXPORT=out)
        run = subprocess.run(sys.argv[1:] + ["--gtest_filter=ComposedMailReadBack.*"], env=env)
        if run.returncode != 0:
            print("the SMTP test failed", file=sys.stderr)
            return 1
        cases = sorted(n[:-4] for n in os.listdir(out) if n.endswith(".eml"))
        if not cases:
            print("no mails were written", file=sys.stderr)
            return 1
        reader = build_gmime_reader(out)
        if not reader:
            print("GMime 3 is not installed: the mails are read by CPython only")
        problems = []
        for name in cases:
            path = os.path.join(out, name + ".eml")
            with open(path, "rb") as f:
                raw = f.read()
            expect = read_expect(os.path.join(out, name + ".expect"))
            problems += check(name, raw, expect)
            if reader:
                problems += check_gmime(name, path, expect, reader)
        for p in problems:
            print(p, file=sys.stderr)
        print("%d mails read back, %d problems" % (len(cases), len(problems)))
        return 1 if problems else 0
    finally:
        shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Runs the SMTP test that sends a table of composed mails to the scripted
peer, then reads every mail as it went out on the wire with Python's own
email parser (policy default) and checks that this other reader finds the
same subject, names, body and file names.

    check_composed_mail.py RUNNER [ARGS...]

The runner (the SMTP test program through the Wine wrapper) writes NAME.eml
and NAME.expect (the texts in code page 932) into CVM_COMPOSED_EXPORT."""
import email
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
        problems = []
        for name in cases:
            with open(os.path.join(out, name + ".eml"), "rb") as f:
                raw = f.read()
            problems += check(name, raw, read_expect(os.path.join(out, name + ".expect")))
        for p in problems:
            print(p, file=sys.stderr)
        print("%d mails read back, %d problems" % (len(cases), len(problems)))
        return 1 if problems else 0
    finally:
        shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Builds an HTML mail through the editor's send job (the test program's
HtmlMailOut case, under Wine) and reads it with Python's email parser as a
receiving program would.

    check_html_mail.py RUNNER [ARGS...]

The built file holds its texts in Shift_JIS, as the outbox keeps them; the
sender turns every line into ISO-2022-JP on the wire, and so does this
check before parsing."""
import email
import email.policy
import os
import subprocess
import sys
import tempfile


def main():
    runner = sys.argv[1:]
    with tempfile.TemporaryDirectory() as out:
        env = dict(os.environ)
        env["CVM_HTML_MAIL_OUT"] = "Z:" + out.replace("/", "\\")
        result = subprocess.run(runner + ["--gtest_filter=HtmlMailOut.*"], env=env)
        if result.returncode != 0:
            sys.exit("the test program failed")
        with open(os.path.join(out, "built.eml"), "rb") as f:
            built = f.read()
        with open(os.path.join(out, "picture.bin"), "rb") as f:
            picture = f.read()
        with open(os.path.join(out, "photo.bin"), "rb") as f:
            photo = f.read()
    wire = b"\r\n".join(line.decode("cp932").encode("iso2022_jp") for line in built.split(b"\r\n"))
    mail = email.message_from_bytes(wire, policy=email.policy.default)
    problems = []

    def expect(cond, what):
        if not cond:
            problems.append(what)

    expect(str(mail["Subject"]) == "HTMLのメール", "subject %r" % str(mail["Subject"]))
    expect(mail.get_content_type() == "multipart/alternative", "top %s" % mail.get_content_type())
    parts = list(mail.iter_parts()) if mail.is_multipart() else []
    kinds = [p.get_content_type() for p in parts]
    expect(kinds == ["text/plain", "multipart/related"], "alternatives %s" % kinds)
    if kinds == ["text/plain", "multipart/related"]:
        expect(parts[0].get_content().strip() == "こんにちは", "text %r" % parts[0].get_content())
        related = list(parts[1].iter_parts())
        expect(len(related) == 3 and related[0].get_content_type() == "text/html",
               "related %s" % [p.get_content_type() for p in related])
        if len(related) == 3:
            html = related[0].get_payload(decode=True).decode("cp932")
            expect("こんにちは" in html, "html text")
            expect("<TABLE" in html.upper(), "html table")
            expect("file:" not in html, "a local link left in %s" % html)
            # The page's picture and the photo from elsewhere, each by its id.
            for part, content in zip(related[1:], (picture, photo)):
                cid = part["Content-ID"].strip("<>")
                expect('src="cid:%s"' % cid in html, "picture link %s in %s" % (cid, html))
                expect(part.get_payload(decode=True) == content, "bytes of %s" % cid)
    if problems:
        sys.exit("\n".join(problems))
    print("html mail: alternatives and related picture read back")


if __name__ == "__main__":
    main()

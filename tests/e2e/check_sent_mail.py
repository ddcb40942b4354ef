#!/usr/bin/env python3
"""Runs the end-to-end test that writes and sends a Japanese mail, then reads
the delivered mail with Python's standard email parser and checks that a
reader other than our own finds the same subject, addresses and body.

    check_sent_mail.py RUNNER [ARGS...]

The runner (the e2e program through the Wine wrapper) writes the delivered
mail as sent.eml into CVM_E2E_EXPORT."""
import email
import email.policy
import os
import shutil
import subprocess
import sys
import tempfile

SUBJECT = "会議のお知らせ（第３回）"
BODY = "各位\n\n来週の会議は第２会議室で行います。\nよろしくお願いいたします。"


def main():
    out = tempfile.mkdtemp(prefix="cvm-e2e-mail-")
    try:
        env = dict(os.environ, CVM_E2E_EXPORT=out)
        run = subprocess.run(sys.argv[1:] + ["--gtest_filter=MailEditorTest.NewMailIsSentInJapaneseAndItsSentCopyKept"],
                             env=env)
        if run.returncode != 0:
            print("the e2e test failed", file=sys.stderr)
            return 1
        path = os.path.join(out, "sent.eml")
        if not os.path.exists(path):
            print("SKIPPED: no mail was exported (servers not running?)")
            return 0
        with open(path, "rb") as f:
            message = email.message_from_binary_file(f, policy=email.policy.default)
        problems = []
        if str(message["subject"]) != SUBJECT:
            problems.append("subject %r" % str(message["subject"]))
        to = message["to"].addresses
        if [a.addr_spec for a in to] != ["cvmtest25@cvm.test"] or to[0].display_name != "受取人":
            problems.append("to %r" % str(message["to"]))
        if [a.addr_spec for a in message["cc"].addresses] != ["cvmtest26@cvm.test"]:
            problems.append("cc %r" % str(message["cc"]))
        if message.get_content_charset() != "iso-2022-jp":
            problems.append("charset %r" % message.get_content_charset())
        body = message.get_body(preferencelist=("plain",)).get_content()
        if body.rstrip("\n") != BODY:
            problems.append("body %r" % body)
        sender = message["from"].addresses[0]
        if sender.addr_spec != "cvmtest25@cvm.test" or sender.display_name != "山田 太郎":
            problems.append("from %r" % str(message["from"]))
        for p in problems:
            print("wrong " + p, file=sys.stderr)
        return 1 if problems else 0
    finally:
        shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

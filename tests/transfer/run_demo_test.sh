#!/usr/bin/env bash
# The demo set-up of scripts/run.sh, without the program: the private servers
# start, the demo user's mailbox holds mail that POP3 hands out, a mail sent
# through Postfix to the demo address arrives there, and the program folder
# gets its settings and a mailbox with the demo account. The servers are let
# go again at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export CVM_BUILD_DIR=${CVM_BUILD_DIR:-$root/build}
tmp=$(mktemp -d)
# shellcheck source=../../scripts/run.sh
source "$root/scripts/run.sh"
set +e
trap 'demo_servers_stop; rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

demo_setup "$tmp/demo" || fail "demo_setup"
if [ "${CVM_SERVERS_HELD:-0}" = 1 ]; then
  [ "${#demo_started[@]}" = 0 ] || fail "servers taken although the test run holds them"
else
  [ "${#demo_started[@]}" = 2 ] || fail "servers not taken: ${demo_started[*]}"
fi

folder=$tmp/demo
grep -q 'StartupCheckPassword=dword:0' "$folder/CVM.ini" || fail "settings"
[ -f "$folder/MailBox/Folder.dat" ] || fail "Folder.dat"
grep -q "demo@cvm.test" "$folder/MailBox/Account.dat" || fail "Account.dat"
for box in In.Box Out.Box Send.Box Trash.Box Writing.Box; do
  [ -d "$folder/MailBox/$box" ] || fail "no $box"
done
# A second set-up keeps what the first made.
echo keep >>"$folder/CVM.ini"
demo_prepare_folder "$folder"
grep -q keep "$folder/CVM.ini" || fail "settings replaced"

maildir=${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}/home/demo/Maildir
files() { find "$maildir/new" "$maildir/cur" -type f | wc -l; }
n=$(files)
[ "$n" -ge 3 ] || [ -n "$(grep -l 'demo1\.' "$maildir"/new/* "$maildir"/cur/* 2>/dev/null)" ] || fail "no sample mails ($n)"
grep -rqa "Subject: =?iso-2022-jp?B?" "$maildir/new" "$maildir/cur" || fail "no Japanese sample"

# The servers are shared by every work tree of the machine, and a tree whose
# server scripts predate the demo user rewrites their user lists without it.
state=${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}
if ! grep -q '^demo:' "$state/etc/passwd" || ! grep -q "^demo@" "${CVM_POSTFIX_DIR:-/tmp/cvm-postfix}/etc/vmailbox" 2>/dev/null; then
  echo "SKIP: the shared servers were set up again by a tree without the demo user"
  exit 77
fi

# POP3 counts the same mails.
count=$(python3 -c 'import poplib; p = poplib.POP3("127.0.0.2", 110, timeout=10); p.user("demo"); p.pass_("demo"); print(p.stat()[0]); p.quit()') ||
  fail "POP3 login of the demo user"
[ "$count" = "$n" ] || fail "POP3 counts $count mails, the mailbox holds $n"

# A mail to the demo address comes back into its mailbox.
id="runtest$$.$(date +%s)@cvm.test"
printf 'From: demo@cvm.test\nTo: demo@cvm.test\nSubject: back\nMessage-ID: <%s>\n\nhello\n' "$id" |
  msmtp --host=smtp.cvm.test --port=587 --tls=on --tls-starttls=on \
    --tls-trust-file="${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}/pki/ca.crt" --auth=on --user=demo \
    --passwordeval="echo demo" --from=demo@cvm.test demo@cvm.test || fail "msmtp"
for _ in $(seq 100); do
  back=$(grep -l "$id" "$maildir"/new/* "$maildir"/cur/* 2>/dev/null || true)
  [ -n "$back" ] && break
  sleep 0.2
done
[ -n "$back" ] || fail "the mail to demo@cvm.test did not arrive"
rm -f $back
echo "run.sh demo set-up: ok"

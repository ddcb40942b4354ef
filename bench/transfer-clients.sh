#!/usr/bin/env bash
# Times standard clients of Debian on the private servers with the mails of
# TransferBench: mpop receives 1,000 mails of 20 KB by POP3 into a Maildir,
# plain and over TLS (port 995), msmtp sends 1,000 mails of 20 KB through
# Postfix (AUTH after STARTTLS). Prints "name: value unit" lines. The test
# servers must be running.
#   bench/transfer-clients.sh [count] [kilobytes] [receive]
# With "receive" only mpop runs.
set -euo pipefail
count=${1:-1000}
kb=${2:-20}
only=${3:-}
user=cvmtest41
pass=pass41
dovecot=${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}
maildir=$dovecot/home/$user/Maildir
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

body=$(for _ in $(seq $((kb * 1024 / 80 + 1))); do
  printf 'The quick brown fox jumps over the lazy dog 0123456789 abcdefghijklmnopqrstuv\r\n'
done)

clear_maildir() { find "$maildir" -type f -delete 2>/dev/null || true; }

now() { date +%s.%N; }
rate() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.1f", n / s }'; }
span() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# ---- mpop ----
# mpop_run NAME PORT TLS: one pass over freshly delivered mails.
mpop_run() {
  clear_maildir
  for i in $(seq 0 $((count - 1))); do
    printf 'From: bench@example.jp\r\nSubject: bench %d\r\nMessage-ID: <%d@transfer.bench>\r\n\r\n%s\r\n' \
      "$i" "$i" "$body" >"$maildir/new/$i.M${i}P$$.bench"
  done
  chown -R 65534:65534 "$maildir"
  rm -rf "$work/in" "$work/uidls"
  mkdir -p "$work/in/new" "$work/in/cur" "$work/in/tmp"
  cat >"$work/mpoprc" <<CONF
account bench
host mail.cvm.test
port $2
user $user
password $pass
tls $3
tls_starttls off
tls_trust_file $dovecot/pki/ca.crt
auth user
delivery maildir $work/in
keep off
uidls_file $work/uidls
CONF
  chmod 600 "$work/mpoprc"
  t0=$(now)
  mpop -C "$work/mpoprc" -q bench
  t1=$(now)
  got=$(find "$work/in/new" -type f | wc -l)
  echo "$1_received: $got mails"
  echo "$1_receive_mails: $(rate "$count" "$(span "$t0" "$t1")") mails/s"
  echo "$1_receive_time: $(span "$t0" "$t1") s"
}
mpop_run mpop 110 off
mpop_run mpop_tls 995 on

# ---- msmtp ----
clear_maildir
[ "$only" = receive ] && exit 0
cat >"$work/msmtprc" <<CONF
account bench
host smtp.cvm.test
port 587
tls on
tls_starttls on
tls_trust_file $dovecot/pki/ca.crt
auth on
user $user
password $pass
from $user@cvm.test
CONF
chmod 600 "$work/msmtprc"
t0=$(now)
for i in $(seq 0 $((count - 1))); do
  printf 'From: %s@cvm.test\r\nTo: %s@cvm.test\r\nSubject: send bench %d\r\n\r\n%s\r\n' \
    "$user" "$user" "$i" "$body" | msmtp -C "$work/msmtprc" -a bench "$user@cvm.test"
done
t1=$(now)
echo "msmtp_send_mails: $(rate "$count" "$(span "$t0" "$t1")") mails/s"
echo "msmtp_send_time: $(span "$t0" "$t1") s"
for _ in $(seq 600); do
  [ "$(find "$maildir/new" -type f | wc -l)" -ge "$count" ] && break
  sleep 0.1
done
echo "msmtp_delivered: $(find "$maildir/new" -type f | wc -l) mails"
clear_maildir

#!/usr/bin/env bash
# A private Dovecot for the POP3 and IMAP tests.
#   dovecot.sh start | stop | status | pki
# The server listens on fixed loopback addresses and the protocols' own
# ports, so there is one per machine however many build trees run their tests
# at once: its state lives in $CVM_DOVECOT_DIR (default /tmp/cvm-dovecot),
# linked from $CVM_BUILD_DIR/servers/dovecot. Each "start" takes a reference
# and each "stop" drops one; the last stop ends the server. The test PKI (a CA
# the Wine prefixes trust, a second CA they do not, and the server
# certificates) is made once in $CVM_DOVECOT_DIR/pki and kept, because a
# prefix takes the CA into its "Root" store when it is created.
#
# Addresses and names (added to /etc/hosts):
#   127.0.0.2   mail.cvm.test       certificate of the trusted CA for this name
#               wrongname.cvm.test  same server, a name the certificate lacks
#   127.0.0.22  expired.cvm.test    expired certificate of the trusted CA
#   127.0.0.23  untrusted.cvm.test  certificate of a CA nobody trusts
# Ports 110 (STLS), 995, 143 (STARTTLS), 993 on each address.
# Users cvmtest1 .. cvmtest16 with the password "pass" followed by the number,
# mail owned by nobody in $CVM_DOVECOT_DIR/home/<user>/Maildir. The POP3
# tests use users 1 to 9, the POP3 benchmark user 10, the IMAP tests users
# 13 to 16 and cvmtest17, whose password is $quote_password (a blank, a
# double quote and a backslash, which IMAP must quote). Users cvmtest18 ..
# cvmtest24 (passwords pass18 .. pass24) belong to the transfer job tests,
# cvmtest25 .. cvmtest28 (pass25 .. pass28) to the mail editor tests,
# cvmtest29 .. cvmtest160 (pass29 .. pass160) to the window tests after them;
# the test Postfix delivers to them too. User "demo" (password "demo") is
# the account scripts/run.sh sets up for a first look at the program; no
# test uses it. The passwd-file is rewritten at
# every start and Dovecot reads it again when it changes, so a running
# server knows users added since it started.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../server-refs.sh
. "$here/../server-refs.sh"
root=$(cd "$here/../.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}
state=${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}
pki=$state/pki
users=16
quote_password='p w"q\x'

make_pki() {
  mkdir -p "$pki"
  chmod 755 "$state"
  (
    flock 8
    [ -f "$pki/.done" ] && exit 0
    cd "$pki"
    rm -f ./*.pem ./*.crt ./*.key ./*.csr ./*.srl ./index.txt* ./serial* ./*.cnf
    cat >ca.cnf <<'EOF'
[ca]
default_ca = cvm
[cvm]
database = index.txt
serial = serial
new_certs_dir = .
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
[v3_ca]
basicConstraints = critical,CA:true
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = CA:false
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
    : >index.txt
    echo 1000 >serial
    for ca in ca:Root rogue:Rogue; do
      openssl req -x509 -newkey rsa:2048 -nodes -keyout ${ca%%:*}.key -out ${ca%%:*}.crt -days 3650 \
        -subj "/O=Corvane Test/CN=Corvane Test ${ca#*:} CA" -config ca.cnf -extensions v3_ca 2>/dev/null
    done
    issue() {  # name ca dns startdate enddate
      openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$3" \
        -addext "subjectAltName=DNS:$3" 2>/dev/null
      openssl ca -batch -config ca.cnf -cert "$2.crt" -keyfile "$2.key" -in "$1.csr" -out "$1.crt" \
        -extensions server -startdate "$4" -enddate "$5" -notext >/dev/null 2>&1
    }
    issue server ca mail.cvm.test 20240101000000Z 20450101000000Z
    issue expired ca expired.cvm.test 20200101000000Z 20210101000000Z
    issue untrusted rogue untrusted.cvm.test 20240101000000Z 20450101000000Z
    openssl x509 -in ca.crt -outform der -out ca.der
    chmod 644 ./*.key
    touch .done
  ) 8>"$pki.lock"
}

add_hosts() {
  local line sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  for line in "127.0.0.2 mail.cvm.test wrongname.cvm.test" \
              "127.0.0.22 expired.cvm.test" "127.0.0.23 untrusted.cvm.test"; do
    grep -qxF "$line" /etc/hosts 2>/dev/null || echo "$line" | $sudo tee -a /etc/hosts >/dev/null
  done
}

write_config() {
  local i
  mkdir -p "$state/etc" "$state/home"
  : >"$state/etc/passwd.new"
  for i in $(seq 1 $users); do
    echo "cvmtest$i:{PLAIN}pass$i:65534:65534::$state/home/cvmtest$i" >>"$state/etc/passwd.new"
    mkdir -p "$state/home/cvmtest$i/Maildir/new" "$state/home/cvmtest$i/Maildir/cur" "$state/home/cvmtest$i/Maildir/tmp"
  done
  i=$((users + 1))
  printf '%s\n' "cvmtest$i:{PLAIN}$quote_password:65534:65534::$state/home/cvmtest$i" >>"$state/etc/passwd.new"
  mkdir -p "$state/home/cvmtest$i/Maildir/new" "$state/home/cvmtest$i/Maildir/cur" "$state/home/cvmtest$i/Maildir/tmp"
  for i in $(seq 18 160); do
    echo "cvmtest$i:{PLAIN}pass$i:65534:65534::$state/home/cvmtest$i" >>"$state/etc/passwd.new"
    mkdir -p "$state/home/cvmtest$i/Maildir/new" "$state/home/cvmtest$i/Maildir/cur" "$state/home/cvmtest$i/Maildir/tmp"
  done
  echo "demo:{PLAIN}demo:65534:65534::$state/home/demo" >>"$state/etc/passwd.new"
  mkdir -p "$state/home/demo/Maildir/new" "$state/home/demo/Maildir/cur" "$state/home/demo/Maildir/tmp"
  # Users of the SMTP tests: the test Postfix delivers their mail here and
  # logs them in through the "auth-postfix" socket below.
  for i in 1 2 3; do
    echo "cvmsend$i:{PLAIN}send$i:65534:65534::$state/home/cvmsend$i" >>"$state/etc/passwd.new"
    mkdir -p "$state/home/cvmsend$i/Maildir/new" "$state/home/cvmsend$i/Maildir/cur" "$state/home/cvmsend$i/Maildir/tmp"
  done
  mv "$state/etc/passwd.new" "$state/etc/passwd"
  chown -R 65534:65534 "$state/home"
  chmod -R u+rwX,go+rwX "$state/home"
  cat >"$state/etc/dovecot.conf.new" <<EOF
protocols = pop3 imap
listen = 127.0.0.2, 127.0.0.22, 127.0.0.23
base_dir = $state/run
state_dir = $state/run/state
log_path = $state/dovecot.log
info_log_path = $state/dovecot.log
default_login_user = dovenull
default_internal_user = dovecot
first_valid_uid = 1
first_valid_gid = 1
disable_plaintext_auth = no
auth_mechanisms = plain login cram-md5 apop
mail_location = maildir:~/Maildir
mail_fsync = never
mail_max_userip_connections = 200
ssl = yes
ssl_cert = <$pki/server.crt
ssl_key = <$pki/server.key
ssl_min_protocol = TLSv1.2
local 127.0.0.22 {
  ssl_cert = <$pki/expired.crt
  ssl_key = <$pki/expired.key
}
local 127.0.0.23 {
  ssl_cert = <$pki/untrusted.crt
  ssl_key = <$pki/untrusted.key
}
passdb {
  driver = passwd-file
  args = $state/etc/passwd
}
userdb {
  driver = passwd-file
  args = $state/etc/passwd
}
service pop3-login {
  inet_listener pop3 {
    port = 110
  }
  inet_listener pop3s {
    port = 995
    ssl = yes
  }
}
service imap-login {
  inet_listener imap {
    port = 143
  }
  inet_listener imaps {
    port = 993
    ssl = yes
  }
}
service auth {
  unix_listener auth-postfix {
    mode = 0666
  }
}
service anvil {
  chroot =
}
EOF
  chmod -R go+rX "$state/etc"
}

running() {
  [ -f "$state/run/master.pid" ] && kill -0 "$(cat "$state/run/master.pid")" 2>/dev/null
}

kill_master() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
}

# Servers started by older copies of this script (state inside a build tree)
# hold the same addresses; they are ended before a new one starts.
end_strays() {
  local pid conf
  for pid in $(pgrep -x dovecot 2>/dev/null || true); do
    conf=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | sed -n 's/.* -c \([^ ]*\).*/\1/p')
    [ -n "$conf" ] && [ "$conf" != "$state/etc/dovecot.conf" ] || continue
    if grep -q '^listen = 127.0.0.2,' "$conf" 2>/dev/null; then kill_master "$pid"; fi
  done
  return 0
}

start() {
  make_pki
  add_hosts
  mkdir -p "$build/servers"
  if [ -e "$build/servers/dovecot" ] && [ ! -L "$build/servers/dovecot" ]; then rm -rf "$build/servers/dovecot"; fi
  ln -sfn "$state" "$build/servers/dovecot"
  (
    flock 7
    write_config
    refs=$(cat "$state/refs" 2>/dev/null || echo 0)
    if running && cmp -s "$state/etc/dovecot.conf.new" "$state/etc/dovecot.conf"; then
      echo $((refs + 1)) >"$state/refs"
      exit 0
    fi
    if running; then kill_master "$(cat "$state/run/master.pid")"; fi
    end_strays
    mv "$state/etc/dovecot.conf.new" "$state/etc/dovecot.conf"
    rm -rf "$state/run"
    mkdir -p "$state/run"
    # The daemon must not inherit the lock, or it holds it for as long as it
    # runs and every later start waits for ever.
    dovecot -c "$state/etc/dovecot.conf" 7>&-
    # Ready when the POP3 port answers.
    for _ in $(seq 50); do
      if (exec 3<>/dev/tcp/127.0.0.2/110) 2>/dev/null; then
        echo 1 >"$state/refs"
        exit 0
      fi
      sleep 0.1
    done
    echo "dovecot: not listening; see $state/dovecot.log" >&2
    exit 1
  ) 7>"$state.lock"
}

stop() {
  [ -d "$state" ] || return 0
  (
    flock 7
    drop_server_ref || exit 0
    if running; then kill_master "$(cat "$state/run/master.pid")"; fi
    rm -f "$state/run/master.pid"
    exit 0
  ) 7>"$state.lock"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  status) running ;;
  pki) make_pki ;;
  *) echo "usage: $0 start|stop|status|pki" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# A private Dovecot for the POP3 and IMAP tests.
#   dovecot.sh start | stop | pki
# State lives under $CVM_BUILD_DIR/servers/dovecot. The test PKI (a CA the Wine
# prefix trusts, a second CA it does not, and the server certificates) lives
# under $CVM_BUILD_DIR/servers/pki and is kept across runs, because the prefix
# takes the CA into its "Root" store only once, when it is created.
#
# Addresses and names (added to /etc/hosts):
#   127.0.0.2   mail.cvm.test       certificate of the trusted CA for this name
#               wrongname.cvm.test  same server, a name the certificate lacks
#   127.0.0.22  expired.cvm.test    expired certificate of the trusted CA
#   127.0.0.23  untrusted.cvm.test  certificate of a CA nobody trusts
# Ports 110 (STLS), 995, 143 (STARTTLS), 993 on each address.
# Users cvmtest1 .. cvmtest12 with the password "pass" followed by the number,
# mail owned by nobody in $state/home/<user>/Maildir.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}
state=$build/servers/dovecot
pki=$build/servers/pki
users=12

make_pki() {
  mkdir -p "$pki"
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
  local line
  for line in "127.0.0.2 mail.cvm.test wrongname.cvm.test" \
              "127.0.0.22 expired.cvm.test" "127.0.0.23 untrusted.cvm.test"; do
    grep -qxF "$line" /etc/hosts 2>/dev/null || echo "$line" >>/etc/hosts
  done
}

start() {
  make_pki
  add_hosts
  stop >/dev/null 2>&1 || true
  rm -rf "$state/run" "$state/etc"
  mkdir -p "$state/run" "$state/etc" "$state/home"
  local i
  : >"$state/etc/passwd"
  for i in $(seq 1 $users); do
    echo "cvmtest$i:{PLAIN}pass$i:65534:65534::$state/home/cvmtest$i" >>"$state/etc/passwd"
    mkdir -p "$state/home/cvmtest$i/Maildir/new" "$state/home/cvmtest$i/Maildir/cur" "$state/home/cvmtest$i/Maildir/tmp"
  done
  # Users of the SMTP tests: the test Postfix delivers their mail here and
  # logs them in through the "auth-postfix" socket below.
  for i in 1 2 3; do
    echo "cvmsend$i:{PLAIN}send$i:65534:65534::$state/home/cvmsend$i" >>"$state/etc/passwd"
    mkdir -p "$state/home/cvmsend$i/Maildir/new" "$state/home/cvmsend$i/Maildir/cur" "$state/home/cvmsend$i/Maildir/tmp"
  done
  chown -R 65534:65534 "$state/home"
  chmod -R u+rwX,go+rwX "$state/home"
  cat >"$state/etc/dovecot.conf" <<EOF
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
  dovecot -c "$state/etc/dovecot.conf"
  # Ready when the POP3 port answers.
  for _ in $(seq 50); do
    if (exec 3<>/dev/tcp/127.0.0.2/110) 2>/dev/null; then return 0; fi
    sleep 0.1
  done
  echo "dovecot: not listening; see $state/dovecot.log" >&2
  return 1
}

stop() {
  local pidfile=$state/run/master.pid
  [ -f "$pidfile" ] || return 0
  local pid
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  rm -f "$pidfile"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  pki) make_pki ;;
  *) echo "usage: $0 start|stop|pki" >&2; exit 2 ;;
esac

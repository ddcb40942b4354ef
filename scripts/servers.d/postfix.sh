#!/usr/bin/env bash
# A private Postfix for the SMTP tests.
#   postfix.sh start | stop | status
# It listens on a fixed loopback address and the protocol's own ports, so
# there is one per machine however many build trees run their tests at once:
# its state lives in $CVM_POSTFIX_DIR (default /tmp/cvm-postfix), linked from
# $CVM_BUILD_DIR/servers/postfix. Each "start" takes a reference and each
# "stop" drops one; the last stop ends the server.
#
#   127.0.0.3  smtp.cvm.test  certificate of the test CA that the Wine prefix trusts
# Ports 587 (STARTTLS, then AUTH) and 465 (TLS from the first byte). Logins go
# through the test Dovecot's "auth-postfix" socket (users cvmsend1 .. cvmsend3,
# passwords send1 .. send3; PLAIN, LOGIN and CRAM-MD5). Mail for
# cvmsendN@cvm.test is delivered into the Maildirs that Dovecot serves, so it
# can be fetched again by POP3 from mail.cvm.test. Anything else is refused.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../server-refs.sh
. "$here/../server-refs.sh"
root=$(cd "$here/../.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}
state=${CVM_POSTFIX_DIR:-/tmp/cvm-postfix}
dovecot=${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}
pki=$dovecot/pki
addr=127.0.0.3
name=smtp.cvm.test

# Postfix runs only from configuration directories that the default one lists.
register_config_dir() {
  local dir=$1 current
  (
    flock 9
    [ -f /etc/postfix/main.cf ] || : >/etc/postfix/main.cf
    current=$(postconf -h alternate_config_directories 2>/dev/null || true)
    case " $current " in *" $dir "*) exit 0 ;; esac
    postconf -e "alternate_config_directories = ${current:+$current }$dir"
  ) 9>/tmp/cvm-postfix-config.lock
}

# Postfix listens only on an address some interface carries.
add_address() {
  ip -4 addr show dev lo | grep -q " $addr/" || ip addr add "$addr/8" dev lo 2>/dev/null || true
  grep -qxF "$addr $name" /etc/hosts 2>/dev/null || echo "$addr $name" >>/etc/hosts
}

make_certificate() {
  bash "$here/dovecot.sh" pki
  mkdir -p "$state/tls"
  [ -f "$state/tls/server.crt" ] && [ "$state/tls/server.crt" -nt "$pki/ca.crt" ] && return 0
  openssl req -newkey rsa:2048 -nodes -keyout "$state/tls/server.key" -out "$state/tls/server.csr" \
    -subj "/CN=$name" 2>/dev/null
  printf 'basicConstraints=CA:false\nkeyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\nsubjectAltName=DNS:%s\n' \
    "$name" >"$state/tls/ext.cnf"
  openssl x509 -req -in "$state/tls/server.csr" -CA "$pki/ca.crt" -CAkey "$pki/ca.key" -CAcreateserial \
    -CAserial "$state/tls/ca.srl" -days 3650 -sha256 -extfile "$state/tls/ext.cnf" \
    -out "$state/tls/server.crt" 2>/dev/null
  chmod 644 "$state/tls/server.crt"
  chmod 600 "$state/tls/server.key"
}

# The mailboxes Postfix delivers to: the SMTP tests' users and the users of
# the transfer job tests (cvmtest18 .. cvmtest24), the editor tests
# (cvmtest25 .. cvmtest28) and the window tests after them (cvmtest29 ..
# cvmtest160), and the demo account of scripts/run.sh.
write_mailboxes() {
  local i out=$1
  : >"$out"
  for i in 1 2 3; do echo "cvmsend$i@cvm.test cvmsend$i/Maildir/" >>"$out"; done
  for i in $(seq 18 160); do echo "cvmtest$i@cvm.test cvmtest$i/Maildir/" >>"$out"; done
  echo "demo@cvm.test demo/Maildir/" >>"$out"
}

write_config() {
  local etc=$state/etc
  mkdir -p "$etc" "$state/queue" "$state/data"
  chown postfix "$state/data"
  write_mailboxes "$etc/vmailbox"
  cat >"$etc/main.cf" <<EOF
compatibility_level = 3.6
config_directory = $etc
queue_directory = $state/queue
data_directory = $state/data
myhostname = $name
mydomain = cvm.test
myorigin = \$myhostname
mydestination =
inet_interfaces = $addr
inet_protocols = ipv4
mynetworks = 127.0.0.3/32
smtp_bind_address = $addr
alias_maps =
alias_database =
biff = no
append_dot_mydomain = no
smtputf8_enable = no
maillog_file = $state/postfix.log
maillog_file_prefixes = $state
virtual_mailbox_domains = cvm.test
virtual_mailbox_base = $dovecot/home
virtual_mailbox_maps = texthash:$etc/vmailbox
virtual_uid_maps = static:65534
virtual_gid_maps = static:65534
virtual_minimum_uid = 100
smtpd_tls_cert_file = $state/tls/server.crt
smtpd_tls_key_file = $state/tls/server.key
smtpd_tls_loglevel = 0
smtpd_sasl_type = dovecot
smtpd_sasl_path = $dovecot/run/auth-postfix
smtpd_sasl_auth_enable = yes
broken_sasl_auth_clients = no
smtpd_relay_restrictions = permit_sasl_authenticated, reject
smtpd_recipient_restrictions = permit_sasl_authenticated, reject
smtpd_client_restrictions = permit_sasl_authenticated, reject
smtpd_delay_reject = yes
smtpd_helo_required = no
EOF
  cat >"$etc/master.cf" <<EOF
$addr:587 inet n - n - - smtpd
  -o syslog_name=postfix/submission
  -o smtpd_tls_security_level=encrypt
  -o smtpd_tls_auth_only=yes
$addr:465 inet n - n - - smtpd
  -o syslog_name=postfix/submissions
  -o smtpd_tls_wrappermode=yes
pickup    unix  n       -       n       60      1       pickup
cleanup   unix  n       -       n       -       0       cleanup
qmgr      unix  n       -       n       300     1       qmgr
tlsmgr    unix  -       -       n       1000?   1       tlsmgr
rewrite   unix  -       -       n       -       -       trivial-rewrite
bounce    unix  -       -       n       -       0       bounce
defer     unix  -       -       n       -       0       bounce
trace     unix  -       -       n       -       0       bounce
verify    unix  -       -       n       -       1       verify
flush     unix  n       -       n       1000?   0       flush
proxymap  unix  -       -       n       -       -       proxymap
proxywrite unix -       -       n       -       1       proxymap
smtp      unix  -       -       n       -       -       smtp
relay     unix  -       -       n       -       -       smtp
showq     unix  n       -       n       -       -       showq
error     unix  -       -       n       -       -       error
retry     unix  -       -       n       -       -       error
discard   unix  -       -       n       -       -       discard
local     unix  -       n       n       -       -       local
virtual   unix  -       n       n       -       -       virtual
lmtp      unix  -       -       n       -       -       lmtp
anvil     unix  -       -       n       -       1       anvil
scache    unix  -       -       n       -       1       scache
postlog   unix-dgram n  -       n       -       1       postlogd
EOF
}

running() {
  [ -f "$state/queue/pid/master.pid" ] && kill -0 "$(tr -d ' ' <"$state/queue/pid/master.pid")" 2>/dev/null
}

start_postfix() {
  rm -f "$state/postfix.log"
  postfix -c "$state/etc" set-permissions >/dev/null 2>&1 || true
  # Fatal start-up errors go to syslog only, which these machines lack; a
  # terminal makes postfix print them.
  if ! script -qec "postfix -c '$state/etc' start" /dev/null >"$state/start.out" 2>&1 7>&-; then
    cat "$state/start.out" >&2
    echo "postfix: did not start; see $state/postfix.log" >&2
    return 1
  fi
  for _ in $(seq 50); do
    if (exec 3<>"/dev/tcp/$addr/587") 2>/dev/null && (exec 3<>"/dev/tcp/$addr/465") 2>/dev/null; then return 0; fi
    sleep 0.1
  done
  echo "postfix: not listening; see $state/postfix.log" >&2
  return 1
}

stop_postfix() {
  running || return 0
  local pid
  pid=$(tr -d ' ' <"$state/queue/pid/master.pid")
  postfix -c "$state/etc" stop >/dev/null 2>&1 || kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
}

# Instances started by older copies of this script (state inside a build
# tree) listen on the same address and would take a share of the
# connections; they are ended whenever the shared one is started.
end_strays() {
  local pid cwd
  for pid in $(pgrep -x master 2>/dev/null || true); do
    cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null || true)
    case "$cwd" in
      */servers/postfix/queue*) ;;
      *) continue ;;
    esac
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  return 0
}

start() {
  end_strays
  mkdir -p "$state" "$build/servers"
  if [ -e "$build/servers/postfix" ] && [ ! -L "$build/servers/postfix" ]; then rm -rf "$build/servers/postfix"; fi
  ln -sfn "$state" "$build/servers/postfix"
  (
    flock 7
    refs=$(cat "$state/refs" 2>/dev/null || echo 0)
    if running && [ "$refs" -gt 0 ]; then
      # A server started by an older copy of this script learns the
      # mailboxes added since.
      write_mailboxes "$state/etc/vmailbox.new"
      if ! cmp -s "$state/etc/vmailbox.new" "$state/etc/vmailbox"; then
        mv "$state/etc/vmailbox.new" "$state/etc/vmailbox"
        postfix -c "$state/etc" reload >/dev/null 2>&1 || true
      fi
      rm -f "$state/etc/vmailbox.new"
      echo $((refs + 1)) >"$state/refs"
      exit 0
    fi
    stop_postfix
    add_address
    make_certificate
    write_config
    register_config_dir "$state/etc"
    start_postfix || exit 1
    echo 1 >"$state/refs"
  ) 7>"$state.lock"
}

stop() {
  [ -d "$state" ] || return 0
  (
    flock 7
    drop_server_ref || exit 0
    stop_postfix
    exit 0
  ) 7>"$state.lock"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  status) running ;;
  *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# Private OpenLDAP directory for the LDAP client tests.
#   CVM_BUILD_DIR=<build> slapd.sh start|stop|status
# Serves ldap://127.0.0.4:389 from an mdb database. The directory holds
# people with Japanese names in UTF-8, entries with several mail values, a
# reader account for simple binds (also over LDAPv2), and more entries under
# ou=staff than the size limit lets one search return.
# The server listens on a fixed address, so there is one per machine however
# many build trees run their tests at once: its state lives in
# $CVM_SLAPD_DIR (default /tmp/cvm-slapd), linked from
# $CVM_BUILD_DIR/servers/slapd. Each "start" takes a reference and each
# "stop" drops one; the last stop ends the server.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../server-refs.sh
. "$here/../server-refs.sh"
build=${CVM_BUILD_DIR:?CVM_BUILD_DIR must name the build folder}
state=${CVM_SLAPD_DIR:-/tmp/cvm-slapd}
dir="$state/server"
addr=127.0.0.4
port=389
pidfile="$dir/slapd.pid"

running() {
  [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null
}

end_pid() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
}

# Servers started by older copies of this script (a directory inside a build
# tree) hold the same address; they are ended before a new one starts.
end_strays() {
  local pid
  for pid in $(pgrep -f "slapd .*-h ldap://$addr:$port/" 2>/dev/null || true); do
    [ -f "$pidfile" ] && [ "$pid" = "$(cat "$pidfile")" ] && continue
    end_pid "$pid"
  done
  return 0
}

start() {
  mkdir -p "$state" "$build/servers"
  if [ -e "$build/servers/slapd" ] && [ ! -L "$build/servers/slapd" ]; then rm -rf "$build/servers/slapd"; fi
  ln -sfn "$dir" "$build/servers/slapd"
  (
    flock 7
    refs=$(cat "$state/refs" 2>/dev/null || echo 0)
    if running && cmp -s "$here/slapd.sh" "$state/script" 2>/dev/null; then
      echo $((refs + 1)) >"$state/refs"
      exit 0
    fi
    if running; then end_pid "$(cat "$pidfile")"; fi
    end_strays
    # The daemon must not inherit the lock, or it holds it for as long as it
    # runs and every later start waits for ever.
    launch 7>&-
    cp "$here/slapd.sh" "$state/script"
    echo 1 >"$state/refs"
  ) 7>"$state.lock"
}

stop() {
  [ -d "$state" ] || return 0
  (
    flock 7
    drop_server_ref || exit 0
    if running; then end_pid "$(cat "$pidfile")"; fi
    rm -f "$pidfile"
    exit 0
  ) 7>"$state.lock"
}

# Makes the directory afresh and starts the server. Run under the lock.
launch() {
  rm -rf "$dir"
  mkdir -p "$dir/db"
  modpath=/usr/lib/ldap
  cat >"$dir/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
modulepath $modpath
moduleload back_mdb
pidfile $pidfile
argsfile $dir/slapd.args
allow bind_v2
sizelimit 4
loglevel 0

database mdb
suffix "dc=corvane,dc=test"
rootdn "cn=admin,dc=corvane,dc=test"
rootpw admin-secret
directory $dir/db
maxsize 10485760
index objectClass eq
access to attrs=userPassword by self write by anonymous auth by * none
access to * by * read
CONF

  cat >"$dir/data.ldif" <<'LDIF'
dn: dc=corvane,dc=test
objectClass: dcObject
objectClass: organization
dc: corvane
o: Corvane Test

dn: cn=reader,dc=corvane,dc=test
objectClass: person
objectClass: simpleSecurityObject
cn: reader
sn: reader
userPassword: reader-secret

dn: ou=sales,dc=corvane,dc=test
objectClass: organizationalUnit
ou: sales

dn: uid=yamada,ou=sales,dc=corvane,dc=test
objectClass: inetOrgPerson
uid: yamada
cn: 山田 太郎
sn: 山田
mail: yamada@corvane.test
mail: taro.yamada@corvane.test
description: 営業部 第一課
telephoneNumber: 03-1234-5678

dn: uid=suzuki,ou=sales,dc=corvane,dc=test
objectClass: inetOrgPerson
uid: suzuki
cn: 鈴木 花子
sn: 鈴木
mail: suzuki@corvane.test
description: 営業部
title: 課長

dn: uid=noda,ou=sales,dc=corvane,dc=test
objectClass: inetOrgPerson
uid: noda
cn: 能登 ソフィア
sn: 能登
mail: noda@corvane.test

dn: ou=staff,dc=corvane,dc=test
objectClass: organizationalUnit
ou: staff

LDIF
  for i in 1 2 3 4 5 6 7; do
    printf 'dn: uid=staff%d,ou=staff,dc=corvane,dc=test\nobjectClass: inetOrgPerson\nuid: staff%d\ncn: 社員 %d\nsn: 社員\nmail: staff%d@corvane.test\n\n' \
      "$i" "$i" "$i" "$i" >>"$dir/data.ldif"
  done

  slapadd -q -f "$dir/slapd.conf" -l "$dir/data.ldif" >"$dir/slapadd.log" 2>&1 || { cat "$dir/slapadd.log" >&2; exit 1; }
  slapd -f "$dir/slapd.conf" -h "ldap://$addr:$port/" >"$dir/slapd.log" 2>&1
  for _ in $(seq 50); do
    if ldapsearch -x -H "ldap://$addr:$port/" -b "dc=corvane,dc=test" -s base >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  echo "slapd did not come up on $addr:$port" >&2
  cat "$dir/slapd.log" >&2 || true
  exit 1
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  status) running ;;
  *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac

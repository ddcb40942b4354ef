#!/usr/bin/env bash
# Makes the test CA of the mail servers trusted in a new Wine prefix.
#   trust-test-ca.sh PREFIX
# The CA is made here when the server script has not made it yet, so the
# order in which a clean run creates the prefix and starts the servers does
# not matter; the server reuses it.
set -euo pipefail
prefix=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
state=${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}
pki=$state/pki
bash "$root/scripts/servers.d/dovecot.sh" pki
tool=$pki/TrustRootCa.exe
src=$root/tests/net/TrustRootCa.c
if [ ! -f "$tool" ] || [ "$src" -nt "$tool" ]; then
  x86_64-w64-mingw32-gcc-posix -O2 -static -o "$tool.$$" "$src" -lcrypt32
  mv -f "$tool.$$" "$tool"
fi
der="Z:${pki//\//\\}\\ca.der"
WINEPREFIX=$prefix WINEDEBUG=-all wine "$tool" "$der"

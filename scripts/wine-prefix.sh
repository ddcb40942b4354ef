#!/usr/bin/env bash
# Creates the Wine prefix once (under a lock, since tests start in parallel)
# and makes sure its wineserver runs persistently.
set -u
prefix=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix"
(
  flock 9
  if [ ! -f "$prefix/.cvm-ready" ]; then
    wineboot -i >/dev/null 2>&1
    # IPA fonts in place of the Windows UI fonts; a crashing program ends
    # instead of starting a debugger that would hold the test runner's pipes.
    wine regedit "$here/wine-prefix.reg" >/dev/null 2>&1
    # Test hooks may add more set-up (certificates, registry) in this folder.
    for hook in "$here"/prefix.d/*.sh; do
      [ -x "$hook" ] && "$hook" "$prefix"
    done
    wineserver -w
    touch "$prefix/.cvm-ready"
  fi
) 9>"$prefix.lock"
# A persistent server makes each later process start in a fraction of a second;
# a second one for the same prefix exits at once. The server and Wine's own
# services are started here with every stream closed, so that they never hold
# the output pipe of whoever runs the tests.
(wineserver -p </dev/null >/dev/null 2>&1 &)
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
exit 0

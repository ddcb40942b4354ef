#!/usr/bin/env bash
# Runs a Windows program under Wine the way every test and the client expect:
# a prefix of its own inside the build tree, Japanese locale (code page 932),
# a fixed time zone, IPA fonts in place of the Windows UI fonts, and one
# persistent wineserver so that each process starts quickly.
#
#   wine-run.sh PROGRAM.exe [ARGS...]
# The prefix is CVM_WINEPREFIX, else <build>/wineprefix next to the program's
# build tree (found by walking up to CMakeCache.txt), else ./wineprefix.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -z "${CVM_WINEPREFIX:-}" ]; then
  d=$(cd "$(dirname "$1")" 2>/dev/null && pwd || pwd)
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ -f "$d/CMakeCache.txt" ] || d=$(pwd)
  CVM_WINEPREFIX="$d/wineprefix"
fi
export WINEPREFIX="$CVM_WINEPREFIX"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export TZ=${CVM_TZ:-Asia/Tokyo}
export WINEARCH=win64

if [ ! -f "$WINEPREFIX/.cvm-ready" ] || [ "$WINEPREFIX/.cvm-registry" -ot "$here/wine-prefix.reg" ]; then
  "$here/wine-prefix.sh" "$WINEPREFIX" </dev/null >/dev/null 2>&1 || exit 1
fi
# The test servers' users are shared by every build tree on the machine, so a
# test program (or an end-to-end shard, which names its lock) runs in one tree
# at a time; other tests of other trees run beside it.
lock=${CVM_TEST_LOCK:-}
case "$(basename "$1")" in test_*.exe) [ -n "$lock" ] || lock=$(basename "$1" .exe) ;; esac
if [ -n "$lock" ]; then
  mkdir -p /tmp/cvm-test-locks && chmod 1777 /tmp/cvm-test-locks 2>/dev/null
  exec flock "/tmp/cvm-test-locks/$lock.lock" wine "$@"
fi
exec wine "$@"

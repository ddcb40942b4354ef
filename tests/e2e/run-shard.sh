#!/usr/bin/env bash
# Runs one shard of the end-to-end tests on a virtual display and in a Wine
# prefix of its own, so that shards run beside each other: the program's
# single-instance mutex and FindWindow see only their own wineserver, and
# keyboard focus belongs to one display.
#   run-shard.sh NAME BUILD-DIR PROGRAM [ARGS...]
# The prefix is BUILD-DIR/wineprefix-e2e-NAME, next to the default prefix.
set -u
name=$1 build=$2; shift 2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export CVM_WINEPREFIX="$build/wineprefix-e2e-$name"

fifo=$(mktemp -u "${TMPDIR:-/tmp}/cvm-e2e-display.XXXXXX")
mkfifo "$fifo"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$fifo" </dev/null >/dev/null 2>&1 &
xvfb=$!
read -r -t 30 display <"$fifo"
rm -f "$fifo"
if [ -z "${display:-}" ]; then
  echo "run-shard: the virtual display did not start" >&2
  kill "$xvfb" 2>/dev/null
  exit 1
fi
export DISPLAY=":$display"

cleanup() {
  WINEPREFIX="$CVM_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

# The editor shard and the sent-mail check send to the same server users.
case "$name" in sent) export CVM_TEST_LOCK=e2e-editor ;; *) export CVM_TEST_LOCK=e2e-$name ;; esac
"$here/../../scripts/wine-run.sh" "$@"

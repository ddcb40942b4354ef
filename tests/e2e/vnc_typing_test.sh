#!/usr/bin/env bash
# Typing through the headless display of scripts/run.sh: its own start of
# the virtual display, the VNC server with its keyboard bridge and the web
# proxy, then the end-to-end test that clicks and types through the VNC
# protocol (VncTypingTest), in a Wine prefix of its own.
#   vnc_typing_test.sh BUILD-DIR TEST-PROGRAM
set -u
build=$1 program=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
export CVM_BUILD_DIR=$build
# shellcheck source=../../scripts/run.sh
source "$root/scripts/run.sh"
set +e
export CVM_WINEPREFIX="$build/wineprefix-e2e-vnc"
tmp=$(mktemp -d)
pids=()
finish() {
  WINEPREFIX="$CVM_WINEPREFIX" wineserver -k >/dev/null 2>&1
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pkill -TERM -P "${pids[i]}" >/dev/null 2>&1
    kill "${pids[i]}" >/dev/null 2>&1
    wait "${pids[i]}" 2>/dev/null
  done
  rm -rf "$tmp"
}
trap finish EXIT
headless_start "$tmp" || exit 1
export CVM_VNC_PORT=$vnc CVM_TEST_LOCK=e2e-vnc
"$root/scripts/wine-run.sh" "$program" --gtest_filter='VncTypingTest.*'
status=$?
[ "$status" = 0 ] || { echo "--- VNC server"; tail -20 "$tmp/x11vnc.log"; echo "--- keyboard"; tail -20 "$tmp/keyboard.log"; }
exit "$status"

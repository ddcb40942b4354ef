#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}
jobs=${CVM_JOBS:-$(nproc)}

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-toolchain.cmake" >/dev/null
cmake --build "$build" -j "$jobs"

export CVM_WINEPREFIX="$build/wineprefix"
export WINEPREFIX="$CVM_WINEPREFIX"

# A display of our own for the windows the tests open.
# Xvfb picks a free display number itself and writes it to the given stream.
rm -f "$build/xvfb.display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$build/xvfb.display" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$build/xvfb.display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$build/xvfb.display")

servers=()
watchdog=""
cleanup() {
  [ -z "$watchdog" ] || kill "$watchdog" >/dev/null 2>&1 || true
  for s in "${servers[@]}"; do CVM_BUILD_DIR="$build" bash "$s" stop >/dev/null 2>&1 || true; done
  WINEPREFIX="$CVM_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# Protocol test servers on loopback addresses of their own.
for s in "$root"/scripts/servers.d/*.sh; do
  [ -f "$s" ] || continue
  servers+=("$s")
  echo "test: starting $(basename "$s" .sh)"
  CVM_BUILD_DIR="$build" timeout 300 bash "$s" start
done

# The servers are up: a test that cannot reach one fails instead of skipping.
export CVM_REQUIRE_SERVERS=1
# The run holds them: the demo set-up under test takes no reference of its own,
# so its end cannot end a server the other tests still use.
export CVM_SERVERS_HELD=1
# The servers are shared by the whole machine. One that something outside
# this run ends is started again, and the run says so.
(
  while sleep 5; do
    for s in "${servers[@]}"; do
      CVM_BUILD_DIR="$build" bash "$s" status && continue
      echo "test: $(basename "$s" .sh) ended during the run; starting it again" >&2
      CVM_BUILD_DIR="$build" timeout 300 bash "$s" start >&2 || true
    done
  done
) </dev/null &
watchdog=$!

"$root/scripts/wine-prefix.sh" "$CVM_WINEPREFIX" </dev/null >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600 "$@"

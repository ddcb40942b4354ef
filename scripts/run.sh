#!/usr/bin/env bash
# Installs what is missing, builds CVMail.exe and starts it under Wine on a
# default mailbox inside the work tree (run/MailBox, settings in run/CVM.ini).
#   scripts/run.sh [program arguments...]
# Without a display (DISPLAY unset) the program runs on a virtual display that
# a browser shows through noVNC: the script prints the address to open. When
# the program ends, the script stops everything it started (virtual display,
# VNC server, WebSocket proxy and the Wine server of its prefix) and exits with
# the program's exit code. Ctrl+C in the terminal ends the program as well.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}
run="$root/run"
mkdir -p "$run"
state="$run/.running"

# One run per work tree: a second one says where the first can be seen and
# hands its arguments (a mailto address, say) to the running program.
exec 8>"$run/.run.lock"
if ! flock -n 8; then
  shown=$(sed -n 's/^url=//p' "$state" 2>/dev/null || true)
  echo "run: Corvane Mail is already running from this tree${shown:+; open $shown in a browser to see it}."
  if [ $# -gt 0 ] && [ -s "$state" ]; then
    DISPLAY=$(sed -n 's/^display=//p' "$state") \
      CVM_WINEPREFIX=$(sed -n 's/^prefix=//p' "$state") \
      "$root/scripts/wine-run.sh" "$run/CVMail.exe" "$@" || true
  fi
  exit 0
fi

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-toolchain.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target CVMail QdMapi Vonlink

# The program keeps its settings file and side files beside itself.
cp "$build/CVMail.exe" "$build/QdMapi.dll" "$build/Vonlink.dll" "$run/"
cp "$root/resources/art/CVM.bmp" "$run/" 2>/dev/null || true
# A prefix of its own, so that ending its Wine server never touches a test run.
export CVM_WINEPREFIX="$build/wineprefix-run"

pids=()
stop_all() {
  trap - EXIT INT TERM HUP
  rm -f "$state"
  # The Wine server ends every Wine process of the prefix with it.
  WINEPREFIX="$CVM_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pkill -TERM -P "${pids[i]}" >/dev/null 2>&1 || true
    kill "${pids[i]}" >/dev/null 2>&1 || true
    wait "${pids[i]}" 2>/dev/null || true
  done
}
trap stop_all EXIT
trap 'exit 130' INT TERM HUP

# The first port from $1 on that nothing listens on.
free_port() {
  local p=$1
  while ss -Hltn "sport = :$p" | grep -q .; do p=$((p + 1)); done
  echo "$p"
}

url=""
if [ -z "${DISPLAY:-}" ]; then
  rm -f "$run/.display"
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$run/.display" </dev/null >/dev/null 2>&1 8>&- &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$run/.display" ] && break; sleep 0.1; done
  [ -s "$run/.display" ] || { echo "run: the virtual display did not start" >&2; exit 1; }
  n=$(head -1 "$run/.display")
  export DISPLAY=":$n"
  vnc=$(free_port $((5900 + n)))
  x11vnc -display "$DISPLAY" -localhost -nopw -forever -shared -rfbport "$vnc" -o "$run/x11vnc.log" \
    </dev/null >/dev/null 2>&1 8>&- &
  pids+=($!)
  web=$(free_port $((6080 + n)))
  websockify --web /usr/share/novnc "127.0.0.1:$web" "127.0.0.1:$vnc" </dev/null >"$run/websockify.log" 2>&1 8>&- &
  pids+=($!)
  for _ in $(seq 100); do ss -Hltn "sport = :$web" | grep -q . && break; sleep 0.1; done
  url="http://127.0.0.1:$web/vnc.html?autoconnect=1&resize=scale"
  echo "run: no display here; open $url in a browser to see and use Corvane Mail (over SSH, forward the port first: ssh -L $web:127.0.0.1:$web $(hostname))"
fi
printf 'display=%s\nurl=%s\nprefix=%s\n' "$DISPLAY" "$url" "$CVM_WINEPREFIX" >"$state"

cd "$run"
winpath="Z:$(printf '%s' "$run/MailBox" | tr '/' '\\')"
# The M value begins one character after the letter. The script waits in the
# background of the program, so that Ctrl+C reaches its clean-up at once.
status=0
# Wine's own notices go to a log rather than between the lines above.
"$root/scripts/wine-run.sh" "$run/CVMail.exe" /INI "/M:$winpath" "$@" 2>"$run/wine.log" 8>&- &
program=$!
wait "$program" || status=$?
if [ "$status" != 0 ] && [ "$status" -lt 128 ]; then
  echo "run: the program ended with code $status; Wine's messages are in $run/wine.log" >&2
fi
exit "$status"

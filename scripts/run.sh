#!/usr/bin/env bash
# Installs what is missing, builds CVMail.exe and starts it under Wine on a
# default mailbox inside the work tree (run/MailBox).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-toolchain.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target CVMail QdMapi Vonlink

# The program keeps its settings file and side files beside itself.
run="$root/run"
mkdir -p "$run"
cp "$build/CVMail.exe" "$build/QdMapi.dll" "$build/Vonlink.dll" "$run/"
cp "$root/resources/art/CVM.bmp" "$run/" 2>/dev/null || true
export CVM_WINEPREFIX="$build/wineprefix"
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$build/run.display" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 100); do [ -s "$build/run.display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -1 "$build/run.display")
  echo "run: no display was set; started Xvfb on $DISPLAY"
fi
cd "$run"
winpath="Z:$(printf '%s' "$run/MailBox" | tr '/' '\\')"
# The M value begins one character after the letter.
exec "$root/scripts/wine-run.sh" "$run/CVMail.exe" /INI "/M:$winpath" "$@"

#!/usr/bin/env bash
# Creates the Wine prefix once (under a lock, since tests start in parallel),
# keeps its registry settings current and makes sure its wineserver runs
# persistently.
set -u
prefix=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix"
(
  flock 9
  if [ ! -f "$prefix/.cvm-ready" ]; then
    wineboot -i >/dev/null 2>&1
    # A creation that was stopped half-way leaves a prefix that cannot start
    # a program; it must not be taken as ready.
    if [ ! -f "$prefix/drive_c/windows/system32/kernel32.dll" ]; then
      wineserver -k >/dev/null 2>&1
      rm -rf "$prefix"
      exit 1
    fi
    # Test hooks may add more set-up (certificates, registry) in this folder.
    for hook in "$here"/prefix.d/*.sh; do
      [ -x "$hook" ] && "$hook" "$prefix"
    done
    wineserver -w
    touch "$prefix/.cvm-ready"
  fi
  # The registry settings are applied again whenever the file changes, so a
  # prefix made by an older tree gets them too. Proportional IPA fonts in
  # place of the proportional Windows UI fonts (the fixed-pitch one only for
  # "MS Gothic"); windows not handed to a window manager, because the virtual
  # displays have none and Wine would wait two seconds for one each time a
  # window is hidden; no stand-alone "Wine System Tray" window at the top left
  # of a display that has no system tray (the program's tray menu stays
  # reachable through its hot key); a crashing program ends instead of starting a debugger
  # that would hold the test runner's pipes.
  # The file is UTF-8 (it names Japanese faces such as "ＭＳ ゴシック");
  # regedit reads a file without a byte-order mark in the ANSI code page,
  # so it gets a UTF-16 copy. A prefix made before the symbol font was set
  # aside gets it here too.
  stamp=$(md5sum <"$here/wine-prefix.reg" | cut -d' ' -f1)
  if [ "$(cat "$prefix/.cvm-registry" 2>/dev/null)" != "$stamp" ]; then
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/wine-prefix.reg"; } >"$prefix.reg"
    wine regedit "$prefix.reg" >/dev/null 2>&1
    rm -f "$prefix.reg"
    "$here/prefix.d/symbol-font.sh" "$prefix"
    # Wine's desktop process read the old settings when it started (the tray
    # among them): end the prefix's processes so the next start reads these.
    wineserver -k >/dev/null 2>&1 || true
    echo "$stamp" >"$prefix/.cvm-registry"
  fi
) 9>"$prefix.lock" || exit 1
# A persistent server makes each later process start in a fraction of a second;
# a second one for the same prefix exits at once. The server and Wine's own
# services are started here with every stream closed, so that they never hold
# the output pipe of whoever runs the tests.
(wineserver -p </dev/null >/dev/null 2>&1 &)
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
exit 0

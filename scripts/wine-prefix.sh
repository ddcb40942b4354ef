#!/usr/bin/env bash
# Creates a Wine prefix once (under a lock, since tests start in parallel),
# as a copy of the build tree's base prefix, keeps its registry settings
# current and makes sure its wineserver runs persistently.
set -u
prefix=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$(dirname "$prefix")"
# Wine's own binaries and data, the bulk of a prefix, which no program
# writes to: a copied prefix shares them with the base as hard links.
shared=( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.ocx'
         -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.ax' -o -iname '*.tlb' -o -iname '*.ds'
         -o -iname '*.dll16' -o -iname '*.exe16' -o -iname '*.vxd' -o -iname '*.mod' -o -iname '*.com'
         -o -iname '*.nls' -o -iname '*.msstyles' )

# Makes a prefix with wineboot. Run under the prefix's lock.
boot() {
  local p=$1
  rm -rf "$p"
  WINEPREFIX=$p wineboot -i >/dev/null 2>&1
  # A creation that was stopped half-way leaves a prefix that cannot start
  # a program; it must not be taken as ready.
  if [ ! -f "$p/drive_c/windows/system32/kernel32.dll" ]; then
    WINEPREFIX=$p wineserver -k >/dev/null 2>&1
    rm -rf "$p"
    return 1
  fi
  # Test hooks may add more set-up (certificates, registry) in this folder.
  for hook in "$here"/prefix.d/*.sh; do
    [ -x "$hook" ] && "$hook" "$p"
  done
  WINEPREFIX=$p wineserver -w
  touch "$p/.cvm-ready"
}

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
# aside gets it here too. Run under the prefix's lock.
apply_registry() {
  local p=$1 stamp
  stamp=$(md5sum <"$here/wine-prefix.reg" | cut -d' ' -f1)
  if [ "$(cat "$p/.cvm-registry" 2>/dev/null)" != "$stamp" ]; then
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/wine-prefix.reg"; } >"$p.reg"
    WINEPREFIX=$p wine regedit "$p.reg" >/dev/null 2>&1
    rm -f "$p.reg"
    "$here/prefix.d/symbol-font.sh" "$p"
    # Wine's desktop process read the old settings when it started (the tray
    # among them): end the prefix's processes so the next start reads these,
    # and let the server write the registry out.
    WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$p wineserver -w >/dev/null 2>&1 || true
    echo "$stamp" >"$p/.cvm-registry"
  fi
}

# Every prefix of a build tree is a copy of one base prefix, which no test
# runs in: a new prefix takes a moment and a few MB instead of a wineboot
# and 700 MB (a test run makes one per end-to-end shard).
base=$(dirname "$prefix")/wineprefix-base
(
  flock 9
  if [ ! -f "$prefix/.cvm-ready" ]; then
    (
      flock 8
      if [ ! -f "$base/.cvm-ready" ]; then boot "$base" || exit 1; fi
      apply_registry "$base"
      rm -rf "$prefix"
      cp -a --link "$base" "$prefix" || exit 1
      # The copy finds its own server: this Wine keeps the name of the
      # server's folder in the prefix.
      rm -f "$prefix/.cvm-ready" "$prefix/wineserver"
      # Everything but Wine's binaries becomes the copy's own.
      find "$prefix" -type f -links +1 ! \( "${shared[@]}" \) -print0 |
        while IFS= read -r -d '' f; do
          cp -p "$f" "$f.cvm-copy" && mv -f "$f.cvm-copy" "$f" || exit 1
        done || exit 1
      touch "$prefix/.cvm-ready"
    ) 8>"$base.lock" || { rm -rf "$prefix"; exit 1; }
  fi
  apply_registry "$prefix"
) 9>"$prefix.lock" || exit 1
# A persistent server makes each later process start in a fraction of a second;
# a second one for the same prefix exits at once. The server and Wine's own
# services are started here with every stream closed, so that they never hold
# the output pipe of whoever runs the tests.
export WINEPREFIX="$prefix"
(wineserver -p </dev/null >/dev/null 2>&1 &)
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
exit 0

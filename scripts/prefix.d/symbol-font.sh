#!/usr/bin/env bash
# Puts the symbol font of caption buttons and menu check marks (set aside by
# scripts/setup.sh) into a Wine prefix. Only this font: Wine's other fonts
# would take the place of the IPA fonts that stand in for the Windows UI fonts.
#   symbol-font.sh PREFIX
set -euo pipefail
prefix=$1
font=${CVM_SYMBOL_FONT:-/usr/local/share/corvane-mail/marlett.ttf}
fonts=$prefix/drive_c/windows/Fonts
if [ ! -f "$font" ]; then
  echo "symbol-font.sh: $font is missing; run scripts/setup.sh" >&2
  exit 0
fi
mkdir -p "$fonts"
cmp -s "$font" "$fonts/marlett.ttf" || cp -f "$font" "$fonts/marlett.ttf"

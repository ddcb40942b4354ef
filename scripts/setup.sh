#!/usr/bin/env bash
# Installs every Debian package that building, running and testing need.
# Idempotent: packages already present are skipped.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make python3
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils imagemagick libjpeg-turbo-progs
  x11vnc novnc websockify
  locales fonts-ipafont-gothic fonts-ipafont-mincho
  googletest
  openssl iproute2 procps util-linux
  dovecot-core dovecot-imapd dovecot-pop3d
  postfix
  slapd ldap-utils
  mpop msmtp
  unzip lhasa
  gcc pkg-config libgmime-3.0-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  # Answer the configuration questions of postfix and slapd up front.
  echo "postfix postfix/main_mailer_type select No configuration" | $SUDO debconf-set-selections
  echo "slapd slapd/no_configuration boolean true" | $SUDO debconf-set-selections
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
# Wine draws the caption buttons (minimise, maximise, close) and the check
# marks of menus with the symbol font "Marlett"; without it they read
# "0 1 r". Package fonts-wine has it, but installed it would also put Wine's
# own Tahoma in every prefix of the machine in place of the IPA replacement
# that shows Japanese. So only that one file is taken from the package, and
# the prefix set-up copies it into each prefix's Fonts folder.
symbol_font=/usr/local/share/corvane-mail/marlett.ttf
if [ ! -f "$symbol_font" ]; then
  work=$(mktemp -d)
  chmod 755 "$work"
  (cd "$work" && $SUDO apt-get download -qq fonts-wine >/dev/null 2>&1 || \
     { $SUDO apt-get update -qq && $SUDO apt-get download -qq fonts-wine >/dev/null; })
  dpkg-deb --fsys-tarfile "$work"/fonts-wine_*.deb | tar -x -C "$work" ./usr/share/wine/fonts/marlett.ttf
  $SUDO install -D -m 644 "$work/usr/share/wine/fonts/marlett.ttf" "$symbol_font"
  rm -rf "$work"
fi
echo "setup: done"

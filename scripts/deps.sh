#!/bin/sh
# Installs the Debian packages that building (and, with "test", testing) needs, when missing.
set -eu
packages="build-essential cmake pkg-config libncurses-dev libcli11-dev libdxflib-dev"
if [ "${1:-}" = test ]; then
  packages="$packages ninja-build libgtest-dev libvterm-dev clang libclang-rt-14-dev avra
            libxml2-utils librsvg2-bin gerbv locales mandoc python3-ezdxf python3-matplotlib
            openscad admesh"
fi
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  if [ "$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
fi
if [ "${1:-}" = test ]; then
  # The locales the tests run in: a decimal comma, and a single-byte character set.
  if [ "$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi
  for charmap in UTF-8 ISO-8859-1; do
    short="$(echo "$charmap" | tr -d '-' | tr 'A-Z' 'a-z')"
    locale -a 2>/dev/null | grep -qi "^de_DE\.$short\$" ||
      $sudo localedef -i de_DE -f "$charmap" "de_DE.$charmap"
  done
fi

#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine, once.
# Safe to run again: it only installs what is missing.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

need_pkgs=(g++-mingw-w64-i686 mingw-w64 wine wine32:i386 wine64 xvfb xauth locales
           nasm python3-pil imagemagick cmake ninja-build clang llvm googletest
           libclang-rt-14-dev dpkg-dev x11-utils)

# libjpeg-turbo is built from Debian's source package, so apt needs a deb-src entry.
src=/etc/apt/sources.list.d/debian.sources
need_update=0
if [ -f "$src" ] && ! grep -q 'deb-src' "$src" 2>/dev/null && [ ! -f /etc/apt/sources.list.d/qubrix-src.sources ]; then
  sed 's/^Types: deb$/Types: deb-src/' "$src" | $SUDO tee /etc/apt/sources.list.d/qubrix-src.sources >/dev/null
  need_update=1
fi

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ] && [ "$need_update" = 1 ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Polish locale: the ANSI code page of Wine programs follows it (1250).
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  $SUDO localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
fi

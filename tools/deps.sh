#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, quietly and
# only when something is missing. Run as root. Safe to run again.
set -euo pipefail

die() { echo "deps: $*" >&2; exit 1; }

packages=(
  cmake ninja-build pkg-config
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  clang libclang-rt-14-dev
  lzma-dev liblzma-dev librapidxml-dev libstb-dev googletest xz-utils
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick fonts-wqy-microhei
  dpkg-dev
  osslsigncode openssl
)

missing=()
have_i386=$(dpkg --print-foreign-architectures | grep -qx i386 && echo yes || echo no)
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# deb-src entries derived from the machine's own deb entries, so that Lua's
# source package can be fetched from wherever this machine gets its packages.
need_src=no
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null; then
  need_src=yes
fi

if [ "${#missing[@]}" -eq 0 ] && [ "$have_i386" = yes ] && [ "$need_src" = no ]; then
  exit 0
fi

[ "$(id -u)" -eq 0 ] || die "missing packages (${missing[*]:-none}); run this as root to install them"

if [ "$need_src" = yes ]; then
  shopt -s nullglob
  for f in /etc/apt/sources.list.d/*.sources; do
    grep -qE '^Types:.*\bdeb\b' "$f" || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" > "${f%.sources}-src.sources.tmp"
    mv "${f%.sources}-src.sources.tmp" "/etc/apt/sources.list.d/$(basename "${f%.sources}")-src.sources"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    grep -E '^deb ' "$f" | sed -E 's/^deb /deb-src /' > "/etc/apt/sources.list.d/$(basename "$f" .list)-src.list" || true
  done
fi

export DEBIAN_FRONTEND=noninteractive
[ "$have_i386" = yes ] || dpkg --add-architecture i386
echo "deps: installing ${missing[*]:-source entries}" >&2
apt-get update -qq >/dev/null || die "apt-get update failed"
if [ "${#missing[@]}" -gt 0 ]; then
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || die "could not install: ${missing[*]}"
fi

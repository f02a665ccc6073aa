#!/usr/bin/env bash
# tools/make-setup.sh --payload DIR --out FILE [--sign PFX --sign-pass-file FILE [--timestamp URL]]
#
# Builds setup.exe with the files of DIR as its payload, in a cross tree of
# its own (build/make-setup), so that the default build keeps its stand-ins.
# DIR must hold every file of the install table (resources/payload/members.txt)
# and nothing else; unins000.exe may be left out, and is replaced by the
# uninstaller built here when it is there: it has to match the uninstall
# entry this setup program writes. With --sign, unins000.exe is signed
# before it is packed and setup.exe once its resources are final
# (Authenticode, SHA-256, with osslsigncode); --timestamp adds an RFC 3161
# time-stamp from that server.
set -euo pipefail

usage() {
  echo "usage: tools/make-setup.sh --payload DIR --out FILE [--sign PFX --sign-pass-file FILE [--timestamp URL]]" >&2
  exit 2
}
die() { echo "make-setup: $*" >&2; exit 1; }

payload= out= pfx= pass_file= timestamp=
while [ $# -gt 0 ]; do
  case $1 in
    --payload) [ $# -ge 2 ] || usage; payload=$2; shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    --sign) [ $# -ge 2 ] || usage; pfx=$2; shift 2 ;;
    --sign-pass-file) [ $# -ge 2 ] || usage; pass_file=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$payload" ] && [ -n "$out" ] || usage
[ -d "$payload" ] || die "no folder $payload"
if [ -n "$pfx$pass_file$timestamp" ]; then
  [ -n "$pfx" ] && [ -n "$pass_file" ] || die "--sign and --sign-pass-file go together (and --timestamp needs both)"
  [ -r "$pfx" ] || die "cannot read the certificate $pfx"
  [ -r "$pass_file" ] || die "cannot read the password file $pass_file"
  command -v osslsigncode >/dev/null || die "osslsigncode is missing: run tools/deps.sh as root"
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
payload=$(cd "$payload" && pwd)
out_dir=$(cd "$(dirname "$out")" 2>/dev/null && pwd) || die "no folder for $out"
out=$out_dir/$(basename "$out")
[ -z "$pfx" ] || pfx=$(cd "$(dirname "$pfx")" && pwd)/$(basename "$pfx")
[ -z "$pass_file" ] || pass_file=$(cd "$(dirname "$pass_file")" && pwd)/$(basename "$pass_file")
members_list=$repo/resources/payload/members.txt

# The folder against the install table, before anything is built: each
# missing member and each file the install script would never place named.
declare -A wanted=()
members=()
while IFS= read -r member; do
  [ -n "$member" ] || continue
  wanted[$member]=1
  members+=("$member")
done < "$members_list"
problems=0
for member in "${members[@]}"; do
  [ "$member" = unins000.exe ] && continue
  if [ ! -f "$payload/$member" ] || [ -L "$payload/$member" ]; then
    echo "make-setup: missing from $payload: $member" >&2
    problems=$((problems + 1))
  fi
done
while IFS= read -r -d '' file; do
  name=${file#"$payload"/}
  if [ -z "${wanted[$name]:-}" ]; then
    echo "make-setup: not in the install table (resources/payload/members.txt): $name" >&2
    problems=$((problems + 1))
  elif [ -L "$file" ]; then
    echo "make-setup: a link, not a file: $name" >&2
    problems=$((problems + 1))
  fi
done < <(find "$payload" -mindepth 1 ! -type d -print0 | sort -z)
[ "$problems" -eq 0 ] || die "$payload refused ($problems problems); nothing was built"

cd "$repo"
. tools/build.sh
tree=build/make-setup
mkdir -p "$tree"
# One build at a time in this tree.
exec 9>"$tree/.lock"
flock 9
jobs=$(nproc 2>/dev/null || echo 2)

echo "make-setup: building in $tree" >&2
nelvo_build_native >/dev/null
nelvo_configure_cross "$tree" -DNELVO_OUT="$repo/$tree/out" -DNELVO_HOST_TOOLS="$repo/out" \
  -DNELVO_PAYLOAD_DIR="$repo/$tree/payload" || die "configuring $tree failed"
ninja -C "$tree" -j"$jobs" --quiet payload_uninstaller || die "building the uninstaller failed"

# sign IN OUT: Authenticode with SHA-256 (and the time-stamp when given).
sign() {
  local ts=()
  [ -z "$timestamp" ] || ts=(-ts "$timestamp")
  rm -f "$2"
  osslsigncode sign -pkcs12 "$pfx" -readpass "$pass_file" -h sha256 -n "Nelvo" "${ts[@]}" \
    -in "$1" -out "$2" >/dev/null || die "signing $(basename "$1") failed"
}

# The staged payload: the folder's files, copied only when they differ so
# that an unchanged folder is not packed again, and the uninstaller built
# here, signed before it is packed.
stage=$tree/payload
mkdir -p "$stage"
while IFS= read -r -d '' file; do
  [ -n "${wanted[${file#"$stage"/}]:-}" ] || rm -f "$file"
done < <(find "$stage" -mindepth 1 ! -type d -print0)
for member in "${members[@]}"; do
  [ "$member" = unins000.exe ] && continue
  if ! cmp -s "$payload/$member" "$stage/$member"; then
    mkdir -p "$(dirname "$stage/$member")"
    cp "$payload/$member" "$stage/$member"
  fi
done
[ ! -e "$payload/unins000.exe" ] || echo "make-setup: unins000.exe of $payload replaced by the uninstaller built here" >&2
uninstaller=$tree/tools/payload/bin/payload_uninstaller/unins000.exe
if [ -n "$pfx" ]; then
  # A new signature carries a new signing time: signed again only when the
  # built uninstaller changed.
  signer="$(sha256sum < "$pfx") $timestamp"
  if [ ! -f "$stage/unins000.exe" ] || [ "$uninstaller" -nt "$stage/unins000.exe" ] \
     || [ "$(cat "$tree/.uninstaller-signer" 2>/dev/null)" != "$signer" ]; then
    sign "$uninstaller" "$stage/unins000.exe"
    echo "$signer" > "$tree/.uninstaller-signer"
  fi
else
  cmp -s "$uninstaller" "$stage/unins000.exe" || cp "$uninstaller" "$stage/unins000.exe"
  rm -f "$tree/.uninstaller-signer"
fi

ninja -C "$tree" -j"$jobs" --quiet setup || die "building setup.exe failed"

built=$tree/out/setup.exe
if [ -n "$pfx" ]; then
  sign "$built" "$out.tmp"
  mv -f "$out.tmp" "$out"
else
  cp "$built" "$out"
fi
echo "make-setup: $out ($(stat -c %s "$out") bytes, $([ -n "$pfx" ] && echo signed || echo unsigned))" >&2

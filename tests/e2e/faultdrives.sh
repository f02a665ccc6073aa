#!/usr/bin/env bash
# faultdrives.sh up|down PREFIX: the drives of the fault scenarios, as the
# prefix's drive letters.
#   N:  a 16 MB drive (tmpfs), room for the payload; the scenarios fill it
#       to what they need (too small from the start, or filling up during
#       the extraction);
#   O:  a read-only drive (a read-only bind mount) holding an empty folder
#       O:\QuentNelvo.
# Mounting needs root with the right to mount (a container may not give it).
# When a drive cannot be made, `up` says why in FOLDER/unavailable and still
# succeeds: the scenarios that need it report it and skip.
set -u
action=$1 prefix=$2
base=$(dirname "$prefix")/faultdrives

down() {
  rm -f "$prefix/dosdevices/n:" "$prefix/dosdevices/o:"
  for m in "$base/small" "$base/readonly"; do
    mountpoint -q "$m" 2>/dev/null && umount "$m"
  done
  rm -f "$base/unavailable"
}

case $action in
up)
  down
  mkdir -p "$base/small" "$base/readonly" "$base/readonly-source/QuentNelvo"
  if ! out=$(mount -t tmpfs -o size=16m nelvo-small "$base/small" 2>&1); then
    echo "no 16 MB drive: $out" >> "$base/unavailable"
  else
    ln -sfn "$base/small" "$prefix/dosdevices/n:"
  fi
  if ! out=$( { mount --bind "$base/readonly-source" "$base/readonly" &&
                mount -o remount,bind,ro "$base/readonly"; } 2>&1); then
    mountpoint -q "$base/readonly" && umount "$base/readonly"
    echo "no read-only drive: $out" >> "$base/unavailable"
  else
    ln -sfn "$base/readonly" "$prefix/dosdevices/o:"
  fi
  ;;
down) down ;;
*) echo "usage: faultdrives.sh up|down PREFIX" >&2; exit 2 ;;
esac
exit 0

#!/bin/sh
# The source folders are layers: each includes only itself and those below
# it. Reads every #include "folder/..." line of the source folders and fails
# on one that reaches a folder above its own.
#
#   check-layers.sh <source tree>
set -eu
cd "$1"

# Bottom to top. A folder inside another (dui/controls) is its own layer.
layers="base store dui dui/controls script host"

rank() {
    i=0
    for l in $layers; do
        [ "$l" = "$1" ] && { echo "$i"; return; }
        i=$((i + 1))
    done
    echo -1
}

# The layer a file or an included path belongs to: the longest layer that
# is a prefix of its folder.
layer_of() {
    found=
    for l in $layers; do
        case "$1" in "$l"/*) found=$l ;; esac
    done
    echo "$found"
}

status=0
checked=0
for l in $layers; do
    for file in "$l"/*.h "$l"/*.cpp; do
        [ -f "$file" ] || continue
        checked=$((checked + 1))
        own=$(rank "$l")
        for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
            target=$(layer_of "$included")
            [ -n "$target" ] || continue
            if [ "$(rank "$target")" -gt "$own" ]; then
                echo "$file includes $included: $target is above $l" >&2
                status=1
            fi
        done
    done
done

# A layer list that matched no files would pass without checking anything.
if [ "$checked" -eq 0 ]; then
    echo "no source files found under $(pwd)" >&2
    exit 1
fi
[ "$status" -eq 0 ] && echo "layers: $checked files, no include reaches upward"
exit "$status"

# Sourced by scripts that follow the install script's file table.
#
# member_walk MEMBERS.TXT: the table's entries in the install script's order,
# one per line: "folder A\B" for each folder, before the first file inside
# it, and "file A\B\name" for each member. Paths in Windows form, relative
# to the install folder.
member_walk() {
  local made=$'\n' member folder part parts
  while read -r member; do
    [ -n "$member" ] || continue
    folder=
    if [ "${member%/*}" != "$member" ]; then
      IFS=/ read -ra parts <<< "${member%/*}"
      for part in "${parts[@]}"; do
        folder=${folder:+$folder\\}$part
        case $made in *$'\n'"$folder"$'\n'*) continue ;; esac
        made+="$folder"$'\n'
        echo "folder $folder"
      done
    fi
    echo "file ${member//\//\\}"
  done < "$1"
}

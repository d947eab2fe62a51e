#!/usr/bin/env bash
# Checks the launcher's folders: each includes only headers of its own
# folder or of the folders below it.
#   text <- platform <- core <- entry
# Usage: check_launcher_folders.sh <launcher source dir>
set -euo pipefail
cd "${1:?launcher source directory}"
folders=(text platform core entry)
rank() {
  local i
  for i in "${!folders[@]}"; do [ "${folders[i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}
status=0
for folder in "${folders[@]}"; do
  own=$(rank "$folder")
  while IFS=: read -r file line text; do
    used=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$text")
    [ "$(rank "$used")" -gt "$own" ] || continue
    echo "$file:$line: $folder uses $used above it: $text"
    status=1
  done < <(grep -rn '^#include "[^"]*/' "$folder" || true)
done
[ "$status" -eq 0 ] && echo "every launcher folder uses only those below it"
exit "$status"

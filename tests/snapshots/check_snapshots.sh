#!/usr/bin/env bash
# Runs the bundled example (examples/bank.txt) and the benchmark models
# under the front end and on the console (answering its questions), and
# compares each file the engine writes with the copy kept in
# tests/snapshots/<model>/. A restructuring of the engine must leave these
# reports byte for byte the same. With --update the copies are rewritten.
# Usage: check_snapshots.sh path/to/kelvo [--update]
set -euo pipefail
kelvo=$(realpath "$1")
update=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
here="$root/tests/snapshots"
status=0
for model in "$root"/examples/bank.txt "$root"/bench/models/*.txt; do
  name=$(basename "$model" .txt)
  file=$(basename "$model")
  work=$(mktemp -d)
  mkdir "$work/frontend" "$work/console"
  cp "$model" "$work/frontend/"
  cp "$model" "$work/console/"
  printf '%s\n%7d\n' "$file" 3600 > "$work/frontend/zwxyq.jav"
  (cd "$work/frontend" && "$kelvo" < /dev/null > stdout.txt 2>&1)
  (cd "$work/console" && printf '%s\n\n\nY\nY\n' "$file" | "$kelvo" > stdout.txt 2>&1)
  rm "$work/frontend/$file" "$work/frontend/zwxyq.jav" "$work/console/$file"
  if [ "$update" = --update ]; then
    rm -rf "${here:?}/$name"
    cp -r "$work" "$here/$name"
  elif ! diff -r "$here/$name" "$work" > "$work.diff"; then
    echo "report of $name differs:"
    head -40 "$work.diff"
    status=1
  fi
  rm -rf "$work" "$work.diff"
done
[ "$status" = 0 ] && [ "$update" != --update ] && echo "all bundled models give their kept reports"
exit "$status"

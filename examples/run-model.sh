#!/usr/bin/env bash
# Runs a model from the shell and keeps its result files: copies the model
# into a folder, writes the front end's command file zwxyq.jav there (line
# 1 the model file name, line 2 the run-time limit in seconds, columns 1-7)
# and starts the engine in that folder. The engine reads nothing from its
# command line; everything it needs is in the folder.
# Usage: run-model.sh MODEL [FOLDER [SECONDS]]
#   FOLDER   where the run happens and the results stay (default: a folder
#            named after the model next to it, ending in .run)
#   SECONDS  run-time limit (default 600)
# KELVO names the engine (default: build/engine/kelvo of this tree).
set -euo pipefail
if [ $# -lt 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 MODEL [FOLDER [SECONDS]]" >&2
  exit 1
fi
here=$(cd "$(dirname "$0")" && pwd)
kelvo=$(realpath "${KELVO:-$here/../build/engine/kelvo}")
model=$(realpath "$1")
name=$(basename "$model")
folder=${2:-${model%.*}.run}
limit=${3:-600}
mkdir -p "$folder"
cp "$model" "$folder/$name"
cd "$folder"
printf '%s\n%7d\n' "$name" "$limit" > zwxyq.jav
"$kelvo" < /dev/null
echo "Result files in $(pwd), each with its first lines:"
for f in *; do
  case "$f" in "$name" | zwxyq.jav) continue ;; esac
  echo "== $f"
  grep -v '^ *$' "$f" | head -n 3 | sed 's/^/   /' || true
done

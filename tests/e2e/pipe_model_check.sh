#!/usr/bin/env bash
# A pipe given as the model file under the front end is not read (a pipe
# without a writer would hold the engine for ever): the engine says
# " File does not exist" in the model's ERR file and ends with status 0.
# Usage: pipe_model_check.sh path/to/kelvo
set -uo pipefail
kelvo=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/M.TXT"
printf 'M.TXT\n     10\n' > "$work/zwxyq.jav"
status=$(cd "$work" && timeout 20 "$kelvo" < /dev/null > stdout 2>&1; echo $?)
fail() { echo "FAIL: $*"; echo "-- standard output:"; cat "$work/stdout"; exit 1; }
[ "$status" -eq 0 ] || fail "the engine ended with status $status (124: it waited on the pipe)"
[ -f "$work/M.ERR" ] || fail "no M.ERR was written"
grep -qE '^ File does not exist *$' "$work/M.ERR" || fail "M.ERR does not say ' File does not exist': $(cat "$work/M.ERR")"
echo "a pipe as the model file is refused"

#!/usr/bin/env bash
# A full disk, simulated with a file-size limit of 0: the engine runs the
# bundled example under the front end, can write none of its result
# files, names each on standard error and ends with status 2.
# Usage: lost_output_check.sh path/to/kelvo path/to/examples/bank.txt
set -uo pipefail
kelvo=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$2" "$work/bank.txt"
printf 'bank.txt\n   3600\n' > "$work/zwxyq.jav"
# Standard error goes to a pipe, which the limit does not touch.
err=$(cd "$work" && ulimit -f 0 && "$kelvo" < /dev/null 2>&1 > /dev/null; echo "exit status $?")
fail() { echo "FAIL: $*"; echo "-- standard error:"; echo "$err"; exit 1; }
echo "$err" | grep -q '^exit status 2$' || fail "the engine did not end with status 2"
for f in bank.BLK bank.STA bank.QUE; do
  echo "$err" | grep -q "^ Output lost: $f: " || fail "$f is not named as lost"
done
[ "$(echo "$err" | grep -c "bank.BLK")" -eq 1 ] || fail "bank.BLK is named more than once"
echo "lost output is named and ends the engine with status 2"

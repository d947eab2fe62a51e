#!/usr/bin/env bash
# Under the front end the PRINTs of report sections go to the PRINT result
# file: the section files of a model with such PRINTs equal those of the
# same model without them.
# Usage: print_sections_check.sh path/to/kelvo CASE-DIR
set -uo pipefail
kelvo=$(realpath "$1")
case_dir=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {
  mkdir -p "$work/$1"
  cp "$case_dir/files/zwxyq.jav" "$work/$1/"
  # The model with the blocks whose operation is PRINT left out.
  awk -v keep="$2" 'keep || substr($0, 8, 6) != "PRINT "' "$case_dir/files/M.TXT" > "$work/$1/M.TXT"
  (cd "$work/$1" && "$kelvo" < /dev/null > /dev/null 2>&1)
}
run with 1
run without 0
[ -s "$work/with/MR.TXT" ] || { echo "FAIL: the PRINTs wrote no result file"; exit 1; }
status=0
for f in M.STA M.QUE M.SAV M.QTA; do
  [ -s "$work/without/$f" ] || { echo "FAIL: no $f without the PRINTs"; status=1; continue; }
  cmp -s "$work/with/$f" "$work/without/$f" || { echo "FAIL: $f differs"; diff "$work/with/$f" "$work/without/$f"; status=1; }
done
exit $status

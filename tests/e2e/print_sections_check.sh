#!/usr/bin/env bash
# Under the front end the PRINTs of report sections go to the PRINT result
# file: the section files of a model with such PRINTs equal those of the
# same model without them.
# Usage: print_sections_check.sh path/to/kelvo CASE-DIR
source "$(dirname "$0")/front_end_run.sh" "$1"
model=$(realpath "$2")/files/M.TXT
run_model with < "$model"
# The same model with its PRINT blocks left out.
awk 'substr($0, 8, 6) != "PRINT "' "$model" | run_model without
[ -s "$work/with/MR.TXT" ] || { echo "FAIL: the PRINTs wrote no result file"; exit 1; }
status=0
for f in M.STA M.QUE M.SAV M.QTA; do
  [ -s "$work/without/$f" ] || { echo "FAIL: no $f without the PRINTs"; status=1; continue; }
  cmp -s "$work/with/$f" "$work/without/$f" || { echo "FAIL: $f differs"; diff "$work/with/$f" "$work/without/$f"; status=1; }
done
exit $status

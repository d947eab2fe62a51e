#!/usr/bin/env bash
# A low class arrives from its own GENERATE (stream 3 only) and shares a
# facility with a high class. How the high class takes the facility
# (SEIZE, PREEMPT by priority, plain PREEMPT) cannot change how many low
# transactions arrive by the end: block 10 counts the same in all three.
# Usage: preempt_arrivals_check.sh path/to/kelvo MODELS-DIR
source "$(dirname "$0")/front_end_run.sh" "$1"
models=$(realpath "$2")
count() {
  run_model "$1" < "$models/$1.txt"
  # BLO rows: a blank, then block, current and total in five columns each.
  awk 'substr($0, 2, 5) + 0 == 10 { print substr($0, 12, 5) + 0 }' "$work/$1/M.BLO"
}
seize=$(count seize)
by_priority=$(count preempt_by_priority)
plain=$(count preempt_plain)
echo "arrivals of the low class: SEIZE $seize, PREEMPT by priority $by_priority, plain PREEMPT $plain"
[ -n "$seize" ] && [ "$seize" -gt 19000 ] || { echo "FAIL: the SEIZE model did not run"; exit 1; }
[ "$seize" = "$by_priority" ] && [ "$seize" = "$plain" ] || { echo "FAIL: the counts differ"; exit 1; }

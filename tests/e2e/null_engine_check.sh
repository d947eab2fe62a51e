#!/usr/bin/env bash
# Runs end-to-end check programs against an engine that simulates nothing
# (it writes no file, or only empty report files) and exits 0, and fails
# unless every check in them fails: a check that passes there asserts
# nothing about what the engine computes.
# Usage: null_engine_check.sh NULL_ENGINE SCRATCH_DIR CHECK_PROGRAM...
set -uo pipefail
export KELVO_E2E_BINARY=$(realpath "$1")
engine=$(basename "$1")
export KELVO_E2E_SCRATCH=$2
shift 2
status=0
for program in "$@"; do
  log=$(mktemp)
  "$program" > "$log" 2>&1
  ran=$(grep -c '^\[ RUN      \]' "$log")
  failed=$(grep -cE '^\[  FAILED  \] .* \([0-9]+ ms\)$' "$log")
  if [ "$ran" -eq 0 ]; then
    echo "$(basename "$program"): no checks ran"
    status=1
  elif [ "$failed" -ne "$ran" ]; then
    echo "$(basename "$program"): $((ran - failed)) of $ran checks did not fail against $engine:"
    grep -E '^\[       OK \]|^\[  SKIPPED \]' "$log"
    status=1
  else
    echo "$(basename "$program"): all $ran checks fail against $engine"
  fi
  rm -f "$log"
done
exit $status

#!/usr/bin/env bash
# Times whole runs of the engine on the bundled benchmark models and
# prints transactions per second, and the ratio of each engine run to a
# hand-written reference program of the same model (both whole processes).
# Usage: bash bench/run.sh <build-dir>
set -euo pipefail

build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
kelvo="$root/$build/engine/kelvo"
reference="$root/$build/bench/mdone_reference"
[ -x "$kelvo" ] || { echo "kelvo not built in $build" >&2; exit 1; }

now() { date +%s.%N; }

# Runs one model under the front end in a scratch directory; prints the
# elapsed seconds. The run must leave its block-count file.
run_model() {
  local model=$1 base=$2
  local dir
  dir=$(mktemp -d)
  cp "$root/bench/models/$model" "$dir/$model"
  printf '%s\n%7d\n' "$model" 3600 > "$dir/zwxyq.jav"
  local t0 t1
  t0=$(now)
  (cd "$dir" && "$kelvo" < /dev/null > /dev/null)
  t1=$(now)
  if [ ! -s "$dir/$base.BLO" ]; then
    echo "no block counts from $model (see $dir)" >&2
    return 1
  fi
  rm -rf "$dir"
  echo "$t1 - $t0" | bc -l
}

report() {
  local name=$1 txns=$2 secs=$3
  printf '%-12s %8d transactions  %8.3f s  %12.0f transactions/s\n' "$name" "$txns" "$secs" "$(echo "$txns / $secs" | bc -l)"
}

secs=$(run_model gat100k.txt gat100k)
report gat100k 100000 "$secs"
gat_reference="$root/$build/bench/gat_reference"
if [ -x "$gat_reference" ]; then
  t0=$(now)
  "$gat_reference" > /dev/null
  t1=$(now)
  secs_g=$(echo "$t1 - $t0" | bc -l)
  report reference 100000 "$secs_g"
  printf 'engine / reference time ratio: %.2f\n' "$(echo "$secs / $secs_g" | bc -l)"
fi

if secs_m=$(run_model mdone.txt mdone 2>/dev/null); then
  report mdone 50000 "$secs_m"
  if [ -x "$reference" ]; then
    t0=$(now)
    "$reference" > /dev/null
    t1=$(now)
    secs_r=$(echo "$t1 - $t0" | bc -l)
    report reference 50000 "$secs_r"
    printf 'engine / reference time ratio: %.2f\n' "$(echo "$secs_m / $secs_r" | bc -l)"
  fi
else
  echo "mdone: the engine cannot run this model yet"
fi

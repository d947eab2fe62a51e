#!/usr/bin/env bash
# Times whole runs of the engine on the bundled benchmark models, each
# beside a hand-written reference program of the same model, and prints
# transactions per second and the engine/reference time ratio. Each time
# is the best of several whole-process runs, so start-up noise does not
# decide the ratio.
# Usage: bash bench/run.sh <build-dir>
set -euo pipefail

build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
kelvo="$root/$build/engine/kelvo"
[ -x "$kelvo" ] || { echo "kelvo not built in $build" >&2; exit 1; }
runs=7

now() { date +%s.%N; }

# Runs one model under the front end in a scratch directory and prints the
# elapsed seconds of the engine alone. The run must leave its block counts.
run_model() {
  local model=$1 dir t0 t1
  dir=$(mktemp -d)
  cp "$root/bench/models/$model" "$dir/$model"
  printf '%s\n%7d\n' "$model" 3600 > "$dir/zwxyq.jav"
  cd "$dir"
  t0=$(now)
  "$kelvo" < /dev/null > /dev/null
  t1=$(now)
  cd "$root"
  if [ ! -s "$dir/${model%.txt}.BLO" ]; then
    echo "no block counts from $model (see $dir)" >&2
    return 1
  fi
  rm -rf "$dir"
  echo "$t1 - $t0" | bc -l
}

run_program() {
  local t0 t1
  t0=$(now)
  "$1" > /dev/null
  t1=$(now)
  echo "$t1 - $t0" | bc -l
}

best_of() {
  local best="" t
  for _ in $(seq "$runs"); do
    t=$("$@") || return 1
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

# compare NAME MODEL TRANSACTIONS REFERENCE-PROGRAM
compare() {
  local name=$1 model=$2 txns=$3 reference="$root/$build/bench/$4" e r
  e=$(best_of run_model "$model") || { echo "$name: the engine did not run $model"; return 0; }
  r=$(best_of run_program "$reference")
  printf '%-8s %7d transactions  engine %.4f s (%.0f/s)  reference %.4f s  ratio %.2f\n' \
    "$name" "$txns" "$e" "$(echo "$txns / $e" | bc -l)" "$r" "$(echo "$e / $r" | bc -l)"
}

compare gat100k gat100k.txt 100000 gat_reference
compare mdone mdone.txt 50000 mdone_reference

#!/usr/bin/env bash
# Times whole runs of the engine on the bundled benchmark models, each
# beside a hand-written reference program of the same model, and prints
# transactions per second and the engine/reference time ratio; then the
# infinite-server model with about 100 and about 10000 transactions in
# flight side by side. Each time is the median of several whole-process
# runs, so start-up noise does not decide a ratio.
# Usage: bash bench/run.sh <build-dir>
set -euo pipefail

build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
kelvo="$root/$build/engine/kelvo"
[ -x "$kelvo" ] || { echo "kelvo not built in $build" >&2; exit 1; }
runs=${runs:-7}

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
  "$@" > /dev/null
  t1=$(now)
  echo "$t1 - $t0" | bc -l
}

median_of() {
  local times=() t
  for _ in $(seq "$runs"); do
    t=$("$@") || return 1
    times+=("$t")
  done
  printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p"
}

# compare NAME MODEL TRANSACTIONS REFERENCE-PROGRAM [ARGUMENTS]
compare() {
  local name=$1 model=$2 txns=$3 reference="$root/$build/bench/$4" e r
  shift 4
  e=$(median_of run_model "$model") || { echo "$name: the engine did not run $model"; return 0; }
  r=$(median_of run_program "$reference" "$@")
  engine_time[$name]=$e
  printf '%-8s %7d transactions  engine %.4f s (%.0f/s)  reference %.4f s  ratio %.2f\n' \
    "$name" "$txns" "$e" "$(echo "$txns / $e" | bc -l)" "$r" "$(echo "$e / $r" | bc -l)"
}

declare -A engine_time
compare gat100k gat100k.txt 100000 gat_reference
compare mdone mdone.txt 50000 mdone_reference
compare inf100 infinite100.txt 100000 infinite_server_reference 100
compare inf10k infinite10k.txt 100000 infinite_server_reference 10000
if [ -n "${engine_time[inf100]:-}" ] && [ -n "${engine_time[inf10k]:-}" ]; then
  printf 'infinite server: 100 in flight %.4f s, 10000 in flight %.4f s, ratio %.2f\n' \
    "${engine_time[inf100]}" "${engine_time[inf10k]}" "$(echo "${engine_time[inf10k]} / ${engine_time[inf100]}" | bc -l)"
fi
# WAITIF waiters: the same 50000 transactions pass while about 100 and
# about 10000 transactions wait at a WAITIF that compares operands.
if w100=$(median_of run_model waitif100.txt) && w10k=$(median_of run_model waitif10k.txt); then
  printf 'waitif: 100 waiting %.4f s, 10000 waiting %.4f s, ratio %.2f\n' "$w100" "$w10k" "$(echo "$w10k / $w100" | bc -l)"
fi

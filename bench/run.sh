#!/usr/bin/env bash
# Times whole runs of the engine on the bundled benchmark models and prints
# each beside what it is measured against, as time ratios (engine time
# divided by the other; below 1 the engine is faster):
#   before     the engine built before a change (the optional second
#              argument), run in turn with this one, run by run;
#   reference  a hand-written C++ program of the same model (bench/*.cpp);
#   SimPy      the same model in SimPy 3 (bench/simpy_twins.py), when a
#              Python with SimPy 3 is installed.
# Each time is the median of several whole-process runs (start-up
# included), so one slow or lucky run does not decide a ratio.
# Usage: bash bench/run.sh <build-dir> [before]
#   build-dir: `make bench` gives the profile-guided build, build-release.
#   before: an engine binary, or a git revision of this repository, which
#   is then built (engine only, profile-guided as well) in a scratch
#   directory and kept there, with JOBS parallel jobs.
# runs=N sets the number of runs of each timing (default 7).
set -euo pipefail

build=${1:-build-release}
before=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
kelvo="$root/$build/engine/kelvo"
[ -x "$kelvo" ] || { echo "kelvo not built in $build" >&2; exit 1; }
runs=${runs:-7}

# The engine to compare with: a binary as given, or one built from a git
# revision.
if [ -n "$before" ] && [ ! -x "$before" ]; then
  sha=$(git -C "$root" rev-parse --verify --quiet "$before^{commit}") || { echo "no engine binary or git revision: $before" >&2; exit 1; }
  dir="${TMPDIR:-/tmp}/kelvo-before-$sha"
  if [ ! -x "$dir/build/engine/kelvo" ]; then
    echo "building the engine of $before in $dir ..." >&2
    rm -rf "$dir" && mkdir -p "$dir/src"
    git -C "$root" archive "$sha" | tar -x -C "$dir/src"
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVO_TESTS=OFF \
      -DKELVO_PROFILE_GUIDED=ON > "$dir/build.log" 2>&1
    cmake --build "$dir/build" --target kelvo -j "${JOBS:-$(nproc)}" >> "$dir/build.log" 2>&1 ||
      { echo "the engine of $before did not build (see $dir/build.log)" >&2; exit 1; }
  fi
  before="$dir/build/engine/kelvo"
fi

# A Python that has SimPy 3.
simpy_python=""
for p in python3 /usr/bin/python3; do
  if command -v "$p" > /dev/null && "$p" -c 'import simpy, sys; sys.exit(0 if simpy.__version__.startswith("3") else 1)' 2> /dev/null; then
    simpy_python=$p
    break
  fi
done

# Seconds of one whole run of engine $1 on model $2 under the front end,
# in a scratch directory; fails when the run leaves no block counts (an
# engine that cannot run the model).
run_model() {
  local engine=$1 model=$2 dir t0 t1
  dir=$(mktemp -d)
  cp "$root/bench/models/$model" "$dir/$model"
  printf '%s\n%7d\n' "$model" 3600 > "$dir/zwxyq.jav"
  cd "$dir"
  t0=$EPOCHREALTIME
  "$engine" < /dev/null > /dev/null 2>&1 || true
  t1=$EPOCHREALTIME
  cd "$root"
  [ -s "$dir/${model%.txt}.BLO" ] || { rm -rf "$dir"; return 1; }
  rm -rf "$dir"
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f\n", b - a }'
}

# Seconds of one whole run of a program.
run_program() {
  local t0 t1
  t0=$EPOCHREALTIME
  "$@" > /dev/null
  t1=$EPOCHREALTIME
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f\n", b - a }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# time_model MODEL [N]: sets `engine_s` and `before_s` (empty when there
# is no engine before or it cannot run the model), the medians of N runs
# (default $runs), the two engines in turn.
time_model() {
  local model=$1 n=${2:-$runs} e=() b=() t ok=1
  for _ in $(seq "$n"); do
    t=$(run_model "$kelvo" "$model") || { echo "the engine did not run $model" >&2; return 1; }
    e+=("$t")
    if [ -n "$before" ] && [ "$ok" = 1 ]; then
      if t=$(run_model "$before" "$model"); then b+=("$t"); else ok=0; fi
    fi
  done
  engine_s=$(printf '%s\n' "${e[@]}" | median)
  before_s=""
  if [ "$ok" = 1 ] && [ "${#b[@]}" -gt 0 ]; then before_s=$(printf '%s\n' "${b[@]}" | median); fi
}

time_program() {
  local n=$1 t=() i
  shift
  for i in $(seq "$n"); do t+=("$(run_program "$@")"); done
  printf '%s\n' "${t[@]}" | median
}

printf '%-22s %8s %9s %10s | %9s %6s | %9s %6s | %9s %6s\n' \
  model transact engine/s per-second before/s ratio reference ratio SimPy/s ratio
# row NAME MODEL TRANSACTIONS [REFERENCE-PROGRAM ARGS | -] [SIMPY-TWIN | -]
row() {
  local name=$1 model=$2 txns=$3 reference=${4:--} twin=${5:--} line r s
  time_model "$model" || return 0
  line=$(printf '%-22s %8d %9.4f %10.0f' "$name" "$txns" "$engine_s" "$(awk -v n="$txns" -v t="$engine_s" 'BEGIN { print n / t }')")
  if [ -n "$before_s" ]; then line+=$(printf ' | %9.4f %6s' "$before_s" "$(ratio "$engine_s" "$before_s")")
  elif [ -n "$before" ]; then line+=$(printf ' | %9s %6s' "cannot" "-")
  else line+=$(printf ' | %9s %6s' "-" "-"); fi
  if [ "$reference" != - ]; then
    # shellcheck disable=SC2086
    r=$(time_program "$runs" "$root/$build/bench/"$reference)
    line+=$(printf ' | %9.4f %6s' "$r" "$(ratio "$engine_s" "$r")")
  else line+=$(printf ' | %9s %6s' "-" "-"); fi
  if [ "$twin" != - ] && [ -n "$simpy_python" ]; then
    s=$(time_program "${simpy_runs:-3}" "$simpy_python" "$root/bench/simpy_twins.py" "$twin")
    line+=$(printf ' | %9.4f %6s' "$s" "$(ratio "$engine_s" "$s")")
  else line+=$(printf ' | %9s %6s' "-" "-"); fi
  echo "$line"
  times[$name]=$engine_s
}

declare -A times
row "M/D/1" mdone.txt 50000 mdone_reference
row "GENERATE-ADVANCE" gat100k.txt 100000 gat_reference
row "M/M/1" mm1.txt 50000 "mm1_reference 50000 1" mm1
row "M/M/1 10^6" mm1_million.txt 999990 "mm1_reference 999990 10"
row "job shop" jobshop.txt 50000 - jobshop
row "fork-join" forkjoin.txt 30000 - forkjoin
row "WAITIF gate 100" waitif100.txt 50000
row "WAITIF gate 10000" waitif10k.txt 50000
row "WAITIF gate opening" waitif_gate.txt 900000 gate_reference
row "M/M/inf 100" infinite100.txt 100000 "infinite_server_reference 100" inf100
row "M/M/inf 10000" infinite10k.txt 100000 "infinite_server_reference 10000" inf10k

# Start-up: a model of one customer, timed over more runs (its run is short).
if time_model one.txt $((3 * runs)); then
  line=$(printf 'start-up (one customer, whole run): %.1f ms' "$(awk -v t="$engine_s" 'BEGIN { print 1000 * t }')")
  [ -n "$before_s" ] && line+=$(printf ', before %.1f ms, ratio %s' "$(awk -v t="$before_s" 'BEGIN { print 1000 * t }')" "$(ratio "$engine_s" "$before_s")")
  echo "$line"
fi
if [ -n "${times[M/M/inf 100]:-}" ] && [ -n "${times[M/M/inf 10000]:-}" ]; then
  echo "infinite server: 10000 in flight against 100, ratio $(ratio "${times[M/M/inf 10000]}" "${times[M/M/inf 100]}")"
fi
if [ -n "${times[WAITIF gate 100]:-}" ] && [ -n "${times[WAITIF gate 10000]:-}" ]; then
  echo "WAITIF gate: 10000 waiting against 100, ratio $(ratio "${times[WAITIF gate 10000]}" "${times[WAITIF gate 100]}")"
fi
[ -n "$simpy_python" ] || echo "SimPy 3 is not installed (Debian: python3-simpy3): no SimPy ratios"

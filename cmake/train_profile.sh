#!/usr/bin/env bash
# Runs the engine built to record its profile on each training model, as
# the front end runs it (the model and its command file zwxyq.jav in a
# folder of its own), so that the profile of those runs is written into
# the profile folder. Fails when a model leaves no block counts: an engine
# that cannot run it would train nothing.
# Usage: train_profile.sh ENGINE PROFILE-FOLDER RUN-FOLDER MODEL...
set -euo pipefail
engine=$1 profile=$2 runs=$3
shift 3
# The runs only record the profile. An engine built with a leak checker
# (a sanitizer in the user's flags) would fail them on the profile
# run-time's own allocations, made when a run merges its counts into
# those of the runs before; the real engine's runs are checked by the
# tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}detect_leaks=0"
rm -rf "$profile" "$runs"
mkdir -p "$profile" "$runs"
for model in "$@"; do
  name=$(basename "$model")
  dir="$runs/${name%.*}"
  mkdir -p "$dir"
  cp "$model" "$dir/$name"
  printf '%s\n%7d\n' "$name" 600 > "$dir/zwxyq.jav"
  (cd "$dir" && "$engine" < /dev/null > console.txt 2>&1)
  [ -s "$dir/${name%.*}.BLO" ] || { echo "training run of $name wrote no block counts (see $dir)" >&2; exit 1; }
done
rm -rf "$runs"

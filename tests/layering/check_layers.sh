#!/usr/bin/env bash
# Checks the engine's layering at link level: no symbol that a layer's
# library leaves undefined may be defined by a higher layer's library.
#   io <- model <- support <- exchange <- translator <- runtime <- driver
# Usage: check_layers.sh <build-dir>            check the built libraries
#        check_layers.sh <build-dir> --self-test  show that an upward call fails
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
layers=(io model support exchange translator runtime driver)

lib_of() { echo "$build/engine/libkelvo_$1.a"; }

# Defined (global) symbols of a library, one per line.
# Only strong definitions count: inline functions and templates are weak
# and may be emitted by any layer that uses them.
defined() { nm -g --defined-only "$1" 2>/dev/null | awk 'NF >= 3 && $2 ~ /^[TDBR]$/ { print $3 }' | sort -u; }
undefined() { nm -g --undefined-only "$1" 2>/dev/null | awk '{ print $NF }' | sort -u; }

# check LIB-OF-LAYER... : every layer's undefined symbols against the
# symbols of all layers above it. The libraries are given in layer order.
check() {
  local libs=("$@") status=0 i j
  for ((i = 0; i < ${#libs[@]}; i++)); do
    local wanted
    wanted=$(undefined "${libs[i]}")
    for ((j = i + 1; j < ${#libs[@]}; j++)); do
      local upward
      upward=$(comm -12 <(echo "$wanted") <(defined "${libs[j]}"))
      if [ -n "$upward" ]; then
        echo "layer ${layers[i]} calls up into ${layers[j]}:"
        echo "$upward" | c++filt | sed 's/^/  /'
        status=1
      fi
    done
  done
  return "$status"
}

libs=()
for layer in "${layers[@]}"; do
  lib=$(lib_of "$layer")
  [ -f "$lib" ] || { echo "missing $lib: build the engine first" >&2; exit 2; }
  libs+=("$lib")
done

if [ "${2:-}" = --self-test ]; then
  # A support library with one deliberate call into the translator must
  # be refused.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cat > "$work/upward.cpp" <<'CPP'
namespace kelvo {
struct Engine;
void reset_compile_state(Engine& e);
void upward_call(Engine& e) { reset_compile_state(e); }
}  // namespace kelvo
CPP
  c++ -c "$work/upward.cpp" -o "$work/upward.o"
  cp "${libs[2]}" "$work/libkelvo_support.a"
  ar rs "$work/libkelvo_support.a" "$work/upward.o" 2>/dev/null
  libs[2]="$work/libkelvo_support.a"
  if check "${libs[@]}" > "$work/out.txt"; then
    echo "the layering check let a deliberate upward call pass"
    exit 1
  fi
  grep -q reset_compile_state "$work/out.txt" || { cat "$work/out.txt"; exit 1; }
  echo "a deliberate upward call is refused"
  exit 0
fi

check "${libs[@]}"
echo "every engine layer links only downward"

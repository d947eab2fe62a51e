# Sourced by the end-to-end shell checks with the kelvo binary as $1:
# gives $kelvo, a scratch directory $work removed at exit, and
# run_model NAME, which runs the model text read from standard input as
# M.TXT under the front end in $work/NAME.
set -uo pipefail
kelvo=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run_model() {
  rm -rf "${work:?}/$1"
  mkdir -p "$work/$1"
  cat > "$work/$1/M.TXT"
  printf 'M.TXT\n   3600\n' > "$work/$1/zwxyq.jav"
  (cd "$work/$1" && "$kelvo" < /dev/null > /dev/null 2>&1)
}

#!/usr/bin/env bash
# Runs the bundled example model in a scratch directory and shows what the
# engine wrote. Usage: run-example.sh path/to/kelvo
set -euo pipefail
kelvo=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/bank.txt "$work"/
cd "$work"
# Console mode: the model name, then answers to the questions that follow.
printf 'bank.txt\n\n\nY\nY\n' | "$kelvo"
for f in *; do
  [ "$f" = bank.txt ] && continue
  echo "== $f"
  cat "$f"
done

#!/usr/bin/env bash
# Runs the launcher's worked example of the README as it is written: the
# indented lines of its section, in a scratch directory whose
# build/launcher/srvlaunch is the launcher under test. The server must
# answer on both ports, write its output file, and the service must log
# its start and its stop.
# Usage: readme_example_check.sh path/to/README.md path/to/srvlaunch
set -uo pipefail
readme=$(realpath "$1")
launcher=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/launcher" "$work/tmp"
cp "$launcher" "$work/build/launcher/srvlaunch"
# The section from its heading to the next "## " heading; code lines are
# indented by four blanks.
sed -n '/^### A worked example$/,/^## /p' "$readme" | sed -n 's/^    //p' > "$work/example.sh"
grep -q 'srvlaunch &' "$work/example.sh" || { echo "FAIL: no example found in $readme"; exit 1; }
out=$(cd "$work" && TMPDIR="$work/tmp" timeout 180 bash "$work/example.sh" 2>&1)
fail() { echo "FAIL: $*"; echo "-- output:"; echo "$out"; exit 1; }
[ "$(echo "$out" | grep -c '^hello$')" -eq 2 ] || fail "the server did not answer on both ports"
# The service run, last, makes the output file anew.
grep -q 'serving on port 8091' "$work/demo/server/hello.log" || fail "hello.log does not hold the server's output"
log="$work/demo/sim/eventlog/Application.log"
grep -q 'has started' "$log" && grep -q 'has stopped' "$log" || fail "the event log lacks the service's start and stop"
echo "the worked example runs as written"

#!/usr/bin/env bash
# 32-bit Windows build of the deliverables with the i686 MinGW-w64 cross
# compiler, and checks of the binaries with objdump:
#   spawnlib.dll exports exactly the three decorated JNI names and imports
#   only system DLLs; kelvo.exe is a console program (subsystem 3) that
#   imports only system DLLs; the engine's own object files compute no
#   floating point on the x87 unit.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash .ci/deps g++-mingw-w64-i686-win32 binutils-mingw-w64-i686

cmake --preset windows >/dev/null
cmake --build --preset windows -j "${JOBS:-4}"

objdump=i686-w64-mingw32-objdump
dll=build-windows/procbridge/spawnlib.dll
exe=build-windows/engine/kelvo.exe

# DLLs that come with every Windows installation.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|version|ws2_32|msvcrt)\.dll$'

failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

for f in "$dll" "$exe"; do
  [ -f "$f" ] || { echo "FAIL: $f was not built" >&2; exit 1; }
done

# Names in the export table: the lines after "[Ordinal/Name Pointer] Table".
exports() {
  "$objdump" -p "$1" | awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {on=0} on {print $NF}' | sort
}
imports() {
  "$objdump" -p "$1" | awk '/DLL Name:/ {print tolower($3)}' | sort -u
}
subsystem() {
  "$objdump" -p "$1" | awk '$1=="Subsystem" {print $2}'
}
machine() {
  "$objdump" -f "$1" | awk -F'file format ' 'NF>1 {print $2}'
}

for f in "$dll" "$exe"; do
  [ "$(machine "$f")" = "pei-i386" ] || fail "$f is not a 32-bit Windows binary ($(machine "$f"))"
  dlls=$(imports "$f")
  [ -n "$dlls" ] || fail "$f: no import table found"
  for d in $dlls; do
    [[ "$d" =~ $system_dlls ]] || fail "$f imports $d, which is not a system DLL"
  done
  echo "$f imports: $(echo $dlls)"
done

expected=$(printf '%s\n' _Java_TORNEL_server_NativeProcess_destroy@8 _Java_TORNEL_server_NativeProcess_start@16 \
  _Java_TORNEL_server_NativeProcess_waitFor@8 | sort)
actual=$(exports "$dll")
if [ "$actual" != "$expected" ]; then
  fail "$dll exports differ from the three decorated names:"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
else
  echo "$dll exports: $(echo $actual)"
fi

sub=$(subsystem "$exe")
[ "$((16#${sub:-ff}))" -eq 3 ] || fail "$exe subsystem is ${sub:-missing}, not 3 (console)"
echo "$exe subsystem: ${sub}"

# The engine's arithmetic runs on SSE2, as on the other builds. The 32-bit
# calling convention still returns float and double in the x87 register,
# so the instructions that only move a value there and back (and its
# exact sign operations) are allowed; any x87 instruction that computes
# and rounds is not. The C run-time's code is not ours and is not looked at.
x87_moves='^f(ld|lds|ldl|ldt|st|sts|stl|stp|stps|stpl|stpt|xch|ldz|ld1|chs|abs|ild|ilds|ildl|ildll)$'
x87_found=$(find build-windows/engine -name '*.obj' -print0 | xargs -0 "$objdump" -d --no-show-raw-insn |
  awk -F'\t' 'NF >= 2 { split($2, a, " "); print a[1] }' | grep -E '^f[a-z0-9]+$' | grep -Ev "$x87_moves" |
  sort | uniq -c || true)
if [ -n "$x87_found" ]; then
  fail "the engine computes on the x87 unit (build it with -msse2 -mfpmath=sse):"
  echo "$x87_found" >&2
else
  echo "engine objects: no x87 arithmetic"
fi

[ "$failed" -eq 0 ] || { echo "Windows build checks failed" >&2; exit 1; }
echo "Windows build checks passed"

#!/usr/bin/env bash
# The Windows launcher: builds srvlaunch.exe with the i686 MinGW-w64 cross
# compiler and checks the binary: a GUI-subsystem PE that imports only
# system DLLs, links the service, splash and embedded-jar code, and carries
# its string table, details dialog, splash bitmap, embedded-jar resource and
# the message table of its event ids.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash .ci/deps g++-mingw-w64-i686-win32 binutils-mingw-w64-i686

cmake --preset windows >/dev/null
cmake --build --preset windows -j "${JOBS:-4}" --target srvlaunch

exe=build-windows/launcher/platform/win32/srvlaunch.exe
objdump=i686-w64-mingw32-objdump
windres=i686-w64-mingw32-windres
fail=0
check() { # message, then the command that must succeed
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}

headers=$($objdump -p "$exe")
check "PE for i386" grep -q "file format pei-i386" <<<"$headers"
check "GUI subsystem" grep -qE "^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)" <<<"$headers"

allowed="^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|msvcrt)\.dll$"
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
check "imports some DLLs" test -n "$dlls"
for dll in $dlls; do
  check "system DLL $dll" grep -qiE "$allowed" <<<"$dll"
done

# The service, splash, embedded-jar and clean-up code call these.
for fn in OpenSCManagerA OpenServiceA StartServiceCtrlDispatcherA RegisterServiceCtrlHandlerA \
          SetServiceStatus CreateServiceA DeleteService RegCreateKeyExA RegSetValueExA \
          RegisterEventSourceA ReportEventA DeregisterEventSource \
          CreateWindowExA SetWindowLongA CallWindowProcA LoadBitmapA SetTimer KillTimer EnumWindows \
          LockWindowUpdate FindResourceA GetTempPathA CreateDirectoryA SetFileTime CreateProcessA \
          OpenProcess; do
  check "imports $fn" grep -qE "[[:space:]]$fn\$" <<<"$headers"
done

resources=$($windres -J coff -i "$exe" -O rc)
check "details dialog 101" grep -q "^101 DIALOG 0, 0, 304, 166" <<<"$resources"
check "embedded-jar resource 16000" grep -q "^16000 RCDATA" <<<"$resources"
check "splash bitmap 8000" grep -q "^8000 2 /\* RT_BITMAP \*/" <<<"$resources"
check "message table" grep -q "RT_MESSAGETABLE" <<<"$resources"
check "event id 0x40000001" grep -q "MessageId = 0x40000001" <<<"$resources"
check "event id 0xc0000002" grep -q "MessageId = 0xc0000002" <<<"$resources"
check "JNI version string" grep -qF '1024, "0x00010006"' <<<"$resources"
check "working directory string" grep -qF '1184, ".\\server"' <<<"$resources"
for id in 1600 1616 1632 1648 1664 1680 1696 1712 1728 1744 1760 1776 1792 \
          1808 1824 1840 1856 1872 1888 1904 1920; do
  check "message $id" grep -qE "^  $id, \"" <<<"$resources"
done
check "message 1648 text" grep -qF \
  '1648, "Unable to locate suitable Java Runtime Environment on this machine."' <<<"$resources"

exit $fail

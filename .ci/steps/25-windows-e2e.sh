#!/usr/bin/env bash
# Runs the end-to-end suite against the 32-bit Windows engine (kelvo.exe)
# under wine: every case must give the same files as on Linux. A machine
# that cannot execute 32-bit code, or cannot install wine, says so in one
# line and skips the run; the other Windows checks (20-windows.sh) still
# hold there.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

exe=build-windows/engine/kelvo.exe
if [ ! -f "$exe" ]; then
  bash .ci/deps g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "${JOBS:-4}" --target kelvo
fi

# wine and its 32-bit half come from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo dpkg --add-architecture i386
  bash .ci/apt-update
fi
# A package mirror can leave the i386 lists out of step with the installed
# 64-bit libraries, so that wine cannot be installed at all: the step then
# says so in one line and skips the run, as on a machine without 32-bit
# support; the Windows build checks (20-windows.sh) have already passed.
if ! bash .ci/deps wine wine32; then
  echo "wine cannot be installed from this machine's package lists: the end-to-end run of kelvo.exe is skipped"
  exit 0
fi

export WINEDEBUG=-all
export WINEPREFIX="$root/build-windows/wineprefix"
# One wine server for the whole run: a server that ends between two quick
# runs can drop the next client's connection.
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
if ! started=$(wineserver -p 2>&1); then
  if grep -qiE "exec format error|cannot execute" <<< "$started"; then
    echo "this machine cannot run 32-bit Windows programs: the end-to-end run of kelvo.exe is skipped"
    exit 0
  fi
  echo "the wine server did not start: $started"
  exit 1
fi
trap 'wineserver -k 2>/dev/null || true' EXIT
# The engine under wine, as the end-to-end runner starts it.
wrapper="$root/build-windows/kelvo-under-wine"
cat > "$wrapper" <<WRAP
#!/usr/bin/env bash
exec wine "$root/$exe" "\$@"
WRAP
chmod +x "$wrapper"

# A first start: the console banner shows that 32-bit programs run here.
probe=$(mktemp -d)
(cd "$probe" && echo END | "$wrapper" > probe.out 2>&1) || true
if ! grep -q "KELVO simulation system" "$probe/probe.out"; then
  if grep -qiE "exec format error|cannot execute" "$probe/probe.out"; then
    echo "this machine cannot run 32-bit Windows programs: the end-to-end run of kelvo.exe is skipped"
    rm -rf "$probe"
    exit 0
  fi
  echo "kelvo.exe under wine did not start:"
  cat "$probe/probe.out"
  rm -rf "$probe"
  exit 1
fi
rm -rf "$probe"

[ -x build/tests/e2e/e2e_runner ] || { cmake --preset default >/dev/null && cmake --build build --target e2e_runner; }
KELVO_E2E_EXTRA_SECONDS=2 KELVO_E2E_BINARY="$wrapper" KELVO_E2E_SCRATCH="$root/build-windows/e2e-scratch" build/tests/e2e/e2e_runner
echo "the end-to-end suite passes against kelvo.exe"

#!/usr/bin/env bash
# Runs the end-to-end suite against the 32-bit Windows engine (kelvo.exe)
# under wine: every case must give the same files as on Linux, and the
# arithmetic functions the same bits as the Linux build's.
#
# Where this machine runs 32-bit programs, wine runs directly. Where its
# kernel refuses them, wine runs under qemu's user-mode emulator for i386:
# an unprivileged user namespace made for this run mounts its own
# binfmt_misc (kernels from 6.7 give each user namespace one) and
# registers the emulator for i386 programs there, so nothing changes
# outside the run. The emulator comes from the machine's own package
# sources: the release's package when it is new enough to carry wine,
# else its backports, else the next release (fetched with a private apt
# configuration into build-windows/, never installed). Where neither
# route works, the step fails and says why.
#
# Every wine call is bounded by a timeout, and the wine server's output
# goes to a file: the server, once in the background, keeps whatever it
# writes to open.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
work="$root/build-windows/wine-run"
exe="$root/build-windows/engine/kelvo.exe"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The run itself: wine, its prefix and server, the engine's banner, the
# arithmetic table and the suite. Called directly or inside the user
# namespace (with the emulator's path), as "$0" --inside [QEMU].
run_under_wine() {
  if [ -n "${1:-}" ]; then
    # i386 ELF executables and shared objects (types 2 and 3), handed to
    # the emulator; F opens it now, so it serves every later program.
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
      fail "binfmt_misc cannot be mounted in this user namespace"
    printf ':kelvo-i386:M::%s:%s:%s:F\n' \
      '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
      '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
      "$1" > /proc/sys/fs/binfmt_misc/register || fail "the emulator cannot be registered for i386 programs"
  fi
  export WINEDEBUG=-all WINEARCH=win32 WINEPREFIX="$work/prefix"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # One wine server for the whole run, started first (a second one is
  # refused while another serves the prefix): a server that ends between
  # two quick runs can drop the next client's connection.
  timeout 60 wineserver -p > "$work/wineserver.log" 2>&1 || {
    cat "$work/wineserver.log" >&2
    fail "the wine server did not start"
  }
  trap 'timeout 60 wineserver -k > /dev/null 2>&1 || true' EXIT
  if ! timeout 600 wineboot -i > "$work/wineboot.log" 2>&1; then
    tail -5 "$work/wineboot.log" >&2
    fail "wine could not set up its prefix (whole output in $work/wineboot.log)"
  fi

  # A first start: the console banner shows that kelvo.exe runs.
  local probe="$work/probe"
  rm -rf "$probe" && mkdir -p "$probe"
  (cd "$probe" && echo END | timeout 300 wine "$exe" > probe.out 2>&1) || true
  if ! grep -q "KELVO simulation system" "$probe/probe.out"; then
    cat "$probe/probe.out" >&2
    fail "kelvo.exe under wine did not start"
  fi

  # The arithmetic functions of both builds, bit for bit, on one table.
  timeout 120 "$work/arithmetic_bits" > "$work/arithmetic.linux" || fail "the Linux arithmetic table did not run"
  timeout 600 wine "$work/arithmetic_bits.exe" > "$work/arithmetic.windows.crlf" 2> "$work/arithmetic.err" ||
    fail "the Windows arithmetic table did not run: $(tail -3 "$work/arithmetic.err")"
  tr -d '\r' < "$work/arithmetic.windows.crlf" > "$work/arithmetic.windows"
  if ! cmp -s "$work/arithmetic.linux" "$work/arithmetic.windows"; then
    diff "$work/arithmetic.linux" "$work/arithmetic.windows" | head -20 >&2
    fail "the arithmetic functions give other bits in kelvo.exe than in the Linux engine"
  fi
  echo "arithmetic functions: the same bits on $(wc -l < "$work/arithmetic.linux") results in both builds"

  # The engine under wine, as the end-to-end runner starts it.
  local wrapper="$work/kelvo-under-wine"
  printf '#!/usr/bin/env bash\nexec wine %q "$@"\n' "$exe" > "$wrapper"
  chmod +x "$wrapper"
  KELVO_E2E_PLATFORM=windows KELVO_E2E_EXTRA_SECONDS="${extra_seconds:-2}" KELVO_E2E_BINARY="$wrapper" \
    KELVO_E2E_SCRATCH="$work/e2e-scratch" "$root/build/tests/e2e/e2e_runner"
  echo "the end-to-end suite passes against kelvo.exe"
}

if [ "${1:-}" = --inside ]; then
  extra_seconds=${KELVO_WINE_EXTRA_SECONDS:-2}
  run_under_wine "${2:-}"
  exit 0
fi

if [ ! -f "$exe" ]; then
  bash .ci/deps g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "${JOBS:-4}" --target kelvo
fi
[ -x build/tests/e2e/e2e_runner ] ||
  { cmake --preset default >/dev/null && cmake --build build -j "${JOBS:-4}" --target e2e_runner kelvo; }
mkdir -p "$work"

# The arithmetic table, once from each build's own library of the
# arithmetic functions.
cmake --build build -j "${JOBS:-4}" --target kelvo_model > /dev/null
cmake --build build-windows -j "${JOBS:-4}" --target kelvo_model > /dev/null
g++ -std=c++20 -O2 -I engine tests/e2e/arithmetic_bits.cpp build/engine/libkelvo_model.a -o "$work/arithmetic_bits"
i686-w64-mingw32-g++-win32 -std=c++20 -O2 -msse2 -mfpmath=sse -I engine tests/e2e/arithmetic_bits.cpp \
  build-windows/engine/libkelvo_model.a -static -o "$work/arithmetic_bits.exe"

# wine and its 32-bit half come from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo dpkg --add-architecture i386
  bash .ci/apt-update
fi
bash .ci/deps wine wine32 || fail "wine cannot be installed from this machine's package lists"

# Where the kernel runs 32-bit programs (the i386 loader of wine32's C
# library answers), wine runs directly.
if /lib/ld-linux.so.2 --version > /dev/null 2>&1; then
  echo "this machine runs 32-bit programs: wine runs kelvo.exe directly"
  run_under_wine ""
  exit 0
fi
echo "this machine's kernel refuses 32-bit programs: wine runs under qemu's i386 emulator in a user namespace"

unshare_args=(--user --map-root-user --mount --pid --fork --mount-proc)
unshare "${unshare_args[@]}" sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' 2> "$work/unshare.err" ||
  fail "no private binfmt_misc: unprivileged user namespaces are refused or the kernel is older than 6.7 ($(head -1 "$work/unshare.err"))"

# The emulator: qemu-user 10.0 is the oldest measured to carry wine (7.2
# is not: wineboot ends in a segmentation fault).
oldest_qemu="1:10.0"
qemu_dir="$root/build-windows/qemu"
qemu="$qemu_dir/root/usr/bin/qemu-i386"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
releases=(buster bullseye bookworm trixie forky duke)
next=""
for ((i = 0; i < ${#releases[@]} - 1; i++)); do
  [ "${releases[i]}" = "$codename" ] && next=${releases[i + 1]}
done

# The machine's own Debian sources of its release as one-line entries
# for another suite: "deb [signed-by=KEYRING] URI SUITE COMPONENTS".
sources_for_suite() {
  local suite=$1 f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v rel="$codename" -v suite="$suite" '
      $1 == "deb" { opts = ""; i = 2
        if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
        if ($(i + 1) != rel) next
        line = "deb" opts " " $i " " suite
        for (j = i + 2; j <= NF; j++) line = line " " $j
        print line }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v rel="$codename" -v suite="$suite" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " rel " ") && enabled != "no") {
          n = split(uris, u, " ")
          for (k = 1; k <= n; k++) print "deb" (key != "" ? " [signed-by=" key "]" : "") " " u[k] " " suite " " comps
        }
        types = uris = suites = comps = key = enabled = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      { field = tolower($1); sub(/:$/, "", field); $1 = ""; sub(/^ +/, "")
        if (field == "types") types = $0; else if (field == "uris") uris = $0
        else if (field == "suites") suites = $0; else if (field == "components") comps = $0
        else if (field == "signed-by" && $0 ~ /^\//) key = $0; else if (field == "enabled") enabled = tolower($0) }
      END { flush() }' "$f"
  done
}

# Looks qemu-user up in SUITE and fetches it when it is new enough: the
# release's own with the machine's apt configuration, any other suite of
# the machine's sources with a private one (its own lists and cache; the
# system's apt state is left alone). Nothing is installed.
fetch_qemu_from() {
  local suite=$1 apt="$qemu_dir/apt-$1"
  rm -rf "$apt"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts"
  local opts=(-o "APT::Sandbox::User=root")
  if [ "$suite" != "$codename" ]; then
    sources_for_suite "$suite" > "$apt/sources.list"
    [ -s "$apt/sources.list" ] || return 1
    opts+=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
      -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Architectures=amd64"
      -o "Debug::NoLocking=1")
    timeout 300 apt-get "${opts[@]}" update -q > "$apt/update.log" 2>&1 || true
  fi
  local version
  version=$(apt-cache "${opts[@]}" policy qemu-user 2>/dev/null | awk '/Candidate:/ {print $2}')
  echo "qemu-user in $suite: ${version:-none}"
  [ -n "$version" ] && [ "$version" != "(none)" ] && dpkg --compare-versions "$version" ge "$oldest_qemu" || return 1
  (cd "$apt" && timeout 300 apt-get "${opts[@]}" download -q "qemu-user=$version" > download.log 2>&1) || return 1
  rm -rf "$qemu_dir/root"
  dpkg-deb -x "$apt"/qemu-user_*.deb "$qemu_dir/root"
  [ -x "$qemu" ] && "$qemu" --version > /dev/null 2>&1
}

if ! { [ -x "$qemu" ] && "$qemu" --version > /dev/null 2>&1; }; then
  found=""
  for suite in "$codename" "$codename-backports" $next; do
    if fetch_qemu_from "$suite"; then
      found=$suite
      break
    fi
  done
  [ -n "$found" ] || fail "no qemu-user of version $oldest_qemu or later in this machine's package sources ($codename, $codename-backports${next:+, $next})"
  echo "the i386 emulator comes from qemu-user of $found"
fi

# Emulated, a wine start takes a few seconds more than natively.
KELVO_WINE_EXTRA_SECONDS=6 unshare "${unshare_args[@]}" bash "$0" --inside "$qemu"

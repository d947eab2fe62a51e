# Toolchain for the 32-bit Windows build with the i686 MinGW-w64 cross
# compiler (Debian: g++-mingw-w64-i686-win32, binutils-mingw-w64-i686).
#   cmake --preset windows && cmake --build --preset windows
# The deliverables are linked statically against the compiler's run-time
# (libgcc, libstdc++), so they import only DLLs that ship with Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(KELVO_MINGW_TRIPLET i686-w64-mingw32)

# Prefer the "-win32" thread-model drivers by their explicit names, so a
# posix-model compiler that is also installed is never picked by accident.
find_program(CMAKE_C_COMPILER NAMES ${KELVO_MINGW_TRIPLET}-gcc-win32 ${KELVO_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KELVO_MINGW_TRIPLET}-g++-win32 ${KELVO_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KELVO_MINGW_TRIPLET}-windres)
find_program(KELVO_MC_COMPILER NAMES ${KELVO_MINGW_TRIPLET}-windmc)
find_program(KELVO_OBJDUMP NAMES ${KELVO_MINGW_TRIPLET}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# printf and friends behave as in C99 (%lld, %zu) whatever msvcrt does.
# Floating point on SSE2 as on every other build: each float and double
# operation rounds once to its own precision (the x87 unit would keep
# extended precision in its registers), so the reports are byte for byte
# those of the 64-bit builds.
set(KELVO_MINGW_FLAGS "-D__USE_MINGW_ANSI_STDIO=1 -msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "${KELVO_MINGW_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${KELVO_MINGW_FLAGS}")

# No libgcc_s_*.dll, libstdc++-6.dll or libwinpthread-1.dll next to the
# binaries: everything from the compiler is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

#!/usr/bin/env bash
# build.sh: sets up what is missing, then builds both targets:
# build/win32 (the deliverable 32-bit DLLs) and build/win64 (tests, hosts).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$root/cmake/setup.sh"
jobs=$(nproc)
configure() { # dir triple wine-tests
  [ -f "$root/build/$1/CMakeCache.txt" ] && return
  cmake -S "$root" -B "$root/build/$1" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$2.cmake" -DWINE_TESTS="$3" >/dev/null
}
configure win32 i686-w64-mingw32 OFF
configure win64 x86_64-w64-mingw32 ON
cmake --build "$root/build/win32" -j"$jobs"
cmake --build "$root/build/win64" -j"$jobs"

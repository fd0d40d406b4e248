#!/usr/bin/env bash
# build.sh: sets up what is missing, then builds both targets:
# build/win32 (the deliverable 32-bit DLLs) and build/win64, each with its
# test programs, hosts and benchmarks. The win32 tree's test programs are
# left out where this machine cannot run 32-bit programs (build/wine32/status).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$root/cmake/setup.sh"
jobs=$(nproc)
configure() { # dir triple wine-tests
  local cache=$root/build/$1/CMakeCache.txt
  grep -qx "WINE_TESTS:BOOL=$3" "$cache" 2>/dev/null && return
  cmake -S "$root" -B "$root/build/$1" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$2.cmake" -DWINE_TESTS="$3" >/dev/null
}
win32_tests=OFF
grep -qx ready "$root/build/wine32/status" && win32_tests=ON
configure win32 i686-w64-mingw32 "$win32_tests"
configure win64 x86_64-w64-mingw32 ON
cmake --build "$root/build/win32" -j"$jobs"
cmake --build "$root/build/win64" -j"$jobs"

#!/usr/bin/env bash
# Sets up what is missing, builds both targets and runs the whole suite: each
# tree's test programs under its own Wine, prefix, wineserver and display
# (build/win32 under the 32-bit Wine of build/wine32, build/win64 under
# wine64). Where the kernel cannot run 32-bit programs, the win32 tree only
# checks its export tables, and one line says so.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/build.sh"
status=0
under_wine() { # tree
  xvfb-run -a bash "$root/cmake/wine-session.sh" "$root/build/$1" \
    ctest --test-dir "$root/build/$1" -j"$(nproc)" --output-on-failure --timeout 300 || status=1
}
if grep -qx ready "$root/build/wine32/status"; then
  echo "== build/win32 (i686, the deliverables) under 32-bit Wine"
  under_wine win32
else
  echo "== build/win32 (i686): $(cat "$root/build/wine32/status"): its Wine tests are skipped, its export tables checked"
  ctest --test-dir "$root/build/win32" --output-on-failure || status=1
fi
echo "== build/win64 (x86_64) under wine64"
under_wine win64
exit $status

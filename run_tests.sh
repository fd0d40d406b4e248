#!/usr/bin/env bash
# Sets up what is missing, builds both targets and runs the whole suite: each
# tree's test programs under its own Wine, prefix, wineserver and display
# (build/win32 under the 32-bit Wine of build/wine32, build/win64 under
# wine64). Where the kernel cannot run 32-bit programs, the win32 tree only
# checks its export tables, and one line says so.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/build.sh"
# Now and then a test's output stays open after its program ended, held by a
# Wine background process that the program started again, and CTest waits
# for it until its time limit (cmake/wine-session.sh keeps the desktop's
# process from ending for this reason). Test programs have also hung before
# their first line, for reasons not known. A test that runs out of time gets
# one more run, and one that runs out twice fails.
under_wine() { # tree first-display log
  xvfb-run -a -n "$2" bash "$root/cmake/wine-session.sh" "$root/build/$1" \
    ctest --test-dir "$root/build/$1" -j"$(nproc)" --output-on-failure --timeout 300 --repeat after-timeout:2 \
    > "$3" 2>&1
}
status=0
win32_log=$root/build/win32/tests.log
win64_log=$root/build/win64/tests.log
# The trees share nothing at run time, and much of a test's time is Wine
# starting up or a window waiting: the two suites run side by side, from
# display numbers far apart so that their X servers do not race for one.
if grep -qx ready "$root/build/wine32/status"; then
  win32_title="build/win32 (i686, the deliverables) under 32-bit Wine"
  under_wine win32 140 "$win32_log" &
  win32_run=$!
else
  win32_title="build/win32 (i686): $(cat "$root/build/wine32/status"): its Wine tests are skipped, its export tables checked"
  ctest --test-dir "$root/build/win32" --output-on-failure > "$win32_log" 2>&1 &
  win32_run=$!
fi
under_wine win64 99 "$win64_log" || status=1
wait "$win32_run" || status=1
echo "== $win32_title"
cat "$win32_log"
echo "== build/win64 (x86_64) under wine64"
cat "$win64_log"
exit $status
